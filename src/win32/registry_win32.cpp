#include "win32/registry_win32.h"

#include <windows.h>

namespace pelterwyn::win32 {

namespace {

// The core's copies of the SDK's registry constants.
static_assert(kRegNone == REG_NONE && kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ &&
              kRegBinary == REG_BINARY && kRegDword == REG_DWORD && kRegMultiSz == REG_MULTI_SZ &&
              kRegQword == REG_QWORD);
static_assert(kErrorFileNotFound == ERROR_FILE_NOT_FOUND && kErrorMoreData == ERROR_MORE_DATA);

// The SDK's predefined keys are no constant expressions and cannot be checked
// like the constants above: the core's two roots are mapped to them by name.
HKEY RootHandle(std::uint32_t root) {
  switch (root) {
    case kHkeyClassesRoot:
      return HKEY_CLASSES_ROOT;
    case kHkeyLocalMachine:
      return HKEY_LOCAL_MACHINE;
    default:
      return nullptr;
  }
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

// The core's RegistryKey owns the key; it comes back here to be closed.
void Win32Registry::CloseKey(Key key) {
  if (key) RegCloseKey(reinterpret_cast<HKEY>(key));
}

}  // namespace pelterwyn::win32
