#pragma once

// The one conversion between the core's 8-bit text (process code page) and
// the UTF-16 of the COM boundary, and the values the adapters build with it.

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "owners/com.h"

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

// The COM owners by their short names; what follows builds their values.
using owners::Bstr;
using owners::ComPtr;
using owners::SafeArray;
using owners::Variant;

// Allocates a (never null) BSTR from text in the process code page.
Bstr MakeBstr(std::string_view text);

// The arguments the adapters pass.
namespace variant {
Variant Text(std::string_view text);
Variant Text(std::wstring_view text);
Variant Bool(bool value);
Variant Int16(std::int16_t value);
Variant Int32(std::int32_t value);
// Holds a reference of its own; a null pointer gives a null object reference.
Variant Dispatch(IDispatch* object);
Variant VariantArray(SafeArray array);
// By reference: the target must outlive the VARIANT, which does not own it.
Variant Int16Ref(SHORT* target);
Variant BstrRef(BSTR* target);
}  // namespace variant

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
