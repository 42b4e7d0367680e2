#pragma once

// A late-bound client for the stand-in servers' tests: calls by DISPID or by
// name, with positional and named arguments, and keeps what EXCEPINFO said.
#include <windows.h>

#include <oleauto.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <objbase.h>

#include "com/handles.h"

namespace standins_test {

using standin::com::Bstr;
using standin::com::ComPtr;
using standin::com::ToUtf8;
using standin::com::Variant;
namespace variant = standin::com::variant;

inline Variant Str(const wchar_t* s) { return variant::Text(s); }
inline Variant I4(LONG v) { return variant::Int32(v); }
inline Variant Bool(bool v) { return variant::Bool(v); }
inline Variant I2(SHORT v) {
  Variant x;
  V_VT(x.Get()) = VT_I2;
  V_I2(x.Get()) = v;
  return x;
}
inline Variant Omitted() { return variant::Error(DISP_E_PARAMNOTFOUND); }
// A reference to a BSTR the caller keeps alive.
inline Variant StrRef(BSTR* target) {
  Variant x;
  V_VT(x.Get()) = VT_BSTR | VT_BYREF;
  V_BSTRREF(x.Get()) = target;
  return x;
}
inline Variant ShortRef(SHORT* target) {
  Variant x;
  V_VT(x.Get()) = VT_I2 | VT_BYREF;
  V_I2REF(x.Get()) = target;
  return x;
}
// Takes a new reference.
inline Variant Obj(IDispatch* object) {
  if (object) object->AddRef();
  return variant::Object(object);
}

struct Result {
  HRESULT hr = E_UNEXPECTED;
  Variant value;
  long number = 0;  // scode, or wCode when scode is 0
  std::wstring source;
  std::wstring description;
  bool deferred = false;  // the description came through pfnDeferredFillIn
  UINT argErr = ~0u;

  bool ok() const { return hr == S_OK; }
  // The object result, with a reference of its own.
  ComPtr<IDispatch> object() const {
    return value.Type() == VT_DISPATCH ? ComPtr<IDispatch>::Share(V_DISPATCH(value.Get()))
                                       : ComPtr<IDispatch>();
  }
  std::wstring text() const {
    if (value.Type() != VT_BSTR) return L"<not a string>";
    return std::wstring(V_BSTR(value.Get()), SysStringLen(V_BSTR(value.Get())));
  }
  LONG i4() const { return value.Type() == VT_I4 ? V_I4(value.Get()) : -999999; }
};

struct Named {
  DISPID id;
  Variant value;
};

inline Result Invoke(IDispatch* object, DISPID id, WORD flags, std::vector<Variant> positional = {},
                     std::vector<Named> named = {}) {
  // DISPPARAMS holds the named arguments first, then the positional ones last to first.
  std::vector<VARIANT> args;
  std::vector<DISPID> ids;
  for (Named& n : named) {
    args.push_back(*n.value.Get());
    ids.push_back(n.id);
  }
  for (auto it = positional.rbegin(); it != positional.rend(); ++it) args.push_back(*it->Get());
  DISPPARAMS params{args.data(), ids.data(), static_cast<UINT>(args.size()),
                    static_cast<UINT>(ids.size())};
  Result r;
  EXCEPINFO info{};
  r.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, r.value.Put(), &info,
                        &r.argErr);
  if (r.hr == DISP_E_EXCEPTION) {
    if (info.pfnDeferredFillIn) {
      r.deferred = true;
      info.pfnDeferredFillIn(&info);
    }
    r.number = info.scode ? info.scode : info.wCode;
    Bstr source = Bstr(info.bstrSource);
    Bstr description = Bstr(info.bstrDescription);
    Bstr help = Bstr(info.bstrHelpFile);
    r.source = source.View();
    r.description = description.View();
  } else if (FAILED(r.hr)) {
    r.number = r.hr;
  }
  return r;
}

inline Result Get(IDispatch* object, DISPID id, std::vector<Variant> args = {}) {
  return Invoke(object, id, DISPATCH_PROPERTYGET, std::move(args));
}
inline Result Call(IDispatch* object, DISPID id, std::vector<Variant> args = {}) {
  return Invoke(object, id, DISPATCH_METHOD, std::move(args));
}
inline Result Put(IDispatch* object, DISPID id, Variant value, WORD flags = DISPATCH_PROPERTYPUT) {
  std::vector<Named> named;
  named.push_back({DISPID_PROPERTYPUT, std::move(value)});
  return Invoke(object, id, flags, {}, std::move(named));
}

// GetIDsOfNames for the member and its named parameters; nullopt when a name is unknown.
inline std::optional<std::vector<DISPID>> Lookup(IDispatch* object,
                                                 std::vector<std::wstring> names) {
  std::vector<LPOLESTR> raw;
  for (std::wstring& n : names) raw.push_back(n.data());
  std::vector<DISPID> ids(names.size());
  if (object->GetIDsOfNames(IID_NULL, raw.data(), static_cast<UINT>(raw.size()),
                            LOCALE_USER_DEFAULT, ids.data()) != S_OK) {
    return std::nullopt;
  }
  return ids;
}

// A late-bound call: the member's DISPID looked up by name just before the call.
inline Result ByName(IDispatch* object, const wchar_t* member, WORD flags,
                     std::vector<Variant> positional = {}) {
  auto ids = Lookup(object, {member});
  if (!ids) {
    Result r;
    r.hr = r.number = DISP_E_UNKNOWNNAME;
    return r;
  }
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    return Put(object, (*ids)[0], std::move(positional.at(0)), flags);
  }
  return Invoke(object, (*ids)[0], flags, std::move(positional));
}

inline ComPtr<IDispatch> Create(const wchar_t* progId, HRESULT* hr = nullptr) {
  CLSID clsid{};
  HRESULT h = CLSIDFromProgID(progId, &clsid);
  ComPtr<IDispatch> object;
  if (SUCCEEDED(h)) {
    h = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.PutVoid());
  }
  if (hr) *hr = h;
  return object;
}

// COM for the test's thread.
class ComScope {
 public:
  ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComScope() { CoUninitialize(); }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
};

// The DISPIDs the description of the tool gives.
enum : DISPID {
  kAddress = 2,
  kAttachments = 5,
  kInbox = 15,
  kOutbox = 16,
  kMessages = 22,
  kName = 23,
  kRecipients = 28,
  kSubject = 38,
  kText = 39,
  kLogoff = 118,
  kLogon = 119,
  kResolve = 130,
  kSend = 131,
  kGetDefaultFolder = 153,
};

inline constexpr long kLogonFailed = -2147221231;
inline constexpr long kNotFound = -2147221233;
inline constexpr long kNetworkError = -2147221227;
inline constexpr long kNotInitialized = -2147219963;

// The seven positional arguments the tool's first logon probe passes.
inline std::vector<Variant> AllLogonArgs(const wchar_t* profileInfo) {
  std::vector<Variant> args;
  args.push_back(Str(L""));
  args.push_back(Str(L""));
  args.push_back(Bool(false));
  args.push_back(Bool(true));
  args.push_back(I2(0));
  args.push_back(Bool(true));
  args.push_back(Str(profileInfo));
  return args;
}

}  // namespace standins_test
