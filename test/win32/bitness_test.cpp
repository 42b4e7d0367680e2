// Each build sees the machine as a program of its bitness does on 64-bit
// Windows: a 32-bit process reads the 32-bit registry view and finds
// SysWOW64 as its system folder. The template prefix registers the stand-ins
// of both builds, each in its own view.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>

#include "fake_window.h"
#include "probes/com_server.h"
#include "probes/messaging_check.h"
#include "probes/registry.h"
#include "probes/version.h"
#include "support/bitness.h"
#include "support/messaging_texts.h"
#include "support/scratch_registry.h"
#include "support/wine_paths.h"
#include "win32/locale_win32.h"
#include "win32/registry_win32.h"
#include "win32/version_win32.h"

namespace pelterwyn {
namespace {

using testing::k64Bit;
using testing::View;

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

// Office registers in the view of its own bitness: the messaging check sees
// only the Office its build could load, here 9.0, never the other view's 10.0.
TEST(Bitness, TheMessagingCheckReadsTheOfficeKeysOfItsOwnView) {
  constexpr const char* kOffice = "Software\\Microsoft\\Office";
  testing::ScratchRegistry scratch;
  const View other = k64Bit ? View::Bits32 : View::Bits64;
  for (View view : {View::Bits32, View::Bits64}) scratch.Hide({HKEY_LOCAL_MACHINE, view}, kOffice);
  scratch.Hide(HKEY_LOCAL_MACHINE, "Software\\Classes\\MAPI.Session");
  scratch.SetString({HKEY_LOCAL_MACHINE, other},
                    std::string(kOffice) + "\\10.0\\Outlook\\InstallRoot", "Path",
                    "C:\\Office10\\");
  scratch.SetDword({HKEY_LOCAL_MACHINE, other}, std::string(kOffice) + "\\10.0\\Outlook\\Setup",
                   "First-Run", 0);
  scratch.SetString(HKEY_LOCAL_MACHINE, std::string(kOffice) + "\\9.0\\Outlook\\InstallRoot",
                    "Path", "C:\\Office9\\");
  scratch.SetDword(HKEY_LOCAL_MACHINE, std::string(kOffice) + "\\9.0\\Outlook\\Setup",
                   "MailSupport", 1);

  fakes::FakeWindow window;
  win32::Win32Registry registry;
  win32::Win32Versions versions;
  win32::Win32Locale locale;
  EXPECT_TRUE(CheckMessagingSubsystem(window, registry, versions, locale));
  EXPECT_EQ(window.Result(), testing::Detected("9", true));
}

// The bare-name query finds mapi32.dll in the system folder of the process's
// bitness: System32 as a 32-bit process names it is SysWOW64, and the other
// system folder keeps its own file.
TEST(Bitness, Mapi32OnTheSearchPathComesFromTheOwnSystemFolder) {
  if (!testing::WineDiffers("replaces a file in the system folder, which only a test prefix may"))
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
