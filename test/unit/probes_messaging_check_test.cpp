// The messaging subsystem check: its ten outcomes with the exact box texts,
// and the probing rules behind them.
#include <gtest/gtest.h>

#include "support/messaging_texts.h"

#include <algorithm>

#include "fake_platform.h"
#include "fake_registry.h"
#include "fake_versions.h"
#include "fake_window.h"
#include "probes/messaging_check.h"

namespace pelterwyn {
namespace {

using fakes::MakeVersion;

constexpr const char* kPrevious = "earlier line 1\r\nearlier line 2";
using testing::Detected;
using testing::kFirstRun;
using testing::kNoSubsystem;
using testing::kOutlook97;

constexpr const char* kOffice10 = "Software\\Microsoft\\Office\\10.0\\Outlook";
constexpr const char* kOffice9 = "Software\\Microsoft\\Office\\9.0\\Outlook";
constexpr const char* kOffice8 = "Software\\Microsoft\\Office\\8.0";
constexpr const char* kBinDir = "C:\\Program Files\\Microsoft Office\\Office";
constexpr const char* kCdoClsid = "{3FA7DEB3-6438-101B-ACC1-00AA00423326}";

class MessagingCheck : public ::testing::Test {
 protected:
  MessagingCheck() { window.Result() = kPrevious; }

  void Office10(bool firstRun) {
    registry.SetString(kHkeyLocalMachine, std::string(kOffice10) + "\\InstallRoot", "Path",
                       "C:\\Office10\\");
    if (firstRun)
      registry.SetDword(kHkeyLocalMachine, std::string(kOffice10) + "\\Setup", "First-Run", 0);
  }
  void Office9() {
    registry.SetString(kHkeyLocalMachine, std::string(kOffice9) + "\\InstallRoot", "Path",
                       "C:\\Office9\\");
  }
  void MailSupport(const char* office, std::uint32_t value) {
    registry.SetDword(kHkeyLocalMachine, std::string(office) + "\\Outlook\\Setup", "MailSupport",
                      value);
  }
  void MailSupportText(const char* office, const std::string& text) {
    registry.SetString(kHkeyLocalMachine, std::string(office) + "\\Outlook\\Setup", "MailSupport",
                       text);
  }
  void Office8(FixedFileVersion outlook, bool withBinDir = true) {
    registry.SetString(kHkeyLocalMachine, std::string(kOffice8) + "\\Outlook", "Registered", "");
    if (withBinDir) registry.SetString(kHkeyLocalMachine, kOffice8, "BinDirPath", kBinDir);
    versions.Add(std::string(kBinDir) + "\\outlook.exe", outlook);
  }
  void MapiSession() {
    registry.SetString(kHkeyLocalMachine, "Software\\Classes\\MAPI.Session\\CLSID", "", kCdoClsid);
    registry.SetString(kHkeyClassesRoot, std::string("CLSID\\") + kCdoClsid + "\\InprocServer32",
                       "", "C:\\MSMAPI\\CDO.DLL");
  }
  bool Check() { return CheckMessagingSubsystem(window, registry, versions, locale); }
  bool Read(const std::string& entry) const {
    return std::any_of(registry.queried.begin(), registry.queried.end(),
                       [&](const auto& q) { return q.find(entry) != std::string::npos; });
  }

  static std::string Then(const std::string& text, const char* message) {
    return text + "\r\n" + message;
  }

  fakes::FakeWindow window;
  fakes::FakeRegistry registry;
  fakes::FakeVersions versions;
  fakes::FakeLocale locale;
};

TEST_F(MessagingCheck, Office10Configured) {
  Office10(true);
  EXPECT_TRUE(Check());
  EXPECT_EQ(window.Result(), Detected("10", true));
}

TEST_F(MessagingCheck, Office10NotConfigured) {
  Office10(false);
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(Detected("10", false), kFirstRun));
}

TEST_F(MessagingCheck, Office9Configured) {
  Office9();
  MailSupport("Software\\Microsoft\\office\\9.0", 1);
  EXPECT_TRUE(Check());
  EXPECT_EQ(window.Result(), Detected("9", true));
}

TEST_F(MessagingCheck, Office9NotConfigured) {
  Office9();
  MailSupport("Software\\Microsoft\\Office\\9.0", 0);
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(Detected("9", false), kFirstRun));
}

TEST_F(MessagingCheck, Office8From85Configured) {
  Office8(MakeVersion(8, 5, 0, 1));
  MailSupport(kOffice8, 1);
  EXPECT_TRUE(Check());
  EXPECT_EQ(window.Result(), Detected("8.5", true));
}

TEST_F(MessagingCheck, Office8From85NotConfigured) {
  Office8(MakeVersion(8, 50, 0, 1));
  MailSupport(kOffice8, 2);
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(Detected("8.5", false), kFirstRun));
}

