// Placeholder until the registry reader lands.
#include "win32/registry_win32.h"

namespace pelterwyn::win32 {
long Win32Registry::OpenKey(std::uint32_t, const std::string&, Key*) { return kErrorFileNotFound; }
long Win32Registry::QueryValue(Key, const std::string&, std::uint32_t*, std::uint8_t*,
                               std::uint32_t*) {
  return kErrorFileNotFound;
}
void Win32Registry::CloseKey(Key) {}
}  // namespace pelterwyn::win32
