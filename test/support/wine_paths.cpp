#include "support/wine_paths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "win32/handles.h"

namespace pelterwyn::testing {

namespace {

bool OnWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

}  // namespace

bool WineDiffers(std::string_view reason) {
  if (!OnWine()) return false;
  constexpr char kList[] = "PELTERWYN_WINE_DIFFERS";
  std::string list(GetEnvironmentVariableA(kList, nullptr, 0), '\0');
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  if (list.empty() || !test) return true;
  list.resize(GetEnvironmentVariableA(kList, list.data(), static_cast<DWORD>(list.size())));
  const std::string line =
      std::string(test->test_suite_name()) + "." + test->name() + ": " + std::string(reason) + "\n";
  // Append-only access and a single write: the line lands whole at the end
  // while other test processes append to the same file.
  const win32::UniqueFile file(CreateFileA(WinePath(list).c_str(), FILE_APPEND_DATA,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  EXPECT_TRUE(
      file &&
      WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
      written == line.size())
      << "cannot append to " << list;
  return true;
}

std::string WinePath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string SourceDir() { return WinePath(PELTERWYN_SOURCE_DIR); }
std::string BinaryDir() { return WinePath(PELTERWYN_BINARY_DIR); }
std::string ExePath() { return BinaryDir() + "\\bin\\Pelterwyn.exe"; }
std::string FixturePath(const std::string& relative) {
  return BinaryDir() + "\\fixtures\\" + relative;
}

}  // namespace pelterwyn::testing
