// The exports of every stand-in DLL, over the class its server defines.
#include "com/guard.h"
#include "com/module.h"
#include "com/server.h"

using standin::com::Guarded;
using standin::com::kServerClass;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return Guarded([&] { return standin::com::GetClassObject(kServerClass, clsid, iid, out); });
}

STDAPI DllCanUnloadNow() {
  return Guarded([] { return standin::com::module::CanUnload() ? S_OK : S_FALSE; });
}
