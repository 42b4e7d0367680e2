#pragma once

#include <string>

#include "platform/services.h"

// Which file is registered for a COM class: by ProgID, and CDO's own.
namespace pelterwyn {

inline constexpr const char* kCdoInprocServerKey =
    "CLSID\\{3FA7DEB3-6438-101B-ACC1-00AA00423326}\\InprocServer32";

std::string GetPathFromProgID(RegistryApi& registry, const std::string& strProgID);
std::string GetCdoPath(RegistryApi& registry);
std::string GetCdoVersion(RegistryApi& registry, VersionApi& versions);
std::string GetMapiInCdoPath(RegistryApi& registry, VersionApi& versions);
// True when MAPI.Session has an in-process server only where 32-bit programs
// look: a 64-bit build cannot load it, a 32-bit build never sees a difference.
bool IsCdoRegisteredFor32BitOnly(RegistryApi& registry);

}  // namespace pelterwyn
