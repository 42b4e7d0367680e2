#include "win32/com.h"

#include <array>

namespace pelterwyn::win32 {

std::wstring Widen(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), n);
  return wide;
}

std::string Narrow(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), n, nullptr, nullptr);
  return narrow;
}

std::string SystemMessageText(HRESULT hr) {
  // Longer messages than this do not exist among the system's own.
  std::array<char, 2048> buffer{};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(hr), 0, buffer.data(),
                                 static_cast<DWORD>(buffer.size()), nullptr);
  std::string text(buffer.data(), n);
  const auto end = text.find_last_not_of(" \t\r\n");
  text.erase(end == std::string::npos ? 0 : end + 1);
  if (!text.empty()) return text;
  // A missing or unregistered library is what this tool reports most; some
  // systems (Wine among them) have no text for these codes, nor for the bare
  // exception of a server that gives no code.
  switch (hr) {
    case CO_E_CLASSSTRING:
      return "Invalid class string";
    case REGDB_E_CLASSNOTREG:
      return "Class not registered";
    case DISP_E_UNKNOWNNAME:
      return "Unknown name.";
    case DISP_E_EXCEPTION:
      return "Exception occurred.";
    default:
      return text;
  }
}

Bstr MakeBstr(std::string_view text) { return Bstr(std::wstring_view(Widen(text))); }

std::string NarrowBstr(BSTR text) {
  return text ? Narrow(std::wstring_view(text, SysStringLen(text))) : std::string();
}

namespace variant {

Variant Text(std::string_view text) { return Text(std::wstring_view(Widen(text))); }

Variant Text(std::wstring_view text) {
  Variant v;
  V_VT(v.Get()) = VT_BSTR;
  V_BSTR(v.Get()) = Bstr(text).Detach();
  return v;
}

Variant Bool(bool value) {
  Variant v;
  V_VT(v.Get()) = VT_BOOL;
  V_BOOL(v.Get()) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

Variant Int16(std::int16_t value) {
  Variant v;
  V_VT(v.Get()) = VT_I2;
  V_I2(v.Get()) = value;
  return v;
}

Variant Int32(std::int32_t value) {
  Variant v;
  V_VT(v.Get()) = VT_I4;
  V_I4(v.Get()) = value;
  return v;
}

Variant Dispatch(IDispatch* object) {
  Variant v;
  V_VT(v.Get()) = VT_DISPATCH;
  V_DISPATCH(v.Get()) = ComPtr<IDispatch>::Share(object).Detach();
  return v;
}

Variant VariantArray(SafeArray array) {
  Variant v;
  V_VT(v.Get()) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(v.Get()) = array.Detach();
  return v;
}

Variant Int16Ref(SHORT* target) {
  Variant v;
  V_VT(v.Get()) = VT_I2 | VT_BYREF;
  V_I2REF(v.Get()) = target;
  return v;
}

Variant BstrRef(BSTR* target) {
  Variant v;
  V_VT(v.Get()) = VT_BSTR | VT_BYREF;
  V_BSTRREF(v.Get()) = target;
  return v;
}

}  // namespace variant

}  // namespace pelterwyn::win32
