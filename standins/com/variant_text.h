#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>

// How the journal writes a VARIANT: "TYPE:value", e.g. "VT_BSTR|VT_BYREF:pelttest",
// "VT_I4:5", "VT_BOOL:true", "VT_DISPATCH:Messages#2", "VT_ARRAY|VT_VARIANT:[VT_I4:1,VT_I4:2]".
namespace standin::com {

std::string TypeText(VARTYPE vt);
std::string VariantText(const VARIANT& value);

}  // namespace standin::com
