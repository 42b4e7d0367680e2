#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>

#include "owners/com.h"

// The stand-ins hold COM resources and files through the shared owners only:
// nothing else in the stand-ins calls Release, SysFreeString, VariantClear,
// SafeArrayDestroy or CloseHandle. The values they hand out are built here,
// apart from the tool's own.
namespace standin::com {

using pelterwyn::owners::Bstr;
using pelterwyn::owners::ComPtr;
using pelterwyn::owners::SafeArray;
using pelterwyn::owners::UniqueFile;
using pelterwyn::owners::Variant;

namespace variant {

inline Variant Text(std::wstring_view text) {
  Variant v;
  V_VT(v.Get()) = VT_BSTR;
  V_BSTR(v.Get()) = Bstr(text).Detach();
  return v;
}
inline Variant Int32(LONG value) {
  Variant v;
  V_VT(v.Get()) = VT_I4;
  V_I4(v.Get()) = value;
  return v;
}
inline Variant Bool(bool value) {
  Variant v;
  V_VT(v.Get()) = VT_BOOL;
  V_BOOL(v.Get()) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}
inline Variant Error(SCODE code) {
  Variant v;
  V_VT(v.Get()) = VT_ERROR;
  V_ERROR(v.Get()) = code;
  return v;
}
// Takes over the reference; a null pointer gives a null object reference.
inline Variant Object(IDispatch* owned) {
  Variant v;
  V_VT(v.Get()) = VT_DISPATCH;
  V_DISPATCH(v.Get()) = owned;
  return v;
}
// Takes over the array.
inline Variant Array(SafeArray owned, VARTYPE elementType) {
  Variant v;
  V_VT(v.Get()) = static_cast<VARTYPE>(VT_ARRAY | elementType);
  V_ARRAY(v.Get()) = owned.Detach();
  return v;
}

}  // namespace variant

// UTF-16 at the COM boundary, UTF-8 inside the store.
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace standin::com
