#include "com/module.h"

#include <atomic>
#include <map>
#include <mutex>

namespace standin::com::module {
namespace {

std::atomic<long> objects{0};
std::atomic<long> locks{0};

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

}  // namespace

void AddObject() { ++objects; }
void RemoveObject() { --objects; }
void Lock() { ++locks; }
void Unlock() { --locks; }
bool CanUnload() { return objects == 0 && locks == 0; }

std::wstring FilePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return L"";
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::filesystem::path Directory() { return std::filesystem::path(FilePath()).parent_path(); }

std::string NextObjectId(const std::string& type) {
  static std::mutex mutex;
  static std::map<std::string, int> counters;
  std::lock_guard lock(mutex);
  return type + "#" + std::to_string(++counters[type]);
}

}  // namespace standin::com::module
