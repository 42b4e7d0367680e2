// The Logon test end to end: the real exe under real keys and clicks, against
// the stand-in mail world. Each run is judged three ways: the lines it adds to
// the result box, the lines it adds to Pelterwyn.log, and the calls the
// stand-ins journaled.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "e2e/driver/app.h"
#include "support/journal.h"
#include "support/store_fixture.h"
#include "support/wine_paths.h"

namespace pelterwyn::e2e {
namespace {

using Lines = std::vector<std::string>;
using testing::Journal;
using testing::JournalEvent;

constexpr char kCdoClassKey[] = "CLSID\\{3FA7DEB3-6438-101B-ACC1-00AA00423326}";
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

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Joined(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

void Append(Lines& lines, const Lines& more) {
  lines.insert(lines.end(), more.begin(), more.end());
}

std::string DirectoryOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

std::string RegisteredCdoPath() {
  char value[MAX_PATH * 2] = {};
  DWORD size = sizeof value;
  const std::string key = std::string(kCdoClassKey) + "\\InprocServer32";
  if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  return value;
}

struct LibraryFreer {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

// The file version as the loader's search finds the file; "" without one.
// version.dll is not among the libraries the tests link.
std::string FileVersion(const std::string& file) {
  const UniqueLibrary version(LoadLibraryA("version.dll"));
  if (!version) return "(no version.dll)";
  const auto size = reinterpret_cast<decltype(&GetFileVersionInfoSizeA)>(
      reinterpret_cast<void*>(GetProcAddress(version.get(), "GetFileVersionInfoSizeA")));
  const auto read = reinterpret_cast<decltype(&GetFileVersionInfoA)>(
      reinterpret_cast<void*>(GetProcAddress(version.get(), "GetFileVersionInfoA")));
  const auto query = reinterpret_cast<decltype(&VerQueryValueA)>(
      reinterpret_cast<void*>(GetProcAddress(version.get(), "VerQueryValueA")));
  if (!size || !read || !query) return "(no version functions)";
  DWORD ignored = 0;
  const DWORD bytes = size(file.c_str(), &ignored);
  if (bytes == 0) return {};
  std::vector<char> block(bytes);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!read(file.c_str(), 0, bytes, block.data()) ||
      !query(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) {
    return {};
  }
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionLS));
}

std::string MapiOnPath() { return "MAPI32=" + FileVersion("mapi32.dll") + " @%PATH%"; }

// The lines every run opens with while the stand-in cdo.dll of the build is registered.
Lines VersionLines() {
  const std::string cdo = RegisteredCdoPath();
  return {"CDO=" + std::string(kStandinCdoVersion) + " @" + cdo, MapiOnPath(),
          "MAPI32=" + std::string(kStandinMapiVersion) + " @" + DirectoryOf(cdo) + "\\MAPI32.DLL"};
}

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

std::uint64_t Seconds(const SYSTEMTIME& t) {
  FILETIME f{};
  SystemTimeToFileTime(&t, &f);
  return ((static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000000ull;
}

std::uint64_t LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return Seconds(now);
}

// The log with each line's timestamp checked and replaced by "<t>", so that
// the rest can be compared exactly. A stamp must read m/d/yyyy h:mm:ss AM|PM
// and lie within the run.
struct StampedLog {
  std::string text;
  std::vector<std::string> problems;
};

StampedLog Unstamp(const std::string& log, std::uint64_t from, std::uint64_t to) {
  static const std::regex stamped(
      R"(^(1[0-2]|[1-9])/([12][0-9]|3[01]|[1-9])/([0-9]{4}) (1[0-2]|[1-9]):([0-5][0-9]):([0-5][0-9]) (AM|PM):)");
  StampedLog out;
  std::size_t start = 0;
  while (start < log.size()) {
    const auto end = log.find("\r\n", start);
    const std::string line =
        log.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::smatch m;
    if (std::regex_search(line, m, stamped)) {
      SYSTEMTIME t{};
      t.wMonth = static_cast<WORD>(std::stoi(m[1]));
      t.wDay = static_cast<WORD>(std::stoi(m[2]));
      t.wYear = static_cast<WORD>(std::stoi(m[3]));
      t.wHour = static_cast<WORD>(std::stoi(m[4]) % 12 + (m[7] == "PM" ? 12 : 0));
      t.wMinute = static_cast<WORD>(std::stoi(m[5]));
      t.wSecond = static_cast<WORD>(std::stoi(m[6]));
      const std::uint64_t at = Seconds(t);
      if (at < from || at > to) out.problems.push_back("not within the run: " + line);
      out.text += "<t>:" + m.suffix().str();
    } else {
      out.text += line;
    }
    if (end == std::string::npos) break;
    out.text += "\r\n";
    start = end + 2;
  }
  return out;
}

// The log lines of a run: its messages stamped, between separators.
std::string Framed(const Lines& messages, bool closed = true) {
  std::string text = std::string(kSeparator) + "\r\n";
  for (const std::string& m : messages) text += "<t>:" + m + "\r\n";
  if (closed) text += std::string(kSeparator) + "\r\n";
  return text;
}

// What one run added.
struct Outcome {
  Settled settled = Settled::Timeout;
  std::string box;
  StampedLog log;
  Journal journal;
};

enum class Press { LogonButton, Enter };

class LogonRun : public ::testing::Test {
 protected:
  void Start() { ASSERT_TRUE(app.Start()) << app.Error(); }

  // Rewrites the store's faults.ini; each run's session reads it afresh.
  void SetFaults(const std::string& section) {
    ASSERT_TRUE(WriteFile(store.Root() + "\\faults.ini", "[faults]\r\n" + section));
  }

  void Fill(const std::string& server, const std::string& mailbox) {
    app.SetText(ControlId::txtServer, server);
    app.SetText(ControlId::txtAlias, mailbox);
  }

  // Real keys: Alt+A into the mailbox field, then Tab on to the check box.
  void FocusCheckBox() {
    ASSERT_TRUE(app.PressKey('A', {.alt = true}));
    ASSERT_TRUE(app.PressKey(VK_TAB));
    WaitUntil([&] { return app.Focus() == ControlId::chkLoad; }, 2000);
    ASSERT_EQ(app.Focus(), ControlId::chkLoad);
  }

  Outcome RunLogon(Press press = Press::LogonButton) {
    const std::string boxBefore = app.Text(ControlId::txtResult);
    const std::string logBefore = ReadFile(app.LogPath());
    const std::string journalBefore = ReadFile(store.JournalPath());
    const std::uint64_t from = LocalNow();
    Outcome run;
    if (press == Press::Enter) {
      if (!app.PressKey(VK_RETURN)) ADD_FAILURE() << "cannot press Enter in the window";
    } else {
      app.Click(ControlId::cmdLogon);
    }
    run.settled = app.WaitSettled(60000);
    const std::uint64_t to = LocalNow();
    const std::string box = app.Text(ControlId::txtResult);
    if (box.compare(0, boxBefore.size(), boxBefore) != 0) {
      ADD_FAILURE() << "the run changed what the box held before";
    }
    run.box = box.substr(std::min(box.size(), boxBefore.size()));
    const std::string log = ReadFile(app.LogPath());
    if (log.compare(0, logBefore.size(), logBefore) != 0) {
      ADD_FAILURE() << "the run changed earlier lines of the log";
    }
    run.log = Unstamp(log.substr(std::min(log.size(), logBefore.size())), from, to);
    const std::string journal = ReadFile(store.JournalPath());
    run.journal = Journal::Parse(journal.substr(std::min(journal.size(), journalBefore.size())));
    return run;
  }

  // The run ended on its own, wrote `messages` to the box, and the same,
  // timestamped, to the log.
  static void ExpectTrace(const Outcome& run, const Lines& messages, bool closed = true) {
    EXPECT_EQ(run.settled, Settled::Idle);
    EXPECT_EQ(run.box, Joined(messages));
    EXPECT_EQ(run.log.text, Framed(messages, closed));
    EXPECT_TRUE(run.log.problems.empty()) << ::testing::PrintToString(run.log.problems);
  }

  static void ExpectTidyJournal(const Journal& journal) {
    EXPECT_TRUE(journal.Malformed().empty()) << ::testing::PrintToString(journal.Malformed());
    EXPECT_TRUE(journal.AllReleased()) << ::testing::PrintToString(journal.Unreleased());
    EXPECT_TRUE(journal.FailedLookups().empty()) << journal.FailedLookups().front().line;
  }

  testing::StoreFixture store;
  App app;
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
  Start();
  // Both empty, Enter in the check box: only the first box.
  FocusCheckBox();
  ASSERT_TRUE(app.PressKey(VK_RETURN));
  auto box = app.WaitForBox();
  ASSERT_TRUE(box.has_value()) << "Enter did not run the test";
  EXPECT_EQ(box->caption, "Pelterwyn");
  EXPECT_EQ(box->text, "You must enter the Server name!");
  EXPECT_EQ(box->icon, BoxIcon::Stop) << IconName(box->icon);
  EXPECT_EQ(box->buttons, std::vector<std::string>{"OK"});
  ASSERT_TRUE(app.Dismiss(*box));
  EXPECT_EQ(app.WaitSettled(3000), Settled::Idle) << "a second box followed";
  WaitUntil([&] { return app.Focus() == ControlId::txtServer; }, 2000);
  EXPECT_EQ(app.Focus(), ControlId::txtServer);

  // Server typed, mailbox empty, Enter in the server field.
  ASSERT_TRUE(app.TypeKeys(kServer));
  ASSERT_EQ(app.Text(ControlId::txtServer), kServer);
  ASSERT_TRUE(app.PressKey(VK_RETURN));
  box = app.WaitForBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->caption, "Pelterwyn");
  EXPECT_EQ(box->text, "You must enter the Alias!");
  EXPECT_EQ(box->icon, BoxIcon::Stop) << IconName(box->icon);
  ASSERT_TRUE(app.Dismiss(*box));
  EXPECT_EQ(app.WaitSettled(3000), Settled::Idle);
  WaitUntil([&] { return app.Focus() == ControlId::txtAlias; }, 2000);
  EXPECT_EQ(app.Focus(), ControlId::txtAlias);

  // Mailbox filled, server emptied: the server is checked first.
  Fill("", "jsmith");
  app.Click(ControlId::cmdLogon);
  box = app.WaitForBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, "You must enter the Server name!");
  ASSERT_TRUE(app.Dismiss(*box));
  WaitUntil([&] { return app.Focus() == ControlId::txtServer; }, 2000);
  EXPECT_EQ(app.Focus(), ControlId::txtServer);

