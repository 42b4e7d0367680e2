#include "com/world.h"

#include "com/module.h"
#include "store/ascii.h"

namespace standin::com {
namespace {

std::wstring Environment(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return L"";
  std::wstring value(size, L'\0');
  const DWORD n = GetEnvironmentVariableW(name, value.data(), size);
  value.resize(n < size ? n : 0);
  return value;
}

}  // namespace

std::shared_ptr<World> World::FromEnvironment(std::wstring errorSource) {
  std::wstring root = Environment(L"PELTERWYN_STORE");
  std::filesystem::path rootPath =
      root.empty() ? module::Directory() / L"store" : std::filesystem::path(root);
  return std::make_shared<World>(std::move(rootPath), Environment(L"PELTERWYN_JOURNAL"),
                                 std::move(errorSource));
}

World::World(std::filesystem::path root, std::wstring journalPath, std::wstring errorSource)
    : store_(root), faults_(store::Faults::Load(root)), errorSource_(std::move(errorSource)) {
  if (!journalPath.empty()) {
    // Append-only access: every line lands whole at the end, even with the
    // session and table DLLs (or two processes) writing the same file.
    journal_ = UniqueFile(CreateFileW(journalPath.c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
}

const store::Fault* World::CountCall(const std::string& type, const std::string& member) {
  std::lock_guard lock(mutex_);
  const int n = ++calls_[ascii::Lowered(type + "." + member)];
  return faults_.Find(type, member, n);
}

void World::Journal(const std::string& line) {
  if (!journal_) return;
  std::lock_guard lock(mutex_);
  DWORD written = 0;
  WriteFile(journal_.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace standin::com
