// The Logon test end to end: the real exe under real keys and clicks, against
// the stand-in mail world. Each run is judged three ways: the lines it adds to
// the result box, the lines it adds to Pelterwyn.log, and the calls the
// stand-ins journaled.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/driver/harness.h"

namespace pelterwyn::e2e {
namespace {

using Lines = std::vector<std::string>;

constexpr char kServer[] = "EXCHANGE1";
constexpr char kInbox[] = "EXCHANGE1\\jsmith\\Inbox";
// What the stand-ins declare in their version resources.
constexpr char kStandinCdoVersion[] = "6.5.8353.0";
constexpr char kStandinMapiVersion[] = "1.0.2536.0";
constexpr char kSeparator[] = "====================";
const std::string kLogonFailed =
    "-2147221231 [Collaboration Data Objects - [MAPI_E_LOGON_FAILED(80040111)]]";
const std::string kNetworkError =
    "-2147221227 [Collaboration Data Objects - [MAPI_E_NETWORK_ERROR(80040115)]]";

void Append(Lines& lines, const Lines& more) {
  lines.insert(lines.end(), more.begin(), more.end());
}

std::string MapiOnPath() { return "MAPI32=" + testing::FileVersion("mapi32.dll") + " @%PATH%"; }

enum class Shape { AllArgs, ProfileInfo };

std::string Attempt(Shape shape, const std::string& mailbox, const std::string& server = kServer) {
  return (shape == Shape::AllArgs ? "Attempting logon using "
                                  : "Attempting logon by setting ProfileInfo parameter: ") +
         server + "\\" + mailbox;
}

// Both probes on one mailbox text that fails to log on.
Lines BothFail(const std::string& mailbox, const std::string& error = kLogonFailed,
               const std::string& server = kServer) {
  return {Attempt(Shape::AllArgs, mailbox, server), "    Logon error: " + error,
          Attempt(Shape::ProfileInfo, mailbox, server), "    Logon error: " + error};
}

// Both probes on one mailbox text that logs on to jsmith.
Lines BothSucceed(const std::string& mailbox, int count) {
  const Lines loggedOn = {"    Session name: MAPI Profile for jsmith",
                          "    Message count: " + std::to_string(count)};
  Lines lines = {Attempt(Shape::AllArgs, mailbox)};
  Append(lines, loggedOn);
  lines.push_back(Attempt(Shape::ProfileInfo, mailbox));
  Append(lines, loggedOn);
  return lines;
}

const Lines kFailedAttempt = {"Session.Logon", "Session.Logoff"};
const Lines kSucceededAttempt = {"Session.Logon",   "Session.Name",   "Session.Inbox",
                                 "Folder.Messages", "Messages.Count", "Session.Logoff"};

// The log lines of a run: its messages stamped, between separators.
std::string Framed(const Lines& messages, bool closed = true) {
  std::string text = std::string(kSeparator) + "\r\n";
  for (const std::string& m : messages) text += "<t>:" + m + "\r\n";
  if (closed) text += std::string(kSeparator) + "\r\n";
  return text;
}

class LogonRun : public EndToEnd {
 protected:
  std::string RegisteredCdoPath() const {
    return registry
        .ReadString(HKEY_LOCAL_MACHINE, std::string(kCdoClassKey) + "\\InprocServer32", "")
        .value_or("");
  }

  // The lines every run opens with while the stand-in cdo.dll of the build is registered.
  Lines VersionLines() const {
    const std::string cdo = RegisteredCdoPath();
    return {"CDO=" + std::string(kStandinCdoVersion) + " @" + cdo, MapiOnPath(),
            "MAPI32=" + std::string(kStandinMapiVersion) + " @" +
                cdo.substr(0, cdo.find_last_of('\\')) + "\\MAPI32.DLL"};
  }

  // A run that creates the session: the version lines, then `attempts`.
  Lines Instantiated(const Lines& attempts) const {
    Lines lines = VersionLines();
    lines.push_back("Instantiated CDO");
    Append(lines, attempts);
    return lines;
  }

  // Real keys: Alt+A into the mailbox field, then Tab on to the check box.
  void FocusCheckBox() {
    ASSERT_TRUE(app.PressKey('A', {.alt = true}));
    ASSERT_TRUE(app.PressKey(VK_TAB));
    WaitUntil([&] { return app.Focus() == ControlId::chkLoad; });
    ASSERT_EQ(app.Focus(), ControlId::chkLoad);
  }

