#pragma once

#include <cstdint>

namespace pelterwyn {

// The errors the automation runtime raises itself, not the libraries it calls,
// with its own texts.
struct RuntimeError {
  std::int32_t number;
  const char* text;
};

inline constexpr RuntimeError kErrOverflow{6, "Overflow"};
inline constexpr RuntimeError kErrSubscript{9, "Subscript out of range"};
inline constexpr RuntimeError kErrTypeMismatch{13, "Type mismatch"};
// A member called on no object.
inline constexpr RuntimeError kErrObjectNotSet{91,
                                               "Object variable or With block variable not set"};
inline constexpr RuntimeError kErrObjectRequired{424, "Object required"};

}  // namespace pelterwyn
