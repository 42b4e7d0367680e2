// The MAPI.Session stand-in under Wine, driven as the tool drives it: by
// DISPID where one is published, by name otherwise.
#include <gtest/gtest.h>

#include <filesystem>

#include "standins_client.h"
#include "support/files.h"
#include "support/scratch_registry.h"
#include "support/store_fixture.h"
#include "support/wine_paths.h"

namespace standins_test {
namespace {

using pelterwyn::testing::FileVersion;
using pelterwyn::testing::Journal;
using pelterwyn::testing::ScratchRegistry;
using pelterwyn::testing::StoreFixture;

class StandinSession : public ::testing::Test {
 protected:
  ComScope com_;
  StoreFixture store_;
};

std::string RegisteredServer(const std::string& clsid) {
  return ScratchRegistry::ReadString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "")
      .value_or("");
}

TEST_F(StandinSession, IsRegisteredWithMapi32BesideIt) {
  const std::string cdo = RegisteredServer("{3FA7DEB3-6438-101B-ACC1-00AA00423326}");
  ASSERT_EQ(std::filesystem::path(cdo).filename(), "cdo.dll");
  EXPECT_EQ(FileVersion(cdo), "6.5.8353.0");
  // Wine answers for its built-in mapi32.dll whatever the path, unless told
  // WINEDLLOVERRIDES=mapi32=n; a copy under another name shows our resource.
  const auto mapi32 = std::filesystem::path(cdo).parent_path() / L"mapi32.dll";
  ASSERT_TRUE(std::filesystem::exists(mapi32));
  const auto copy = std::filesystem::path(store_.Root()) / L"mapi32-copy.dll";
  std::filesystem::copy_file(mapi32, copy);
  EXPECT_EQ(FileVersion(copy.string()), "1.0.2536.0");
  const std::string table = RegisteredServer("{5047F947-E5D2-48A5-88C7-52823D7C4BBA}");
  EXPECT_EQ(std::filesystem::path(table).parent_path(), std::filesystem::path(cdo).parent_path());
  HRESULT hr = E_FAIL;
  EXPECT_TRUE(Create(L"MAPI.Session", &hr)) << std::hex << hr;
  EXPECT_TRUE(Create(L"Redemption.MAPITable", &hr)) << std::hex << hr;
}

TEST_F(StandinSession, LogsOnByDispidWithAllArgsAndReadsTheInbox) {
  auto session = Create(L"MAPI.Session");
  ASSERT_TRUE(session);
  const Result logon = Call(session.Get(), kLogon, AllLogonArgs(L"EXCHANGE1\npelttest"));
  ASSERT_TRUE(logon.ok()) << logon.number;
  EXPECT_EQ(Get(session.Get(), kName).text(), L"MAPI Profile for pelttest");
  {
    auto inbox = Get(session.Get(), kInbox).object();
    ASSERT_TRUE(inbox);
    auto messages = Get(inbox.Get(), kMessages).object();
    ASSERT_TRUE(messages);
    const Result count = ByName(messages.Get(), L"Count", DISPATCH_PROPERTYGET);
    EXPECT_EQ(count.value.Type(), VT_I4);
    EXPECT_EQ(count.i4(), 1);
    EXPECT_TRUE(Get(session.Get(), kOutbox).object());
  }
  EXPECT_TRUE(Call(session.Get(), kLogoff).ok());
  session = nullptr;

  const Journal journal = store_.ReadJournal();
  EXPECT_TRUE(journal.Malformed().empty());
  const auto calls = journal.Calls("Session", "Logon");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_FALSE(calls[0].byName);
  EXPECT_EQ(calls[0].dispid, 119);
  EXPECT_EQ(calls[0].flags, "method");
  ASSERT_EQ(calls[0].args.size(), 7u);
  const char* types[] = {"VT_BSTR", "VT_BSTR", "VT_BOOL", "VT_BOOL", "VT_I2", "VT_BOOL", "VT_BSTR"};
  const char* values[] = {"", "", "false", "true", "0", "true", "EXCHANGE1\npelttest"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(calls[0].args[i].type, types[i]) << i;
    EXPECT_EQ(calls[0].args[i].text, values[i]) << i;
  }
  EXPECT_TRUE(calls[0].named.empty());
  EXPECT_EQ(journal.Calls("Messages", "Count")[0].result.type, "VT_I4");
  EXPECT_TRUE(journal.Calls("Messages", "Count")[0].byName);
  EXPECT_TRUE(journal.AllReleased()) << ::testing::PrintToString(journal.Unreleased());
}

TEST_F(StandinSession, LogsOnWithProfileInfoAloneNamedAndByReference) {
  auto session = Create(L"MAPI.Session");
  Bstr info(L"exchange1\nSMTP:PeltTest@Example.com");
  BSTR raw = info.Get();
  std::vector<Named> named;
  named.push_back({6, StrRef(&raw)});
  ASSERT_TRUE(Invoke(session.Get(), kLogon, DISPATCH_METHOD, {}, std::move(named)).ok());
  EXPECT_EQ(Get(session.Get(), kName).text(), L"MAPI Profile for pelttest");
  session = nullptr;

  const auto logon = store_.ReadJournal().Calls("Logon");
  ASSERT_EQ(logon.size(), 1u);
  EXPECT_EQ(logon[0].dispid, 119);
  EXPECT_FALSE(logon[0].byName);
  ASSERT_EQ(logon[0].args.size(), 1u);
  EXPECT_EQ(logon[0].named, std::vector<long>{6});
  EXPECT_TRUE(logon[0].args[0].ByRef());
  EXPECT_EQ(logon[0].args[0].Base(), VT_BSTR);
  EXPECT_EQ(logon[0].args[0].text, "exchange1\nSMTP:PeltTest@Example.com");
}

TEST_F(StandinSession, AnswersEveryMemberByName) {
  auto session = Create(L"MAPI.Session");
  // The service logon sequence reads Name first: not logged on yet.
  const Result early = ByName(session.Get(), L"Name", DISPATCH_PROPERTYGET);
  EXPECT_EQ(early.number, kNotInitialized);
  ASSERT_TRUE(
      ByName(session.Get(), L"logon", DISPATCH_METHOD, AllLogonArgs(L"EXCHANGE1\njsmith")).ok());
  EXPECT_EQ(ByName(session.Get(), L"NAME", DISPATCH_PROPERTYGET).text(),
            L"MAPI Profile for jsmith");
  {
    std::vector<Variant> one;
    one.push_back(I4(1));
    auto inbox =
        ByName(session.Get(), L"GetDefaultFolder", DISPATCH_METHOD, std::move(one)).object();
    ASSERT_TRUE(inbox);
    std::vector<Variant> name;
    name.push_back(Str(L"In Process"));
    auto inProcess =
        ByName(inbox.Get(), L"Folders", DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(name))
            .object();
    ASSERT_TRUE(inProcess);
    auto messages = ByName(inProcess.Get(), L"Messages", DISPATCH_PROPERTYGET).object();
    EXPECT_EQ(ByName(messages.Get(), L"Count", DISPATCH_PROPERTYGET).i4(), 4);
    auto outbox = ByName(session.Get(), L"Outbox", DISPATCH_PROPERTYGET).object();
    auto outMessages = ByName(outbox.Get(), L"Messages", DISPATCH_PROPERTYGET).object();
    EXPECT_EQ(ByName(outMessages.Get(), L"Count", DISPATCH_PROPERTYGET).i4(), 0);
    EXPECT_TRUE(ByName(session.Get(), L"Inbox", DISPATCH_PROPERTYGET).object());
  }
  EXPECT_TRUE(ByName(session.Get(), L"Logoff", DISPATCH_METHOD).ok());
  session = nullptr;

  const Journal journal = store_.ReadJournal();
  for (const auto& e : journal.Events()) {
    if (e.kind == pelterwyn::testing::JournalEvent::Kind::Call) {
      EXPECT_TRUE(e.byName) << e.line;
    }
  }
  EXPECT_EQ(journal.CallSequence(),
            (std::vector<std::string>{
                "Session.Name", "Session.Logon", "Session.Name", "Session.GetDefaultFolder",
                "Folder.Folders", "Folder.Messages", "Messages.Count", "Session.Outbox",
                "Folder.Messages", "Messages.Count", "Session.Inbox", "Session.Logoff"}));
  EXPECT_TRUE(journal.AllReleased());
}

TEST_F(StandinSession, LogonFailsAsExchangeWould) {
  auto session = Create(L"MAPI.Session");
  struct Case {
    const wchar_t* info;
    long number;
    const wchar_t* description;
  } cases[] = {
      {L"NOSERVER\npelttest", kNetworkError,
       L"[Collaboration Data Objects - [MAPI_E_NETWORK_ERROR(80040115)]]"},
      {L"EXCHANGE1\nnobody", kLogonFailed,
       L"[Collaboration Data Objects - [MAPI_E_LOGON_FAILED(80040111)]]"},
      // A bare address is not how the mailbox is known; the prefix is.
      {L"EXCHANGE1\npelttest@example.com", kLogonFailed, nullptr},
      {L"EXCHANGE1\nSMTP:pelttest@example.com", 0, nullptr},
      {L"EXCHANGE1\nsmtp:pelttest@example.com", 0, nullptr},
      {L"EXCHANGE1\n/o=Example/ou=First Administrative Group/cn=Recipients/cn=jsmith", 0, nullptr},
      {L"", kLogonFailed, nullptr},
  };
  for (const Case& c : cases) {
    const Result r = Call(session.Get(), kLogon, AllLogonArgs(c.info));
    EXPECT_EQ(r.number, c.number) << ToUtf8(c.info);
    if (c.number == 0) {
      EXPECT_TRUE(r.ok());
      EXPECT_TRUE(Call(session.Get(), kLogoff).ok());
    } else {
      EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
      EXPECT_EQ(r.source, L"Collaboration Data Objects");
      if (c.description) {
        EXPECT_EQ(r.description, c.description);
      }
    }
  }
  // Not logged on: every property fails the same way.
  std::vector<Variant> one;
  one.push_back(I4(1));
  for (const Result& r :
       {Get(session.Get(), kName), Get(session.Get(), kInbox), Get(session.Get(), kOutbox),
        Call(session.Get(), kGetDefaultFolder, std::move(one))}) {
    EXPECT_EQ(r.number, kNotInitialized);
    EXPECT_EQ(r.description, L"[Collaboration Data Objects - [MAPI_E_NOT_INITIALIZED(80040605)]]");
  }
  EXPECT_TRUE(Call(session.Get(), kLogoff).ok());  // logging off twice is harmless
}

TEST_F(StandinSession, GivesTheDefaultFoldersAndSubfoldersByName) {
  auto session = Create(L"MAPI.Session");
  ASSERT_TRUE(Call(session.Get(), kLogon, AllLogonArgs(L"EXCHANGE1\npelttest")).ok());
  for (LONG type : {1, 2, 3}) {  // Inbox, Outbox, Sent Items
    std::vector<Variant> arg;
    arg.push_back(I4(type));
    EXPECT_TRUE(Call(session.Get(), kGetDefaultFolder, std::move(arg)).object()) << type;
  }
  std::vector<Variant> calendar;
  calendar.push_back(I4(0));
  EXPECT_EQ(Call(session.Get(), kGetDefaultFolder, std::move(calendar)).number, kNotFound);
  std::vector<Variant> bogus;
  bogus.push_back(I4(99));
  EXPECT_EQ(Call(session.Get(), kGetDefaultFolder, std::move(bogus)).number, E_INVALIDARG);

  auto inbox = Get(session.Get(), kInbox).object();
  std::vector<Variant> lower;
  lower.push_back(Str(L"in process"));
  auto sub = ByName(inbox.Get(), L"Folders", DISPATCH_PROPERTYGET, std::move(lower)).object();
  ASSERT_TRUE(sub);
  EXPECT_EQ(ByName(ByName(sub.Get(), L"Messages", DISPATCH_PROPERTYGET).object().Get(), L"Count",
                   DISPATCH_PROPERTYGET)
                .i4(),
            2);
  std::vector<Variant> missing;
  missing.push_back(Str(L"Archive"));
  const Result none = ByName(inbox.Get(), L"Folders", DISPATCH_METHOD, std::move(missing));
  EXPECT_EQ(none.number, kNotFound);
  EXPECT_EQ(none.value.Type(), VT_EMPTY);
}

TEST(StandinDefaults, ReadTheStoreBesideTheDllWithoutAnyEnvironment) {
  ComScope com;
  SetEnvironmentVariableW(L"PELTERWYN_STORE", nullptr);
  SetEnvironmentVariableW(L"PELTERWYN_JOURNAL", nullptr);
  auto session = Create(L"MAPI.Session");
  ASSERT_TRUE(Call(session.Get(), kLogon, AllLogonArgs(L"EXCHANGE1\npelttest")).ok());
  auto inbox = Get(session.Get(), kInbox).object();
  auto messages = Get(inbox.Get(), kMessages).object();
  EXPECT_EQ(ByName(messages.Get(), L"Count", DISPATCH_PROPERTYGET).i4(), 1);
}

}  // namespace
}  // namespace standins_test