TEST_F(MessagingCheck, Office8Below85IsOutlook97AndMailSupportIsNotRead) {
  Office8(MakeVersion(8, 4, 0, 1));
  MailSupport(kOffice8, 1);
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(Detected("8.4", false), kOutlook97));
  EXPECT_FALSE(Read("mailsupport")) << ::testing::PrintToString(registry.queried);
}

TEST_F(MessagingCheck, Office8UnreadableVersionAppendsToThePreviousText) {
  registry.SetString(kHkeyLocalMachine, std::string(kOffice8) + "\\Outlook", "Registered", "");
  MailSupport(kOffice8, 1);
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(kPrevious, kNoSubsystem));
  EXPECT_EQ(versions.queries, std::vector<std::string>{"\\outlook.exe"});
}

TEST_F(MessagingCheck, NoOutlookButMapiSessionRegistered) {
  MapiSession();
  EXPECT_TRUE(Check());
  EXPECT_EQ(window.Result(), "Logon: messaging subsystem installed.");
  EXPECT_FALSE(Read("mailsupport"));
  EXPECT_FALSE(Read("first-run"));
}

TEST_F(MessagingCheck, NothingFoundAppendsToThePreviousText) {
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(kPrevious, kNoSubsystem));
}

TEST_F(MessagingCheck, NothingFoundOnAnEmptyBoxStillStartsWithALineBreak) {
  window.Result() = "";
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then("", kNoSubsystem));
}

TEST_F(MessagingCheck, Office10HidesOffice9) {
  Office10(false);
  Office9();
  MailSupport("Software\\Microsoft\\office\\9.0", 1);
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(Detected("10", false), kFirstRun));
  EXPECT_FALSE(Read("mailsupport"));
}

TEST_F(MessagingCheck, OutlookKeysHideTheMapiSessionServer) {
  Office8(MakeVersion(8, 4, 0, 1));
  MapiSession();
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(Detected("8.4", false), kOutlook97));
}

TEST_F(MessagingCheck, FirstRunOfAnyTypeOrContentCounts) {
  Office10(false);
  const std::string setup = std::string(kOffice10) + "\\Setup";
  registry.SetString(kHkeyLocalMachine, setup, "First-Run", "");
  EXPECT_TRUE(Check());
  EXPECT_EQ(window.Result(), Detected("10", true));
  registry.Set(kHkeyLocalMachine, setup, "First-Run", kRegBinary, {});
  EXPECT_TRUE(Check());
  // A type the reader does not convert reads as absent.
  registry.Set(kHkeyLocalMachine, setup, "First-Run", kRegMultiSz, {'a', 0, 0});
  EXPECT_FALSE(Check());
}

TEST_F(MessagingCheck, MailSupportEqualsOneAsANumber) {
  Office9();
  const char* office = "Software\\Microsoft\\office\\9.0";
  struct Case {
    std::string text;
    bool configured;
  };
  for (const Case& c :
       {Case{"1", true}, Case{"1.0", true}, Case{"01", true}, Case{"2", false}, Case{"0", false},
        Case{"", false}, Case{"yes", false}, Case{"1 0", false}}) {
    MailSupportText(office, c.text);
    EXPECT_EQ(Check(), c.configured) << '"' << c.text << '"';
  }
  MailSupport(office, 0xFFFFFFFF);
  EXPECT_FALSE(Check());
  registry.Set(kHkeyLocalMachine, std::string(office) + "\\Outlook\\Setup", "MailSupport",
               kRegBinary, {0x01, 0x00});
  EXPECT_FALSE(Check());
}

TEST_F(MessagingCheck, Office8VersionIsReadFromTheThirdCharacterOn) {
  MailSupport(kOffice8, 1);
  Office8(MakeVersion(12, 3, 0, 1));
  EXPECT_TRUE(Check());
  EXPECT_EQ(window.Result(), Detected("12", true));
  Office8(MakeVersion(8, 5, 0, 0));  // exactly the threshold
  EXPECT_TRUE(Check());
  EXPECT_EQ(window.Result(), Detected("8.5", true));
  Office8(MakeVersion(9, 10, 0, 0));
  EXPECT_TRUE(Check());
  EXPECT_EQ(window.Result(), Detected("9.1", true));
  Office8(MakeVersion(0, 0, 0, 0));  // reads as 0: no Outlook
  window.Result() = kPrevious;
  EXPECT_FALSE(Check());
  EXPECT_EQ(window.Result(), Then(kPrevious, kNoSubsystem));
}

TEST_F(MessagingCheck, Office8LooksForOutlookDirectlyAfterBinDirPath) {
  registry.SetString(kHkeyLocalMachine, std::string(kOffice8) + "\\Outlook", "Registered", "");
  registry.SetString(kHkeyLocalMachine, kOffice8, "BinDirPath", "C:\\Office\\");
  Check();
  EXPECT_EQ(versions.queries, std::vector<std::string>{"C:\\Office\\\\outlook.exe"});
}

}  // namespace
}  // namespace pelterwyn
