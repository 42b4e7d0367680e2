#include "store/faults.h"

#include <algorithm>
#include <cstdlib>

#include "store/ascii.h"

namespace standin::store {
namespace {

std::string Where(int line) { return "faults.ini line " + std::to_string(line) + ": "; }

bool IsIdentifier(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  });
}

}  // namespace

std::optional<std::int64_t> ParseNumber(std::string_view s) {
  s = ascii::Trim(s);
  if (s.empty()) return std::nullopt;
  bool hex = false;
  if (ascii::StartsWithNoCase(s, "0x")) {
    hex = true;
    s.remove_prefix(2);
  } else if (ascii::Lower(s.back()) == 'h') {
    hex = true;
    s.remove_suffix(1);
  }
  if (s.empty() || s.size() > 20) return std::nullopt;
  const std::string digits(s);
  char* end = nullptr;
  if (hex) {
    const unsigned long long v = std::strtoull(digits.c_str(), &end, 16);
    if (*end != '\0' || digits.front() == '-' || digits.front() == '+' || v > 0xFFFFFFFFull) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
  }
  const long long v = std::strtoll(digits.c_str(), &end, 10);
  if (*end != '\0') return std::nullopt;
  return static_cast<std::int64_t>(v);
}

std::optional<bool> ParseFlag(std::string_view s) {
  s = ascii::Trim(s);
  for (const char* yes : {"yes", "true", "on", "1"}) {
    if (ascii::EqualsNoCase(s, yes)) return true;
  }
  for (const char* no : {"no", "false", "off", "0"}) {
    if (ascii::EqualsNoCase(s, no)) return false;
  }
  return std::nullopt;
}

Faults Faults::Parse(const IniFile& ini) {
  Faults faults;
  for (int line : ini.MalformedLines()) {
    faults.problems_.push_back(Where(line) + "not a [section] or key = value line");
  }

  for (const IniFile::Entry& s : ini.Sections()) {
    if (!ascii::EqualsNoCase(s.key, "faults") && !ascii::EqualsNoCase(s.key, "session") &&
        !ascii::EqualsNoCase(s.key, "table")) {
      faults.problems_.push_back(Where(s.line) + "unknown section [" + s.key + "]");
    }
  }

  for (const IniFile::Entry& e : ini.Entries("faults")) {
    // Key: Type.Member, optionally #n.
    std::string_view key = e.key;
    Rule rule;
    if (const auto hash = key.find('#'); hash != std::string_view::npos) {
      const auto n = ParseNumber(key.substr(hash + 1));
      if (!n || *n < 1 || *n > 1000000000) {
        faults.problems_.push_back(Where(e.line) + "call number after # must be 1 or more");
        continue;
      }
      rule.call = static_cast<int>(*n);
      key = key.substr(0, hash);
    }
    const auto dot = key.find('.');
    if (dot == std::string_view::npos || !IsIdentifier(key.substr(0, dot)) ||
        !IsIdentifier(key.substr(dot + 1))) {
      faults.problems_.push_back(Where(e.line) + "expected Object.Member, got '" + e.key + "'");
      continue;
    }
    rule.type = std::string(key.substr(0, dot));
    rule.member = std::string(key.substr(dot + 1));

    // Value: "nothing", or "fail|deferred <number> [description]".
    std::string_view value = ascii::Trim(e.value);
    const auto space = value.find_first_of(" \t");
    const std::string_view verb = value.substr(0, space);
    std::string_view rest =
        space == std::string_view::npos ? std::string_view() : ascii::Trim(value.substr(space));
    if (ascii::EqualsNoCase(verb, "nothing") && rest.empty()) {
      rule.fault.kind = Fault::Kind::Nothing;
    } else if (ascii::EqualsNoCase(verb, "fail") || ascii::EqualsNoCase(verb, "deferred")) {
      rule.fault.kind =
          ascii::EqualsNoCase(verb, "fail") ? Fault::Kind::Fail : Fault::Kind::DeferredFail;
      const auto numberEnd = rest.find_first_of(" \t");
      const auto number = ParseNumber(rest.substr(0, numberEnd));
      if (!number || *number == 0 || *number < INT32_MIN || *number > INT32_MAX) {
        faults.problems_.push_back(Where(e.line) + "expected a non-zero 32-bit error number");
        continue;
      }
      rule.fault.number = static_cast<std::int32_t>(*number);
      if (numberEnd != std::string_view::npos) {
        rule.fault.description = std::string(ascii::Trim(rest.substr(numberEnd)));
      }
    } else {
      faults.problems_.push_back(Where(e.line) + "expected 'fail <number> [description]', " +
                                 "'deferred <number> [description]' or 'nothing'");
      continue;
    }
    faults.rules_.push_back(std::move(rule));
  }

  for (const IniFile::Entry& e : ini.Entries("session")) {
    if (ascii::EqualsNoCase(e.key, "NameBeforeLogon")) {
      faults.session.nameBeforeLogon = e.value;
    } else if (ascii::EqualsNoCase(e.key, "LoggedOnAtStart")) {
      if (e.value.find('\\') == std::string::npos) {
        faults.problems_.push_back(Where(e.line) + "LoggedOnAtStart takes server\\mailbox");
      } else {
        faults.session.loggedOnAtStart = e.value;
      }
    } else {
      faults.problems_.push_back(Where(e.line) + "unknown [session] key '" + e.key + "'");
    }
  }

  for (const IniFile::Entry& e : ini.Entries("table")) {
    if (ascii::EqualsNoCase(e.key, "RowCount")) {
      const auto n = ParseNumber(e.value);
      if (!n || *n < INT32_MIN || *n > INT32_MAX) {
        faults.problems_.push_back(Where(e.line) + "RowCount takes a 32-bit number");
      } else {
        faults.table.rowCount = *n;
      }
    } else if (ascii::EqualsNoCase(e.key, "MaxRowsPerCall")) {
      const auto n = ParseNumber(e.value);
      if (!n || *n < 1 || *n > INT32_MAX) {
        faults.problems_.push_back(Where(e.line) + "MaxRowsPerCall takes a number of 1 or more");
      } else {
        faults.table.maxRowsPerCall = static_cast<int>(*n);
      }
    } else if (ascii::EqualsNoCase(e.key, "NeverEmpty")) {
      const auto flag = ParseFlag(e.value);
      if (!flag) {
        faults.problems_.push_back(Where(e.line) + "NeverEmpty takes yes or no");
      } else {
        faults.table.neverEmpty = *flag;
      }
    } else {
      faults.problems_.push_back(Where(e.line) + "unknown [table] key '" + e.key + "'");
    }
  }
  return faults;
}

Faults Faults::Load(const std::filesystem::path& root) {
  const std::filesystem::path file = root / "faults.ini";
  if (const auto ini = IniFile::Load(file)) return Parse(*ini);
  Faults faults;
  std::error_code ec;
  if (std::filesystem::exists(file, ec)) {
    faults.problems_.push_back("faults.ini cannot be read, or is larger than 1 MiB");
  }
  return faults;
}

const Fault* Faults::Find(std::string_view type, std::string_view member, int callNumber) const {
  const Fault* everyCall = nullptr;
  for (const Rule& rule : rules_) {
    if (!ascii::EqualsNoCase(rule.type, type) || !ascii::EqualsNoCase(rule.member, member))
      continue;
    if (rule.call == callNumber) return &rule.fault;
    if (rule.call == 0) everyCall = &rule.fault;
  }
  return everyCall;
}

}  // namespace standin::store
