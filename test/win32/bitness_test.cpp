// Each build sees the machine as a program of its bitness does on 64-bit
// Windows: a 32-bit process reads the 32-bit registry view and finds
// SysWOW64 as its system folder. The template prefix registers the stand-ins
// of both builds, each in its own view.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>

#include "probes/registry.h"
#include "probes/version.h"
#include "support/wine_paths.h"
#include "win32/registry_win32.h"
#include "win32/version_win32.h"

namespace pelterwyn {
namespace {

constexpr bool k64Bit = sizeof(void*) == 8;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(Bitness, EachBuildFindsTheCdoRegisteredForItsBitness) {
  win32::Win32Registry registry;
  const std::string own = testing::BinaryDir() + "\\standins\\cdo\\cdo.dll";
  EXPECT_EQ(Lower(GetCdoPath(registry)), Lower(own));
  EXPECT_FALSE(IsCdoRegisteredFor32BitOnly(registry));
  // The 32-bit view holds the 32-bit build's server, whichever build reads it.
  const std::string wow32 = ToText(GetRegValue32(
      registry, kHkeyLocalMachine, std::string("Software\\Classes\\") + kCdoInprocServerKey, ""));
  EXPECT_NE(Lower(wow32).find("\\build\\mingw-x86\\standins\\cdo\\cdo.dll"), std::string::npos)
      << wow32;
}

// The bare-name query finds mapi32.dll in the system folder of the process's
// bitness: System32 as a 32-bit process names it is SysWOW64, and the other
// system folder keeps its own file.
TEST(Bitness, Mapi32OnTheSearchPathComesFromTheOwnSystemFolder) {
  if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"))
    GTEST_SKIP() << "replaces a file in the system folder: only in a test prefix";
  char system[MAX_PATH] = {};
  char windows[MAX_PATH] = {};
  ASSERT_NE(GetSystemDirectoryA(system, MAX_PATH), 0u);
  ASSERT_NE(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  const std::string own = std::string(windows) + (k64Bit ? "\\System32" : "\\SysWOW64");
  const std::string other = std::string(windows) + (k64Bit ? "\\SysWOW64" : "\\Sysnative");

  // Moved aside, never written through: the prefix shares its files with the template.
  const std::string mapi = std::string(system) + "\\mapi32.dll";
  const std::string aside = mapi + ".aside";
  ASSERT_TRUE(MoveFileA(mapi.c_str(), aside.c_str())) << GetLastError();
  const bool copied = CopyFileA((testing::BinaryDir() + "\\fixtures\\system\\mapi32.dll").c_str(),
                                mapi.c_str(), TRUE);
  win32::Win32Versions versions;
  const std::string found = GetFileVersion(versions, "mapi32.dll");
  const std::string inOwn = GetFileVersion(versions, own + "\\mapi32.dll");
  const std::string inOther = GetFileVersion(versions, other + "\\mapi32.dll");
  DeleteFileA(mapi.c_str());
  MoveFileA(aside.c_str(), mapi.c_str());
  ASSERT_TRUE(copied) << GetLastError();
  EXPECT_EQ(found, "4.3.2.1");
  EXPECT_EQ(inOwn, "4.3.2.1");
  EXPECT_NE(inOther, "4.3.2.1");
  EXPECT_NE(inOther, "");
}

}  // namespace
}  // namespace pelterwyn