  Outcome RunLogon() { return Click(ControlId::cmdLogon); }

  // The run ended on its own and appended `messages` to the box.
  static void ExpectBoxTrace(const Outcome& run, const Lines& messages) {
    ExpectIdle(run);
    EXPECT_FALSE(run.replaced) << "the run changed what the box held before";
    EXPECT_EQ(run.box, BoxLines(messages));
    EXPECT_TRUE(run.logProblems.empty()) << ::testing::PrintToString(run.logProblems);
  }

  // ... and the same, timestamped, to the log.
  static void ExpectTrace(const Outcome& run, const Lines& messages, bool closed = true) {
    ExpectBoxTrace(run, messages);
    EXPECT_EQ(run.log, Framed(messages, closed));
  }

  static void ExpectTidyJournal(const Journal& journal) {
    EXPECT_TRUE(journal.Malformed().empty()) << ::testing::PrintToString(journal.Malformed());
    EXPECT_TRUE(journal.AllReleased()) << ::testing::PrintToString(journal.Unreleased());
    EXPECT_TRUE(journal.FailedLookups().empty()) << journal.FailedLookups().front().line;
  }
};

Lines Sequence(const std::vector<const Lines*>& attempts) {
  Lines calls;
  for (const Lines* a : attempts) Append(calls, *a);
  return calls;
}

// The probes alternate: all seven arguments by position, then ProfileInfo alone by name.
void ExpectLogonShapes(const Journal& journal, const Lines& profileInfos) {
  const std::vector<JournalEvent> logons = journal.Calls("Session", "Logon");
  ASSERT_EQ(logons.size(), profileInfos.size());
  for (std::size_t i = 0; i < logons.size(); ++i) {
    const JournalEvent& e = logons[i];
    SCOPED_TRACE(e.line);
    EXPECT_EQ(e.dispid, 119);
    EXPECT_FALSE(e.byName);
    EXPECT_EQ(e.flags, "method");
    if (i % 2 == 0) {
      ASSERT_EQ(e.args.size(), 7u);
      EXPECT_TRUE(e.named.empty());
      const VARTYPE types[] = {VT_BSTR, VT_BSTR, VT_BOOL, VT_BOOL, VT_I2, VT_BOOL, VT_BSTR};
      const char* texts[] = {"", "", "false", "true", "0", "true"};
      for (std::size_t a = 0; a < 7; ++a) {
        EXPECT_EQ(e.args[a].vt, types[a]) << "argument " << a << " " << e.args[a].type;
        if (a < 6) {
          EXPECT_EQ(e.args[a].text, texts[a]) << "argument " << a;
        }
      }
      EXPECT_EQ(e.args[6].text, profileInfos[i]);
    } else {
      ASSERT_EQ(e.args.size(), 1u);
      EXPECT_EQ(e.named, std::vector<long>{6});
      EXPECT_EQ(e.args[0].vt, VT_BSTR | VT_BYREF) << e.args[0].type;
      EXPECT_EQ(e.args[0].text, profileInfos[i]);
    }
  }
}

// The reads of a logged-on probe: Name, Inbox and Messages by DISPID, Count by name.
void ExpectReadsBound(const Journal& journal) {
  struct Binding {
    const char* type;
    const char* member;
    long dispid;
    bool byName;
  };
  for (const Binding& b :
       {Binding{"Session", "Name", 23, false}, Binding{"Session", "Inbox", 15, false},
        Binding{"Folder", "Messages", 22, false}, Binding{"Session", "Logoff", 118, false},
        Binding{"Messages", "Count", 0, true}}) {
    for (const JournalEvent& e : journal.Calls(b.type, b.member)) {
      SCOPED_TRACE(e.line);
      EXPECT_EQ(e.byName, b.byName);
      if (!b.byName) {
        EXPECT_EQ(e.dispid, b.dispid);
      }
      EXPECT_TRUE(e.args.empty());
    }
  }
}

TEST_F(LogonRun, EmptyFieldsAreRefusedWithAStopBoxAndAFieldToFillIn) {
  ASSERT_NO_FATAL_FAILURE(Start());
  // Both empty, Enter in the check box: only the first box.
  ASSERT_NO_FATAL_FAILURE(FocusCheckBox());
  Outcome run = Press(VK_RETURN, {}, 1);
  ASSERT_EQ(run.boxes.size(), 1u) << "Enter did not run the test, or a second box followed";
  ExpectBox(run.boxes[0], "You must enter the Server name!", BoxIcon::Stop);
  EXPECT_EQ(run.settled, Settled::Idle) << "a second box followed";
  WaitUntil([&] { return app.Focus() == ControlId::txtServer; });
  EXPECT_EQ(app.Focus(), ControlId::txtServer);

  // Server typed, mailbox empty, Enter in the server field.
  ASSERT_TRUE(app.TypeKeys(kServer));
  ASSERT_EQ(app.Text(ControlId::txtServer), kServer);
  run = Press(VK_RETURN, {}, 1);
  ASSERT_EQ(run.boxes.size(), 1u);
  ExpectBox(run.boxes[0], "You must enter the Alias!", BoxIcon::Stop);
  EXPECT_EQ(run.settled, Settled::Idle);
  WaitUntil([&] { return app.Focus() == ControlId::txtAlias; });
  EXPECT_EQ(app.Focus(), ControlId::txtAlias);

  // Mailbox filled, server emptied: the server is checked first.
  Fill({.server = "", .mailbox = "jsmith"});
  run = Click(ControlId::cmdLogon, 1);
  ASSERT_EQ(run.boxes.size(), 1u);
  ExpectBox(run.boxes[0], "You must enter the Server name!", BoxIcon::Stop);
  WaitUntil([&] { return app.Focus() == ControlId::txtServer; });
  EXPECT_EQ(app.Focus(), ControlId::txtServer);

  EXPECT_FALSE(testing::FileExists(app.LogPath())) << "a refused run wrote to the log";
  EXPECT_EQ(app.Text(ControlId::txtResult), "");
  EXPECT_TRUE(store.ReadJournal().Events().empty()) << "a refused run created a session";

  // A single blank is a server name: the run happens, and the server is not found.
  Fill({.server = " ", .mailbox = "jsmith"});
  run = RunLogon();
  const Lines expected = Instantiated(BothFail("jsmith", kNetworkError, " "));
  ExpectTrace(run, expected);
  ExpectLogonShapes(run.journal, {" \njsmith", " \njsmith"});
}

TEST_F(LogonRun, AnAliasIsTriedTwiceOnEnter) {
  store.AddMessage(kInbox, "One more", "Ann Other");
  const int count = store.CountMessages(kInbox);
  ASSERT_EQ(count, 4);
  ASSERT_TRUE(RegisteredCdoPath().ends_with("\\cdo.dll")) << RegisteredCdoPath();
  ASSERT_NO_FATAL_FAILURE(Start());
  // Typed as a user types, Enter pressed in the mailbox field.
  ASSERT_TRUE(app.TypeKeys(kServer));
  ASSERT_TRUE(app.PressKey(VK_TAB));
  ASSERT_TRUE(app.TypeKeys("jsmith"));
  WaitUntil([&] { return app.Focus() == ControlId::txtAlias; });
  ASSERT_EQ(app.Focus(), ControlId::txtAlias);
  ASSERT_EQ(app.Text(ControlId::txtAlias), "jsmith");
  const Outcome run = Press(VK_RETURN);

  const Lines expected = Instantiated(BothSucceed("jsmith", count));
  ExpectTrace(run, expected);

  ExpectTidyJournal(run.journal);
  EXPECT_EQ(run.journal.CallSequence(), Sequence({&kSucceededAttempt, &kSucceededAttempt}));
  ExpectLogonShapes(run.journal, {"EXCHANGE1\njsmith", "EXCHANGE1\njsmith"});
  ExpectReadsBound(run.journal);
  EXPECT_EQ(run.journal.Created().size(), 5u)
      << "one session, then a folder and its messages per logged-on probe";

  // A second run appends a second framed trace.
  const Outcome again = RunLogon();
  ExpectTrace(again, expected);
  EXPECT_EQ(app.Text(ControlId::txtResult), BoxLines(expected) + BoxLines(expected));
}

TEST_F(LogonRun, AnAddressIsTriedAgainWithTheSmtpPrefix) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Fill({.server = kServer, .mailbox = "jsmith@example.com"});
  const Outcome run = RunLogon();

