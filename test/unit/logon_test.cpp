#include <gtest/gtest.h>

#include <memory>

#include "probes/com_server.h"
#include "tool_on_fakes.h"

namespace pelterwyn {
namespace {

using Strings = std::vector<std::string>;

constexpr const char* kCdoPath = "C:\\Program Files\\Common Files\\System\\MSMAPI\\1033\\CDO.DLL";
constexpr const char* kStamp = "3/5/2024 2:07:09 PM:";
constexpr const char* kLogonFailed =
    "[Collaboration Data Objects - [MAPI_E_LOGON_FAILED(80040111)]]";

Strings Lines(const std::string& text) {
  Strings lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "text must end in CR LF";
  return lines;
}

struct LogonTestRun : ::testing::Test {
  fakes::ToolOnFakes h;
  void SetUp() override { h.Type(ControlId::txtServer, "EXCHANGE1"); }
  void Run(const std::string& mailbox) {
    h.Type(ControlId::txtAlias, mailbox);
    h.Click(ControlId::cmdLogon);
  }
  Strings Attempts() const {
    Strings attempts = h.world.Calls("Session.Logon");
    for (auto& a : attempts) std::replace(a.begin(), a.end(), '\n', '|');
    return attempts;
  }
};

TEST_F(LogonTestRun, EmptyFieldsStopWithAStopBoxAndTheFocusAndTraceNothing) {
  h.Type(ControlId::txtServer, "");
  Run("");
  ASSERT_EQ(h.window.boxes.size(), 1u);
  EXPECT_EQ(h.window.boxes[0].text, "You must enter the Server name!");
  EXPECT_EQ(h.window.boxes[0].style, 16u);
  EXPECT_EQ(h.window.focus, std::vector{ControlId::txtServer});

  fakes::ToolOnFakes alias;
  alias.Type(ControlId::txtServer, " ");  // a blank is a server name
  alias.Click(ControlId::cmdLogon);
  ASSERT_EQ(alias.window.boxes.size(), 1u);
  EXPECT_EQ(alias.window.boxes[0].text, "You must enter the Alias!");
  EXPECT_EQ(alias.window.boxes[0].style, 16u);
  EXPECT_EQ(alias.window.focus, std::vector{ControlId::txtAlias});

  for (auto* run : {&h, &alias}) {
    EXPECT_TRUE(run->files.files.empty());
    EXPECT_EQ(run->Result(), "");
    EXPECT_TRUE(run->world.Calls("CreateSession").empty());
  }
}

TEST_F(LogonTestRun, AliasIsTriedBothWaysAndTheRunIsFramedInTheLog) {
  h.world.inboxCount = 12;
  Run("jsmith");
  EXPECT_EQ(Attempts(), (Strings{"Session.Logon[all](EXCHANGE1|jsmith)",
                                 "Session.Logon[named](EXCHANGE1|jsmith)"}));
  EXPECT_EQ(Lines(h.Result()),
            (Strings{
                "CDO= @",
                "MAPI32= @%PATH%",
                "Instantiated CDO",
                "Attempting logon using EXCHANGE1\\jsmith",
                "    Session name: MAPI Profile",
                "    Message count: 12",
                "Attempting logon by setting ProfileInfo parameter: EXCHANGE1\\jsmith",
                "    Session name: MAPI Profile",
                "    Message count: 12",
            }));
  const Strings log = Lines(h.Log());
  ASSERT_EQ(log.size(), 11u);
  EXPECT_EQ(log.front(), std::string(20, '='));
  EXPECT_EQ(log.back(), std::string(20, '='));
  EXPECT_EQ(log[1], std::string(kStamp) + "CDO= @");
  EXPECT_EQ(log[4], std::string(kStamp) + "Attempting logon using EXCHANGE1\\jsmith");
  // The test logs off after each successful probe; the session goes last.
  EXPECT_EQ(h.world.Count("Session.Logoff("), 2);
  EXPECT_EQ(h.world.journal.back(), "release Session");
  EXPECT_EQ(h.world.live, 0);
  EXPECT_EQ(h.mail.bindings, std::vector{mail::Binding::ByDispid});
}

TEST_F(LogonTestRun, SecondPassAddsOrRemovesTheSmtpPrefix) {
  Run("jsmith@example.com");
  EXPECT_EQ(Attempts(), (Strings{"Session.Logon[all](EXCHANGE1|jsmith@example.com)",
                                 "Session.Logon[named](EXCHANGE1|jsmith@example.com)",
                                 "Session.Logon[all](EXCHANGE1|SMTP:jsmith@example.com)",
                                 "Session.Logon[named](EXCHANGE1|SMTP:jsmith@example.com)"}));
  fakes::ToolOnFakes mixed;
  mixed.Type(ControlId::txtServer, "EXCHANGE1");
  mixed.Type(ControlId::txtAlias, "sMtP:jsmith@example.com");
  mixed.Click(ControlId::cmdLogon);
  const Strings calls = mixed.world.Calls("Session.Logon");
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[1], "Session.Logon[named](EXCHANGE1\nsMtP:jsmith@example.com)");
  EXPECT_EQ(calls[2], "Session.Logon[all](EXCHANGE1\njsmith@example.com)");
  EXPECT_EQ(calls[3], "Session.Logon[named](EXCHANGE1\njsmith@example.com)");
}

TEST_F(LogonTestRun, SmtpInsideTheTextRepeatsTheSameTextAndWithoutAtThereIsNoSecondPass) {
  Run("x SMTP:jsmith@example.com");
  Strings calls = Attempts();
  ASSERT_EQ(calls.size(), 4u);
  for (auto& c : calls) c = c.substr(c.find('('));
  EXPECT_EQ(Strings(4, "(EXCHANGE1|x SMTP:jsmith@example.com)"), calls);

  fakes::ToolOnFakes noAt;
  noAt.Type(ControlId::txtServer, "EXCHANGE1");
  noAt.Type(ControlId::txtAlias, "SMTP:jsmith");
  noAt.Click(ControlId::cmdLogon);
  EXPECT_EQ(noAt.world.Calls("Session.Logon"),
            (Strings{"Session.Logon[all](EXCHANGE1\nSMTP:jsmith)",
                     "Session.Logon[named](EXCHANGE1\nSMTP:jsmith)"}));
}

TEST_F(LogonTestRun, FailedLogonIsTwoLinesAndTheProbeLogsOffItself) {
  h.world.accepted = {"EXCHANGE1\nSMTP:jsmith@example.com"};
  Run("jsmith@example.com");
  const Strings lines = Lines(h.Result());
  const Strings expected = {
      "Attempting logon using EXCHANGE1\\jsmith@example.com",
      std::string("    Logon error: -2147221231 ") + kLogonFailed,
      "Attempting logon by setting ProfileInfo parameter: EXCHANGE1\\jsmith@example.com",
      std::string("    Logon error: -2147221231 ") + kLogonFailed,
      "Attempting logon using EXCHANGE1\\SMTP:jsmith@example.com",
      "    Session name: MAPI Profile",
      "    Message count: 3",
  };
  EXPECT_EQ(Strings(lines.begin() + 3, lines.begin() + 10), expected);
  // Once per attempt: by the probe after a failure, by the test after success.
  EXPECT_EQ(h.world.Count("Session.Logoff("), 4);
}

TEST_F(LogonTestRun, RepaintsTheWindowAfterTheAttemptLineBeforeEachLogon) {
  Run("jsmith");
  auto& j = h.world.journal;
  const auto logon = std::find(j.begin(), j.end(), "Session.Logon[all](EXCHANGE1\njsmith)");
  ASSERT_NE(logon, j.begin());
  EXPECT_EQ(*(logon - 1), "refresh window");
  EXPECT_EQ(h.world.Count("refresh window"), 2);
}

TEST_F(LogonTestRun, ProbeFailuresAfterLogon) {
  struct Case {
    const char* name;
    std::function<void(fakes::MailWorld&)> arrange;
    Strings lines;  // after the attempt line of the first probe
    int logoffs;
  };
  const Case cases[] = {
      {"Name fails: reported with the Inbox",
       [](auto& w) {
         w.faults["Session.Name"] = {-2147219963, "[CdoE_NOT_INITIALIZED]"};
       },
       {"    Error accessing Inbox: -2147219963 [CdoE_NOT_INITIALIZED]"},
       2},
      {"Inbox fails",
       [](auto& w) {
         w.faults["Session.Inbox"] = {-2147221233, "[MAPI_E_NOT_FOUND]"};
       },
       {"    Session name: MAPI Profile",
        "    Error accessing Inbox: -2147221233 [MAPI_E_NOT_FOUND]"},
       2},
      {"Inbox gives nothing",
       [](auto& w) { w.noObject.insert("Session.Inbox"); },
       {"    Session name: MAPI Profile", "    Error accessing Inbox: 0 "},
       2},
      {"Count unreadable: still true",
       [](auto& w) {
         w.faults["Messages.Count"] = {-2147467259, "failed"};
       },
       {"    Session name: MAPI Profile"},
       2},
      {"Messages gives nothing: still true",
       [](auto& w) { w.noObject.insert("Folder.Messages"); },
       {"    Session name: MAPI Profile"},
       2},
      {"Empty Inbox",
       [](auto& w) { w.inboxCount = 0; },
       {"    Session name: MAPI Profile", "    Message count: 0"},
       2},
  };
  for (const auto& c : cases) {
    fakes::ToolOnFakes run;
    c.arrange(run.world);
    run.Type(ControlId::txtServer, "EXCHANGE1");
    run.Type(ControlId::txtAlias, "jsmith");
    run.Click(ControlId::cmdLogon);
    const Strings lines = Lines(run.Result());
    Strings expected = {"Attempting logon using EXCHANGE1\\jsmith"};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    expected.push_back("Attempting logon by setting ProfileInfo parameter: EXCHANGE1\\jsmith");
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(Strings(lines.begin() + 3, lines.end()), expected) << c.name;
    EXPECT_EQ(run.world.Count("Session.Logoff("), c.logoffs) << c.name;
    EXPECT_EQ(run.world.live, 0) << c.name;
  }
}

TEST_F(LogonTestRun, VersionLinesFromTheRegisteredLibrary) {
  h.registry.SetString(kHkeyClassesRoot, kCdoInprocServerKey, "", kCdoPath);
  h.versions.Add(kCdoPath, fakes::MakeVersion(6, 5, 7638, 1));
  h.versions.Add("mapi32.dll", fakes::MakeVersion(1, 0, 0, 0));
  h.versions.Add("C:\\Program Files\\Common Files\\System\\MSMAPI\\1033\\mapi32.dll",
                 fakes::MakeVersion(6, 0, 6603, 0));
  Run("jsmith");
  const Strings lines = Lines(h.Result());
  EXPECT_EQ(Strings(lines.begin(), lines.begin() + 4),
            (Strings{std::string("CDO=6.5.7638.1 @") + kCdoPath, "MAPI32=1.0.0.0 @%PATH%",
                     "MAPI32=6.0.6603.0 @C:\\Program Files\\Common Files\\System\\MSMAPI\\1033\\"
                     "MAPI32.DLL",
                     "Instantiated CDO"}));
}

TEST_F(LogonTestRun, PreloadIsTracedLoadedAndFreedOnceTheSessionExists) {
  h.window.checks[ControlId::chkLoad] = 1;
  Run("jsmith");
  const Strings lines = Lines(h.Result());
  EXPECT_EQ(lines[2], "Calling LoadLibrary");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "Instantiated CDO");
  EXPECT_EQ(h.libraries.events, (Strings{"load mapi32.dll", "free 4096"}));

