#include "com/variant_text.h"

#include <cstdio>

#include "com/handles.h"
#include "com/standin_object.h"
#include "store/journal_line.h"

namespace standin::com {
namespace {

const char* BaseName(VARTYPE base) {
  switch (base) {
    case VT_EMPTY:
      return "VT_EMPTY";
    case VT_NULL:
      return "VT_NULL";
    case VT_I2:
      return "VT_I2";
    case VT_I4:
      return "VT_I4";
    case VT_R4:
      return "VT_R4";
    case VT_R8:
      return "VT_R8";
    case VT_CY:
      return "VT_CY";
    case VT_DATE:
      return "VT_DATE";
    case VT_BSTR:
      return "VT_BSTR";
    case VT_DISPATCH:
      return "VT_DISPATCH";
    case VT_ERROR:
      return "VT_ERROR";
    case VT_BOOL:
      return "VT_BOOL";
    case VT_VARIANT:
      return "VT_VARIANT";
    case VT_UNKNOWN:
      return "VT_UNKNOWN";
    case VT_DECIMAL:
      return "VT_DECIMAL";
    case VT_I1:
      return "VT_I1";
    case VT_UI1:
      return "VT_UI1";
    case VT_UI2:
      return "VT_UI2";
    case VT_UI4:
      return "VT_UI4";
    case VT_I8:
      return "VT_I8";
    case VT_UI8:
      return "VT_UI8";
    case VT_INT:
      return "VT_INT";
    case VT_UINT:
      return "VT_UINT";
    default:
      return nullptr;
  }
}

std::string ObjectText(IUnknown* object) {
  if (!object) return "null";
  auto standin = ComPtr<IUnknown>::Share(object).As<IStandinObject>(kIidStandinObject);
  if (!standin) return "foreign";
  Bstr id;
  if (FAILED(standin->GetJournalId(id.Put()))) return "foreign";
  return ToUtf8(id.View());
}

// Text of a plain (not by-reference) value of the given type at data.
std::string ScalarText(VARTYPE base, const VARIANT& v) {
  char buffer[64];
  switch (base) {
    case VT_EMPTY:
    case VT_NULL:
      return "";
    case VT_I1:
      return std::to_string(V_I1(&v));
    case VT_UI1:
      return std::to_string(V_UI1(&v));
    case VT_I2:
      return std::to_string(V_I2(&v));
    case VT_UI2:
      return std::to_string(V_UI2(&v));
    case VT_I4:
      return std::to_string(V_I4(&v));
    case VT_UI4:
      return std::to_string(V_UI4(&v));
    case VT_INT:
      return std::to_string(V_INT(&v));
    case VT_UINT:
      return std::to_string(V_UINT(&v));
    case VT_I8:
      return std::to_string(V_I8(&v));
    case VT_UI8:
      return std::to_string(V_UI8(&v));
    case VT_ERROR:
      return std::to_string(static_cast<long>(V_ERROR(&v)));
    case VT_BOOL:
      if (V_BOOL(&v) == VARIANT_TRUE) return "true";
      if (V_BOOL(&v) == VARIANT_FALSE) return "false";
      return std::to_string(V_BOOL(&v));
    case VT_R4:
      std::snprintf(buffer, sizeof buffer, "%.9g", V_R4(&v));
      return buffer;
    case VT_R8:
    case VT_DATE:
      std::snprintf(buffer, sizeof buffer, "%.17g", V_R8(&v));
      return buffer;
    case VT_BSTR:
      return V_BSTR(&v) ? ToUtf8(std::wstring_view(V_BSTR(&v), SysStringLen(V_BSTR(&v)))) : "";
    case VT_DISPATCH:
      return ObjectText(V_DISPATCH(&v));
    case VT_UNKNOWN:
      return ObjectText(V_UNKNOWN(&v));
    default: {
      Variant text;
      if (SUCCEEDED(VariantChangeType(text.Put(), const_cast<VARIANT*>(&v), 0, VT_BSTR))) {
        const BSTR b = V_BSTR(text.Get());
        return ToUtf8(std::wstring_view(b, SysStringLen(b)));
      }
      return "?";
    }
  }
}

std::string ArrayText(SAFEARRAY* array) {
  if (!array) return "null";
  const UINT dims = SafeArrayGetDim(array);
  std::vector<LONG> lower(dims), upper(dims);
  for (UINT d = 0; d < dims; ++d) {
    SafeArrayGetLBound(array, d + 1, &lower[d]);
    SafeArrayGetUBound(array, d + 1, &upper[d]);
  }
  if (dims != 1) {
    std::string shape;
    for (UINT d = 0; d < dims; ++d) {
      if (d) shape += "x";
      shape += std::to_string(upper[d] - lower[d] + 1);
    }
    return "[" + shape + "]";
  }
  VARTYPE vt = VT_EMPTY;
  SafeArrayGetVartype(array, &vt);
  std::string out = "[";
  for (LONG i = lower[0]; i <= upper[0]; ++i) {
    Variant element;
    if (vt == VT_VARIANT) {
      SafeArrayGetElement(array, &i, element.Get());
    } else if (vt == VT_DECIMAL || vt == VT_RECORD || SafeArrayGetElemsize(array) > 8) {
      out += std::string(i != lower[0] ? "," : "") + "?";
      continue;
    } else {
      V_VT(element.Get()) = vt;
      SafeArrayGetElement(array, &i, &V_I4(element.Get()));
    }
    if (i != lower[0]) out += ",";
    out += journal::EscapeElement(VariantText(*element.Get()));
  }
  return out + "]";
}

}  // namespace

std::string TypeText(VARTYPE vt) {
  std::string text;
  if (vt & VT_ARRAY) text += "VT_ARRAY|";
  const VARTYPE base = vt & VT_TYPEMASK;
  if (const char* name = BaseName(base)) {
    text += name;
  } else {
    text += "VT_" + std::to_string(base);
  }
  if (vt & VT_BYREF) text += "|VT_BYREF";
  return text;
}

std::string VariantText(const VARIANT& value) {
  const VARTYPE vt = V_VT(&value);
  std::string text = TypeText(vt) + ":";
  if (vt & VT_BYREF) {
    if (!V_BYREF(&value)) return text + "null";
    if (vt == (VT_BYREF | VT_VARIANT)) {
      // One level only: the inner value may refer on, even to itself.
      const VARIANT& inner = *V_VARIANTREF(&value);
      if (V_VT(&inner) == (VT_BYREF | VT_VARIANT)) return text + TypeText(V_VT(&inner)) + ":?";
      return text + VariantText(inner);
    }
    Variant plain;
    if (FAILED(VariantCopyInd(plain.Get(), const_cast<VARIANT*>(&value)))) return text + "?";
    return text + VariantText(*plain.Get()).substr(TypeText(plain.Type()).size() + 1);
  }
  if (vt & VT_ARRAY) return text + ArrayText(V_ARRAY(&value));
  return text + ScalarText(vt & VT_TYPEMASK, value);
}

}  // namespace standin::com