  Lines expected = Instantiated(BothFail("jsmith@example.com"));
  Append(expected, BothSucceed("SMTP:jsmith@example.com", 3));
  ExpectTrace(run, expected);

  ExpectTidyJournal(run.journal);
  // Each attempt logs off once: the probe after its failure, the test after a success.
  EXPECT_EQ(run.journal.CallSequence(),
            Sequence({&kFailedAttempt, &kFailedAttempt, &kSucceededAttempt, &kSucceededAttempt}));
  EXPECT_EQ(run.journal.Calls("Session", "Logoff").size(), 4u);
  ExpectLogonShapes(run.journal,
                    {"EXCHANGE1\njsmith@example.com", "EXCHANGE1\njsmith@example.com",
                     "EXCHANGE1\nSMTP:jsmith@example.com", "EXCHANGE1\nSMTP:jsmith@example.com"});
  ExpectReadsBound(run.journal);
  EXPECT_EQ(run.journal.CountCreated("Session"), 1) << "all four attempts share one session";
}

TEST_F(LogonRun, TheSecondPassFollowsWhereTheSmtpPrefixStands) {
  ASSERT_NO_FATAL_FAILURE(Start());
  struct Case {
    const char* mailbox;
    Lines trace;
    Lines profileInfos;
  };
  const Case cases[] = {
      // In any case at the start: the second pass goes without it.
      {"sMtP:jsmith@example.com",
       [] {
         Lines t = BothSucceed("sMtP:jsmith@example.com", 3);
         Append(t, BothFail("jsmith@example.com"));
         return t;
       }(),
       {"EXCHANGE1\nsMtP:jsmith@example.com", "EXCHANGE1\nsMtP:jsmith@example.com",
        "EXCHANGE1\njsmith@example.com", "EXCHANGE1\njsmith@example.com"}},
      // Further in: the second pass repeats the first.
      {"John SMTP:jsmith@example.com",
       [] {
         Lines t = BothFail("John SMTP:jsmith@example.com");
         Append(t, BothFail("John SMTP:jsmith@example.com"));
         return t;
       }(),
       Lines(4, "EXCHANGE1\nJohn SMTP:jsmith@example.com")},
      // No "@": no second pass, and the prefix stays.
      {"SMTP:jsmith", BothFail("SMTP:jsmith"), Lines(2, "EXCHANGE1\nSMTP:jsmith")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mailbox);
    Fill({.server = kServer, .mailbox = c.mailbox});
    const Outcome run = RunLogon();
    const Lines expected = Instantiated(c.trace);
    ExpectTrace(run, expected);
    ExpectTidyJournal(run.journal);
    ExpectLogonShapes(run.journal, c.profileInfos);
    EXPECT_EQ(run.journal.Calls("Session", "Logoff").size(), c.profileInfos.size());
  }
}

TEST_F(LogonRun, WithoutTheSessionClassTheRunEndsAtTheErrorLine) {
  // CO_E_CLASSSTRING with Windows' text, which the tool supplies where Wine has none.
  const std::string error = "Error instantiating CDO: -2147221005 Invalid class string";
  // The ProgID goes; the class and its file stay.
  ASSERT_TRUE(registry.Exists(HKEY_LOCAL_MACHINE, kSessionProgIdKey));
  ASSERT_NO_FATAL_FAILURE(registry.Hide(HKEY_LOCAL_MACHINE, kSessionProgIdKey));
  ASSERT_NO_FATAL_FAILURE(Start());
  Fill({.server = kServer, .mailbox = "jsmith@example.com"});
  Outcome run = RunLogon();
  Lines expected = VersionLines();
  expected.push_back(error);
  ExpectTrace(run, expected, false);

  // The class goes too, and mapi32.dll is pre-loaded: absent versions show empty.
  ASSERT_TRUE(registry.Exists(HKEY_LOCAL_MACHINE, kCdoClassKey));
  ASSERT_NO_FATAL_FAILURE(registry.Hide(HKEY_LOCAL_MACHINE, kCdoClassKey));
  Fill({.load = true});
  ASSERT_EQ(app.CheckState(ControlId::chkLoad), BST_CHECKED);
  run = RunLogon();
  ExpectTrace(run, {"CDO= @", MapiOnPath(), "Calling LoadLibrary\r\n", error}, false);

  EXPECT_TRUE(store.ReadJournal().Events().empty()) << "a session was created after all";
}

// CDO installed for 32-bit programs only, as on a real workstation: the
// 32-bit build logs on, the 64-bit one says which build to run.
TEST_F(LogonRun, CdoRegisteredFor32BitProgramsOnly) {
  ASSERT_NO_FATAL_FAILURE(registry.Hide({HKEY_LOCAL_MACHINE, testing::View::Bits64}, kCdoClassKey));
  ASSERT_NO_FATAL_FAILURE(Start());
  Fill({.server = kServer, .mailbox = "jsmith"});
  const Outcome run = RunLogon();
  if (testing::k64Bit) {
    ExpectTrace(
        run,
        {"CDO= @", MapiOnPath(), "Error instantiating CDO: -2147221164 Class not registered",
         "CDO is registered for 32-bit programs only: run the 32-bit Pelterwyn.exe"},
        false);
    EXPECT_TRUE(run.journal.Events().empty()) << "a session was created after all";
  } else {
    ExpectTrace(run, Instantiated(BothSucceed("jsmith", store.CountMessages(kInbox))));
  }
}

TEST_F(LogonRun, CallLoadLibraryAddsItsLineAndAnEmptyLineOnlyWhenTicked) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Fill({.server = kServer, .mailbox = "jsmith"});
  ASSERT_NO_FATAL_FAILURE(FocusCheckBox());
  ASSERT_TRUE(app.PressKey(VK_SPACE));
  ASSERT_EQ(app.CheckState(ControlId::chkLoad), BST_CHECKED);
  // Enter in the ticked check box runs the test and leaves the tick.
  Outcome run = Press(VK_RETURN);
  Lines ticked = VersionLines();
  ticked.push_back("Calling LoadLibrary\r\n");
  ticked.push_back("Instantiated CDO");
  Append(ticked, BothSucceed("jsmith", 3));
  ExpectTrace(run, ticked);
  EXPECT_NE(run.box.find("Calling LoadLibrary\r\n\r\nInstantiated CDO\r\n"), std::string::npos);
  ASSERT_EQ(app.CheckState(ControlId::chkLoad), BST_CHECKED);

