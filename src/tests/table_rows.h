#pragma once

#include <cstdint>

#include "tests/mail.h"

namespace pelterwyn {

// Calls of GetRows after the first, at most: one row per call over the
// largest 16-bit row count, and the empty result that ends it.
inline constexpr std::int32_t kMaxGetRowsCallsInLoop = 32768;

// The block read of the GetRows test: asks for rowCount rows, and while a
// short answer is followed by more, for the remainder, until the table gives
// an empty result. Returns the 16-bit total.
std::int16_t ReadInBlocks(mail::MapiTable* table, std::int16_t rowCount, ErrorState& err);

}  // namespace pelterwyn
