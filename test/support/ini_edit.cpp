#include "support/ini_edit.h"

#include <algorithm>

#include "store/ascii.h"
#include "store/files.h"
#include "store/ini.h"

namespace pelterwyn::testing {

using standin::ascii::EqualsNoCase;
using standin::store::IniFile;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

IniEdit::IniEdit(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) {
    text.remove_prefix(kByteOrderMark.size());
    byteOrderMark_ = true;
  }
  // Line for line as IniFile numbers them.
  for (std::size_t start = 0; start < text.size();) {
    const auto end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines_.emplace_back(line);
    start = end + 1;
  }
}

IniEdit IniEdit::Load(const std::filesystem::path& file) {
  return IniEdit(standin::store::ReadFileUpTo(file, IniFile::kMaxBytes).value_or(""));
}

void IniEdit::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string entry = std::string(key) + " = " + std::string(value);
  const IniFile ini = IniFile::Parse(Text());
  int last = 0;  // the section's last line
  int existing = 0;
  for (const IniFile::Entry& s : ini.Sections()) {
    if (EqualsNoCase(s.key, section)) last = std::max(last, s.line);
  }
  for (const IniFile::Entry& e : ini.Entries(section)) {
    last = std::max(last, e.line);
    if (EqualsNoCase(e.key, key)) existing = e.line;
  }
  if (existing) {
    lines_[existing - 1] = entry;
  } else if (last) {
    lines_.insert(lines_.begin() + last, entry);
  } else {
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(entry);
  }
}

std::string IniEdit::Text() const {
  std::string out(byteOrderMark_ ? kByteOrderMark : "");
  for (const std::string& line : lines_) out += line + "\r\n";
  return out;
}

bool IniEdit::Save(const std::filesystem::path& file) const {
  return standin::store::WriteFileAtomically(file, Text());
}

}  // namespace pelterwyn::testing