  EXPECT_FALSE(Exists(app.LogPath())) << "a refused run wrote to the log";
  EXPECT_EQ(app.Text(ControlId::txtResult), "");
  EXPECT_TRUE(store.ReadJournal().Events().empty()) << "a refused run created a session";

  // A single blank is a server name: the run happens, and the server is not found.
  Fill(" ", "jsmith");
  const Outcome run = RunLogon();
  Lines expected = VersionLines();
  expected.push_back("Instantiated CDO");
  Append(expected, BothFail("jsmith", kNetworkError, " "));
  ExpectTrace(run, expected);
  ExpectLogonShapes(run.journal, {" \njsmith", " \njsmith"});
}

TEST_F(LogonRun, AnAliasIsTriedTwiceOnEnter) {
  store.AddMessage(kInbox, "One more", "Ann Other");
  const int count = store.CountMessages(kInbox);
  ASSERT_EQ(count, 4);
  ASSERT_TRUE(RegisteredCdoPath().ends_with("\\cdo.dll")) << RegisteredCdoPath();
  Start();
  // Typed as a user types, Enter pressed in the mailbox field.
  ASSERT_TRUE(app.TypeKeys(kServer));
  ASSERT_TRUE(app.PressKey(VK_TAB));
  ASSERT_TRUE(app.TypeKeys("jsmith"));
  WaitUntil([&] { return app.Focus() == ControlId::txtAlias; }, 2000);
  ASSERT_EQ(app.Focus(), ControlId::txtAlias);
  ASSERT_EQ(app.Text(ControlId::txtAlias), "jsmith");
  const Outcome run = RunLogon(Press::Enter);

  Lines expected = VersionLines();
  expected.push_back("Instantiated CDO");
  Append(expected, BothSucceed("jsmith", count));
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
  EXPECT_EQ(app.Text(ControlId::txtResult), Joined(expected) + Joined(expected));
}

TEST_F(LogonRun, AnAddressIsTriedAgainWithTheSmtpPrefix) {
  Start();
  Fill(kServer, "jsmith@example.com");
  const Outcome run = RunLogon();

  Lines expected = VersionLines();
  expected.push_back("Instantiated CDO");
  Append(expected, BothFail("jsmith@example.com"));
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
  std::vector<std::string> sessions;
  for (const JournalEvent& e : run.journal.Events()) {
    if (e.kind == JournalEvent::Kind::Created && e.type == "Session") sessions.push_back(e.object);
  }
  EXPECT_EQ(sessions.size(), 1u) << "all four attempts share one session";
}

TEST_F(LogonRun, TheSecondPassFollowsWhereTheSmtpPrefixStands) {
  Start();
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
    Fill(kServer, c.mailbox);
    const Outcome run = RunLogon();
    Lines expected = VersionLines();
    expected.push_back("Instantiated CDO");
    Append(expected, c.trace);
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
  ASSERT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\MAPI.Session"), ERROR_SUCCESS);
  Start();
  Fill(kServer, "jsmith@example.com");
  Outcome run = RunLogon();
  Lines expected = VersionLines();
  expected.push_back(error);
  ExpectTrace(run, expected, false);

  // The class goes too, and mapi32.dll is pre-loaded: absent versions show empty.
  ASSERT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, kCdoClassKey), ERROR_SUCCESS);
  FocusCheckBox();
  ASSERT_TRUE(app.PressKey(VK_SPACE));
  ASSERT_EQ(app.CheckState(ControlId::chkLoad), BST_CHECKED);
  run = RunLogon();
  ExpectTrace(run, {"CDO= @", MapiOnPath(), "Calling LoadLibrary\r\n", error}, false);

  EXPECT_TRUE(store.ReadJournal().Events().empty()) << "a session was created after all";
}

