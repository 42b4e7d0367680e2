#include "store/journal_line.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <utility>

namespace standin::journal {
namespace {

using Field = std::pair<std::string, std::string>;

// The names of the VARTYPEs 0 to 23; 15 has none.
constexpr std::string_view kTypeNames[] = {
    "VT_EMPTY",   "VT_NULL", "VT_I2",       "VT_I4",    "VT_R4",   "VT_R8",      "VT_CY",
    "VT_DATE",    "VT_BSTR", "VT_DISPATCH", "VT_ERROR", "VT_BOOL", "VT_VARIANT", "VT_UNKNOWN",
    "VT_DECIMAL", "",        "VT_I1",       "VT_UI1",   "VT_UI2",  "VT_UI4",     "VT_I8",
    "VT_UI8",     "VT_INT",  "VT_UINT"};
constexpr const char* kEvents[] = {"created", "call", "released"};
// The characters a value names after its backslash, and their names.
constexpr std::string_view kNamed = "\\\t\r\n";
constexpr std::string_view kNames = "\\trn";
constexpr std::uint16_t kVtError = 10;
constexpr std::int32_t kParamNotFound =
    static_cast<std::int32_t>(0x80020004);  // DISP_E_PARAMNOTFOUND

std::string Hex(unsigned char c) {
  char buffer[5];
  std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
  return buffer;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::vector<std::string_view> Split(std::string_view s, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const auto end = s.find(separator, start);
    parts.push_back(s.substr(start, end == std::string_view::npos ? s.npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::uint16_t BaseType(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kTypeNames); ++i) {
    if (!kTypeNames[i].empty() && kTypeNames[i] == name) return static_cast<std::uint16_t>(i);
  }
  std::uint16_t number = kVtIllegal;
  if (name.starts_with("VT_")) std::from_chars(name.data() + 3, name.data() + name.size(), number);
  return number;
}

long Number(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }

}  // namespace

std::string Escape(std::string_view value) {
  std::string out;
  for (char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (const auto named = kNamed.find(ch); named != std::string_view::npos) {
      out += '\\';
      out += kNames[named];
    } else {
      out += c < 0x20 || c == 0x7F ? Hex(c) : std::string(1, ch);
    }
  }
  return out;
}

std::string Unescape(std::string_view value) {
  std::string out;
  const auto digit = [&](std::size_t at) { return at < value.size() ? HexDigit(value[at]) : -1; };
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char next = i + 1 < value.size() && value[i] == '\\' ? value[++i] : '\0';
    if (next == '\0') {
      out += value[i];
    } else if (const auto named = kNames.find(next); named != std::string_view::npos) {
      out += kNamed[named];
    } else if (next == 'x' && digit(i + 1) >= 0 && digit(i + 2) >= 0) {
      out += static_cast<char>(digit(i + 1) * 16 + digit(i + 2));
      i += 2;
    } else {
      out += next;
    }
  }
  return out;
}

std::string EscapeElement(std::string_view value) {
  std::string out;
  for (char ch : value) {
    if (ch == ',' || ch == '[' || ch == ']' || ch == '\\') {
      out += Hex(static_cast<unsigned char>(ch));
    } else {
      out += ch;
    }
  }
  return out;
}

std::string TypeText(std::uint16_t vt) {
  std::string text = (vt & kVtArray) ? "VT_ARRAY|" : "";
  const std::uint16_t base = vt & kVtTypeMask;
  if (base < std::size(kTypeNames) && !kTypeNames[base].empty()) {
    text += kTypeNames[base];
  } else {
    text += "VT_" + std::to_string(base);
  }
  return (vt & kVtByRef) ? text + "|VT_BYREF" : text;
}

bool Value::Omitted() const { return Base() == kVtError && Number(text) == kParamNotFound; }

std::vector<Value> Value::Elements() const {
  std::vector<Value> elements;
  if (text.size() < 2 || text.front() != '[' || text.back() != ']' || text == "[]") {
    return elements;
  }
  for (std::string_view part : Split(std::string_view(text).substr(1, text.size() - 2), ',')) {
    elements.push_back(ParseValue(Unescape(part)));
  }
  return elements;
}

std::string Format(const Value& value) { return value.type + ":" + value.text; }

Value ParseValue(std::string_view written) {
  const auto colon = written.find(':');
  Value v{std::string(written.substr(0, colon)), 0,
          colon == std::string_view::npos ? "" : std::string(written.substr(colon + 1))};
  for (std::string_view part : Split(v.type, '|')) {
    if (part == "VT_BYREF") {
      v.vt |= kVtByRef;
    } else if (part == "VT_ARRAY") {
      v.vt |= kVtArray;
    } else {
      v.vt |= BaseType(part);
    }
  }
  return v;
}

std::string Line(const Event& e) {
  std::vector<Field> fields = {{"pid", std::to_string(e.pid)}, {"obj", e.object}};
  if (e.kind == Event::Kind::Call) {
    fields.insert(fields.end(), {{"member", e.member},
                                 {"dispid", std::to_string(e.dispid)},
                                 {"by", e.byName ? "name" : "dispid"},
                                 {"flags", e.flags}});
    if (e.IsInvocation()) {
      std::string named;
      for (long id : e.named) named += (named.empty() ? "" : ",") + std::to_string(id);
      fields.insert(fields.end(), {{"argc", std::to_string(e.argc)}, {"named", named}});
      for (std::size_t i = 0; i < e.args.size(); ++i) {
        fields.emplace_back("arg" + std::to_string(i), Format(e.args[i]));
      }
    } else if (!e.names.empty()) {
      fields.emplace_back("names", e.names);
    }
    fields.emplace_back("result", e.ok ? "ok" : "error");
    if (e.ok) {
      fields.emplace_back("ret", Format(e.result));
    } else {
      fields.insert(fields.end(), {{"error", std::to_string(e.error)}, {"desc", e.description}});
    }
  }
  std::string line = kEvents[static_cast<int>(e.kind)];
  for (const auto& [key, value] : fields) line += "\t" + key + "=" + Escape(value);
  return line + "\r\n";
}

std::optional<Event> Parse(std::string_view line) {
  const std::vector<std::string_view> parts = Split(line, '\t');
  Event e;
  e.line = line;
  const auto word = std::find(std::begin(kEvents), std::end(kEvents), parts[0]);
  if (word == std::end(kEvents)) return std::nullopt;
  e.kind = static_cast<Event::Kind>(word - std::begin(kEvents));
  std::map<std::string, std::string, std::less<>> fields;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const auto eq = parts[i].find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    fields[std::string(parts[i].substr(0, eq))] = Unescape(parts[i].substr(eq + 1));
  }
  if (!fields.contains("pid") || !fields.contains("obj")) return std::nullopt;
  e.pid = std::strtoul(fields["pid"].c_str(), nullptr, 10);
  e.object = fields["obj"];
  e.type = e.object.substr(0, e.object.find('#'));
  if (e.kind != Event::Kind::Call) return e;
  if (!fields.contains("member") || !fields.contains("result")) return std::nullopt;
  e.member = fields["member"];
  e.dispid = Number(fields["dispid"]);
  e.byName = fields["by"] == "name";
  e.flags = fields["flags"];
  e.names = fields["names"];
  e.argc = std::strtoul(fields["argc"].c_str(), nullptr, 10);
  for (std::string_view id : Split(fields["named"], ',')) {
    if (!id.empty()) e.named.push_back(Number(std::string(id)));
  }
  for (int i = 0; fields.contains("arg" + std::to_string(i)); ++i) {
    e.args.push_back(ParseValue(fields["arg" + std::to_string(i)]));
  }
  e.ok = fields["result"] == "ok";
  if (e.ok) {
    e.result = ParseValue(fields["ret"]);
  } else {
    e.error = Number(fields["error"]);
    e.description = fields["desc"];
  }
  return e;
}

}  // namespace standin::journal
