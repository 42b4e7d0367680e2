#pragma once

#include <cstdint>
#include <string>

#include "tests/error_state.h"

namespace pelterwyn {

// Plain decimal with a minus sign for negatives, as error numbers are shown.
inline std::string Decimal(std::int64_t n) { return std::to_string(n); }

// "number description", the way the logon tests report a pending error.
inline std::string NumberAndDescription(const ErrorState& err, const char* separator = " ") {
  return Decimal(err.Number()) + separator + err.Description();
}

}  // namespace pelterwyn
