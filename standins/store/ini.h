#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin::store {

// An ini file that a person edits by hand: "[section]" headers, "key = value"
// lines, whole-line comments starting with ";" or "#". Section and key names
// compare without regard to case; the last of duplicate keys wins. Edits keep
// every other line (comments included) as it was.
class IniFile {
 public:
  struct Entry {
    std::string key;
    std::string value;
    int line = 0;  // 1-based, for messages about the file
  };

  // A file written by hand is small: a larger one is not read at all.
  static constexpr std::size_t kMaxBytes = 1 << 20;

  static IniFile Parse(std::string_view text);
  // nullopt when the file does not exist, cannot be read, or is larger than kMaxBytes.
  static std::optional<IniFile> Load(const std::filesystem::path& file);

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Entries of every section of that name, in file order.
  std::vector<Entry> Entries(std::string_view section) const;
  // Section names with the line of their header, in file order.
  std::vector<Entry> Sections() const;
  // Lines that are neither blank, comment, section header nor "key = value".
  std::vector<int> MalformedLines() const;

  void Set(std::string_view section, std::string_view key, std::string_view value);
  void Remove(std::string_view section, std::string_view key);

  std::string Text() const;
  // Written atomically (a temporary file renamed over the target).
  bool Save(const std::filesystem::path& file) const;

 private:
  std::vector<std::string> lines_;
  bool byteOrderMark_ = false;  // written back as it was read
};

}  // namespace standin::store
