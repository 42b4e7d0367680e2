// The exports of every stand-in DLL, over the classes its server defines.
#include "com/guard.h"
#include "com/server.h"

using standin::com::Guarded;
using standin::com::kServerClasses;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return Guarded([&] {
    return standin::com::GetClassObject(kServerClasses.classes, kServerClasses.count, clsid, iid,
                                        out);
  });
}

STDAPI DllCanUnloadNow() {
  return Guarded([] { return standin::com::CanUnloadNow(); });
}

STDAPI DllRegisterServer() {
  return Guarded(
      [] { return standin::com::RegisterClasses(kServerClasses.classes, kServerClasses.count); });
}

STDAPI DllUnregisterServer() {
  return Guarded(
      [] { return standin::com::UnregisterClasses(kServerClasses.classes, kServerClasses.count); });
}