  ASSERT_NO_FATAL_FAILURE(FocusCheckBox());
  ASSERT_TRUE(app.PressKey(VK_SPACE));
  ASSERT_EQ(app.CheckState(ControlId::chkLoad), BST_UNCHECKED);
  run = RunLogon();
  const Lines unticked = Instantiated(BothSucceed("jsmith", 3));
  ExpectTrace(run, unticked);
}

TEST_F(LogonRun, ProbeFailuresAreReportedAndTheNextAttemptStillRuns) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Fill({.server = kServer, .mailbox = "jsmith"});

  // The first logon fails, with its description filled in late; the second
  // probe logs on but cannot read the session's name, which the Inbox line reports.
  store.SetFault("Session.Logon#1", "deferred 0x80040115 The server is not reachable.");
  store.SetFault("Session.Name#1", "fail 0x80040605 The session name is not available.");
  Outcome run = RunLogon();
  Lines expected =
      Instantiated({Attempt(Shape::AllArgs, "jsmith"),
                    "    Logon error: -2147221227 The server is not reachable.",
                    Attempt(Shape::ProfileInfo, "jsmith"),
                    "    Error accessing Inbox: -2147219963 The session name is not available."});
  ExpectTrace(run, expected);
  ExpectTidyJournal(run.journal);
  EXPECT_EQ(run.journal.CallSequence(), (Lines{"Session.Logon", "Session.Logoff", "Session.Logon",
                                               "Session.Name", "Session.Inbox", "Session.Logoff"}));

  // The Inbox fails, then comes back as no object without an error.
  store.ClearFaults();
  store.SetFault("Session.Inbox#1", "fail -2147221233");
  store.SetFault("Session.Inbox#2", "nothing");
  run = RunLogon();
  expected =
      Instantiated({Attempt(Shape::AllArgs, "jsmith"), "    Session name: MAPI Profile for jsmith",
                    "    Error accessing Inbox: -2147221233 [Collaboration Data Objects - "
                    "[MAPI_E_NOT_FOUND(8004010F)]]",
                    Attempt(Shape::ProfileInfo, "jsmith"),
                    "    Session name: MAPI Profile for jsmith", "    Error accessing Inbox: 0 "});
  ExpectTrace(run, expected);
  ExpectTidyJournal(run.journal);
  EXPECT_EQ(run.journal.CallSequence(),
            (Lines{"Session.Logon", "Session.Name", "Session.Inbox", "Session.Logoff",
                   "Session.Logon", "Session.Name", "Session.Inbox", "Session.Logoff"}));
}

