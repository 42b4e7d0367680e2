// "Test 2" through the revealed window: the messaging check under the
// registry states it tells apart, then the stand-in session stage by stage,
// with the journal showing what the sequence asked of CDO.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "e2e/driver/harness.h"
#include "support/messaging_texts.h"

namespace pelterwyn::e2e {
namespace {

constexpr const char* kEarlier = "Logon: earlier text\r\nof the box";
// The stand-in cdo.dll's own file version (standins/cdo/cdo.rc).
constexpr const char* kCdoVersionLine = "Logon: CDO Version: 6.5.8353.0";
constexpr const char* kInstalled = "Logon: messaging subsystem installed.";
constexpr const char* kLoggedOn = "Logon: created session using dynamic profile EXCHANGE1 jsmith";
constexpr const char* kInboxOpened = "Logon: successfully retrieved Inbox.";
constexpr const char* kOffice = "Software\\Microsoft\\Office";
using testing::Detected;
using testing::kFirstRun;
using testing::kNoSubsystem;
using testing::kOutlook97;

const std::string kCdoServerKey = std::string(kCdoClassKey) + "\\InprocServer32";

class ServiceLogonTest : public EndToEnd {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Reveal());
    Fill({.server = "EXCHANGE1", .mailbox = "jsmith"});
  }

  // One click of Test 2 from a box holding kEarlier.
  Outcome Run() {
    app.SetText(ControlId::txtResult, kEarlier);
    const Outcome run = Click(ControlId::cmdTest2);
    ExpectIdle(run);
    return run;
  }

  void SetOffice(const std::string& key, const std::string& name, const std::string& text) {
    registry.SetString(HKEY_LOCAL_MACHINE, std::string(kOffice) + "\\" + key, name, text);
  }
  void SetOfficeDword(const std::string& key, const std::string& name, DWORD value) {
    registry.SetDword(HKEY_LOCAL_MACHINE, std::string(kOffice) + "\\" + key, name, value);
  }
};

// The four lines of a run whose check said yes, under its first line.
std::string Success(const std::string& first) {
  return first + "\r\n" + kCdoVersionLine + "\r\n" + kLoggedOn + "\r\n" + kInboxOpened;
}

