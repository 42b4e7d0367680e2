#pragma once

#include <string>

// The text of the About box.
namespace pelterwyn {

// Major, minor as at least two digits, revision as at least four: "1.00.0007".
std::string VersionText(unsigned major, unsigned minor, unsigned revision);

std::string AboutText(const std::string& version, int pointerBits, const std::string& traceLogPath);

}  // namespace pelterwyn
