#pragma once

#include <optional>
#include <vector>

#include "platform/services.h"

namespace pelterwyn::win32 {

// GetFileVersionInfoSizeA / GetFileVersionInfoA / VerQueryValueA, from
// System32's version.dll.
class Win32Versions final : public VersionApi {
 public:
  std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string& fileName) override;
};

// The fixed file version of a version block: GetFileVersionInfoA's, or a
// version resource copied out of a module (VerQueryValueA needs a copy it may
// write to). nullopt when the root block cannot be read.
std::optional<FixedFileVersion> FixedVersionOfBlock(std::vector<unsigned char>& block);

}  // namespace pelterwyn::win32
