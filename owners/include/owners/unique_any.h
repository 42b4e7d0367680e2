#pragma once

#include <windows.h>

#include <utility>

// The one owner of the handles the tool, the stand-ins and the test drivers
// hold, after wil's unique_any. A resource kind is a traits type that names
// the handle type, the value that holds nothing, and how the handle is given
// back.
namespace pelterwyn::owners {

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

// CreateFile's failure is INVALID_HANDLE_VALUE, not null.
struct FileTraits {
  using Type = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE file) { CloseHandle(file); }
};

// A DC got with GetDC is given back to its window (null: the screen).
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

// An object selected into a DC: closing selects the previous one back.
struct Selection {
  HDC dc = nullptr;
  HGDIOBJ previous = nullptr;
  bool operator==(const Selection&) const = default;
};
struct SelectionTraits {
  using Type = Selection;
  static Selection Invalid() { return {}; }
  static void Close(Selection held) { SelectObject(held.dc, held.previous); }
};

using UniqueFile = UniqueAny<FileTraits>;
// A process, thread or other kernel object, where failure is null.
using UniqueHandle = UniqueAny<NullIsInvalid<HANDLE, CloseHandle>>;
using UniqueLibrary = UniqueAny<NullIsInvalid<HMODULE, FreeLibrary>>;
using UniqueRegKey = UniqueAny<NullIsInvalid<HKEY, RegCloseKey>>;
using UniqueWindow = UniqueAny<NullIsInvalid<HWND, DestroyWindow>>;
using UniqueWindowDc = UniqueAny<WindowDcTraits>;
using UniqueMemoryDc = UniqueAny<NullIsInvalid<HDC, DeleteDC>>;
template <class Handle>
using UniqueGdi = UniqueAny<NullIsInvalid<Handle, DeleteObject>>;
using UniqueIcon = UniqueAny<NullIsInvalid<HICON, DestroyIcon>>;
using UniqueSelection = UniqueAny<SelectionTraits>;

// The DC of a window's client area, or of the screen for no window; empty
// when none is given.
inline UniqueWindowDc GetWindowDc(HWND window) {
  HDC dc = GetDC(window);
  return dc ? UniqueWindowDc(WindowDc{window, dc}) : UniqueWindowDc();
}

// Selects an object into a DC until the result is dropped.
inline UniqueSelection SelectInto(HDC dc, HGDIOBJ object) {
  HGDIOBJ previous = SelectObject(dc, object);
  return previous && previous != HGDI_ERROR ? UniqueSelection(Selection{dc, previous})
                                            : UniqueSelection();
}

}  // namespace pelterwyn::owners
