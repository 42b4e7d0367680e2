#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// The owning wrapper for a loaded library, and how the tool reaches a system
// DLL that is no KnownDLL.
namespace pelterwyn::win32 {

struct LibraryFreer {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

// Loads System32's copy of a DLL by its full path, its own imports from
// System32 too. Never by bare name: a copy of that name that something else
// loaded earlier, from beside the executable say, would answer for it.
UniqueLibrary LoadSystemLibrary(const wchar_t* fileName);

// A function of a loaded module; null when the module lacks it.
template <class Fn>
Fn ProcAddress(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace pelterwyn::win32
