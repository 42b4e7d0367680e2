#pragma once

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include <cstddef>
#include <string_view>
#include <utility>

#include "owners/unique_any.h"

// The owners of COM resources: interface pointers, BSTRs, SAFEARRAYs and
// VARIANTs. Lifetime only: what a value means, and every conversion, stays
// with the code that builds it.
namespace pelterwyn::owners {

// An interface pointer that holds one reference.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}  // NOLINT(google-explicit-constructor)
  ComPtr(const ComPtr& other) : ptr_(other.ptr_) {
    if (ptr_) ptr_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Takes over a reference the caller already holds.
  static ComPtr Attach(T* ptr) {
    ComPtr result;
    result.ptr_ = ptr;
    return result;
  }
  // Adds a reference of its own.
  static ComPtr Share(T* ptr) {
    if (ptr) ptr->AddRef();
    return Attach(ptr);
  }

  void Reset() {
    if (T* ptr = std::exchange(ptr_, nullptr)) ptr->Release();
  }
  [[nodiscard]] T* Detach() { return std::exchange(ptr_, nullptr); }
  [[nodiscard]] T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

  // For out parameters: drops the current reference first.
  T** Put() {
    Reset();
    return &ptr_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  template <class U>
  HRESULT As(ComPtr<U>& out) const {
    if (!ptr_) return E_POINTER;
    return ptr_->QueryInterface(__uuidof(U), out.PutVoid());
  }

 private:
  T* ptr_ = nullptr;
};

// A BSTR, freed on destruction.
class Bstr : public UniqueAny<NullIsInvalid<BSTR, SysFreeString>> {
 public:
  using UniqueAny::UniqueAny;
  // A copy of UTF-16 text; never null, even when empty.
  explicit Bstr(std::wstring_view text)
      : UniqueAny(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  // A literal is copied, never taken over.
  explicit Bstr(const wchar_t* text) : Bstr(std::wstring_view(text)) {}

  // A null BSTR is the empty text.
  [[nodiscard]] std::wstring_view View() const {
    return Get() ? std::wstring_view(Get(), SysStringLen(Get())) : std::wstring_view();
  }
};

// A SAFEARRAY, destroyed on destruction.
using SafeArray = UniqueAny<NullIsInvalid<SAFEARRAY*, SafeArrayDestroy>>;

// A VARIANT, cleared on destruction; a copy is VariantCopy's. Its layout is
// that of a VARIANT, so an array of them can be handed to IDispatch::Invoke
// as its arguments.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant& other) : Variant() {
    VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
  }
  Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  Variant& operator=(Variant other) noexcept {
    std::swap(value_, other.value_);
    return *this;
  }
  ~Variant() { Reset(); }

  void Reset() {
    VariantClear(&value_);
    VariantInit(&value_);
  }
  [[nodiscard]] VARTYPE Type() const { return V_VT(&value_); }
  [[nodiscard]] const VARIANT* Get() const { return &value_; }
  VARIANT* Get() { return &value_; }
  // For out parameters: clears the current value first.
  VARIANT* Put() {
    Reset();
    return &value_;
  }
  // Moves the value into a VARIANT the caller owns (cleared first).
  void MoveTo(VARIANT* target) {
    VariantClear(target);
    *target = value_;
    VariantInit(&value_);
  }

 private:
  VARIANT value_;
};

static_assert(sizeof(Variant) == sizeof(VARIANT));

}  // namespace pelterwyn::owners
