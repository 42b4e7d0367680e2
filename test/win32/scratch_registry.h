#pragma once

// Registry keys and values of a test's own, written through the plain "A"
// functions and removed when the test ends; keys the test needs absent are
// moved aside and put back.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "probes/registry.h"
#include "win32/registry_win32.h"

namespace pelterwyn::testing {

inline HKEY RootHandle(std::uint32_t root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

class ScratchRegistry {
 public:
  ScratchRegistry() = default;
  ScratchRegistry(const ScratchRegistry&) = delete;
  ScratchRegistry& operator=(const ScratchRegistry&) = delete;

  ~ScratchRegistry() {
    for (auto it = values_.rbegin(); it != values_.rend(); ++it) {
      if (it->existed)
        RegSetKeyValueA(RootHandle(it->root), it->path.c_str(), it->name.c_str(), it->type,
                        it->data.data(), static_cast<DWORD>(it->data.size()));
      else
        RegDeleteKeyValueA(RootHandle(it->root), it->path.c_str(), it->name.c_str());
    }
    for (auto it = created_.rbegin(); it != created_.rend(); ++it)
      RegDeleteTreeA(RootHandle(it->first), it->second.c_str());
    for (auto it = hidden_.rbegin(); it != hidden_.rend(); ++it) Restore(*it);
    if (!hidden_.empty()) RegDeleteTreeA(HKEY_LOCAL_MACHINE, kAside);
  }

  // Raw bytes with the given type, exactly as RegSetValueExA stores them.
  void Set(std::uint32_t root, const std::string& path, const std::string& name, DWORD type,
           const void* data, DWORD size) {
    RegistryKey key(registry_);
    Create(root, path, key);
    values_.push_back(Previous(key, root, path, name));
    ASSERT_EQ(RegSetValueExA(reinterpret_cast<HKEY>(key.get()), name.c_str(), 0, type,
                             static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS)
        << path << ":" << name;
  }
  // The text and its terminating NUL, as a program normally writes a string.
  void SetString(std::uint32_t root, const std::string& path, const std::string& name,
                 const std::string& text, DWORD type = REG_SZ) {
    Set(root, path, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  void SetDword(std::uint32_t root, const std::string& path, const std::string& name, DWORD value) {
    Set(root, path, name, REG_DWORD, &value, sizeof value);
  }
  void CreateKey(std::uint32_t root, const std::string& path) {
    RegistryKey key(registry_);
    Create(root, path, key);
  }

  // Moves an existing key (a registration the template prefix may carry)
  // out of the way until the test ends.
  void Hide(std::uint32_t root, const std::string& path) {
    if (!Exists(root, path)) return;
    const std::string aside = std::string(kAside) + "\\" + std::to_string(hidden_.size());
    RegistryKey from(registry_);
    RegistryKey to(registry_);
    ASSERT_EQ(registry_.OpenKey(root, path, from.out()), 0);
    Create(kHkeyLocalMachine, aside, to, false);
    ASSERT_EQ(
        RegCopyTreeA(reinterpret_cast<HKEY>(from.get()), nullptr, reinterpret_cast<HKEY>(to.get())),
        ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteTreeA(RootHandle(root), path.c_str()), ERROR_SUCCESS);
    hidden_.push_back({root, path, aside});
  }

  bool Exists(std::uint32_t root, const std::string& path) {
    RegistryKey key(registry_);
    return registry_.OpenKey(root, path, key.out()) == 0;
  }

 private:
  static constexpr const char* kAside = "Software\\PelterwynTest.Aside";

  // A value as it was before the test wrote it, to be put back.
  struct Value {
    std::uint32_t root;
    std::string path;
    std::string name;
    bool existed = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
  };
  struct Hidden {
    std::uint32_t root;
    std::string path;
    std::string aside;
  };

  // Creates the key and its missing parents; remembers the topmost new one.
  void Create(std::uint32_t root, const std::string& path, RegistryKey& key, bool remember = true) {
    if (remember) {
      for (std::size_t end = 0; end != std::string::npos;) {
        end = path.find('\\', end + 1);
        const std::string prefix = path.substr(0, end);
        if (!Exists(root, prefix)) {
          created_.emplace_back(root, prefix);
          break;
        }
      }
    }
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExA(RootHandle(root), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &created, nullptr),
              ERROR_SUCCESS)
        << path;
    *key.out() = reinterpret_cast<RegistryApi::Key>(created);
  }

  static Value Previous(const RegistryKey& key, std::uint32_t root, const std::string& path,
                        const std::string& name) {
    Value value{root, path, name, false, REG_NONE, {}};
    const HKEY handle = reinterpret_cast<HKEY>(key.get());
    DWORD size = 0;
    if (RegQueryValueExA(handle, name.c_str(), nullptr, &value.type, nullptr, &size) != 0)
      return value;
    value.data.resize(size);
    value.existed = RegQueryValueExA(handle, name.c_str(), nullptr, &value.type, value.data.data(),
                                     &size) == ERROR_SUCCESS;
    value.data.resize(size);
    return value;
  }

  void Restore(const Hidden& hidden) {
    RegistryKey from(registry_);
    RegistryKey to(registry_);
    if (registry_.OpenKey(kHkeyLocalMachine, hidden.aside, from.out()) != 0) return;
    HKEY created = nullptr;
    if (RegCreateKeyExA(RootHandle(hidden.root), hidden.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &created, nullptr) != ERROR_SUCCESS)
      return;
    *to.out() = reinterpret_cast<RegistryApi::Key>(created);
    RegCopyTreeA(reinterpret_cast<HKEY>(from.get()), nullptr, created);
  }

  win32::Win32Registry registry_;
  std::vector<std::pair<std::uint32_t, std::string>> created_;
  std::vector<Value> values_;
  std::vector<Hidden> hidden_;
};

}  // namespace pelterwyn::testing
