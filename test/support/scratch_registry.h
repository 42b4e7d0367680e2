#pragma once

// Registry keys and values of a test's own, in a chosen registry view. Every
// change is undone when the scratch registry goes, the last first: values
// get their old data back, keys it made are removed, and keys it hid (moved
// aside, never deleted outright) are put back. So the tests may run on a
// real workstation.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pelterwyn::testing {

// The process's own view, or explicitly the 32-bit or 64-bit one
// (KEY_WOW64_32KEY, KEY_WOW64_64KEY).
enum class View { Own, Bits32, Bits64 };

// A predefined key in a view: HKEY_LOCAL_MACHINE, or the core's number for it.
struct Hive {
  Hive(HKEY root, View in = View::Own) : key(root), view(in) {}
  Hive(std::uint32_t root, View in = View::Own)
      : key(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)))), view(in) {}
  HKEY key;
  View view;
};

class ScratchRegistry {
 public:
  ScratchRegistry();
  ~ScratchRegistry();
  ScratchRegistry(const ScratchRegistry&) = delete;
  ScratchRegistry& operator=(const ScratchRegistry&) = delete;

  // Raw bytes with the given type, exactly as RegSetValueExA stores them;
  // the key and its missing parents are made.
  void Set(const Hive& hive, const std::string& path, const std::string& name, DWORD type,
           const void* data, DWORD size);
  // The text and its terminating NUL, as a program normally writes a string.
  void SetString(const Hive& hive, const std::string& path, const std::string& name,
                 const std::string& text, DWORD type = REG_SZ);
  void SetDword(const Hive& hive, const std::string& path, const std::string& name, DWORD value);

  // Moves a key with all it holds out of the way until the end; nothing
  // happens when there is no such key.
  void Hide(const Hive& hive, const std::string& path);

  // Reading, without a change to undo.
  static bool Exists(const Hive& hive, const std::string& path);
  // A string value; nothing when the key or value is absent or not text.
  static std::optional<std::string> ReadString(const Hive& hive, const std::string& path,
                                               const std::string& name);

 private:
  void MakeKey(const Hive& hive, const std::string& path);

  std::string aside_;  // HKLM, own view: where hidden keys wait
  int hidden_ = 0;
  std::vector<std::function<void()>> undo_;
};

}  // namespace pelterwyn::testing
