#include "com/server.h"

#include <atomic>

#include "com/guard.h"
#include "com/module.h"

namespace standin::com {
namespace {

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(DispatchObject* (*create)()) : create_(create) { module::AddObject(); }
  ~ClassFactory() { module::RemoveObject(); }
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return Guarded([&] {
      if (!out) return E_POINTER;
      if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
      }
      *out = nullptr;
      return E_NOINTERFACE;
    });
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    return Guarded([&] {
      if (!out) return E_POINTER;
      *out = nullptr;
      if (outer) return CLASS_E_NOAGGREGATION;
      auto object = ComPtr<IDispatch>::Attach(create_());
      return object->QueryInterface(iid, out);
    });
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lock ? module::AddObject() : module::RemoveObject();
    return S_OK;
  }

 private:
  DispatchObject* (*create_)();
  std::atomic<ULONG> refs_{1};
};

}  // namespace

HRESULT GetClassObject(const ClassInfo& info, REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, info.clsid)) return CLASS_E_CLASSNOTAVAILABLE;
  auto factory = ComPtr<IClassFactory>::Attach(new ClassFactory(info.create));
  return factory->QueryInterface(iid, out);
}

}  // namespace standin::com
