#include "support/scratch_registry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <utility>
#include <vector>

#include "owners/unique_any.h"

namespace pelterwyn::testing {

namespace {

constexpr char kAside[] = "Software\\PelterwynTest.Aside";

using Key = owners::UniqueRegKey;

REGSAM ViewFlag(View view) {
  constexpr REGSAM kFlags[] = {0, KEY_WOW64_32KEY, KEY_WOW64_64KEY};
  return kFlags[static_cast<int>(view)];
}

Key Open(const Hive& hive, const std::string& path, REGSAM access = KEY_READ) {
  Key key;
  if (RegOpenKeyExA(hive.key, path.c_str(), 0, access | ViewFlag(hive.view), key.Put()) !=
      ERROR_SUCCESS) {
    return Key();
  }
  return key;
}

Key Create(const Hive& hive, const std::string& path) {
  Key key;
  if (RegCreateKeyExA(hive.key, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | ViewFlag(hive.view),
                      nullptr, key.Put(), nullptr) != ERROR_SUCCESS) {
    return Key();
  }
  return key;
}

// A value's type and bytes; nothing when it is absent.
std::optional<std::pair<DWORD, std::vector<BYTE>>> Value(HKEY key, const std::string& name) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<BYTE> data(size);
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(size);
  return std::pair{type, data};
}

// RegDeleteTreeA has no view of its own: empty the key opened in the view,
// then delete it there.
LSTATUS DeleteTree(const Hive& hive, const std::string& path) {
  Key key = Open(hive, path, KEY_ALL_ACCESS);
  if (!key) return ERROR_FILE_NOT_FOUND;
  const LSTATUS emptied = RegDeleteTreeA(key.Get(), nullptr);
  key.Reset();
  if (emptied != ERROR_SUCCESS) return emptied;
  return RegDeleteKeyExA(hive.key, path.c_str(), ViewFlag(hive.view), 0);
}

}  // namespace

ScratchRegistry::ScratchRegistry() {
  static std::atomic<int> counter{0};
  aside_ = std::string(kAside) + "\\" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}

ScratchRegistry::~ScratchRegistry() {
  for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) (*it)();
  // Each only when empty: a key that could not be put back stays aside.
  if (hidden_ > 0) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, aside_.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAside);
  }
}

void ScratchRegistry::MakeKey(const Hive& hive, const std::string& path) {
  // The topmost key that is new goes at the end, and all below it.
  for (std::size_t end = 0; end != std::string::npos;) {
    end = path.find('\\', end + 1);
    const std::string prefix = path.substr(0, end);
    if (!Exists(hive, prefix)) {
      undo_.push_back([hive, prefix] { DeleteTree(hive, prefix); });
      break;
    }
  }
  ASSERT_TRUE(Create(hive, path)) << path;
}

void ScratchRegistry::Set(const Hive& hive, const std::string& path, const std::string& name,
                          DWORD type, const void* data, DWORD size) {
  ASSERT_NO_FATAL_FAILURE(MakeKey(hive, path));
  const Key key = Open(hive, path, KEY_ALL_ACCESS);
  ASSERT_TRUE(key) << path;
  const auto old = Value(key.Get(), name);
  undo_.push_back([=] {
    const Key undo = Open(hive, path, KEY_ALL_ACCESS);
    if (undo && old) {
      RegSetValueExA(undo.Get(), name.c_str(), 0, old->first, old->second.data(),
                     static_cast<DWORD>(old->second.size()));
    } else if (undo) {
      RegDeleteValueA(undo.Get(), name.c_str());
    }
  });
  ASSERT_EQ(RegSetValueExA(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS)
      << path << ":" << name;
}

void ScratchRegistry::SetString(const Hive& hive, const std::string& path, const std::string& name,
                                const std::string& text, DWORD type) {
  Set(hive, path, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void ScratchRegistry::SetDword(const Hive& hive, const std::string& path, const std::string& name,
                               DWORD value) {
  Set(hive, path, name, REG_DWORD, &value, sizeof value);
}

void ScratchRegistry::Hide(const Hive& hive, const std::string& path) {
  const Key from = Open(hive, path);
  if (!from) return;
  const std::string aside = aside_ + "\\" + std::to_string(hidden_++);
  {
    const Key to = Create(HKEY_LOCAL_MACHINE, aside);
    ASSERT_TRUE(to) << aside;
    ASSERT_EQ(RegCopyTreeA(from.Get(), nullptr, to.Get()), ERROR_SUCCESS) << path;
  }
  undo_.push_back([hive, path, aside] {
    const Key saved = Open(HKEY_LOCAL_MACHINE, aside);
    const Key back = Create(hive, path);
    if (saved && back && RegCopyTreeA(saved.Get(), nullptr, back.Get()) == ERROR_SUCCESS) {
      DeleteTree(HKEY_LOCAL_MACHINE, aside);
    }
  });
  ASSERT_EQ(DeleteTree(hive, path), ERROR_SUCCESS) << path;
}

bool ScratchRegistry::Exists(const Hive& hive, const std::string& path) {
  return static_cast<bool>(Open(hive, path));
}

std::optional<std::string> ScratchRegistry::ReadString(const Hive& hive, const std::string& path,
                                                       const std::string& name) {
  const Key key = Open(hive, path);
  const auto value = key ? Value(key.Get(), name) : std::nullopt;
  if (!value || (value->first != REG_SZ && value->first != REG_EXPAND_SZ)) return std::nullopt;
  std::string text(value->second.begin(), value->second.end());
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

}  // namespace pelterwyn::testing
