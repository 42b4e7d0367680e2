#include "win32/registry_win32.h"

#include <windows.h>

namespace pelterwyn::win32 {

namespace {

// The predefined keys are 32-bit values sign-extended to a handle:
// 0x80000002 is HKEY_LOCAL_MACHINE in both builds.
HKEY RootHandle(std::uint32_t root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

}  // namespace

long Win32Registry::OpenKey(std::uint32_t root, const std::string& subKey, Key* key) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyA(RootHandle(root), subKey.c_str(), &opened);
  if (status == ERROR_SUCCESS) *key = reinterpret_cast<Key>(opened);
  return status;
}

long Win32Registry::OpenKey32(std::uint32_t root, const std::string& subKey, Key* key) {
  HKEY opened = nullptr;
  const LONG status =
      RegOpenKeyExA(RootHandle(root), subKey.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &opened);
  if (status == ERROR_SUCCESS) *key = reinterpret_cast<Key>(opened);
  return status;
}

long Win32Registry::QueryValue(Key key, const std::string& valueName, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = *size;
  const LONG status = RegQueryValueExA(reinterpret_cast<HKEY>(key), valueName.c_str(), nullptr,
                                       &valueType, data, &valueSize);
  *type = valueType;
  *size = valueSize;
  return status;
}

void Win32Registry::CloseKey(Key key) {
  if (key != 0) RegCloseKey(reinterpret_cast<HKEY>(key));
}

}  // namespace pelterwyn::win32
