#pragma once

#include <cstdint>
#include <string>

// The error numbers of the mail world, as the real libraries report them
// (signed 32-bit HRESULTs).
namespace standin::errors {

inline constexpr std::int32_t kCallFailed = static_cast<std::int32_t>(0x80004005);  // E_FAIL
inline constexpr std::int32_t kNoSupport = static_cast<std::int32_t>(0x80040102);
inline constexpr std::int32_t kInvalidObject = static_cast<std::int32_t>(0x80040108);
inline constexpr std::int32_t kNotFound = static_cast<std::int32_t>(0x8004010F);
inline constexpr std::int32_t kLogonFailed = static_cast<std::int32_t>(0x80040111);
inline constexpr std::int32_t kNetworkError = static_cast<std::int32_t>(0x80040115);
inline constexpr std::int32_t kDiskError = static_cast<std::int32_t>(0x80040116);
inline constexpr std::int32_t kNotInitialized = static_cast<std::int32_t>(0x80040605);
inline constexpr std::int32_t kAmbiguousRecipient = static_cast<std::int32_t>(0x80040700);
inline constexpr std::int32_t kInvalidParameter = static_cast<std::int32_t>(0x80070057);
inline constexpr std::int32_t kNotEnoughMemory = static_cast<std::int32_t>(0x8007000E);

// "MAPI_E_LOGON_FAILED", or "" for a number without a known name.
std::string Name(std::int32_t number);

// "MAPI_E_LOGON_FAILED(80040111)": the name and the number in 8 hex digits.
std::string Tag(std::int32_t number);

// "[<source> - [MAPI_E_LOGON_FAILED(80040111)]]", the form CDO gives.
std::string Describe(const std::string& source, std::int32_t number);

}  // namespace standin::errors