TEST_F(LogonRun, AMessageCountThatCannotBeReadStillCountsAsLoggedOn) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Fill({.server = kServer, .mailbox = "jsmith"});

  // Count fails in the first probe, Messages in the second: no count line,
  // no error line, and the test logs off after each.
  store.SetFault("Messages.Count#1", "fail 0x80004005 The Count is not available.");
  store.SetFault("Folder.Messages#2", "fail 0x80004005 The messages are not available.");
  Outcome run = RunLogon();
  Lines expected = Instantiated(
      {Attempt(Shape::AllArgs, "jsmith"), "    Session name: MAPI Profile for jsmith",
       Attempt(Shape::ProfileInfo, "jsmith"), "    Session name: MAPI Profile for jsmith"});
  ExpectTrace(run, expected);
  ExpectTidyJournal(run.journal);
  EXPECT_EQ(run.journal.CallSequence(),
            (Lines{"Session.Logon", "Session.Name", "Session.Inbox", "Folder.Messages",
                   "Messages.Count", "Session.Logoff", "Session.Logon", "Session.Name",
                   "Session.Inbox", "Folder.Messages", "Session.Logoff"}));

  // An empty Inbox counts 0.
  store.ClearFaults();
  store.EmptyFolder(kInbox);
  ASSERT_EQ(store.CountMessages(kInbox), 0);
  run = RunLogon();
  expected = Instantiated(BothSucceed("jsmith", 0));
  ExpectTrace(run, expected);
  ExpectTidyJournal(run.journal);
}

