#pragma once

#include <windows.h>

#include <unknwn.h>

#include "com/dispatch.h"

// The in-process server plumbing of a stand-in DLL: class factories for the
// exported Dll* functions. Registration is the generated standins.reg.
namespace standin::com {

struct ClassInfo {
  CLSID clsid;
  DispatchObject* (*create)();  // a new object holding one reference
};

// The one class of each DLL: its server defines kServerClass, and
// com/exports.cpp exports it through the Dll* functions.
extern const ClassInfo kServerClass;

HRESULT GetClassObject(const ClassInfo& info, REFCLSID clsid, REFIID iid, void** out);

}  // namespace standin::com
