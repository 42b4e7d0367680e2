// The exports of cdo.dll: one class, MAPI.Session.
#include "com/server.h"
#include "objects.h"

namespace {

const standin::com::ClassInfo kClasses[] = {
    {standin::cdo::kClsidSession, L"MAPI.Session", L"MAPI Session (stand-in)",
     &standin::cdo::Session::Create},
};

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return standin::com::GetClassObject(kClasses, std::size(kClasses), clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return standin::com::CanUnloadNow(); }

STDAPI DllRegisterServer() { return standin::com::RegisterClasses(kClasses, std::size(kClasses)); }

STDAPI DllUnregisterServer() {
  return standin::com::UnregisterClasses(kClasses, std::size(kClasses));
}
