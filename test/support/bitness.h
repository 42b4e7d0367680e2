#pragma once

#include <gtest/gtest.h>

// Which build this is. Each preset builds the tests in its own bitness, and
// they drive the Pelterwyn.exe of the same build.
namespace pelterwyn::testing {

inline constexpr bool k64Bit = sizeof(void*) == 8;
inline constexpr int kBits = k64Bit ? 64 : 32;
inline constexpr const char* kBitness = k64Bit ? "64-bit" : "32-bit";

}  // namespace pelterwyn::testing

// Skips a case that is about the other build only, saying why:
//   PELTERWYN_ONLY_FOR(32, "CDO loads into 32-bit processes only");
#define PELTERWYN_ONLY_FOR(bits, why)                               \
  if (::pelterwyn::testing::kBits != (bits))                        \
  GTEST_SKIP() << "a case of the " #bits "-bit build, this is the " \
               << ::pelterwyn::testing::kBitness << " one: " << why
