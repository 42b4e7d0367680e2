#pragma once

#include <cstdint>
#include <string>

#include "tests/error_state.h"

namespace pelterwyn {

inline constexpr const char* kCrLf = "\r\n";

// Plain decimal with a minus sign for negatives, as error numbers are shown.
inline std::string Decimal(std::int64_t n) { return std::to_string(n); }

// Whether find occurs in text, compared without regard to ASCII case.
bool ContainsNoCase(const std::string& text, const std::string& find);
bool StartsWithNoCase(const std::string& text, const std::string& prefix);

// "number description", the way the logon tests report a pending error.
inline std::string NumberAndDescription(const ErrorState& err, const char* separator = " ") {
  return Decimal(err.Number()) + separator + err.Description();
}

}  // namespace pelterwyn
