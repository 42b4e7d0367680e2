#include "store/ini.h"

#include "store/files.h"
#include "store/text.h"

namespace standin::store {
namespace {

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

enum class LineKind { Blank, Comment, Section, Entry, Malformed };

struct ParsedLine {
  LineKind kind = LineKind::Blank;
  std::string name;  // section or key
  std::string value;
};

ParsedLine ParseLine(std::string_view raw) {
  const std::string_view line = text::Trim(raw);
  if (line.empty()) return {};
  if (line.front() == ';' || line.front() == '#') return {LineKind::Comment, {}, {}};
  if (line.front() == '[') {
    if (line.back() != ']') return {LineKind::Malformed, {}, {}};
    return {LineKind::Section, std::string(text::Trim(line.substr(1, line.size() - 2))), {}};
  }
  const auto eq = line.find('=');
  if (eq == std::string_view::npos || eq == 0) return {LineKind::Malformed, {}, {}};
  return {LineKind::Entry, std::string(text::Trim(line.substr(0, eq))),
          std::string(text::Trim(line.substr(eq + 1)))};
}

}  // namespace

IniFile IniFile::Parse(std::string_view content) {
  IniFile ini;
  if (content.substr(0, 3) == kByteOrderMark) {
    content.remove_prefix(3);
    ini.byteOrderMark_ = true;
  }
  std::size_t start = 0;
  while (start <= content.size()) {
    const auto end = content.find('\n', start);
    std::string_view line =
        content.substr(start, end == std::string_view::npos ? content.npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (end == std::string_view::npos && line.empty()) break;
    ini.lines_.emplace_back(line);
    if (end == std::string_view::npos) break;
    start = end + 1;
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
    if (text::EqualsNoCase(e.key, key)) found = e.value;
  }
  return found;
}

std::vector<IniFile::Entry> IniFile::Entries(std::string_view section) const {
  std::vector<Entry> entries;
  bool inside = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const ParsedLine p = ParseLine(lines_[i]);
    if (p.kind == LineKind::Section) inside = text::EqualsNoCase(p.name, section);
    if (inside && p.kind == LineKind::Entry) {
      entries.push_back({p.name, p.value, static_cast<int>(i + 1)});
    }
  }
  return entries;
}

std::vector<IniFile::Entry> IniFile::Sections() const {
  std::vector<Entry> sections;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const ParsedLine p = ParseLine(lines_[i]);
    if (p.kind == LineKind::Section) sections.push_back({p.name, "", static_cast<int>(i + 1)});
  }
  return sections;
}

std::vector<int> IniFile::MalformedLines() const {
  std::vector<int> bad;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (ParseLine(lines_[i]).kind == LineKind::Malformed) bad.push_back(static_cast<int>(i + 1));
  }
  return bad;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string entry = std::string(key) + " = " + std::string(value);
  bool inside = false;
  std::optional<std::size_t> lastInSection;
  std::optional<std::size_t> existing;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const ParsedLine p = ParseLine(lines_[i]);
    if (p.kind == LineKind::Section) {
      inside = text::EqualsNoCase(p.name, section);
      if (inside) lastInSection = i;
    } else if (inside && p.kind == LineKind::Entry) {
      lastInSection = i;
      if (text::EqualsNoCase(p.name, key)) existing = i;
    }
  }
  if (existing) {
    lines_[*existing] = entry;
  } else if (lastInSection) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*lastInSection + 1), entry);
  } else {
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(entry);
  }
}

void IniFile::Remove(std::string_view section, std::string_view key) {
  bool inside = false;
  for (std::size_t i = 0; i < lines_.size();) {
    const ParsedLine p = ParseLine(lines_[i]);
    if (p.kind == LineKind::Section) inside = text::EqualsNoCase(p.name, section);
    if (inside && p.kind == LineKind::Entry && text::EqualsNoCase(p.name, key)) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

std::string IniFile::Text() const {
  std::string out = byteOrderMark_ ? kByteOrderMark : "";
  for (const std::string& line : lines_) out += line + "\r\n";
  return out;
}

bool IniFile::Save(const std::filesystem::path& file) const {
  return WriteFileAtomically(file, Text());
}

}  // namespace standin::store
