// The stand-ins' strict IDispatch, faults on demand, journal and COM plumbing.
#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <stdexcept>

#include "com/guard.h"
#include "standins_client.h"
#include "support/store_fixture.h"

namespace standins_test {
namespace {

using pelterwyn::testing::Journal;
using pelterwyn::testing::JournalEvent;
using pelterwyn::testing::StoreFixture;

class StandinDispatch : public ::testing::Test {
 protected:
  ComPtr<IDispatch> LoggedOn(const wchar_t* info = L"EXCHANGE1\npelttest") {
    auto session = Create(L"MAPI.Session");
    EXPECT_TRUE(Call(session.Get(), kLogon, AllLogonArgs(info)).ok());
    return session;
  }
  static Result Folder(IDispatch* session, LONG type) {
    std::vector<Variant> args;
    args.push_back(I4(type));
    return Call(session, kGetDefaultFolder, std::move(args));
  }
  static Result Sub(IDispatch* folder, const wchar_t* name) {
    std::vector<Variant> args;
    args.push_back(Str(name));
    return ByName(folder, L"Folders", DISPATCH_METHOD, std::move(args));
  }

  ComScope com_;
  StoreFixture store_;
};

TEST_F(StandinDispatch, RejectsWhatARealServerRejects) {
  auto session = Create(L"MAPI.Session");
  std::vector<Variant> eight = AllLogonArgs(L"EXCHANGE1\npelttest");
  eight.push_back(Str(L"extra"));
  std::vector<Variant> one;
  one.push_back(Str(L"x"));
  EXPECT_EQ(Call(session.Get(), kLogon, std::move(eight)).hr, DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(session.Get(), kLogoff, std::move(one)).hr, DISP_E_BADPARAMCOUNT);

  std::vector<Named> unknownNamed;
  unknownNamed.push_back({7, Str(L"EXCHANGE1\npelttest")});
  const Result r7 = Invoke(session.Get(), kLogon, DISPATCH_METHOD, {}, std::move(unknownNamed));
  EXPECT_EQ(r7.hr, DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(r7.argErr, 0u);
  std::vector<Variant> first;
  first.push_back(Str(L""));
  std::vector<Named> clash;
  clash.push_back({0, Str(L"")});
  EXPECT_EQ(Invoke(session.Get(), kLogon, DISPATCH_METHOD, std::move(first), std::move(clash)).hr,
            DISP_E_PARAMNOTFOUND);

  // The wrong invoke kind, an unknown DISPID.
  EXPECT_EQ(Invoke(session.Get(), kName, DISPATCH_METHOD).hr, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Invoke(session.Get(), kLogon, DISPATCH_PROPERTYGET).hr, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Put(session.Get(), kName, Str(L"x")).hr, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Invoke(session.Get(), 999, DISPATCH_METHOD).hr, DISP_E_MEMBERNOTFOUND);
  // VB's late-bound get asks for method or get at once.
  EXPECT_EQ(Invoke(session.Get(), kName, DISPATCH_METHOD | DISPATCH_PROPERTYGET).number,
            kNotInitialized);

  // Omitted arguments, and ProfileInfo behind a reference to a VARIANT.
  std::vector<Variant> omitted;
  for (int i = 0; i < 6; ++i) omitted.push_back(Omitted());
  Variant info = Str(L"EXCHANGE1\npelttest");
  Variant ref;
  V_VT(ref.Get()) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(ref.Get()) = info.Get();
  omitted.push_back(ref);
  ASSERT_TRUE(Call(session.Get(), kLogon, std::move(omitted)).ok());

  std::vector<Variant> text;
  text.push_back(Str(L"abc"));
  const Result mismatch = Call(session.Get(), kGetDefaultFolder, std::move(text));
  EXPECT_EQ(mismatch.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(mismatch.argErr, 0u);
  EXPECT_EQ(Call(session.Get(), kGetDefaultFolder).hr, DISP_E_PARAMNOTOPTIONAL);
  DISPPARAMS none{};
  Variant out;
  EXPECT_EQ(session->Invoke(kName, IID_IDispatch, 0, DISPATCH_PROPERTYGET, &none, out.Put(),
                            nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);
  // A put must name its value DISPID_PROPERTYPUT.
  auto outbox = Get(session.Get(), kOutbox).object();
  auto messages = Get(outbox.Get(), kMessages).object();
  auto message = ByName(messages.Get(), L"Add", DISPATCH_METHOD).object();
  std::vector<Variant> positional;
  positional.push_back(Str(L"s"));
  EXPECT_EQ(Invoke(message.Get(), kSubject, DISPATCH_PROPERTYPUT, std::move(positional)).hr,
            DISP_E_PARAMNOTOPTIONAL);

  // Names, without regard to case; named parameters map to their positions.
  EXPECT_EQ(Lookup(session.Get(), {L"lOgOn", L"profileinfo"}), (std::vector<DISPID>{119, 6}));
  EXPECT_EQ(Lookup(session.Get(), {L"Bogus"}), std::nullopt);
  EXPECT_EQ(Lookup(session.Get(), {L"Logon", L"ProfileInfox"}), std::nullopt);
  std::wstring bogus = L"Bogus";
  LPOLESTR names[] = {bogus.data()};
  DISPID id = 0;
  EXPECT_EQ(session->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);

  // Every refusal is in the journal, as an error.
  message = nullptr;
  messages = nullptr;
  outbox = nullptr;
  session = nullptr;
  const Journal journal = store_.ReadJournal();
  std::vector<long> errors;
  for (const JournalEvent& e : journal.Events()) {
    if (e.kind == JournalEvent::Kind::Call && !e.ok) errors.push_back(e.error);
  }
  EXPECT_EQ(errors,
            (std::vector<long>{DISP_E_BADPARAMCOUNT, DISP_E_BADPARAMCOUNT, DISP_E_PARAMNOTFOUND,
                               DISP_E_PARAMNOTFOUND, DISP_E_MEMBERNOTFOUND, DISP_E_MEMBERNOTFOUND,
                               DISP_E_MEMBERNOTFOUND, DISP_E_MEMBERNOTFOUND, kNotInitialized,
                               DISP_E_TYPEMISMATCH, DISP_E_PARAMNOTOPTIONAL,
                               DISP_E_UNKNOWNINTERFACE, DISP_E_PARAMNOTOPTIONAL, DISP_E_UNKNOWNNAME,
                               DISP_E_UNKNOWNNAME, DISP_E_UNKNOWNNAME}));
  const auto logon = journal.Calls("Logon");
  ASSERT_FALSE(logon.empty());
  EXPECT_TRUE(logon.back().ok);
  EXPECT_TRUE(logon.back().args[0].Omitted());
  EXPECT_EQ(logon.back().args[6].type, "VT_VARIANT|VT_BYREF");
  EXPECT_EQ(logon.back().args[6].text, "VT_BSTR:EXCHANGE1\npelttest");
  EXPECT_EQ(journal.Calls("?").size(), 1u);  // the unknown DISPID
  EXPECT_EQ(journal.FailedLookups().size(), 3u);
  EXPECT_TRUE(journal.AllReleased());
}

TEST_F(StandinDispatch, AReferenceToAVariantIsFollowedOneLevelOnly) {
  auto session = Create(L"MAPI.Session");
  // A VARIANT that refers to itself: followed on, it would never end.
  VARIANT loop;
  V_VT(&loop) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&loop) = &loop;
  Variant ref;
  V_VT(ref.Get()) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(ref.Get()) = &loop;
  std::vector<Variant> args = AllLogonArgs(L"");
  args.back() = std::move(ref);
  const Result r = Call(session.Get(), kLogon, std::move(args));
  EXPECT_EQ(r.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(r.argErr, 0u);
  session = nullptr;
  const auto logon = store_.ReadJournal().Calls("Logon");
  ASSERT_EQ(logon.size(), 1u);
  EXPECT_EQ(logon[0].args[6].type, "VT_VARIANT|VT_BYREF");
  EXPECT_EQ(logon[0].args[6].text, "VT_VARIANT|VT_BYREF:?");
}

TEST(StandinGuard, TurnsAnythingThrownIntoAnHResult) {
  using standin::com::Guarded;
  EXPECT_EQ(Guarded([] { return S_FALSE; }), S_FALSE);
  EXPECT_EQ(Guarded([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  EXPECT_EQ(Guarded([]() -> HRESULT { throw std::runtime_error("broken"); }), E_UNEXPECTED);
  EXPECT_EQ(Guarded([]() -> HRESULT { throw 42; }), E_UNEXPECTED);
}

TEST_F(StandinDispatch, FaultsMakeMembersFailOrGiveNothing) {
  store_.SetFault("Session.Logon#1", "fail -2147221231");
  store_.SetFault("Session.Name", "deferred 0x80040605");
  store_.SetFault("Session.Inbox", "nothing");
  store_.SetFault("Folder.Folders", "nothing");
  store_.SetFault("Messages.Count", "fail 0x80004005 The Count is not available.");
  store_.SetFault("Message.Send", "fail 5");
  auto session = Create(L"MAPI.Session");
  const Result first = Call(session.Get(), kLogon, AllLogonArgs(L"EXCHANGE1\npelttest"));
  EXPECT_EQ(first.number, kLogonFailed);
  EXPECT_EQ(first.description, L"[Collaboration Data Objects - [MAPI_E_LOGON_FAILED(80040111)]]");
  ASSERT_TRUE(Call(session.Get(), kLogon, AllLogonArgs(L"EXCHANGE1\npelttest")).ok());

  const Result name = Get(session.Get(), kName);
  EXPECT_TRUE(name.deferred);
  EXPECT_EQ(name.number, kNotInitialized);
  EXPECT_EQ(name.description, L"[Collaboration Data Objects - [MAPI_E_NOT_INITIALIZED(80040605)]]");

  const Result inbox = Get(session.Get(), kInbox);
  EXPECT_TRUE(inbox.ok());
  EXPECT_EQ(inbox.value.Type(), VT_DISPATCH);
  EXPECT_FALSE(inbox.object());
  auto realInbox = Folder(session.Get(), 1).object();
  ASSERT_TRUE(realInbox);
  const Result sub = Sub(realInbox.Get(), L"In Process");
  EXPECT_TRUE(sub.ok());
  EXPECT_FALSE(sub.object());

  auto messages = Get(realInbox.Get(), kMessages).object();
  const Result count = ByName(messages.Get(), L"Count", DISPATCH_PROPERTYGET);
  EXPECT_EQ(count.number, static_cast<long>(0x80004005));
  EXPECT_EQ(count.description, L"The Count is not available.");

  auto message = ByName(messages.Get(), L"Add", DISPATCH_METHOD).object();
  const Result send = Call(message.Get(), kSend);
  EXPECT_EQ(send.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(send.number, 5);  // small numbers travel as wCode
}

TEST_F(StandinDispatch, SessionCanKnowANameOrAMailboxBeforeLogon) {
  store_.SetIni("faults.ini", "session", "NameBeforeLogon", "Outlook");
  auto named = Create(L"MAPI.Session");
  EXPECT_EQ(Get(named.Get(), kName).text(), L"Outlook");
  EXPECT_EQ(Folder(named.Get(), 1).number, kNotInitialized);

  store_.SetIni("faults.ini", "session", "LoggedOnAtStart", "EXCHANGE1\\jsmith");
  auto started = Create(L"MAPI.Session");
  EXPECT_EQ(Get(started.Get(), kName).text(), L"MAPI Profile for jsmith");
  auto inbox = Folder(started.Get(), 1).object();
  ASSERT_TRUE(inbox);
  EXPECT_EQ(ByName(Get(inbox.Get(), kMessages).object().Get(), L"Count", DISPATCH_PROPERTYGET).i4(),
            3);
  // The first session read the file before the second switch went on.
  EXPECT_EQ(Get(named.Get(), kName).text(), L"Outlook");
}

TEST_F(StandinDispatch, AMistypedFaultsFileFailsEveryCall) {
  store_.SetFault("Session.Logon", "fial 1");
  auto session = Create(L"MAPI.Session");
  for (const Result& r : {Call(session.Get(), kLogon, AllLogonArgs(L"EXCHANGE1\npelttest")),
                          Get(session.Get(), kName)}) {
    EXPECT_EQ(r.number, static_cast<long>(0x80004005));
    EXPECT_EQ(ToUtf8(r.description).substr(0, 16), "faults.ini line ");
    EXPECT_NE(r.description.find(L"'fail <number>"), std::wstring::npos);
  }
}

TEST_F(StandinDispatch, JournalWritesEveryEventForm) {
  {
    auto session = Create(L"MAPI.Session");
    Bstr info(L"EXCHANGE1\npelttest");
    BSTR raw = info.Get();
    auto ids = Lookup(session.Get(), {L"Logon", L"ProfileInfo"});
    ASSERT_TRUE(ids);
    std::vector<Named> named;
    named.push_back({(*ids)[1], StrRef(&raw)});
    ASSERT_TRUE(Invoke(session.Get(), (*ids)[0], DISPATCH_METHOD, {}, std::move(named)).ok());
    EXPECT_FALSE(Lookup(session.Get(), {L"Logon", L"Password"}));
    auto inbox = Get(session.Get(), kInbox).object();
    EXPECT_EQ(Sub(inbox.Get(), L"Missing").number, kNotFound);
  }
  const Journal journal = store_.ReadJournal();
  ASSERT_TRUE(journal.Malformed().empty());
  const auto& events = journal.Events();
  ASSERT_EQ(events.size(), 8u);
  const std::string pid = std::to_string(GetCurrentProcessId());

  EXPECT_EQ(events[0].line, "created\tpid=" + pid + "\tobj=Session#1");
  EXPECT_EQ(events[1].line,
            "call\tpid=" + pid +
                "\tobj=Session#1\tmember=Logon\tdispid=119\tby=name\tflags=method\targc=1"
                "\tnamed=6\targ0=VT_BSTR|VT_BYREF:EXCHANGE1\\npelttest\tresult=ok\tret=VT_EMPTY:");
  EXPECT_EQ(events[2].line, "call\tpid=" + pid +
                                "\tobj=Session#1\tmember=Logon\tdispid=119\tby=name\tflags=lookup"
                                "\tnames=Password\tresult=error\terror=-2147352570\tdesc=");
  EXPECT_EQ(events[3].line, "created\tpid=" + pid + "\tobj=Folder#1");
  EXPECT_EQ(events[4].member, "Inbox");
  EXPECT_EQ(events[4].result.text, "Folder#1");
  EXPECT_FALSE(events[4].byName);
  EXPECT_EQ(events[5].member, "Folders");
  EXPECT_FALSE(events[5].ok);
  EXPECT_EQ(events[5].error, kNotFound);
  EXPECT_EQ(events[5].description, "[Collaboration Data Objects - [MAPI_E_NOT_FOUND(8004010F)]]");
  EXPECT_EQ(events[6].line, "released\tpid=" + pid + "\tobj=Folder#1");
  EXPECT_EQ(events[7].line, "released\tpid=" + pid + "\tobj=Session#1");
  EXPECT_TRUE(journal.AllReleased());
}

TEST(StandinJournal, IsOnlyWrittenWhenAskedFor) {
  ComScope com;
  StoreFixture store(false);
  {
    auto session = Create(L"MAPI.Session");
    ASSERT_TRUE(Call(session.Get(), kLogon, AllLogonArgs(L"EXCHANGE1\npelttest")).ok());
  }
  EXPECT_TRUE(store.JournalPath().empty());
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(store.Root()).parent_path())) {
    EXPECT_EQ(entry.path().filename(), "store");  // nothing but the store beside it
  }
}

TEST_F(StandinDispatch, CountsItsObjectsSoTheDllCanUnload) {
  auto session = Create(L"MAPI.Session");
  HMODULE cdo = GetModuleHandleW(L"cdo.dll");
  ASSERT_NE(cdo, nullptr);
  auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(cdo, "DllCanUnloadNow")));
  ASSERT_NE(canUnload, nullptr);
  EXPECT_EQ(canUnload(), S_FALSE);

  ComPtr<IUnknown> unknown, unknown2;
  ASSERT_EQ(session->QueryInterface(IID_IUnknown, unknown.PutVoid()), S_OK);
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(unknown.As(dispatch), S_OK);
  ASSERT_EQ(dispatch->QueryInterface(IID_IUnknown, unknown2.PutVoid()), S_OK);
  EXPECT_EQ(unknown.Get(), unknown2.Get());
  ComPtr<IUnknown> none;
  EXPECT_EQ(session->QueryInterface(IID_IClassFactory, none.PutVoid()), E_NOINTERFACE);
  UINT typeInfos = 7;
  EXPECT_EQ(session->GetTypeInfoCount(&typeInfos), S_OK);
  EXPECT_EQ(typeInfos, 0u);

  ASSERT_TRUE(Call(session.Get(), kLogon, AllLogonArgs(L"EXCHANGE1\npelttest")).ok());
  auto inbox = Get(session.Get(), kInbox).object();
  session = nullptr;
  unknown = nullptr;
  unknown2 = nullptr;
  dispatch = nullptr;
  EXPECT_EQ(canUnload(), S_FALSE);  // the folder is still out
  inbox = nullptr;
  EXPECT_EQ(canUnload(), S_OK);

  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(L"MAPI.Session", &clsid), S_OK);
  ComPtr<IUnknown> aggregate;
  EXPECT_EQ(CoCreateInstance(clsid, reinterpret_cast<IUnknown*>(&clsid), CLSCTX_INPROC_SERVER,
                             IID_IUnknown, aggregate.PutVoid()),
            CLASS_E_NOAGGREGATION);
  EXPECT_TRUE(store_.ReadJournal().AllReleased());
}

TEST_F(StandinDispatch, ServersAreRegisteredAsApartmentThreaded) {
  for (const auto& [progId, dll] : {std::pair{L"MAPI.Session", L"cdo.dll"},
                                    std::pair{L"Redemption.MAPITable", L"mapitable.dll"}}) {
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
    wchar_t text[40] = {};
    StringFromGUID2(clsid, text, 40);
    const std::wstring server = std::wstring(L"CLSID\\") + text + L"\\InprocServer32";
    wchar_t path[MAX_PATH] = {};
    LONG size = sizeof path;
    ASSERT_EQ(RegQueryValueW(HKEY_CLASSES_ROOT, server.c_str(), path, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::filesystem::path(path).filename(), dll);
    wchar_t model[32] = {};
    DWORD modelSize = sizeof model;
    EXPECT_EQ(RegGetValueW(HKEY_CLASSES_ROOT, server.c_str(), L"ThreadingModel", RRF_RT_REG_SZ,
                           nullptr, model, &modelSize),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(model), L"Apartment");
  }
}

}  // namespace
}  // namespace standins_test
