#include "store/errors.h"

#include <cstdio>

namespace standin::errors {

std::string Name(std::int32_t number) {
  switch (static_cast<std::uint32_t>(number)) {
    case 0x80004005u:
      return "MAPI_E_CALL_FAILED";
    case 0x80040102u:
      return "MAPI_E_NO_SUPPORT";
    case 0x80040108u:
      return "MAPI_E_INVALID_OBJECT";
    case 0x8004010Fu:
      return "MAPI_E_NOT_FOUND";
    case 0x80040111u:
      return "MAPI_E_LOGON_FAILED";
    case 0x80040113u:
      return "MAPI_E_USER_CANCEL";
    case 0x80040115u:
      return "MAPI_E_NETWORK_ERROR";
    case 0x80040116u:
      return "MAPI_E_DISK_ERROR";
    case 0x80040605u:
      return "MAPI_E_NOT_INITIALIZED";
    case 0x80040700u:
      return "MAPI_E_AMBIGUOUS_RECIP";
    case 0x80070005u:
      return "E_ACCESSDENIED";
    case 0x8007000Eu:
      return "MAPI_E_NOT_ENOUGH_MEMORY";
    case 0x80070057u:
      return "MAPI_E_INVALID_PARAMETER";
    default:
      return "";
  }
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
