#pragma once

// The owning wrappers for COM resources, and the one conversion between the
// core's 8-bit text (process code page) and the UTF-16 of the COM boundary.

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "win32/handles.h"

namespace pelterwyn::win32 {

std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);
// A null BSTR is the empty text.
std::string NarrowBstr(BSTR text);

// The system's message text for an error code, without the trailing line
// break; for the codes of a missing class and for an exception without a code
// of its own, Windows' text where the system has none; otherwise empty when
// the system has none.
std::string SystemMessageText(HRESULT hr);

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
  // Allocates a (never null) BSTR from text in the process code page.
  explicit Bstr(std::string_view text);
  explicit Bstr(std::wstring_view text);

  // In the process code page; a null BSTR is the empty text.
  [[nodiscard]] std::string ToString() const { return NarrowBstr(Get()); }
};

// A SAFEARRAY, destroyed on destruction.
using SafeArray = UniqueAny<NullIsInvalid<SAFEARRAY*, SafeArrayDestroy>>;

// A VARIANT, cleared on destruction. Its layout is that of a VARIANT, so an
// array of them can be handed to IDispatch::Invoke as its arguments.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  Variant& operator=(Variant&& other) noexcept;
  ~Variant() { Reset(); }

  static Variant Text(std::string_view text);
  static Variant Text(std::wstring_view text);
  static Variant Bool(bool value);
  static Variant Int16(std::int16_t value);
  static Variant Int32(std::int32_t value);
  // Holds a reference of its own; a null pointer gives a null object reference.
  static Variant Dispatch(IDispatch* object);
  static Variant VariantArray(SafeArray array);
  // By reference: the target must outlive the VARIANT, which does not own it.
  static Variant Int16Ref(SHORT* target);
  static Variant BstrRef(BSTR* target);

  void Reset();
  [[nodiscard]] VARTYPE Type() const { return V_VT(&value_); }
  [[nodiscard]] const VARIANT* Get() const { return &value_; }
  VARIANT* Get() { return &value_; }
  // For out parameters: clears the current value first.
  VARIANT* Put() {
    Reset();
    return &value_;
  }

 private:
  VARIANT value_;
};

static_assert(sizeof(Variant) == sizeof(VARIANT));

// Initialises COM (and OLE, for the window) on the calling thread, a
// single-threaded apartment, for the object's lifetime.
class ComApartment {
 public:
  ComApartment() : hr_(OleInitialize(nullptr)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(hr_)) OleUninitialize();
  }
  [[nodiscard]] HRESULT Result() const { return hr_; }

 private:
  HRESULT hr_;
};

}  // namespace pelterwyn::win32
