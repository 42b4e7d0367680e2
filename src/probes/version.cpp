// Placeholder until the version probes land.
#include "probes/version.h"

namespace pelterwyn {
std::string GetFileVersion(VersionApi&, const std::string&) { return {}; }
std::string GetPathFromProgID(RegistryApi&, const std::string&) { return {}; }
std::string GetCdoPath(RegistryApi&) { return {}; }
std::string GetCdoVersion(RegistryApi&, VersionApi&) { return {}; }
std::string GetMapiInCdoPath(RegistryApi&, VersionApi&) { return {}; }
std::string ReplaceNoCase(const std::string& text, const std::string&, const std::string&) {
  return text;
}
}  // namespace pelterwyn