TEST_F(LogonRun, ACdoDllRegisteredInCapitalsStillFindsTheMapi32BesideIt) {
  const std::string built = testing::BinaryDir() + "\\standins\\cdo\\";
  const testing::TempFolder folder("pelterwyn-cdo");
  ASSERT_FALSE(folder.Path().empty());
  const std::string cdo = folder.Path() + "\\CDO.DLL";
  ASSERT_TRUE(CopyFileA((built + "cdo.dll").c_str(), cdo.c_str(), FALSE)) << built;
  ASSERT_TRUE(
      CopyFileA((built + "mapi32.dll").c_str(), (folder.Path() + "\\mapi32.dll").c_str(), FALSE));
  ASSERT_NO_FATAL_FAILURE(registry.SetString(
      HKEY_LOCAL_MACHINE, std::string(kCdoClassKey) + "\\InprocServer32", "", cdo));
  ASSERT_NO_FATAL_FAILURE(Start());
  Fill({.server = kServer, .mailbox = "jsmith"});
  Outcome run = RunLogon();
  Lines expected = {
      "CDO=" + std::string(kStandinCdoVersion) + " @" + cdo, MapiOnPath(),
      "MAPI32=" + std::string(kStandinMapiVersion) + " @" + folder.Path() + "\\MAPI32.DLL",
      "Instantiated CDO"};
  Append(expected, BothSucceed("jsmith", 3));
  ExpectTrace(run, expected);

  // Without a mapi32.dll beside it, that line goes.
  ASSERT_TRUE(DeleteFileA((folder.Path() + "\\mapi32.dll").c_str()));
  run = RunLogon();
  expected.erase(expected.begin() + 2);
  ExpectTrace(run, expected);
  // Before the folder goes: the copy is still loaded.
  EXPECT_TRUE(app.Close());
}

TEST_F(LogonRun, ALogThatCannotBeWrittenLeavesTheResultBoxComplete) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Fill({.server = kServer, .mailbox = "jsmith"});
  const Lines expected = Instantiated(BothSucceed("jsmith", 3));

  // A folder where the log would be.
  ASSERT_TRUE(CreateDirectoryA(app.LogPath().c_str(), nullptr));
  Outcome run = RunLogon();
  ExpectBoxTrace(run, expected);
  EXPECT_TRUE(GetFileAttributesA(app.LogPath().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(RemoveDirectoryA(app.LogPath().c_str())) << "something was written into it";

  // A log held open, unshared, by another program. (Wine run as root writes
  // to a file with the read-only attribute all the same.)
  const std::string earlier = "earlier run\r\n";
  ASSERT_TRUE(testing::WriteFileBytes(app.LogPath(), earlier));
  {
    const owners::UniqueFile held(CreateFileA(app.LogPath().c_str(), GENERIC_READ, 0, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(held.Get(), INVALID_HANDLE_VALUE);
    run = RunLogon();
  }
  ExpectBoxTrace(run, expected);
  EXPECT_EQ(testing::ReadFileBytes(app.LogPath()), earlier);
  EXPECT_EQ(app.Text(ControlId::txtResult), BoxLines(expected) + BoxLines(expected));
}

}  // namespace
}  // namespace pelterwyn::e2e