TEST_F(LogonRun, CallLoadLibraryAddsItsLineAndAnEmptyLineOnlyWhenTicked) {
  Start();
  Fill(kServer, "jsmith");
  FocusCheckBox();
  ASSERT_TRUE(app.PressKey(VK_SPACE));
  ASSERT_EQ(app.CheckState(ControlId::chkLoad), BST_CHECKED);
  // Enter in the ticked check box runs the test and leaves the tick.
  Outcome run = RunLogon(Press::Enter);
  Lines ticked = VersionLines();
  ticked.push_back("Calling LoadLibrary\r\n");
  ticked.push_back("Instantiated CDO");
  Append(ticked, BothSucceed("jsmith", 3));
  ExpectTrace(run, ticked);
  EXPECT_NE(run.box.find("Calling LoadLibrary\r\n\r\nInstantiated CDO\r\n"), std::string::npos);
  ASSERT_EQ(app.CheckState(ControlId::chkLoad), BST_CHECKED);

  FocusCheckBox();
  ASSERT_TRUE(app.PressKey(VK_SPACE));
  ASSERT_EQ(app.CheckState(ControlId::chkLoad), BST_UNCHECKED);
  run = RunLogon();
  Lines unticked = VersionLines();
  unticked.push_back("Instantiated CDO");
  Append(unticked, BothSucceed("jsmith", 3));
  ExpectTrace(run, unticked);
}

