#pragma once

#include <windows.h>

#include <oaidl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "com/handles.h"
#include "com/standin_object.h"
#include "com/world.h"

// A strict, table-driven IDispatch. Each object lists its members (name,
// DISPID, invoke kinds, parameters); the base resolves names without regard
// to case, checks the invoke kind, the argument count and the named-argument
// ids as a real server's type library would, dereferences and coerces the
// arguments, applies the faults switched on, raises errors through EXCEPINFO
// and journals every call.
namespace standin::com {

enum Kinds : WORD {
  kMethod = DISPATCH_METHOD,
  kGet = DISPATCH_PROPERTYGET,
  kPut = DISPATCH_PROPERTYPUT,
  kPutRef = DISPATCH_PROPERTYPUTREF,
};

struct Param {
  const wchar_t* name;
  VARTYPE type;  // the argument is coerced to it; VT_VARIANT takes anything
  bool optional;
};

struct Member {
  const wchar_t* name;
  DISPID id;
  WORD kinds;
  std::vector<Param> params;   // of the get or method form
  VARTYPE putType = VT_EMPTY;  // the value of the put form
  bool returnsObject = false;  // a "nothing" fault then gives a null object
};

// The arguments of one call in parameter order, dereferenced and coerced;
// for a put, the value is argument 0.
class Args {
 public:
  explicit Args(std::size_t count) : values_(count), given_(count, false) {}
  void Set(std::size_t i, Variant value) {
    values_[i] = std::move(value);
    given_[i] = true;
  }
  bool Has(std::size_t i) const { return i < given_.size() && given_[i]; }
  const VARIANT& At(std::size_t i) const { return *values_.at(i).Get(); }
  std::wstring Text(std::size_t i, std::wstring fallback = L"") const;
  std::int32_t Long(std::size_t i, std::int32_t fallback = 0) const;
  bool Bool(std::size_t i, bool fallback = false) const;
  IDispatch* Object(std::size_t i) const;  // not AddRef'ed; may be null

 private:
  std::vector<Variant> values_;
  std::vector<bool> given_;
};

// Thrown by a member to fail the call. An empty description gives the
// library's own text for the number.
struct DispatchError {
  std::int32_t number;
  std::string description;
};

[[noreturn]] inline void Fail(std::int32_t number, std::string description = {}) {
  throw DispatchError{number, std::move(description)};
}

class DispatchObject : public IDispatch, public IStandinObject {
 public:
  DispatchObject(std::shared_ptr<World> world, std::string type);
  virtual ~DispatchObject();
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) override;
  // IStandinObject
  HRESULT STDMETHODCALLTYPE GetJournalId(BSTR* id) override;
  HRESULT STDMETHODCALLTYPE GetFolderPath(BSTR* path) override;

 protected:
  virtual const std::vector<Member>& Members() const = 0;
  // put: the put or putref form, with the value in args.At(0).
  virtual void Call(const Member& member, bool put, const Args& args, Variant& result) = 0;

  World& world() const { return *world_; }
  const std::shared_ptr<World>& sharedWorld() const { return world_; }

  // Hands a new object out as a result: the caller gets the only reference.
  static Variant Give(DispatchObject* created);

 private:
  // What running a member came to: a value, or an error raised through EXCEPINFO.
  struct Outcome {
    Variant value;
    std::optional<DispatchError> error;
    bool deferred = false;  // the error's text goes through the deferred fill-in
  };

  const Member* Find(DISPID id) const;
  // Whether the client looked this DISPID up by name since its last call.
  bool TakeResolvedByName(DISPID id);
  // The member itself, unless faults.ini answers for it.
  Outcome RunMember(const Member& member, bool put, const Args& args);
  // The bodies of GetIDsOfNames and Invoke, which run them guarded.
  HRESULT ResolveNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids);
  HRESULT InvokeMember(DISPID id, REFIID iid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* excepInfo, UINT* argErr);

  std::shared_ptr<World> world_;
  std::string type_;
  std::string id_;
  std::atomic<ULONG> refs_{1};
  std::multiset<DISPID> resolvedByName_;
};

}  // namespace standin::com
