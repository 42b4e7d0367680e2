#include "com/dispatch.h"

#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>

#include "com/guard.h"
#include "com/module.h"
#include "com/variant_text.h"
#include "store/errors.h"
#include "store/journal_line.h"

namespace standin::com {
namespace {

using journal::Event;

// What a deferred fill-in hands out: the error last raised with one. Not
// thread_local: a DLL that COM unloads must leave no per-thread destructors.
struct Deferred {
  std::mutex mutex;
  std::wstring source;
  std::wstring description;
};

Deferred& LastDeferred() {
  static Deferred deferred;
  return deferred;
}

HRESULT STDAPICALLTYPE FillDeferred(EXCEPINFO* info) {
  return Guarded([&] {
    if (!info) return E_POINTER;
    Deferred& d = LastDeferred();
    std::lock_guard lock(d.mutex);
    info->bstrSource = Bstr(d.source).Detach();
    info->bstrDescription = Bstr(d.description).Detach();
    info->pfnDeferredFillIn = nullptr;
    return S_OK;
  });
}

bool SameName(const wchar_t* a, const wchar_t* b) {
  return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

Event EventOf(Event::Kind kind, const std::string& obj) {
  Event e;
  e.kind = kind;
  e.pid = GetCurrentProcessId();
  e.object = obj;
  return e;
}

std::string FlagsText(WORD flags) {
  std::string text;
  const auto add = [&](const char* name) {
    if (!text.empty()) text += "|";
    text += name;
  };
  if (flags & DISPATCH_METHOD) add("method");
  if (flags & DISPATCH_PROPERTYGET) add("get");
  if (flags & DISPATCH_PROPERTYPUT) add("put");
  if (flags & DISPATCH_PROPERTYPUTREF) add("putref");
  if (flags & ~0xF) add(("0x" + std::to_string(flags & ~0xF)).c_str());
  return text;
}

bool KindAllowed(const Member& m, WORD flags) {
  const WORD puts = flags & (kPut | kPutRef);
  if (puts) {
    if (flags & (kMethod | kGet)) return false;
    if (puts == kPut) return (m.kinds & kPut) != 0;
    if (puts == kPutRef) return (m.kinds & kPutRef) != 0;
    return false;
  }
  if (flags == 0 || (flags & ~(kMethod | kGet))) return false;
  return ((flags & kMethod) && (m.kinds & kMethod)) || ((flags & kGet) && (m.kinds & kGet));
}

// An argument as the member sees it: by-reference values read through,
// omitted arguments recognised, the value coerced to the parameter's type.
// nullopt: omitted.
std::optional<Variant> Normalize(const VARIANT& raw, VARTYPE type, HRESULT& hr) {
  hr = S_OK;
  const VARIANT* v = &raw;
  // One level only: a reference to a reference (or to itself) is no argument.
  if (V_VT(v) == (VT_BYREF | VT_VARIANT)) {
    v = V_VARIANTREF(v);
    if (!v || V_VT(v) == (VT_BYREF | VT_VARIANT)) {
      hr = DISP_E_TYPEMISMATCH;
      return std::nullopt;
    }
  }
  Variant plain;
  if (FAILED(VariantCopyInd(plain.Get(), const_cast<VARIANT*>(v)))) {
    hr = DISP_E_TYPEMISMATCH;
    return std::nullopt;
  }
  if (plain.Type() == VT_ERROR && V_ERROR(plain.Get()) == DISP_E_PARAMNOTFOUND) return std::nullopt;
  if (type == VT_VARIANT || plain.Type() == type) return plain;
  Variant coerced;
  if (FAILED(VariantChangeType(coerced.Put(), plain.Get(), 0, type))) {
    hr = DISP_E_TYPEMISMATCH;
    return std::nullopt;
  }
  return coerced;
}

std::wstring DescriptionOf(const World& world, const DispatchError& error) {
  return error.description.empty()
             ? FromUtf8(errors::Describe(ToUtf8(world.ErrorSource()), error.number))
             : FromUtf8(error.description);
}

void RaiseInto(EXCEPINFO* info, const std::wstring& source, const std::wstring& description,
               std::int32_t number, bool deferred) {
  *info = EXCEPINFO{};
  // Small positive numbers travel as wCode, as an application error would.
  if (number > 0 && number <= 0xFFFF) {
    info->wCode = static_cast<WORD>(number);
  } else {
    info->scode = number;
  }
  if (deferred) {
    Deferred& d = LastDeferred();
    std::lock_guard lock(d.mutex);
    d.source = source;
    d.description = description;
    info->pfnDeferredFillIn = &FillDeferred;
  } else {
    info->bstrSource = Bstr(source).Detach();
    info->bstrDescription = Bstr(description).Detach();
  }
}

bool IsPut(WORD flags) { return (flags & (kPut | kPutRef)) != 0; }

// The call as received, for the journal: the positional arguments in
// parameter order, then the named ones.
Event ReceivedCall(const std::string& obj, const Member* member, DISPID id, bool byName, WORD flags,
                   const DISPPARAMS* params) {
  const UINT argc = params ? params->cArgs : 0;
  const UINT namedc = params ? params->cNamedArgs : 0;
  Event e = EventOf(Event::Kind::Call, obj);
  e.member = member ? ToUtf8(member->name) : "?";
  e.dispid = id;
  e.byName = byName;
  e.flags = FlagsText(flags);
  e.argc = argc;
  for (UINT k = 0; params && params->rgdispidNamedArgs && k < namedc && k < argc; ++k) {
    e.named.push_back(params->rgdispidNamedArgs[k]);
  }
  if (params && params->rgvarg && namedc <= argc) {
    for (UINT p = 0; p < argc - namedc; ++p) {
      e.args.push_back(JournalValue(params->rgvarg[argc - 1 - p]));
    }
    for (UINT k = 0; k < namedc; ++k) e.args.push_back(JournalValue(params->rgvarg[k]));
  }
  return e;
}

// A call's arguments in parameter order, dereferenced and coerced; or why the
// call is refused, with the argument to blame where there is one.
struct Collected {
  HRESULT hr = S_OK;
  std::optional<UINT> badArg;
  Args args{0};
};

// The put form: the value alone, as the named DISPID_PROPERTYPUT argument.
void CollectPut(const Member& member, const DISPPARAMS& params, Collected& call) {
  if (params.cNamedArgs == 0) {
    call.hr = DISP_E_PARAMNOTOPTIONAL;
  } else if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
    call.hr = DISP_E_PARAMNOTFOUND;
    call.badArg = 0;
  } else if (params.cArgs != 1) {
    call.hr = DISP_E_BADPARAMCOUNT;
  } else {
    call.args = Args(1);
    auto value = Normalize(params.rgvarg[0], member.putType, call.hr);
    if (FAILED(call.hr)) {
      call.badArg = 0;
    } else if (!value) {
      call.hr = DISP_E_PARAMNOTOPTIONAL;
    } else {
      call.args.Set(0, std::move(*value));
    }
  }
}

// The method or get form: positional arguments first, then named ones in the
// parameters they name; a required parameter must be given.
void CollectParams(const Member& member, const DISPPARAMS& params, Collected& call) {
  const UINT argc = params.cArgs;
  const UINT namedc = params.cNamedArgs;
  const std::size_t slots = member.params.size();
  const UINT positional = argc - namedc;
  if (argc > slots) {
    call.hr = DISP_E_BADPARAMCOUNT;
    return;
  }
  std::vector<int> source(slots, -1);  // index into rgvarg, per parameter
  for (UINT p = 0; p < positional; ++p) source[p] = static_cast<int>(argc - 1 - p);
  for (UINT k = 0; k < namedc; ++k) {
    const DISPID slot = params.rgdispidNamedArgs[k];
    if (slot < static_cast<DISPID>(positional) || slot >= static_cast<DISPID>(slots) ||
        source[slot] != -1) {
      call.hr = DISP_E_PARAMNOTFOUND;
      call.badArg = k;
      return;
    }
    source[slot] = static_cast<int>(k);
  }
  call.args = Args(slots);
  for (std::size_t s = 0; s < slots; ++s) {
    if (source[s] >= 0) {
      auto value = Normalize(params.rgvarg[source[s]], member.params[s].type, call.hr);
      if (FAILED(call.hr)) {
        call.badArg = static_cast<UINT>(source[s]);
        return;
      }
      if (value) call.args.Set(s, std::move(*value));
    }
    if (!call.args.Has(s) && !member.params[s].optional) {
      call.hr = DISP_E_PARAMNOTOPTIONAL;
      return;
    }
  }
}

// Checks a call as a real server's type library would, and collects its arguments.
Collected CollectArgs(const Member* member, REFIID iid, WORD flags, const DISPPARAMS* params) {
  Collected call;
  const UINT argc = params ? params->cArgs : 0;
  const UINT namedc = params ? params->cNamedArgs : 0;
  if (!IsEqualIID(iid, IID_NULL)) {
    call.hr = DISP_E_UNKNOWNINTERFACE;
  } else if (!params || (argc && !params->rgvarg) || namedc > argc ||
             (namedc && !params->rgdispidNamedArgs)) {
    call.hr = E_INVALIDARG;
  } else if (!member || !KindAllowed(*member, flags)) {
    call.hr = DISP_E_MEMBERNOTFOUND;
  } else if (IsPut(flags)) {
    CollectPut(*member, *params, call);
  } else {
    CollectParams(*member, *params, call);
  }
  return call;
}

}  // namespace

std::wstring Args::Text(std::size_t i, std::wstring fallback) const {
  if (!Has(i)) return fallback;
  const VARIANT& v = At(i);
  if (V_VT(&v) != VT_BSTR || !V_BSTR(&v)) return L"";
  return std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
}

std::int32_t Args::Long(std::size_t i, std::int32_t fallback) const {
  return Has(i) && V_VT(&At(i)) == VT_I4 ? V_I4(&At(i)) : fallback;
}

bool Args::Bool(std::size_t i, bool fallback) const {
  return Has(i) && V_VT(&At(i)) == VT_BOOL ? V_BOOL(&At(i)) != VARIANT_FALSE : fallback;
}

IDispatch* Args::Object(std::size_t i) const {
  return Has(i) && V_VT(&At(i)) == VT_DISPATCH ? V_DISPATCH(&At(i)) : nullptr;
}

DispatchObject::DispatchObject(std::shared_ptr<World> world, std::string type)
    : world_(std::move(world)), type_(std::move(type)), id_(module::NextObjectId(type_)) {
  module::AddObject();
  world_->Journal(journal::Line(EventOf(Event::Kind::Created, id_)));
}

DispatchObject::~DispatchObject() {
  // Runs inside Release: a journal that cannot be written loses the line.
  Guarded([&] {
    world_->Journal(journal::Line(EventOf(Event::Kind::Released, id_)));
    return S_OK;
  });
  module::RemoveObject();
}

HRESULT DispatchObject::QueryInterface(REFIID iid, void** out) {
  return Guarded([&] {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(iid, __uuidof(IStandinObject))) {
      *out = static_cast<IStandinObject*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  });
}

ULONG DispatchObject::AddRef() { return ++refs_; }

ULONG DispatchObject::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  return Guarded([&] { return ResolveNames(iid, names, count, ids); });
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
  return Guarded([&] { return InvokeMember(id, iid, flags, params, result, excepInfo, argErr); });
}

