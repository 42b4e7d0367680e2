#include "support/journal.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <map>

#include "support/files.h"

namespace pelterwyn::testing {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 >= s.size()) {
      out += s[i];
      continue;
    }
    const char c = s[++i];
    if (c == 'n') {
      out += '\n';
    } else if (c == 'r') {
      out += '\r';
    } else if (c == 't') {
      out += '\t';
    } else if (c == 'x' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<std::string> Split(std::string_view s, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const auto end = s.find(sep, start);
    parts.emplace_back(s.substr(start, end == std::string_view::npos ? s.npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

VARTYPE BaseType(std::string_view name) {
  static const std::map<std::string, VARTYPE, std::less<>> types = {
      {"VT_EMPTY", VT_EMPTY},     {"VT_NULL", VT_NULL},
      {"VT_I2", VT_I2},           {"VT_I4", VT_I4},
      {"VT_R4", VT_R4},           {"VT_R8", VT_R8},
      {"VT_CY", VT_CY},           {"VT_DATE", VT_DATE},
      {"VT_BSTR", VT_BSTR},       {"VT_DISPATCH", VT_DISPATCH},
      {"VT_ERROR", VT_ERROR},     {"VT_BOOL", VT_BOOL},
      {"VT_VARIANT", VT_VARIANT}, {"VT_UNKNOWN", VT_UNKNOWN},
      {"VT_DECIMAL", VT_DECIMAL}, {"VT_I1", VT_I1},
      {"VT_UI1", VT_UI1},         {"VT_UI2", VT_UI2},
      {"VT_UI4", VT_UI4},         {"VT_I8", VT_I8},
      {"VT_UI8", VT_UI8},         {"VT_INT", VT_INT},
      {"VT_UINT", VT_UINT}};
  if (auto it = types.find(name); it != types.end()) return it->second;
  if (name.substr(0, 3) == "VT_")
    return static_cast<VARTYPE>(std::atoi(std::string(name.substr(3)).c_str()));
  return VT_ILLEGAL;
}

// "TYPE:value" with TYPE like "VT_ARRAY|VT_VARIANT|VT_BYREF".
JournalValue ParseValue(std::string_view text) {
  JournalValue v;
  const auto colon = text.find(':');
  v.type = std::string(text.substr(0, colon));
  v.text = colon == std::string_view::npos ? "" : std::string(text.substr(colon + 1));
  v.vt = 0;
  for (const std::string& part : Split(v.type, '|')) {
    if (part == "VT_BYREF") {
      v.vt |= VT_BYREF;
    } else if (part == "VT_ARRAY") {
      v.vt |= VT_ARRAY;
    } else {
      v.vt |= BaseType(part);
    }
  }
  return v;
}

std::string TypeOf(const std::string& object) { return object.substr(0, object.find('#')); }

bool SameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

bool JournalValue::Omitted() const {
  return Base() == VT_ERROR &&
         std::strtol(text.c_str(), nullptr, 10) == static_cast<long>(DISP_E_PARAMNOTFOUND);
}

std::vector<JournalValue> JournalValue::Elements() const {
  std::vector<JournalValue> elements;
  if (text.size() < 2 || text.front() != '[' || text.back() != ']' || text == "[]") {
    return elements;
  }
  for (const std::string& part : Split(std::string_view(text).substr(1, text.size() - 2), ',')) {
    elements.push_back(ParseValue(Unescape(part)));
  }
  return elements;
}

bool JournalEvent::Is(std::string_view t, std::string_view m) const {
  return kind == Kind::Call && SameNoCase(type, t) && SameNoCase(member, m);
}

Journal Journal::Read(const std::string& windowsPath) { return Parse(ReadFileBytes(windowsPath)); }

Journal Journal::Parse(std::string_view text) {
  Journal journal;
  for (std::string line : Split(text, '\n')) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::vector<std::string> fields = Split(line, '\t');
    JournalEvent e;
    e.line = line;
    if (fields[0] == "created") {
      e.kind = JournalEvent::Kind::Created;
    } else if (fields[0] == "released") {
      e.kind = JournalEvent::Kind::Released;
    } else if (fields[0] == "call") {
      e.kind = JournalEvent::Kind::Call;
    } else {
      journal.malformed_.push_back(line);
      continue;
    }
    std::map<std::string, std::string> values;
    bool good = true;
    for (std::size_t i = 1; i < fields.size(); ++i) {
      const auto eq = fields[i].find('=');
      if (eq == std::string::npos) {
        good = false;
        break;
      }
      values[fields[i].substr(0, eq)] = Unescape(std::string_view(fields[i]).substr(eq + 1));
    }
    if (!good || !values.count("pid") || !values.count("obj")) {
      journal.malformed_.push_back(line);
      continue;
    }
    e.pid = std::strtoul(values["pid"].c_str(), nullptr, 10);
    e.object = values["obj"];
    e.type = TypeOf(e.object);
    if (e.kind == JournalEvent::Kind::Call) {
      if (!values.count("member") || !values.count("result")) {
        journal.malformed_.push_back(line);
        continue;
      }
      e.member = values["member"];
      e.dispid = std::strtol(values["dispid"].c_str(), nullptr, 10);
      e.byName = values["by"] == "name";
      e.flags = values["flags"];
      for (int i = 0; values.count("arg" + std::to_string(i)); ++i) {
        e.args.push_back(ParseValue(values["arg" + std::to_string(i)]));
      }
      if (!values["named"].empty()) {
        for (const std::string& id : Split(values["named"], ',')) {
          e.named.push_back(std::strtol(id.c_str(), nullptr, 10));
        }
      }
      e.ok = values["result"] == "ok";
      if (e.ok) {
        e.result = ParseValue(values["ret"]);
      } else {
        e.error = std::strtol(values["error"].c_str(), nullptr, 10);
        e.description = values["desc"];
      }
    }
    journal.events_.push_back(std::move(e));
  }
  return journal;
}

std::vector<JournalEvent> Journal::Where(
    const std::function<bool(const JournalEvent&)>& keep) const {
  std::vector<JournalEvent> kept;
  std::copy_if(events_.begin(), events_.end(), std::back_inserter(kept), keep);
  return kept;
}

std::vector<JournalEvent> Journal::Invocations() const {
  return Where([](const JournalEvent& e) { return e.IsInvocation(); });
}

std::vector<JournalEvent> Journal::Calls(std::string_view member) const {
  return Where(
      [&](const JournalEvent& e) { return e.IsInvocation() && SameNoCase(e.member, member); });
}

std::vector<JournalEvent> Journal::Calls(std::string_view type, std::string_view member) const {
  return Where([&](const JournalEvent& e) { return e.IsInvocation() && e.Is(type, member); });
}

int Journal::Count(std::string_view type, std::string_view member) const {
  return static_cast<int>(Calls(type, member).size());
}

int Journal::CountCreated(std::string_view type) const {
  return static_cast<int>(Where([&](const JournalEvent& e) {
                            return e.kind == JournalEvent::Kind::Created && e.type == type;
                          }).size());
}

std::vector<JournalEvent> Journal::FailedLookups() const {
  return Where([](const JournalEvent& e) {
    return e.kind == JournalEvent::Kind::Call && e.flags == "lookup";
  });
}

std::vector<std::string> Journal::Story() const {
  std::vector<std::string> story;
  for (const JournalEvent& e : events_) {
    if (e.kind == JournalEvent::Kind::Created) {
      story.push_back("created " + e.type);
    } else if (e.kind == JournalEvent::Kind::Released) {
      story.push_back("released " + e.type);
    } else if (e.IsInvocation()) {
      story.push_back(e.type + "." + e.member);
    }
  }
  return story;
}

std::vector<std::string> Journal::CallSequence() const {
  std::vector<std::string> sequence;
  for (const JournalEvent& e : Invocations()) sequence.push_back(e.type + "." + e.member);
  return sequence;
}

std::vector<std::string> Journal::Ids(JournalEvent::Kind kind) const {
  std::vector<std::string> ids;
  for (const JournalEvent& e : events_) {
    if (e.kind == kind) ids.push_back(std::to_string(e.pid) + ":" + e.object);
  }
  return ids;
}

std::vector<std::string> Journal::Unreleased() const {
  std::map<std::string, int> balance;
  for (const std::string& id : Created()) ++balance[id];
  for (const std::string& id : Released()) --balance[id];
  std::vector<std::string> open;
  for (const auto& [id, n] : balance) {
    if (n != 0) open.push_back(id);
  }
  return open;
}

bool Journal::AllReleased() const { return Unreleased().empty(); }

JournalMark::JournalMark(std::string windowsPath)
    : path_(std::move(windowsPath)), from_(ReadFileBytes(path_).size()) {}

Journal JournalMark::Take() const {
  const std::string text = ReadFileBytes(path_);
  return Journal::Parse(std::string_view(text).substr(std::min(from_, text.size())));
}

std::ptrdiff_t IndexOf(const std::vector<std::string>& story, std::string_view entry,
                       std::ptrdiff_t from) {
  const auto it = std::find(story.begin() + std::min<std::ptrdiff_t>(from, std::ssize(story)),
                            story.end(), entry);
  return it == story.end() ? -1 : it - story.begin();
}

std::ptrdiff_t LastIndexOf(const std::vector<std::string>& story, std::string_view entry) {
  const auto it = std::find(story.rbegin(), story.rend(), entry);
  return it == story.rend() ? -1 : std::distance(it, story.rend()) - 1;
}

}  // namespace pelterwyn::testing
