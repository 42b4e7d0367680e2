#pragma once

#include <windows.h>

#include <new>

// No exception crosses a COM boundary: every exported function and interface
// method of the stand-ins runs its body through Guarded.
namespace standin::com {

// The body's HRESULT; E_OUTOFMEMORY for std::bad_alloc, E_UNEXPECTED for
// anything else thrown.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace standin::com