HRESULT DispatchObject::ResolveNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  const Member* member = nullptr;
  for (const Member& m : Members()) {
    if (names[0] && SameName(m.name, names[0])) member = &m;
  }
  HRESULT hr = S_OK;
  Event lookup = EventOf(Event::Kind::Call, id_);
  if (member) {
    ids[0] = member->id;
    for (UINT i = 1; i < count; ++i) {
      for (std::size_t p = 0; p < member->params.size(); ++p) {
        if (names[i] && SameName(member->params[p].name, names[i])) ids[i] = static_cast<DISPID>(p);
      }
      if (ids[i] == DISPID_UNKNOWN) {
        hr = DISP_E_UNKNOWNNAME;
        if (!lookup.names.empty()) lookup.names += ",";
        lookup.names += names[i] ? ToUtf8(names[i]) : "";
      }
    }
  } else {
    hr = DISP_E_UNKNOWNNAME;
  }
  if (SUCCEEDED(hr)) {
    resolvedByName_.insert(member->id);
    return S_OK;
  }
  // A failed lookup is a call that never happened: journal it, loudly.
  lookup.member = names[0] ? ToUtf8(names[0]) : "";
  lookup.dispid = member ? member->id : DISPID_UNKNOWN;
  lookup.byName = true;
  lookup.flags = "lookup";
  lookup.error = hr;
  world_->Journal(journal::Line(lookup));
  return hr;
}

