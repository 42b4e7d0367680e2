#include "com/server.h"

#include <olectl.h>

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
    if (lock) {
      module::Lock();
    } else {
      module::Unlock();
    }
    return S_OK;
  }

 private:
  DispatchObject* (*create_)();
  std::atomic<ULONG> refs_{1};
};

std::wstring GuidText(const CLSID& clsid) {
  wchar_t text[40] = {};
  StringFromGUID2(clsid, text, 40);
  return text;
}

bool SetValue(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  RegKey key;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(),
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

HRESULT GetClassObject(const ClassInfo* classes, std::size_t count, REFCLSID clsid, REFIID iid,
                       void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (std::size_t i = 0; i < count; ++i) {
    if (!IsEqualCLSID(clsid, classes[i].clsid)) continue;
    auto factory = ComPtr<IClassFactory>::Attach(new ClassFactory(classes[i].create));
    return factory->QueryInterface(iid, out);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow() { return module::CanUnload() ? S_OK : S_FALSE; }

HRESULT RegisterClasses(const ClassInfo* classes, std::size_t count) {
  const std::wstring path = module::FilePath();
  const std::wstring base = L"Software\\Classes\\";
  for (std::size_t i = 0; i < count; ++i) {
    const ClassInfo& c = classes[i];
    const std::wstring clsid = GuidText(c.clsid);
    const std::wstring classKey = base + L"CLSID\\" + clsid;
    const bool ok = SetValue(HKEY_LOCAL_MACHINE, base + c.progId, nullptr, c.description) &&
                    SetValue(HKEY_LOCAL_MACHINE, base + c.progId + L"\\CLSID", nullptr, clsid) &&
                    SetValue(HKEY_LOCAL_MACHINE, classKey, nullptr, c.description) &&
                    SetValue(HKEY_LOCAL_MACHINE, classKey + L"\\ProgID", nullptr, c.progId) &&
                    SetValue(HKEY_LOCAL_MACHINE, classKey + L"\\InprocServer32", nullptr, path) &&
                    SetValue(HKEY_LOCAL_MACHINE, classKey + L"\\InprocServer32", L"ThreadingModel",
                             L"Apartment");
    if (!ok) return SELFREG_E_CLASS;
  }
  return S_OK;
}

HRESULT UnregisterClasses(const ClassInfo* classes, std::size_t count) {
  const std::wstring base = L"Software\\Classes\\";
  for (std::size_t i = 0; i < count; ++i) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (base + classes[i].progId).c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (base + L"CLSID\\" + GuidText(classes[i].clsid)).c_str());
  }
  return S_OK;
}

}  // namespace standin::com
