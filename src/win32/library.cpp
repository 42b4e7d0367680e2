#include "win32/library.h"

#include <string>

namespace pelterwyn::win32 {

UniqueLibrary LoadSystemLibrary(const wchar_t* fileName) {
  std::wstring path(MAX_PATH, L'\0');
  UINT n = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  if (n >= path.size()) {
    path.resize(n);
    n = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  }
  if (n == 0 || n >= path.size()) return {};
  path.resize(n);
  path += L'\\';
  path += fileName;
  return UniqueLibrary(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

}  // namespace pelterwyn::win32