TEST_F(LogonRun, ProbeFailuresAreReportedAndTheNextAttemptStillRuns) {
  Start();
  Fill(kServer, "jsmith");

  // The first logon fails, with its description filled in late; the second
  // probe logs on but cannot read the session's name, which the Inbox line reports.
  SetFaults(
      "Session.Logon#1 = deferred 0x80040115 The server is not reachable.\r\n"
      "Session.Name#1 = fail 0x80040605 The session name is not available.\r\n");
  Outcome run = RunLogon();
  Lines expected = VersionLines();
  Append(expected, {"Instantiated CDO", Attempt(Shape::AllArgs, "jsmith"),
                    "    Logon error: -2147221227 The server is not reachable.",
                    Attempt(Shape::ProfileInfo, "jsmith"),
                    "    Error accessing Inbox: -2147219963 The session name is not available."});
  ExpectTrace(run, expected);
  ExpectTidyJournal(run.journal);
  EXPECT_EQ(run.journal.CallSequence(), (Lines{"Session.Logon", "Session.Logoff", "Session.Logon",
                                               "Session.Name", "Session.Inbox", "Session.Logoff"}));

  // The Inbox fails, then comes back as no object without an error.
  SetFaults(
      "Session.Inbox#1 = fail -2147221233\r\n"
      "Session.Inbox#2 = nothing\r\n");
  run = RunLogon();
  expected = VersionLines();
  Append(expected, {"Instantiated CDO", Attempt(Shape::AllArgs, "jsmith"),
                    "    Session name: MAPI Profile for jsmith",
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
  Start();
  Fill(kServer, "jsmith");

  // Count fails in the first probe, Messages in the second: no count line,
  // no error line, and the test logs off after each.
  SetFaults(
      "Messages.Count#1 = fail 0x80004005 The Count is not available.\r\n"
      "Folder.Messages#2 = fail 0x80004005 The messages are not available.\r\n");
  Outcome run = RunLogon();
  Lines expected = VersionLines();
  Append(expected,
         {"Instantiated CDO", Attempt(Shape::AllArgs, "jsmith"),
          "    Session name: MAPI Profile for jsmith", Attempt(Shape::ProfileInfo, "jsmith"),
          "    Session name: MAPI Profile for jsmith"});
  ExpectTrace(run, expected);
  ExpectTidyJournal(run.journal);
  EXPECT_EQ(run.journal.CallSequence(),
            (Lines{"Session.Logon", "Session.Name", "Session.Inbox", "Folder.Messages",
                   "Messages.Count", "Session.Logoff", "Session.Logon", "Session.Name",
                   "Session.Inbox", "Folder.Messages", "Session.Logoff"}));

  // An empty Inbox counts 0.
  SetFaults("");
  store.EmptyFolder(kInbox);
  ASSERT_EQ(store.CountMessages(kInbox), 0);
  run = RunLogon();
  expected = VersionLines();
  expected.push_back("Instantiated CDO");
  Append(expected, BothSucceed("jsmith", 0));
  ExpectTrace(run, expected);
  ExpectTidyJournal(run.journal);
}

// A folder of the test's own, removed with what it holds.
class TempFolder {
 public:
  TempFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "pelterwyn-cdo-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA((path_ + "\\" + found.cFileName).c_str());
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(path_.c_str());
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

TEST_F(LogonRun, ACdoDllRegisteredInCapitalsStillFindsTheMapi32BesideIt) {
  const std::string built = testing::BinaryDir() + "\\standins\\cdo\\";
  TempFolder folder;
  const std::string cdo = folder.Path() + "\\CDO.DLL";
  ASSERT_TRUE(CopyFileA((built + "cdo.dll").c_str(), cdo.c_str(), FALSE)) << built;
  ASSERT_TRUE(
      CopyFileA((built + "mapi32.dll").c_str(), (folder.Path() + "\\mapi32.dll").c_str(), FALSE));
  const std::string key = std::string(kCdoClassKey) + "\\InprocServer32";
  ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, cdo.c_str(),
                            static_cast<DWORD>(cdo.size() + 1)),
            ERROR_SUCCESS);
  Start();
  Fill(kServer, "jsmith");
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
  Start();
  Fill(kServer, "jsmith");
  Lines expected = VersionLines();
  expected.push_back("Instantiated CDO");
  Append(expected, BothSucceed("jsmith", 3));

  // A folder where the log would be.
  ASSERT_TRUE(CreateDirectoryA(app.LogPath().c_str(), nullptr));
  Outcome run = RunLogon();
  EXPECT_EQ(run.settled, Settled::Idle);
  EXPECT_EQ(run.box, Joined(expected));
  EXPECT_TRUE(GetFileAttributesA(app.LogPath().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(RemoveDirectoryA(app.LogPath().c_str())) << "something was written into it";

  // A log held open, unshared, by another program. (Wine run as root writes
  // to a file with the read-only attribute all the same.)
  const std::string earlier = "earlier run\r\n";
  ASSERT_TRUE(WriteFile(app.LogPath(), earlier));
  {
    const UniqueHandle held(CreateFileA(app.LogPath().c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
    run = RunLogon();
  }
  EXPECT_EQ(run.settled, Settled::Idle);
  EXPECT_EQ(run.box, Joined(expected));
  EXPECT_EQ(ReadFile(app.LogPath()), earlier);
  EXPECT_EQ(app.Text(ControlId::txtResult), Joined(expected) + Joined(expected));
}

}  // namespace
}  // namespace pelterwyn::e2e
