// The exports of every stand-in DLL, over the classes its server defines.
#include "com/server.h"

using standin::com::kServerClasses;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return standin::com::GetClassObject(kServerClasses.classes, kServerClasses.count, clsid, iid,
                                      out);
}

STDAPI DllCanUnloadNow() { return standin::com::CanUnloadNow(); }

STDAPI DllRegisterServer() {
  return standin::com::RegisterClasses(kServerClasses.classes, kServerClasses.count);
}

STDAPI DllUnregisterServer() {
  return standin::com::UnregisterClasses(kServerClasses.classes, kServerClasses.count);
}
