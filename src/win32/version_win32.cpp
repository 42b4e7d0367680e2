#include "win32/version_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace pelterwyn::win32 {

std::optional<FixedFileVersion> Win32Versions::ReadFixedFileVersion(const std::string& fileName) {
  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &unused);
  if (size == 0) return std::nullopt;

  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoA(fileName.c_str(), 0, size, block.data())) return std::nullopt;

  void* root = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", &root, &length) || root == nullptr || length == 0)
    return std::nullopt;

  // A short root record leaves the rest of the copy zero.
  VS_FIXEDFILEINFO info{};
  std::memcpy(&info, root, std::min<std::size_t>(length, sizeof info));
  return FixedFileVersion{info.dwFileVersionMS, info.dwFileVersionLS};
}

}  // namespace pelterwyn::win32
