#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Edits an ini file of the stand-in store as a person would: a value is set
// in place or added to its section, and every other line, comments and a byte
// order mark included, stays as it was. The stand-ins read the result with
// standin::store::IniFile. Portable: the native store tests use it too.
namespace pelterwyn::testing {

class IniEdit {
 public:
  explicit IniEdit(std::string_view text = {});
  // An empty file when there is none.
  static IniEdit Load(const std::filesystem::path& file);

  void Set(std::string_view section, std::string_view key, std::string_view value);

  std::string Text() const;
  // Written atomically (a temporary file renamed over the target).
  bool Save(const std::filesystem::path& file) const;

 private:
  std::vector<std::string> lines_;
  bool byteOrderMark_ = false;  // written back as it was read
};

}  // namespace pelterwyn::testing
