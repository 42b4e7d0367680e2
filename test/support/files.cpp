#include "support/files.h"

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace pelterwyn::testing {

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(std::filesystem::path(Widen(path)), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(Widen(path)), std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string FileVersion(const std::string& file) {
  DWORD ignored = 0;
  const DWORD bytes = GetFileVersionInfoSizeA(file.c_str(), &ignored);
  if (bytes == 0) return {};
  std::vector<char> block(bytes);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoA(file.c_str(), 0, bytes, block.data()) ||
      !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) {
    return {};
  }
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionLS));
}

bool StripResources(const std::string& file) {
  HANDLE update = BeginUpdateResourceA(file.c_str(), TRUE);
  return update && EndUpdateResourceA(update, FALSE);
}

TempFolder::TempFolder(const std::string& prefix) {
  static std::atomic<int> counter{0};
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  for (;;) {
    const std::string folder = std::string(temp) + prefix + "-" +
                               std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++counter);
    if (CreateDirectoryA(folder.c_str(), nullptr)) {
      path_ = folder;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

TempFolder::~TempFolder() {
  if (path_.empty()) return;
  // A program that just ended may hold its files for a moment longer.
  const std::filesystem::path path(Widen(path_));
  for (int attempt = 0; attempt < 20; ++attempt) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    if (!std::filesystem::exists(path, ignored)) break;
    Sleep(100);
  }
}

}  // namespace pelterwyn::testing
