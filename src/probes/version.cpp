#include "probes/version.h"

#include "probes/registry.h"

namespace pelterwyn {

std::string GetFileVersion(VersionApi& versions, const std::string& fileName) {
  const auto fixed = versions.ReadFixedFileVersion(fileName);
  if (!fixed) return {};
  const auto ms = static_cast<std::int32_t>(fixed->fileVersionMS);
  const auto ls = static_cast<std::int32_t>(fixed->fileVersionLS);
  return std::to_string(GetHighWord(ms)) + "." + std::to_string(GetLowWord(ms)) + "." +
         std::to_string(GetHighWord(ls)) + "." + std::to_string(GetLowWord(ls));
}

}  // namespace pelterwyn
