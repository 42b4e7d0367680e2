// Placeholder until the version query lands.
#include "win32/version_win32.h"

namespace pelterwyn::win32 {
std::optional<FixedFileVersion> Win32Versions::ReadFixedFileVersion(const std::string&) {
  return std::nullopt;
}
}  // namespace pelterwyn::win32
