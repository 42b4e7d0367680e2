#include "win32/version_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "win32/library.h"

namespace pelterwyn::win32 {

namespace {

// version.dll is no KnownDLL: imported, a copy planted beside the executable
// would run before WinMain. Loaded at first use instead, from System32.
struct VersionLibrary {
  UniqueLibrary module = LoadSystemLibrary(L"version.dll");
  decltype(&GetFileVersionInfoSizeA) sizeA =
      ProcAddress<decltype(&GetFileVersionInfoSizeA)>(module.Get(), "GetFileVersionInfoSizeA");
  decltype(&GetFileVersionInfoA) infoA =
      ProcAddress<decltype(&GetFileVersionInfoA)>(module.Get(), "GetFileVersionInfoA");
  decltype(&VerQueryValueA) queryA =
      ProcAddress<decltype(&VerQueryValueA)>(module.Get(), "VerQueryValueA");
};

const VersionLibrary& Version() {
  static const VersionLibrary library;
  return library;
}

}  // namespace

std::optional<FixedFileVersion> Win32Versions::ReadFixedFileVersion(const std::string& fileName) {
  const VersionLibrary& version = Version();
  if (!version.sizeA || !version.infoA) return std::nullopt;
  DWORD unused = 0;
  const DWORD size = version.sizeA(fileName.c_str(), &unused);
  if (size == 0) return std::nullopt;

  std::vector<unsigned char> block(size);
  if (!version.infoA(fileName.c_str(), 0, size, block.data())) return std::nullopt;
  return FixedVersionOfBlock(block);
}

std::optional<FixedFileVersion> FixedVersionOfBlock(std::vector<unsigned char>& block) {
  const VersionLibrary& version = Version();
  void* root = nullptr;
  UINT length = 0;
  if (!version.queryA || block.empty() || !version.queryA(block.data(), "\\", &root, &length) ||
      root == nullptr || length == 0) {
    return std::nullopt;
  }
  // A short root record leaves the rest of the copy zero.
  VS_FIXEDFILEINFO info{};
  std::memcpy(&info, root, std::min<std::size_t>(length, sizeof info));
  return FixedFileVersion{info.dwFileVersionMS, info.dwFileVersionLS};
}

}  // namespace pelterwyn::win32
