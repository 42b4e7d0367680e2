#pragma once

#include <charconv>
#include <map>
#include <string>
#include <vector>

#include "platform/services.h"

namespace pelterwyn::fakes {

// Fixed clock and plain C conversions; the platform's own Automation rules
// are tested under Wine.
class FakeLocale final : public LocaleApi {
 public:
  std::string NowAsGeneralDate() override { return now; }
  std::optional<std::int16_t> TextToInt16(const std::string& text) override {
    std::int16_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
  }
  std::optional<float> InvariantTextToSingle(const std::string& text) override {
    try {
      std::size_t used = 0;
      const float value = std::stof(text, &used);
      if (used != text.size()) return std::nullopt;
      return value;
    } catch (const std::exception&) {
      return std::nullopt;
    }
  }
  std::optional<double> TextToDouble(const std::string& text) override {
    try {
      std::size_t used = 0;
      const double value = std::stod(text, &used);
      if (used != text.size()) return std::nullopt;
      return value;
    } catch (const std::exception&) {
      return std::nullopt;
    }
  }
  std::string SingleToText(float value) override {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
  }
  std::string now = "3/5/2024 2:07:09 PM";
};

// Files appended to, by path; nothing can be written when readOnly. The
// tests' folders are ASCII.
class FakeFiles final : public FileApi {
 public:
  std::wstring PathBesideExe(const std::string& fileName) override {
    const std::string path = exeDir + "\\" + fileName;
    return {path.begin(), path.end()};
  }
  bool AppendBesideExe(const std::string& fileName, const std::string& bytes) override {
    if (readOnly) return false;
    files[exeDir + "\\" + fileName] += bytes;
    return true;
  }
  std::string exeDir = "C:\\Tools";
  bool readOnly = false;
  std::map<std::string, std::string> files;
};

class FakeLibrary final : public LibraryApi {
 public:
  Module Load(const std::string& name) override {
    events.push_back("load " + name);
    return loadResult;
  }
  void Free(Module module) override { events.push_back("free " + std::to_string(module)); }
  Module loadResult = 0x1000;
  std::vector<std::string> events;
};

}  // namespace pelterwyn::fakes
