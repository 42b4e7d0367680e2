#pragma once

#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/services.h"

namespace pelterwyn::fakes {

// An in-memory registry behind the open/query/close seam, with the platform's
// rules: key and value names match without regard to case, HKEY_CLASSES_ROOT
// is a view of HKEY_LOCAL_MACHINE\Software\Classes, a too-small buffer gives
// ERROR_MORE_DATA with the size needed, and the handle 0 is invalid.
class FakeRegistry final : public RegistryApi {
 public:
  static constexpr long kErrorInvalidHandle = 6;

  struct Value {
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;
  };

  // Raw data exactly as stored; creates the key and its parents.
  void Set(std::uint32_t root, const std::string& subKey, const std::string& name,
           std::uint32_t type, std::vector<std::uint8_t> bytes) {
    const std::string path = Path(root, subKey);
    for (std::size_t i = path.find('\\'); i != std::string::npos; i = path.find('\\', i + 1))
      keys_[path.substr(0, i)];
    keys_[path][Lower(name)] = Value{type, std::move(bytes)};
  }
  // A string value as RegSetValueExA stores it with its terminating NUL.
  void SetString(std::uint32_t root, const std::string& subKey, const std::string& name,
                 const std::string& text, std::uint32_t type = kRegSz) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    Set(root, subKey, name, type, std::move(bytes));
  }
  void SetDword(std::uint32_t root, const std::string& subKey, const std::string& name,
                std::uint32_t value) {
    std::vector<std::uint8_t> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    Set(root, subKey, name, kRegDword, std::move(bytes));
  }
  void CreateKey(std::uint32_t root, const std::string& subKey) {
    const std::string path = Path(root, subKey);
    for (std::size_t i = path.find('\\'); i != std::string::npos; i = path.find('\\', i + 1))
      keys_[path.substr(0, i)];
    keys_[path];
  }

  // The same in the view 32-bit programs see, where it differs from this process's own.
  void SetString32(std::uint32_t root, const std::string& subKey, const std::string& name,
                   const std::string& text) {
    SetString(root, kView32 + subKey, name, text);
  }

  long OpenKey(std::uint32_t root, const std::string& subKey, Key* key) override {
    return Open(Path(root, subKey), subKey, key);
  }
  long OpenKey32(std::uint32_t root, const std::string& subKey, Key* key) override {
    return Open(Path(root, kView32 + subKey), subKey, key);
  }

 private:
  static constexpr const char* kView32 = "wow32|";

  long Open(const std::string& path, const std::string& subKey, Key* key) {
    if (throwOnOpen) throw std::runtime_error("registry fault");
    opened.push_back(subKey);
    if (!keys_.count(path)) return kErrorFileNotFound;
    *key = nextHandle_++;
    open_[*key] = path;
    return 0;
  }

 public:
  long QueryValue(Key key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    const auto handle = open_.find(key);
    if (handle == open_.end()) return kErrorInvalidHandle;
    queried.push_back(handle->second + ":" + valueName);
    if (data != nullptr && beforeDataQuery) beforeDataQuery(valueName);
    if (data != nullptr && failDataQueryWith != 0) return failDataQueryWith;
    auto& values = keys_[handle->second];
    const auto found = values.find(Lower(valueName));
    if (found == values.end()) return kErrorFileNotFound;
    const Value& value = found->second;
    *type = value.type;
    const auto needed = static_cast<std::uint32_t>(value.bytes.size());
    if (data == nullptr) {
      *size = needed;
      return 0;
    }
    if (*size < needed) {
      *size = needed;
      return kErrorMoreData;
    }
    if (!value.bytes.empty()) std::memcpy(data, value.bytes.data(), needed);
    // Like NT: a string stored without its NUL gets one when there is room,
    // which the size written does not count.
    const bool isString = value.type == kRegSz || value.type == kRegExpandSz;
    if (isString && needed < *size && (needed == 0 || data[needed - 1] != 0)) data[needed] = 0;
    *size = needed;
    return 0;
  }

  void CloseKey(Key key) override {
    closed.push_back(key);
    open_.erase(key);
  }

  std::size_t OpenHandles() const { return open_.size(); }

  // Faults on demand: a hook that runs at the start of every data query (so
  // it can change the value after its size was asked), a status that every
  // data query returns, and an open that throws.
  std::function<void(const std::string& valueName)> beforeDataQuery;
  long failDataQueryWith = 0;
  bool throwOnOpen = false;

  std::vector<std::string> opened;   // subkeys asked for, as passed
  std::vector<std::string> queried;  // "normalised key path:value name"
  std::vector<Key> closed;

 private:
  static std::string Lower(std::string text) {
    for (char& c : text)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
  }
  static std::string Path(std::uint32_t root, const std::string& subKey) {
    if (root == kHkeyClassesRoot) return Lower("hklm\\software\\classes\\" + subKey);
    if (root == kHkeyLocalMachine) return Lower("hklm\\" + subKey);
    return Lower("root" + std::to_string(root) + "\\" + subKey);
  }

  std::map<std::string, std::map<std::string, Value>> keys_;
  std::map<Key, std::string> open_;
  Key nextHandle_ = 0x100;
};

}  // namespace pelterwyn::fakes
