#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin::store {

// An ini file that a person edits by hand, as the stand-ins read it:
// "[section]" headers, "key = value" lines, whole-line comments starting with
// ";" or "#". Section and key names compare without regard to case; the last
// of duplicate keys wins.
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
  const std::vector<Entry>& Sections() const { return sections_; }
  // Lines that are neither blank, comment, section header nor "key = value".
  const std::vector<int>& MalformedLines() const { return malformed_; }

 private:
  std::vector<Entry> sections_;
  std::vector<std::pair<std::string, Entry>> entries_;  // with their section's name
  std::vector<int> malformed_;
};

}  // namespace standin::store
