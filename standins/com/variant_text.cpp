#include "com/variant_text.h"

#include "com/handles.h"
#include "com/standin_object.h"
#include "store/journal_line.h"

namespace standin::com {
namespace {

std::string ObjectText(IUnknown* object) {
  if (!object) return "null";
  ComPtr<IStandinObject> standin;
  if (FAILED(ComPtr<IUnknown>::Share(object).As(standin))) return "foreign";
  Bstr id;
  if (FAILED(standin->GetJournalId(id.Put()))) return "foreign";
  return ToUtf8(id.View());
}

// Text of a plain (not by-reference) value: strings, numbers and anything
// else as oleaut32 converts them to text.
std::string ScalarText(VARTYPE base, const VARIANT& v) {
  switch (base) {
    case VT_EMPTY:
    case VT_NULL:
      return "";
    case VT_ERROR:
      return std::to_string(static_cast<long>(V_ERROR(&v)));
    case VT_BOOL:
      if (V_BOOL(&v) == VARIANT_TRUE) return "true";
      if (V_BOOL(&v) == VARIANT_FALSE) return "false";
      return std::to_string(V_BOOL(&v));
    case VT_DISPATCH:
      return ObjectText(V_DISPATCH(&v));
    case VT_UNKNOWN:
      return ObjectText(V_UNKNOWN(&v));
  }
  Variant text;
  if (FAILED(VariantChangeType(text.Put(), const_cast<VARIANT*>(&v), 0, VT_BSTR))) return "?";
  const BSTR b = V_BSTR(text.Get());
  return b ? ToUtf8(std::wstring_view(b, SysStringLen(b))) : "";
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
      shape += (d ? "x" : "") + std::to_string(upper[d] - lower[d] + 1);
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
    out += journal::EscapeElement(journal::Format(JournalValue(*element.Get())));
  }
  return out + "]";
}

}  // namespace

journal::Value JournalValue(const VARIANT& value) {
  const VARTYPE vt = V_VT(&value);
  journal::Value out{journal::TypeText(vt), vt, ""};
  if (vt & VT_BYREF) {
    Variant plain;
    if (!V_BYREF(&value)) {
      out.text = "null";
    } else if (vt == (VT_BYREF | VT_VARIANT)) {
      // One level only: the inner value may refer on, even to itself.
      const VARIANT& inner = *V_VARIANTREF(&value);
      out.text = V_VT(&inner) == (VT_BYREF | VT_VARIANT) ? journal::TypeText(V_VT(&inner)) + ":?"
                                                         : journal::Format(JournalValue(inner));
    } else if (SUCCEEDED(VariantCopyInd(plain.Get(), const_cast<VARIANT*>(&value)))) {
      out.text = JournalValue(*plain.Get()).text;
    } else {
      out.text = "?";
    }
  } else if (vt & VT_ARRAY) {
    out.text = ArrayText(V_ARRAY(&value));
  } else {
    out.text = ScalarText(vt & VT_TYPEMASK, value);
  }
  return out;
}

}  // namespace standin::com
