#pragma once

#include <windows.h>

#include <unknwn.h>

#include <cstddef>

#include "com/dispatch.h"

// The in-process server plumbing of a stand-in DLL: class factories and
// registration, for the exported Dll* functions.
namespace standin::com {

struct ClassInfo {
  CLSID clsid;
  const wchar_t* progId;
  const wchar_t* description;
  DispatchObject* (*create)();  // a new object holding one reference
};

// The classes of one DLL: each server defines kServerClasses, and
// com/exports.cpp exports them through the Dll* functions.
struct ServerClasses {
  const ClassInfo* classes;
  std::size_t count;
};
extern const ServerClasses kServerClasses;

HRESULT GetClassObject(const ClassInfo* classes, std::size_t count, REFCLSID clsid, REFIID iid,
                       void** out);
HRESULT CanUnloadNow();

// Per machine, under HKEY_LOCAL_MACHINE\Software\Classes, pointing at this DLL.
HRESULT RegisterClasses(const ClassInfo* classes, std::size_t count);
HRESULT UnregisterClasses(const ClassInfo* classes, std::size_t count);

}  // namespace standin::com
