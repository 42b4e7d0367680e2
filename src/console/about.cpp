#include "console/about.h"

namespace pelterwyn {

namespace {
std::string ZeroPadded(unsigned value, std::size_t digits) {
  std::string text = std::to_string(value);
  if (text.size() < digits) text.insert(0, digits - text.size(), '0');
  return text;
}
}  // namespace

std::string VersionText(unsigned major, unsigned minor, unsigned revision) {
  return std::to_string(major) + "." + ZeroPadded(minor, 2) + "." + ZeroPadded(revision, 4);
}

std::wstring AboutText(const std::wstring& version, int pointerBits,
                       const std::wstring& traceLogPath) {
  return L"Pelterwyn " + version + L"\r\n" + std::to_wstring(pointerBits) + L"-bit build\r\n\r\n" +
         L"Trace log:\r\n" + traceLogPath + L"\r\n\r\n" +
         L"The CDO library (MAPI.Session) is 32-bit only and loads into the process that uses "
         L"it, so only the 32-bit build of Pelterwyn can use it.";
}

}  // namespace pelterwyn
