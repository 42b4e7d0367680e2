// The exports of mapitable.dll: one class, Redemption.MAPITable.
#include "com/server.h"
#include "table.h"

namespace {

const standin::com::ClassInfo kClasses[] = {
    {standin::table::kClsidMapiTable, L"Redemption.MAPITable", L"MAPITable (stand-in)",
     &standin::table::MapiTable::Create},
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
