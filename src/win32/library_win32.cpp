#include "win32/library_win32.h"

#include <windows.h>

namespace pelterwyn::win32 {

LibraryApi::Module Win32Library::Load(const std::string& name) {
  return reinterpret_cast<Module>(LoadLibraryA(name.c_str()));
}

// The core's LoadedLibrary owns the module; it comes back here to be freed.
void Win32Library::Free(Module module) {
  if (module) FreeLibrary(reinterpret_cast<HMODULE>(module));
}

}  // namespace pelterwyn::win32