  fakes::ToolOnFakes unchecked;
  unchecked.Type(ControlId::txtServer, "S");
  unchecked.Type(ControlId::txtAlias, "a");
  unchecked.window.checks[ControlId::chkLoad] = 2;  // grayed is not checked
  unchecked.Click(ControlId::cmdLogon);
  EXPECT_TRUE(unchecked.libraries.events.empty());
  EXPECT_EQ(Lines(unchecked.Result())[2], "Instantiated CDO");
}

TEST_F(LogonTestRun, NoSessionEndsTheRunWithoutClosingSeparatorAndFreesThePreload) {
  h.world.faults["CreateSession"] = {-2147221005, "Invalid class string"};
  h.window.checks[ControlId::chkLoad] = 1;
  Run("jsmith");
  EXPECT_EQ(Lines(h.Result()).back(), "Error instantiating CDO: -2147221005 Invalid class string");
  const Strings log = Lines(h.Log());
  EXPECT_EQ(log.front(), std::string(20, '='));
  EXPECT_EQ(log.back(),
            std::string(kStamp) + "Error instantiating CDO: -2147221005 Invalid class string");
  EXPECT_EQ(h.libraries.events, (Strings{"load mapi32.dll", "free 4096"}));

  fakes::ToolOnFakes none;
  none.world.noObject.insert("CreateSession");
  none.Type(ControlId::txtServer, "S");
  none.Type(ControlId::txtAlias, "a");
  none.Click(ControlId::cmdLogon);
  EXPECT_EQ(Lines(none.Result()).back(), "Error instantiating CDO: 0 ");
}

