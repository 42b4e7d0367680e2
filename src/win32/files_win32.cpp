#include "win32/files_win32.h"

#include <windows.h>

#include "win32/com.h"
#include "win32/handles.h"

namespace pelterwyn::win32 {

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::optional<std::wstring> PathBeside(const std::wstring& modulePath,
                                       const std::wstring& fileName) {
  const auto slash = modulePath.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash == 0) return std::nullopt;
  std::wstring path = modulePath.substr(0, slash + 1) + fileName;
  if (path.size() < MAX_PATH || path.starts_with(L"\\\\?\\")) return path;
  if (path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
  return L"\\\\?\\" + path;
}

std::wstring Win32Files::PathBesideExe(const std::string& fileName) {
  const std::wstring module = ModulePath();
  return module.substr(0, module.find_last_of(L'\\')) + L"\\" + Widen(fileName);
}

bool Win32Files::AppendBesideExe(const std::string& fileName, const std::string& bytes) {
  const auto path = PathBeside(ModulePath(), Widen(fileName));
  if (!path) return false;
  // Readers may look at the log while a line is written.
  const UniqueFile file(CreateFileW(path->c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace pelterwyn::win32