TEST_F(ServiceLogonTest, TheMessagingCheckDecidesFromTheRegistryWhetherASessionIsMade) {
  const std::string fixtures = testing::FixturePath("outlook-");
  struct Case {
    const char* installation;
    std::function<void()> layout;
    std::string box;
  };
  const Case cases[] = {
      {"no Outlook key, MAPI.Session registered", [] {}, Success(kInstalled)},
      {"Office 10.0 with a First-Run of 0",
       [&] {
         SetOffice("10.0\\Outlook\\InstallRoot", "Path", "C:\\Office10\\");
         SetOfficeDword("10.0\\Outlook\\Setup", "First-Run", 0);
       },
       Success(Detected("10", true))},
      {"Office 10.0 without First-Run, Office 9.0 configured",
       [&] {
         SetOffice("10.0\\Outlook\\InstallRoot", "Path", "C:\\Office10\\");
         SetOffice("9.0\\Outlook\\InstallRoot", "Path", "C:\\Office9\\");
         SetOfficeDword("9.0\\Outlook\\Setup", "MailSupport", 1);
       },
       Detected("10", false) + "\r\n" + kFirstRun},
      {"Office 9.0 with MailSupport 1",
       [&] {
         SetOffice("9.0\\Outlook\\InstallRoot", "Path", "C:\\Office9\\");
         SetOfficeDword("9.0\\Outlook\\Setup", "MailSupport", 1);
       },
       Success(Detected("9", true))},
      {"Office 9.0 with MailSupport 2",
       [&] {
         SetOffice("9.0\\Outlook\\InstallRoot", "Path", "C:\\Office9\\");
         SetOfficeDword("9.0\\Outlook\\Setup", "MailSupport", 2);
       },
       Detected("9", false) + "\r\n" + kFirstRun},
      {"Office 8.0, outlook.exe 8.5.0.1, MailSupport 1",
       [&] {
         SetOffice("8.0\\Outlook", "Registered", "1");
         SetOffice("8.0", "BinDirPath", fixtures + "8.5.0.1");
         SetOffice("8.0\\Outlook\\Setup", "MailSupport", "1");
       },
       Success(Detected("8.5", true))},
      {"Office 8.0, outlook.exe 8.5.0.1, no MailSupport",
       [&] {
         SetOffice("8.0\\Outlook", "Registered", "1");
         SetOffice("8.0", "BinDirPath", fixtures + "8.5.0.1");
       },
       Detected("8.5", false) + "\r\n" + kFirstRun},
      {"Office 8.0, outlook.exe 8.4.0.1",
       [&] {
         SetOffice("8.0\\Outlook", "Registered", "1");
         SetOffice("8.0", "BinDirPath", fixtures + "8.4.0.1");
         SetOfficeDword("8.0\\Outlook\\Setup", "MailSupport", 1);
       },
       Detected("8.4", false) + "\r\n" + kOutlook97},
      {"Office 8.0 without BinDirPath", [&] { SetOffice("8.0\\Outlook", "Registered", "1"); },
       std::string(kEarlier) + "\r\n" + kNoSubsystem},
      {"nothing registered", [&] { registry.Hide(HKEY_LOCAL_MACHINE, kSessionProgIdKey); },
       std::string(kEarlier) + "\r\n" + kNoSubsystem},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.installation);
    ASSERT_NO_FATAL_FAILURE(registry.Hide(HKEY_LOCAL_MACHINE, kOffice));
    ASSERT_NO_FATAL_FAILURE(c.layout());
    const Outcome run = Run();
    EXPECT_EQ(run.BoxAfter(), c.box);
    const bool goes = c.box.find(kCdoVersionLine) != std::string::npos;
    if (goes) {
      EXPECT_EQ(run.journal.CountCreated("Session"), 1);
      EXPECT_EQ(run.journal.Unreleased(), std::vector<std::string>{});
    } else {
      // A no from the check: no CDO object, so not one line in the run.journal.
      EXPECT_EQ(Joined(run.journal.Story()), "");
    }
  }
  EXPECT_FALSE(testing::FileExists(app.LogPath())) << "Test 2 writes no trace log";
}

TEST_F(ServiceLogonTest, ASuccessfulRunLeavesFourLinesAndBindsEveryMemberByName) {
  const Outcome run = Run();
  const std::string box = run.BoxAfter();
  EXPECT_EQ(Lines(box),
            (std::vector<std::string>{kInstalled, kCdoVersionLine, kLoggedOn, kInboxOpened}));
  EXPECT_FALSE(box.ends_with("\r\n"));

  EXPECT_EQ(Joined(run.journal.Story()),
            Joined({"created Session", "Session.Name", "Session.Logon", "created Folder",
                    "Session.GetDefaultFolder", "released Folder", "released Session"}));
  for (const JournalEvent& call : run.journal.Invocations()) {
    EXPECT_TRUE(call.byName) << call.line;
    EXPECT_TRUE(call.named.empty()) << call.line;
  }
  for (const JournalEvent& e : run.journal.Events()) {
    EXPECT_NE(e.flags, "lookup") << "a name the session does not know: " << e.line;
  }
  const auto name = run.journal.Calls("Session", "Name");
  ASSERT_EQ(name.size(), 1u);
  EXPECT_NE(name[0].flags.find("get"), std::string::npos) << name[0].line;
  EXPECT_FALSE(name[0].ok) << "read before the logon: " << name[0].line;

  const auto logon = run.journal.Calls("Session", "Logon");
  ASSERT_EQ(logon.size(), 1u);
  const auto& args = logon[0].args;
  ASSERT_EQ(args.size(), 7u) << logon[0].line;
  const std::pair<VARTYPE, const char*> expected[] = {{VT_BSTR, ""},
                                                      {VT_BSTR, ""},
                                                      {VT_BOOL, "false"},
                                                      {VT_BOOL, "true"},
                                                      {VT_I2, "0"},
                                                      {VT_BOOL, "true"},
                                                      {VT_BSTR, "EXCHANGE1\njsmith"}};
  for (std::size_t i = 0; i < args.size(); ++i) {
    EXPECT_EQ(args[i].vt, expected[i].first) << "argument " << i << ": " << args[i].type;
    EXPECT_EQ(args[i].text, expected[i].second) << "argument " << i;
  }
  EXPECT_TRUE(logon[0].ok) << logon[0].line;

  const auto inbox = run.journal.Calls("Session", "GetDefaultFolder");
  ASSERT_EQ(inbox.size(), 1u);
  ASSERT_EQ(inbox[0].args.size(), 1u);
  EXPECT_EQ(inbox[0].args[0].type, "VT_I4");
  EXPECT_EQ(inbox[0].args[0].text, "1");

  // A second click makes a session of its own and replaces the box again.
  const Outcome again = Run();
  EXPECT_EQ(again.BoxAfter(), box);
  EXPECT_EQ(again.journal.CountCreated("Session"), 1);
  EXPECT_EQ(again.journal.Count("Session", "Logon"), 1);
  EXPECT_EQ(store.ReadJournal().Calls("Logoff").size(), 0u) << "a service stays logged on";
  EXPECT_TRUE(store.ReadJournal().AllReleased()) << Joined(store.ReadJournal().Unreleased());
}

