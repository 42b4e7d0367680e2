// The messaging subsystem check in a prefix of its own: Office keys written
// to HKLM, BinDirPath pointing at the fixture outlook.exe folders, the real
// locale conversions in each locale.
#include <gtest/gtest.h>

#include "support/messaging_texts.h"

#include "fake_window.h"
#include "probes/messaging_check.h"
#include "support/locale.h"
#include "support/scratch_registry.h"
#include "support/wine_paths.h"
#include "win32/locale_win32.h"
#include "win32/registry_win32.h"
#include "win32/version_win32.h"

namespace pelterwyn {
namespace {

constexpr const char* kPrevious = "Logon: earlier";
using testing::Detected;
using testing::kFirstRun;
using testing::kNoSubsystem;
using testing::kOutlook97;

constexpr const char* kOffice = "Software\\Microsoft\\Office";
constexpr const char* kCdoClsid = "{3FA7DEB3-6438-101B-ACC1-00AA00423326}";

class RealMessagingCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    window.Result() = kPrevious;
    // Whatever the template prefix registers must not answer for us.
    scratch.Hide(kHkeyLocalMachine, kOffice);
    scratch.Hide(kHkeyLocalMachine, "Software\\Classes\\MAPI.Session");
  }
  void Set(const std::string& key, const std::string& name, const std::string& text) {
    scratch.SetString(kHkeyLocalMachine, std::string(kOffice) + "\\" + key, name, text);
  }
  void SetDword(const std::string& key, const std::string& name, DWORD value) {
    scratch.SetDword(kHkeyLocalMachine, std::string(kOffice) + "\\" + key, name, value);
  }
  void Office8(const std::string& fixtureVersion) {
    Set("8.0\\Outlook", "Registered", "1");
    Set("8.0", "BinDirPath", testing::FixturePath("outlook-" + fixtureVersion));
  }
  bool Check() { return CheckMessagingSubsystem(window, registry, versions, locale); }

  static std::string Then(const std::string& text, const char* message) {
    return text + "\r\n" + message;
  }

  testing::ScratchRegistry scratch;
  fakes::FakeWindow window;
  win32::Win32Registry registry;
  win32::Win32Versions versions;
  win32::Win32Locale locale;
};

TEST_F(RealMessagingCheck, Office10WithFirstRun) {
  Set("10.0\\Outlook\\InstallRoot", "Path", "C:\\Office10\\");
  SetDword("10.0\\Outlook\\Setup", "First-Run", 0);
  EXPECT_TRUE(Check());
  EXPECT_EQ(window.Result(), Detected("10", true));
}

TEST_F(RealMessagingCheck, Office10WithoutFirstRun) {
  Set("10.0\\Outlook\\InstallRoot", "Path", "C:\\Office10\\");
  SetDword("9.0\\Outlook\\Setup", "MailSupport", 1);
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(Detected("10", false), kFirstRun));
}

TEST_F(RealMessagingCheck, Office9WithMailSupport) {
  Set("9.0\\Outlook\\InstallRoot", "Path", "C:\\Office9\\");
  SetDword("9.0\\Outlook\\Setup", "MailSupport", 1);
  EXPECT_TRUE(Check());
  EXPECT_EQ(window.Result(), Detected("9", true));
}

TEST_F(RealMessagingCheck, Office9WithMailSupportAsText) {
  Set("9.0\\Outlook\\InstallRoot", "Path", "C:\\Office9\\");
  Set("9.0\\Outlook\\Setup", "MailSupport", " 1.0 ");
  EXPECT_TRUE(Check());
  Set("9.0\\Outlook\\Setup", "MailSupport", "1.0000000001");
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(Detected("9", false), kFirstRun));
}

TEST_F(RealMessagingCheck, Office9WithoutMailSupport) {
  Set("9.0\\Outlook\\InstallRoot", "Path", "C:\\Office9\\");
  SetDword("9.0\\Outlook\\Setup", "MailSupport", 0);
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(Detected("9", false), kFirstRun));
}

TEST_F(RealMessagingCheck, Office8VersionReadsAlikeInEachLocale) {
  // The version's dots are the system's; only the detected line writes the
  // number as the user's locale does.
  const std::string point = testing::PerLocale<std::string>{".", ",", ",", "."}.Current();
  SetDword("8.0\\Outlook\\Setup", "MailSupport", 1);
  Office8("8.4.0.1");
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(Detected("8" + point + "4", false), kOutlook97));
  Office8("8.5.0.1");
  EXPECT_TRUE(Check());
  EXPECT_EQ(window.Result(), Detected("8" + point + "5", true));
  Office8("12.3.0.1");
  EXPECT_TRUE(Check());
  EXPECT_EQ(window.Result(), Detected("12", true));
  SetDword("8.0\\Outlook\\Setup", "MailSupport", 0);
  Office8("8.50.0.1");
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(Detected("8" + point + "5", false), kFirstRun));
}

TEST_F(RealMessagingCheck, Office8WithoutBinDirPath) {
  Set("8.0\\Outlook", "Registered", "1");
  SetDword("8.0\\Outlook\\Setup", "MailSupport", 1);
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(kPrevious, kNoSubsystem));
}

TEST_F(RealMessagingCheck, NoOutlookWithMapiSessionServer) {
  scratch.SetString(kHkeyLocalMachine, "Software\\Classes\\MAPI.Session\\CLSID", "", kCdoClsid);
  scratch.SetString(kHkeyClassesRoot, std::string("CLSID\\") + kCdoClsid + "\\InprocServer32", "",
                    testing::FixturePath("cdo\\CDO.DLL"));
  EXPECT_TRUE(Check());
  EXPECT_EQ(window.Result(), "Logon: messaging subsystem installed.");
}

TEST_F(RealMessagingCheck, NothingInstalled) {
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(kPrevious, kNoSubsystem));
}

}  // namespace
}  // namespace pelterwyn