const Member* DispatchObject::Find(DISPID id) const {
  for (const Member& m : Members()) {
    if (m.id == id) return &m;
  }
  return nullptr;
}

bool DispatchObject::TakeResolvedByName(DISPID id) {
  const auto it = resolvedByName_.find(id);
  if (it == resolvedByName_.end()) return false;
  resolvedByName_.erase(it);
  return true;
}

DispatchObject::Outcome DispatchObject::RunMember(const Member& member, bool put,
                                                  const Args& args) {
  Outcome outcome;
  // A faults.ini that cannot be read fails every call, before any is counted.
  if (const auto& problems = world_->Faults().Problems(); !problems.empty()) {
    outcome.error = DispatchError{errors::kCallFailed, problems.front()};
    return outcome;
  }
  if (const store::Fault* fault = world_->CountCall(type_, ToUtf8(member.name))) {
    if (fault->kind == store::Fault::Kind::Nothing) {
      if (member.returnsObject && !put) outcome.value = variant::Object(nullptr);
    } else {
      outcome.error = DispatchError{fault->number, fault->description};
      outcome.deferred = fault->kind == store::Fault::Kind::DeferredFail;
    }
    return outcome;
  }
  try {
    Call(member, put, args, outcome.value);
  } catch (const DispatchError& e) {
    outcome.error = e;
  } catch (const std::bad_alloc&) {
    outcome.error = DispatchError{errors::kNotEnoughMemory, ""};
  } catch (const std::exception& e) {
    outcome.error = DispatchError{errors::kCallFailed, e.what()};
  }
  return outcome;
}

