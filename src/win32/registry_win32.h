#pragma once

#include "platform/services.h"

namespace pelterwyn::win32 {

// RegOpenKeyA / RegQueryValueExA / RegCloseKey, in the registry view of this
// build's own bitness.
class Win32Registry final : public RegistryApi {
 public:
  long OpenKey(std::uint32_t root, const std::string& subKey, Key* key) override;
  long OpenKey32(std::uint32_t root, const std::string& subKey, Key* key) override;
  long QueryValue(Key key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override;
  void CloseKey(Key key) override;
};

}  // namespace pelterwyn::win32
