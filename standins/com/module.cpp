#include "com/module.h"

#include <atomic>
#include <map>
#include <mutex>

namespace standin::com::module {
namespace {

std::atomic<long> objects{0};

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

std::wstring FilePath() {
  std::wstring path(32768, L'\0');  // the longest path there is
  path.resize(GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size())));
  return path;
}

}  // namespace

void AddObject() { ++objects; }
void RemoveObject() { --objects; }
bool CanUnload() { return objects == 0; }

std::filesystem::path Directory() { return std::filesystem::path(FilePath()).parent_path(); }

std::string NextObjectId(const std::string& type) {
  static std::mutex mutex;
  static std::map<std::string, int> counters;
  std::lock_guard lock(mutex);
  return type + "#" + std::to_string(++counters[type]);
}

}  // namespace standin::com::module
