#pragma once

#include <optional>
#include <string>

#include "platform/services.h"

namespace pelterwyn::win32 {

class Win32Library final : public LibraryApi {
 public:
  Module Load(const std::string& name) override;
  void Free(Module module) override;
};

// Automation's own conversions.
class Win32Locale final : public LocaleApi {
 public:
  std::string NowAsGeneralDate() override;
  std::optional<std::int16_t> TextToInt16(const std::string& text) override;
  std::optional<float> InvariantTextToSingle(const std::string& text) override;
  std::optional<double> TextToDouble(const std::string& text) override;
  std::string SingleToText(float value) override;
};

class Win32Files final : public FileApi {
 public:
  std::wstring PathBesideExe(const std::string& fileName) override;
  bool AppendBesideExe(const std::string& fileName, const std::string& bytes) override;
};

// The running executable's full path as the system holds it, at any length;
// empty when it cannot be read. Every path beside the executable starts here.
std::wstring ModulePath();

// The file of that name in the folder of modulePath, as CreateFileW takes it
// at any length ("\\?\" in front from MAX_PATH on); nullopt when modulePath
// names no folder.
std::optional<std::wstring> PathBeside(const std::wstring& modulePath,
                                       const std::wstring& fileName);

}  // namespace pelterwyn::win32
