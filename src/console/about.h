#pragma once

#include <string>

// The text of the About box.
namespace pelterwyn {

// Major, minor as at least two digits, revision as at least four: "1.00.0007".
std::string VersionText(unsigned major, unsigned minor, unsigned revision);

// In UTF-16: the trace log's path is the system's, which the code page may not hold.
std::wstring AboutText(const std::wstring& version, int pointerBits,
                       const std::wstring& traceLogPath);

}  // namespace pelterwyn
