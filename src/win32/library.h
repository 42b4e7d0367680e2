#pragma once

#include <windows.h>

#include "win32/handles.h"

// How the tool reaches a system DLL that is no KnownDLL.
namespace pelterwyn::win32 {

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