TEST_F(ServiceLogonTest, EachFailingStageEndsTheSequenceWithItsOwnLine) {
  {
    SCOPED_TRACE("both fields empty");
    Fill({.server = "", .mailbox = ""});
    const Outcome run = Run();
    const std::string box = run.BoxAfter();
    const auto logon = run.journal.Calls("Session", "Logon");
    ASSERT_EQ(logon.size(), 1u);
    EXPECT_EQ(logon[0].args.at(6).text, "\n");
    ASSERT_FALSE(logon[0].ok);
    ASSERT_LT(logon[0].error, 0);
    // The server, a blank, the mailbox: two blanks before the colon.
    EXPECT_EQ(Lines(box), (std::vector<std::string>{kInstalled, kCdoVersionLine,
                                                    "Logon: failure using dynamic profile  : " +
                                                        std::to_string(logon[0].error) + "-" +
                                                        logon[0].description}));
    EXPECT_EQ(run.journal.Count("Session", "GetDefaultFolder"), 0);
    EXPECT_EQ(run.journal.Unreleased(), std::vector<std::string>{});
  }
  Fill({.server = "EXCHANGE1", .mailbox = "jsmith"});
  {
    SCOPED_TRACE("GetDefaultFolder gives no object and no error");
    store.SetFault("Session.GetDefaultFolder", "nothing");
    const Outcome run = Run();
    const std::string box = run.BoxAfter();
    EXPECT_EQ(Lines(box),
              (std::vector<std::string>{kInstalled, kCdoVersionLine, kLoggedOn,
                                        "Logon: unable to retrieve application Inbox folder 0 "}));
    EXPECT_TRUE(box.ends_with("0 "));
    EXPECT_EQ(run.journal.CountCreated("Folder"), 0);
    EXPECT_EQ(run.journal.Unreleased(), std::vector<std::string>{});
  }
  {
    SCOPED_TRACE("GetDefaultFolder fails");
    store.ClearFaults();
    store.SetFault("Session.GetDefaultFolder", "fail -2147221233");
    const Outcome run = Run();
    const std::string box = run.BoxAfter();
    const auto inbox = run.journal.Calls("Session", "GetDefaultFolder");
    ASSERT_EQ(inbox.size(), 1u);
    EXPECT_EQ(inbox[0].error, -2147221233);
    ASSERT_FALSE(inbox[0].description.empty());
    EXPECT_EQ(Lines(box).back(), "Logon: unable to retrieve application Inbox folder -2147221233 " +
                                     inbox[0].description);
    EXPECT_EQ(Lines(box).size(), 4u);
  }
  store.ClearFaults();
  {
    SCOPED_TRACE("the class is registered, its server file is gone");
    ASSERT_NO_FATAL_FAILURE(
        registry.SetString(HKEY_LOCAL_MACHINE, kCdoServerKey, "", "C:\\nowhere\\cdo.dll"));
    const Outcome run = Run();
    const std::string box = run.BoxAfter();
    const auto lines = Lines(box);
    ASSERT_EQ(lines.size(), 2u) << box;
    EXPECT_EQ(lines[0], kInstalled);
    const std::string prefix = "Logon: unable to create CDO object -";
    EXPECT_TRUE(lines[1].starts_with(prefix)) << lines[1];
    const std::string rest = lines[1].substr(prefix.size());
    const auto blank = rest.find(' ');
    ASSERT_NE(blank, std::string::npos) << lines[1];
    EXPECT_EQ(rest.find_first_not_of("0123456789"), blank) << "a signed number, then a blank";
    EXPECT_EQ(Joined(run.journal.Story()), "");
  }
}

