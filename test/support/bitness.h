#pragma once

// Which build this is. Each preset builds the tests in its own bitness, and
// they drive the Pelterwyn.exe of the same build.
namespace pelterwyn::testing {

inline constexpr bool k64Bit = sizeof(void*) == 8;
inline constexpr const char* kBitness = k64Bit ? "64-bit" : "32-bit";

}  // namespace pelterwyn::testing
