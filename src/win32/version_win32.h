#pragma once

#include "platform/services.h"

namespace pelterwyn::win32 {

// GetFileVersionInfoSizeA / GetFileVersionInfoA / VerQueryValueA.
class Win32Versions final : public VersionApi {
 public:
  std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string& fileName) override;
};

}  // namespace pelterwyn::win32
