#pragma once

#include <windows.h>

#include <utility>

// The one owner of the handles the tool holds, after wil's unique_any (com.h
// builds BSTR and SAFEARRAY on it too). A resource kind is a traits type that
// names the handle type, the value that holds nothing, and how the handle is
// given back.
namespace pelterwyn::win32 {

template <class Traits>
class UniqueAny {
 public:
  using Type = typename Traits::Type;

  UniqueAny() = default;
  // Takes over a handle the caller owns.
  explicit UniqueAny(Type value) : value_(value) {}
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  UniqueAny(UniqueAny&& other) noexcept : value_(other.Detach()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    Reset(other.Detach());
    return *this;
  }
  ~UniqueAny() { Reset(); }

  [[nodiscard]] Type Get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::Invalid(); }
  // Gives the handle to the caller, unclosed.
  [[nodiscard]] Type Detach() { return std::exchange(value_, Traits::Invalid()); }
  void Reset(Type value = Traits::Invalid()) {
    const Type old = std::exchange(value_, value);
    if (old != Traits::Invalid()) Traits::Close(old);
  }
  // For out parameters: closes what is held first.
  Type* Put() {
    Reset();
    return &value_;
  }
  // For a by-reference argument: the callee may replace the handle, and
  // whatever it leaves there is closed here.
  Type* AddressOf() { return &value_; }

 private:
  Type value_ = Traits::Invalid();
};

// Null is nothing, as for most handle kinds.
template <class T, auto CloseFunction>
struct NullIsInvalid {
  using Type = T;
  static T Invalid() { return nullptr; }
  static void Close(T value) { CloseFunction(value); }
};

struct FileTraits {
  using Type = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE file) { CloseHandle(file); }
};

// A DC got with GetDC is given back to its window.
struct WindowDc {
  HWND window = nullptr;
  HDC dc = nullptr;
  bool operator==(const WindowDc&) const = default;
};
struct WindowDcTraits {
  using Type = WindowDc;
  static WindowDc Invalid() { return {}; }
  static void Close(WindowDc held) { ReleaseDC(held.window, held.dc); }
};

using UniqueFile = UniqueAny<FileTraits>;
using UniqueWindow = UniqueAny<NullIsInvalid<HWND, DestroyWindow>>;
using UniqueWindowDc = UniqueAny<WindowDcTraits>;
using UniqueLibrary = UniqueAny<NullIsInvalid<HMODULE, FreeLibrary>>;
using UniqueRegKey = UniqueAny<NullIsInvalid<HKEY, RegCloseKey>>;

// The DC of a window's client area; empty when the window gives none.
inline UniqueWindowDc GetWindowDc(HWND window) {
  HDC dc = GetDC(window);
  return dc ? UniqueWindowDc(WindowDc{window, dc}) : UniqueWindowDc();
}

}  // namespace pelterwyn::win32
