// Where the trace log goes: the file beside the module, at full width.
#include <gtest/gtest.h>

#include <string>

#include "win32/files_win32.h"

namespace pelterwyn::win32 {
namespace {

constexpr const wchar_t* kLog = L"Pelterwyn.log";

TEST(PathBeside, IsInTheModulesFolderLiftingTheLengthLimitFromMaxPathOn) {
  EXPECT_EQ(PathBeside(L"C:\\Tools\\Pelterwyn.exe", kLog), L"C:\\Tools\\Pelterwyn.log");
  EXPECT_EQ(PathBeside(L"C:\\Pelterwyn.exe", kLog), L"C:\\Pelterwyn.log");
  EXPECT_EQ(PathBeside(L"C:\\Pr\u00FCfung-\u65E5\u672C\\Pelterwyn.exe", kLog),
            L"C:\\Pr\u00FCfung-\u65E5\u672C\\Pelterwyn.log");

  // "C:\" + folder + "\Pelterwyn.log": 259 characters stay as they are, 260 do not.
  const std::wstring fits = L"C:\\" + std::wstring(242, L'f');
  EXPECT_EQ(PathBeside(fits + L"\\P.exe", kLog), fits + L"\\Pelterwyn.log");
  const std::wstring longer = fits + L"g";
  EXPECT_EQ(PathBeside(longer + L"\\P.exe", kLog), L"\\\\?\\" + longer + L"\\Pelterwyn.log");
  const std::wstring share = L"\\\\server\\share\\" + std::wstring(240, L's');
  EXPECT_EQ(PathBeside(share + L"\\P.exe", kLog),
            L"\\\\?\\UNC\\server\\share\\" + std::wstring(240, L's') + L"\\Pelterwyn.log");
  EXPECT_EQ(PathBeside(L"\\\\?\\" + longer + L"\\P.exe", kLog),
            L"\\\\?\\" + longer + L"\\Pelterwyn.log");
}

TEST(PathBeside, NoFolderGivesNoPathRatherThanTheDriveRoot) {
  EXPECT_EQ(PathBeside(L"", kLog), std::nullopt);
  EXPECT_EQ(PathBeside(L"Pelterwyn.exe", kLog), std::nullopt);
  EXPECT_EQ(PathBeside(L"\\Pelterwyn.exe", kLog), std::nullopt);
}

}  // namespace
}  // namespace pelterwyn::win32
