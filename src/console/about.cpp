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

std::string AboutText(const std::string& version, int pointerBits,
                      const std::string& traceLogPath) {
  return "Pelterwyn " + version + "\r\n" + std::to_string(pointerBits) + "-bit build\r\n\r\n" +
         "Trace log:\r\n" + traceLogPath + "\r\n\r\n" +
         "The CDO library (MAPI.Session) is 32-bit only and loads into the process that uses "
         "it, so only the 32-bit build of Pelterwyn can use it.";
}

}  // namespace pelterwyn