// Only a session class whose server exists where 32-bit programs look, and
// not in this process's own view, earns the hint; it follows the error line.
TEST_F(LogonTestRun, CdoRegisteredFor32BitProgramsOnlyIsNamedAfterTheError) {
  constexpr const char* kHint =
      "CDO is registered for 32-bit programs only: run the 32-bit Pelterwyn.exe";
  constexpr const char* kClsid = "{3FA7DEB3-6438-101B-ACC1-00AA00423326}";
  const std::string server =
      std::string("Software\\Classes\\CLSID\\") + kClsid + "\\InprocServer32";
  // The ProgID shared by both views (Windows 7 on), or the 32-bit view's own.
  enum Layout { Only32, Only32WithItsOwnProgId, Both, NoProgId, EmptyPath };
  const auto run = [&](Layout layout) {
    auto h = std::make_unique<fakes::ToolOnFakes>();
    h->world.faults["CreateSession"] = {-2147221164, "Class not registered"};
    const std::string progId = "Software\\Classes\\MAPI.Session\\CLSID";
    if (layout == Only32WithItsOwnProgId)
      h->registry.SetString32(kHkeyLocalMachine, progId, "", kClsid);
    else if (layout != NoProgId)
      h->registry.SetString(kHkeyLocalMachine, progId, "", kClsid);
    h->registry.SetString32(kHkeyLocalMachine, server, "", layout == EmptyPath ? "" : kCdoPath);
    if (layout == Both) h->registry.SetString(kHkeyLocalMachine, server, "", kCdoPath);
    h->Type(ControlId::txtServer, "S");
    h->Type(ControlId::txtAlias, "a");
    h->Click(ControlId::cmdLogon);
    return h;
  };
  constexpr const char* kError = "Error instantiating CDO: -2147221164 Class not registered";
  for (Layout only32 : {Only32, Only32WithItsOwnProgId}) {
    const auto h = run(only32);
    const Strings box = Lines(h->Result());
    ASSERT_GE(box.size(), 2u);
    EXPECT_EQ(box[box.size() - 2], kError);
    EXPECT_EQ(box.back(), kHint);
    EXPECT_EQ(Lines(h->Log()).back(), std::string(kStamp) + kHint);
  }
  for (Layout other : {Both, NoProgId, EmptyPath})
    EXPECT_EQ(Lines(run(other)->Result()).back(), kError) << other;
}

TEST_F(LogonTestRun, ReadOnlyLogDirectoryLosesNoLineOfTheBox) {
  h.files.readOnly = true;
  Run("jsmith");
  EXPECT_EQ(Lines(h.Result()).size(), 9u);
  EXPECT_TRUE(h.files.files.empty());
}

}  // namespace
}  // namespace pelterwyn