HRESULT DispatchObject::InvokeMember(DISPID id, REFIID iid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
  ComPtr<IDispatch> keepAlive = ComPtr<IDispatch>::Share(this);  // a member may drop the last ref
  const Member* member = Find(id);
  Event call = ReceivedCall(id_, member, id, TakeResolvedByName(id), flags, params);

  const Collected collected = CollectArgs(member, iid, flags, params);
  if (collected.badArg && argErr) *argErr = *collected.badArg;
  if (FAILED(collected.hr)) {
    call.error = collected.hr;
    world_->Journal(journal::Line(call));
    return collected.hr;
  }

  Outcome outcome = RunMember(*member, IsPut(flags), collected.args);
  HRESULT hr = S_OK;
  if (outcome.error) {
    const std::wstring description = DescriptionOf(*world_, *outcome.error);
    if (excepInfo) {
      RaiseInto(excepInfo, world_->ErrorSource(), description, outcome.error->number,
                outcome.deferred);
    }
    call.error = outcome.error->number;
    call.description = ToUtf8(description);
    hr = DISP_E_EXCEPTION;
  } else {
    call.ok = true;
    call.result = JournalValue(*outcome.value.Get());
    if (result) outcome.value.MoveTo(result);
  }
  world_->Journal(journal::Line(call));
  return hr;
}

HRESULT DispatchObject::GetJournalId(BSTR* id) {
  return Guarded([&] {
    if (!id) return E_POINTER;
    *id = Bstr(FromUtf8(id_)).Detach();
    return S_OK;
  });
}

HRESULT DispatchObject::GetFolderPath(BSTR* path) {
  if (path) *path = nullptr;
  return E_NOTIMPL;
}

Variant DispatchObject::Give(DispatchObject* created) {
  return variant::Object(static_cast<IDispatch*>(created));
}

}  // namespace standin::com
