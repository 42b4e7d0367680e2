#pragma once

#include <string>

#include "platform/services.h"

// basVersion: the file version query.
namespace pelterwyn {

// "major.minor.build.revision" from the fixed file info, or "".
std::string GetFileVersion(VersionApi& versions, const std::string& fileName);

}  // namespace pelterwyn
