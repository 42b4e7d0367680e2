#include "support/wine_paths.h"

#include <windows.h>

#include <algorithm>

namespace pelterwyn::testing {

bool OnWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string WinePath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string SourceDir() { return WinePath(PELTERWYN_SOURCE_DIR); }
std::string BinaryDir() { return WinePath(PELTERWYN_BINARY_DIR); }
std::string ExePath() { return BinaryDir() + "\\bin\\Pelterwyn.exe"; }
std::string FixturePath(const std::string& relative) {
  return BinaryDir() + "\\fixtures\\" + relative;
}

}  // namespace pelterwyn::testing
