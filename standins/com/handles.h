#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

// The owning wrappers of the stand-ins: one per resource kind. Nothing else
// in the stand-ins calls Release, SysFreeString, VariantClear,
// SafeArrayDestroy or CloseHandle. Their members are named as the
// tool's own wrappers name theirs (src/win32/com.h), though no code is shared.
namespace standin::com {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes over a reference the caller owns.
  static ComPtr Attach(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  // Adds a reference of its own.
  static ComPtr Share(T* p) {
    if (p) p->AddRef();
    return Attach(p);
  }
  ComPtr(const ComPtr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() {
    if (p_) p_->Release();
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out parameters: releases what is held first.
  T** Put() {
    *this = nullptr;
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  // Gives the reference to the caller.
  T* Detach() { return std::exchange(p_, nullptr); }

  // By the interface's IID: the stand-ins' own interface has no __uuidof.
  template <class U>
  ComPtr<U> As(REFIID iid) const {
    ComPtr<U> other;
    if (p_) p_->QueryInterface(iid, other.PutVoid());
    return other;
  }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::wstring_view text)
      : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  static Bstr Attach(BSTR b) {
    Bstr s;
    s.b_ = b;
    return s;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  Bstr& operator=(Bstr&& o) noexcept {
    std::swap(b_, o.b_);
    return *this;
  }
  ~Bstr() { SysFreeString(b_); }

  BSTR Get() const { return b_; }
  BSTR* Put() {
    SysFreeString(std::exchange(b_, nullptr));
    return &b_;
  }
  BSTR Detach() { return std::exchange(b_, nullptr); }
  std::wstring_view View() const { return b_ ? std::wstring_view(b_, SysStringLen(b_)) : L""; }

 private:
  BSTR b_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(const Variant& o) : Variant() { VariantCopy(&v_, const_cast<VARIANT*>(&o.v_)); }
  Variant(Variant&& o) noexcept : Variant() { std::swap(v_, o.v_); }
  Variant& operator=(Variant o) noexcept {
    std::swap(v_, o.v_);
    return *this;
  }
  ~Variant() { VariantClear(&v_); }

  static Variant Copy(const VARIANT& from) {
    Variant v;
    VariantCopy(&v.v_, const_cast<VARIANT*>(&from));
    return v;
  }
  static Variant Text(std::wstring_view text) {
    Variant v;
    V_VT(&v.v_) = VT_BSTR;
    V_BSTR(&v.v_) = Bstr(text).Detach();
    return v;
  }
  static Variant Int32(LONG value) {
    Variant v;
    V_VT(&v.v_) = VT_I4;
    V_I4(&v.v_) = value;
    return v;
  }
  static Variant Bool(bool value) {
    Variant v;
    V_VT(&v.v_) = VT_BOOL;
    V_BOOL(&v.v_) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
  }
  static Variant Error(SCODE code) {
    Variant v;
    V_VT(&v.v_) = VT_ERROR;
    V_ERROR(&v.v_) = code;
    return v;
  }
  // Takes over the reference; a null pointer gives a null object reference.
  static Variant Object(IDispatch* owned) {
    Variant v;
    V_VT(&v.v_) = VT_DISPATCH;
    V_DISPATCH(&v.v_) = owned;
    return v;
  }
  // Takes over the array.
  static Variant Array(SAFEARRAY* owned, VARTYPE elementType) {
    Variant v;
    V_VT(&v.v_) = static_cast<VARTYPE>(VT_ARRAY | elementType);
    V_ARRAY(&v.v_) = owned;
    return v;
  }

  VARIANT* Get() { return &v_; }
  const VARIANT* Get() const { return &v_; }
  VARTYPE Type() const { return V_VT(&v_); }
  VARIANT* Put() {
    VariantClear(&v_);
    return &v_;
  }
  // Moves the value into a VARIANT the caller owns (cleared first).
  void MoveTo(VARIANT* target) {
    VariantClear(target);
    *target = v_;
    VariantInit(&v_);
  }

 private:
  VARIANT v_;
};

class SafeArray {
 public:
  SafeArray() = default;
  explicit SafeArray(SAFEARRAY* owned) : a_(owned) {}
  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;
  SafeArray(SafeArray&& o) noexcept : a_(std::exchange(o.a_, nullptr)) {}
  ~SafeArray() {
    if (a_) SafeArrayDestroy(a_);
  }
  SAFEARRAY* Get() const { return a_; }
  explicit operator bool() const { return a_ != nullptr; }
  SAFEARRAY* Detach() { return std::exchange(a_, nullptr); }

 private:
  SAFEARRAY* a_ = nullptr;
};

class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(HANDLE owned) : h_(owned) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle(FileHandle&& o) noexcept : h_(std::exchange(o.h_, INVALID_HANDLE_VALUE)) {}
  FileHandle& operator=(FileHandle&& o) noexcept {
    std::swap(h_, o.h_);
    return *this;
  }
  ~FileHandle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

// UTF-16 at the COM boundary, UTF-8 inside the store.
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace standin::com