TEST_F(ServiceLogonTest, ASessionWithANameAlreadyGoesStraightToTheInbox) {
  {
    SCOPED_TRACE("logged on from the start");
    store.SetIni("faults.ini", "session", "LoggedOnAtStart", "EXCHANGE1\\jsmith");
    const Outcome run = Run();
    EXPECT_EQ(Lines(run.BoxAfter()),
              (std::vector<std::string>{kInstalled, kCdoVersionLine, kInboxOpened}));
    EXPECT_EQ(run.journal.Count("Session", "Logon"), 0);
    EXPECT_EQ(Joined(run.journal.Story()),
              Joined({"created Session", "Session.Name", "created Folder",
                      "Session.GetDefaultFolder", "released Folder", "released Session"}));
  }
  {
    SCOPED_TRACE("a name, but not logged on");
    store.ClearFaults();
    store.SetIni("faults.ini", "session", "NameBeforeLogon", "Outlook");
    const Outcome run = Run();
    const std::string box = run.BoxAfter();
    EXPECT_EQ(run.journal.Count("Session", "Logon"), 0);
    const auto inbox = run.journal.Calls("Session", "GetDefaultFolder");
    ASSERT_EQ(inbox.size(), 1u);
    ASSERT_FALSE(inbox[0].ok);
    EXPECT_EQ(Lines(box), (std::vector<std::string>{
                              kInstalled, kCdoVersionLine,
                              "Logon: unable to retrieve application Inbox folder " +
                                  std::to_string(inbox[0].error) + " " + inbox[0].description}));
    EXPECT_EQ(run.journal.Unreleased(), std::vector<std::string>{});
  }
}

TEST_F(ServiceLogonTest, ACdoLibraryWithoutVersionGivesAVersionLineEndingInABlank) {
  const std::string folder = store.Root() + "\\..\\bare-cdo";
  std::filesystem::create_directories(folder);
  const std::string copy = folder + "\\cdo.dll";
  ASSERT_TRUE(
      CopyFileA((testing::BinaryDir() + "\\standins\\cdo\\cdo.dll").c_str(), copy.c_str(), FALSE));
  // The version block is the stand-in's only resource.
  ASSERT_TRUE(testing::StripResources(copy));
  ASSERT_NO_FATAL_FAILURE(registry.SetString(HKEY_LOCAL_MACHINE, kCdoServerKey, "", copy));

  const Outcome run = Run();
  const auto lines = Lines(run.BoxAfter());
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "Logon: CDO Version: ");
  EXPECT_EQ(lines[3], kInboxOpened);
  EXPECT_EQ(run.journal.CountCreated("Session"), 1) << "the copy serves the session";
}

}  // namespace
}  // namespace pelterwyn::e2e
