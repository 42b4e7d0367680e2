#pragma once

#include <optional>
#include <string>

#include "platform/services.h"

namespace pelterwyn::win32 {

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
