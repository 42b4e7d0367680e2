#include "probes/com_server.h"

#include "probes/registry.h"
#include "probes/version.h"
#include "text/text.h"

namespace pelterwyn {

namespace {

std::string TextOf(RegistryApi& registry, std::uint32_t root, const std::string& subKey) {
  return ToText(GetRegValue(registry, root, subKey, ""));
}

}  // namespace

std::string GetPathFromProgID(RegistryApi& registry, const std::string& strProgID) {
  const std::string clsid =
      TextOf(registry, kHkeyLocalMachine, "Software\\Classes\\" + strProgID + "\\CLSID");
  std::string path = TextOf(registry, kHkeyClassesRoot, "CLSID\\" + clsid + "\\LocalServer32");
  if (path.empty())
    path = TextOf(registry, kHkeyClassesRoot, "CLSID\\" + clsid + "\\InProcServer32");
  // A switch after the server's path is no part of the file name.
  if (const auto slash = path.find('/'); slash != std::string::npos) path.resize(slash);
  return path;
}

std::string GetCdoPath(RegistryApi& registry) {
  return TextOf(registry, kHkeyClassesRoot, kCdoInprocServerKey);
}

std::string GetCdoVersion(RegistryApi& registry, VersionApi& versions) {
  const std::string path = GetCdoPath(registry);
  if (path.empty()) return {};
  return GetFileVersion(versions, path);
}

std::string GetMapiInCdoPath(RegistryApi& registry, VersionApi& versions) {
  const std::string path = GetCdoPath(registry);
  if (path.empty()) return {};
  return GetFileVersion(versions, ReplaceNoCase(path, "cdo.dll", "mapi32.dll"));
}

bool IsCdoRegisteredFor32BitOnly(RegistryApi& registry) {
  // ProgIDs are shared by both views since Windows 7; before, 32-bit ones had their own.
  constexpr const char* kProgIdKey = "Software\\Classes\\MAPI.Session\\CLSID";
  std::string clsid = ToText(GetRegValue(registry, kHkeyLocalMachine, kProgIdKey, ""));
  if (clsid.empty()) clsid = ToText(GetRegValue32(registry, kHkeyLocalMachine, kProgIdKey, ""));
  if (clsid.empty()) return false;
  const std::string server = "Software\\Classes\\CLSID\\" + clsid + "\\InprocServer32";
  return ToText(GetRegValue(registry, kHkeyLocalMachine, server, "")).empty() &&
         !ToText(GetRegValue32(registry, kHkeyLocalMachine, server, "")).empty();
}

}  // namespace pelterwyn
