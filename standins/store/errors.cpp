#include "store/errors.h"

#include <cstdio>
#include <utility>

namespace standin::errors {

std::string Name(std::int32_t number) {
  static constexpr std::pair<std::uint32_t, const char*> kNames[] = {
      {0x80004005u, "MAPI_E_CALL_FAILED"},      {0x80040102u, "MAPI_E_NO_SUPPORT"},
      {0x80040108u, "MAPI_E_INVALID_OBJECT"},   {0x8004010Fu, "MAPI_E_NOT_FOUND"},
      {0x80040111u, "MAPI_E_LOGON_FAILED"},     {0x80040113u, "MAPI_E_USER_CANCEL"},
      {0x80040115u, "MAPI_E_NETWORK_ERROR"},    {0x80040116u, "MAPI_E_DISK_ERROR"},
      {0x80040605u, "MAPI_E_NOT_INITIALIZED"},  {0x80040700u, "MAPI_E_AMBIGUOUS_RECIP"},
      {0x80070005u, "E_ACCESSDENIED"},          {0x8007000Eu, "MAPI_E_NOT_ENOUGH_MEMORY"},
      {0x80070057u, "MAPI_E_INVALID_PARAMETER"}};
  for (const auto& [value, name] : kNames) {
    if (value == static_cast<std::uint32_t>(number)) return name;
  }
  return "";
}

std::string Tag(std::int32_t number) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(static_cast<std::uint32_t>(number)));
  const std::string name = Name(number);
  return (name.empty() ? std::string("E_UNKNOWN") : name) + "(" + hex + ")";
}

std::string Describe(const std::string& source, std::int32_t number) {
  return "[" + source + " - [" + Tag(number) + "]]";
}

}  // namespace standin::errors
