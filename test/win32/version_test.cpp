// File versions of real files under Wine: fixtures built with known
// VERSIONINFO resources, a text file, a missing file and bare names.
#include <windows.h>

#include <gtest/gtest.h>

#include "probes/version.h"
#include "support/files.h"
#include "support/wine_paths.h"
#include "win32/version_win32.h"

namespace pelterwyn {
namespace {

using testing::FixturePath;

class RealVersions : public ::testing::Test {
 protected:
  std::string Version(const std::string& file) { return GetFileVersion(versions, file); }

  win32::Win32Versions versions;
};

TEST_F(RealVersions, FixedFileVersionOfLibrariesAndPrograms) {
  EXPECT_EQ(Version(FixturePath("versioned\\v6.5.7638.1.dll")), "6.5.7638.1");
  EXPECT_EQ(Version(FixturePath("versioned\\zero.dll")), "0.0.0.0");
  EXPECT_EQ(Version(FixturePath("versioned\\max.dll")), "65535.65535.65535.65535");
  EXPECT_EQ(Version(FixturePath("versioned\\mixed.dll")), "65535.1.2.65535");
  EXPECT_EQ(Version(FixturePath("versioned\\tool.exe")), "1.2.3.4");
  EXPECT_EQ(Version(FixturePath("outlook-8.50.0.1\\outlook.exe")), "8.50.0.1");
  EXPECT_EQ(Version(FixturePath("outlook-12.3.0.1\\outlook.exe")), "12.3.0.1");
}

TEST_F(RealVersions, RootBlockGivesBothVersionWords) {
  const auto fixed = versions.ReadFixedFileVersion(FixturePath("versioned\\v6.5.7638.1.dll"));
  ASSERT_TRUE(fixed.has_value());
  EXPECT_EQ(fixed->fileVersionMS, 0x00060005u);
  EXPECT_EQ(fixed->fileVersionLS, 0x1DD60001u);
}

TEST_F(RealVersions, FilesWithoutVersionResourceGiveEmpty) {
  // In a fresh folder: drive C: shares its files with the template prefix.
  const testing::TempFolder folder;
  const std::string text = folder.Path() + "\\no-version.txt";
  ASSERT_TRUE(testing::WriteFileBytes(text, "no version here\r\n"));
  EXPECT_EQ(Version(text), "");
  EXPECT_EQ(versions.ReadFixedFileVersion(text), std::nullopt);

  EXPECT_EQ(Version(FixturePath("versioned\\missing.dll")), "");
  EXPECT_EQ(Version(""), "");
}

TEST_F(RealVersions, BareNamesFollowTheLoaderSearchPath) {
  if (testing::WineDiffers("Wine's built-in mapi32 answers a version query of the bare name")) {
    EXPECT_EQ(Version("mapi32.dll"), "1.0.0.0");
  }
  EXPECT_EQ(Version("pelterwyn-nowhere.dll"), "");

  char previous[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, previous), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(FixturePath("versioned").c_str()));
  const std::string found = Version("mixed.dll");
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(found, "65535.1.2.65535");
}

}  // namespace
}  // namespace pelterwyn
