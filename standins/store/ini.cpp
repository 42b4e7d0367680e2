#include "store/ini.h"

#include <algorithm>

#include "store/ascii.h"
#include "store/files.h"

namespace standin::store {

IniFile IniFile::Parse(std::string_view content) {
  IniFile ini;
  if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);  // a byte order mark
  std::string section;
  int number = 0;
  for (std::size_t start = 0; start < content.size();) {
    const auto end = std::min(content.find('\n', start), content.size());
    const std::string_view line = ascii::Trim(content.substr(start, end - start));
    start = end + 1;
    ++number;
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = ascii::Trim(line.substr(1, line.size() - 2));
      ini.sections_.push_back({section, "", number});
      continue;
    }
    const auto eq = line.find('=');
    if (line.front() == '[' || eq == std::string_view::npos || eq == 0) {
      ini.malformed_.push_back(number);
      continue;
    }
    ini.entries_.push_back({section,
                            {std::string(ascii::Trim(line.substr(0, eq))),
                             std::string(ascii::Trim(line.substr(eq + 1))), number}});
  }
  return ini;
}

std::optional<IniFile> IniFile::Load(const std::filesystem::path& file) {
  auto content = ReadFileUpTo(file, kMaxBytes);
  if (!content) return std::nullopt;
  return Parse(*content);
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  std::optional<std::string> found;
  for (const Entry& e : Entries(section)) {
    if (ascii::EqualsNoCase(e.key, key)) found = e.value;
  }
  return found;
}

std::vector<IniFile::Entry> IniFile::Entries(std::string_view section) const {
  std::vector<Entry> entries;
  for (const auto& [name, entry] : entries_) {
    if (ascii::EqualsNoCase(name, section)) entries.push_back(entry);
  }
  return entries;
}

}  // namespace standin::store
