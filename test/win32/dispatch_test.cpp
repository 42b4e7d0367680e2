// The dispatch adapter against a recording IDispatch object registered for the
// test: what each contract call sends over IDispatch, how errors and results
// come back, and that every object is released.
#include <gtest/gtest.h>

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "com/handles.h"
#include "support/scratch_registry.h"
#include "support/wine_paths.h"
#include "win32/com.h"
#include "win32/dispatch_mail.h"

namespace pelterwyn::win32 {
namespace {

using mail::Binding;
using mail::RowBlock;

constexpr const char* kRecorderProgId = "Pelterwyn.TestRecorder";
constexpr const char* kNothingProgId = "Pelterwyn.TestNothing";
constexpr const char* kUnregisteredProgId = "Pelterwyn.TestUnregistered";
constexpr const wchar_t* kRecorderClsid = L"{6D1F4C1E-3A52-4F0B-9E1A-5C7D2B8E0A01}";
constexpr const wchar_t* kNothingClsid = L"{6D1F4C1E-3A52-4F0B-9E1A-5C7D2B8E0A02}";
constexpr const wchar_t* kUnregisteredClsid = L"{6D1F4C1E-3A52-4F0B-9E1A-5C7D2B8E0A03}";

// Identifiers handed out for names start here, so a call by name is told
// apart from a call by DISPID.
constexpr DISPID kFirstNameId = 1000;

const std::map<DISPID, std::string> kKnownDispids = {
    {119, "Logon"},   {118, "Logoff"},    {23, "Name"},
    {15, "Inbox"},    {16, "Outbox"},     {153, "GetDefaultFolder"},
    {22, "Messages"}, {28, "Recipients"}, {38, "Subject"},
    {39, "Text"},     {5, "Attachments"}, {131, "Send"},
    {2, "Address"},   {130, "Resolve"}};

// Members that give a new object unless told otherwise.
const std::set<std::string> kObjectMembers = {"Inbox",       "Outbox",  "GetDefaultFolder",
                                              "Messages",    "Folders", "Recipients",
                                              "Attachments", "Add"};

using standin::com::ToUtf8;

std::string Utf8(BSTR text) {
  return text ? ToUtf8(std::wstring_view(text, SysStringLen(text))) : "<null>";
}

// An answer to one Invoke: fills the result and the exception, returns the HRESULT.
using Reply = std::function<HRESULT(VARIANT* result, EXCEPINFO* exception)>;

class Recorder;

// Everything the recorders share: what they received and how they answer.
struct World {
  struct Call {
    int object = 0;
    std::string text;  // member, flags, arguments as received, named ids
  };
  std::vector<Call> calls;
  std::vector<std::string> lookups;  // the names of each GetIDsOfNames, comma-joined
  std::vector<std::string> names;    // name of identifier kFirstNameId + index
  std::map<std::string, Reply> replies;
  std::set<std::string> unknownNames;
  std::map<const Recorder*, int> live;  // recorder -> serial
  int created = 0;
  bool yieldNothing = false;  // the second class's factory
  SCODE deferredScode = 0;
  std::wstring deferredDescription;

  std::vector<std::string> CallTexts() const {
    std::vector<std::string> texts;
    for (const Call& call : calls) texts.push_back(call.text);
    return texts;
  }
};

World* world = nullptr;

std::string Describe(const VARIANT& value);

std::string DescribeArray(SAFEARRAY* array) {
  std::ostringstream out;
  LONG lower = 0;
  LONG upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  out << "ARRAY[" << lower << ".." << upper << "](";
  for (LONG i = lower; i <= upper; ++i) {
    Variant element;
    SafeArrayGetElement(array, &i, element.Put());
    out << (i == lower ? "" : ",") << Describe(*element.Get());
  }
  out << ")";
  return out.str();
}

std::string Describe(const VARIANT& value) {
  std::ostringstream out;
  switch (V_VT(&value)) {
    case VT_EMPTY:
      out << "EMPTY";
      break;
    case VT_BSTR:
      out << "BSTR'" << Utf8(V_BSTR(&value)) << "'";
      break;
    case VT_BSTR | VT_BYREF:
      out << "BSTR&'" << Utf8(*V_BSTRREF(&value)) << "'";
      break;
    case VT_BOOL:
      out << "BOOL(" << V_BOOL(&value) << ")";
      break;
    case VT_I2:
      out << "I2(" << V_I2(&value) << ")";
      break;
    case VT_I2 | VT_BYREF:
      out << "I2&(" << *V_I2REF(&value) << ")";
      break;
    case VT_I4:
      out << "I4(" << V_I4(&value) << ")";
      break;
    case VT_DISPATCH: {
      const auto* recorder = reinterpret_cast<const Recorder*>(V_DISPATCH(&value));
      const auto found = world->live.find(recorder);
      out << "DISPATCH(";
      if (!recorder) {
        out << "null";
      } else if (found != world->live.end()) {
        out << "#" << found->second;
      } else {
        out << "foreign";
      }
      out << ")";
      break;
    }
    case VT_ARRAY | VT_VARIANT:
      out << DescribeArray(V_ARRAY(&value));
      break;
    default:
      out << "VT" << V_VT(&value);
  }
  return out.str();
}

std::string DescribeFlags(WORD flags) {
  switch (flags) {
    case DISPATCH_METHOD:
      return "M";
    case DISPATCH_PROPERTYGET:
      return "G";
    case DISPATCH_METHOD | DISPATCH_PROPERTYGET:
      return "MG";
    case DISPATCH_PROPERTYPUT:
      return "P";
    default:
      return "F" + std::to_string(flags);
  }
}

// Records every call it receives and answers from the world's replies. Its
// first base is IDispatch, so an IDispatch pointer to it is a Recorder pointer.
class Recorder final : public IDispatch {
 public:
  Recorder() : serial_(++world->created) { world->live[this] = serial_; }
  ~Recorder() { world->live.erase(this); }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG refs = --refs_;
    if (refs == 0) delete this;
    return refs;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    std::string lookup;
    for (UINT i = 0; i < count; ++i) {
      lookup += (i ? "," : "") + ToUtf8(names[i]);
    }
    world->lookups.push_back(lookup);
    const std::string member = ToUtf8(names[0]);
    HRESULT hr = S_OK;
    if (world->unknownNames.count(member)) {
      ids[0] = DISPID_UNKNOWN;
      hr = DISP_E_UNKNOWNNAME;
    } else {
      ids[0] = NameId(member);
    }
    for (UINT i = 1; i < count; ++i) {
      if (wcscmp(names[i], L"ProfileInfo") == 0) {
        ids[i] = 6;
      } else {
        ids[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
      }
    }
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    std::string member;
    std::ostringstream text;
    if (id >= kFirstNameId && id < kFirstNameId + static_cast<DISPID>(world->names.size())) {
      member = world->names[static_cast<std::size_t>(id - kFirstNameId)];
      text << member;
    } else if (const auto known = kKnownDispids.find(id); known != kKnownDispids.end()) {
      member = known->second;
      text << member << "#" << id;
    } else {
      return DISP_E_MEMBERNOTFOUND;
    }
    text << " " << DescribeFlags(flags);
    for (UINT i = 0; i < params->cArgs; ++i) text << " " << Describe(params->rgvarg[i]);
    for (UINT i = 0; i < params->cNamedArgs; ++i) {
      text << (i ? "," : " named(") << params->rgdispidNamedArgs[i]
           << (i + 1 == params->cNamedArgs ? ")" : "");
    }
    if (params->cNamedArgs > params->cArgs) text << " MALFORMED";
    world->calls.push_back({serial_, text.str()});

    // Puts ask for no result; the reply's is dropped.
    Variant ignored;
    VARIANT* out = result ? result : ignored.Get();
    VariantInit(out);
    if (const auto reply = world->replies.find(member); reply != world->replies.end()) {
      return reply->second(out, exception);
    }
    if (kObjectMembers.count(member)) {
      V_VT(out) = VT_DISPATCH;
      V_DISPATCH(out) = new Recorder;
    }
    return S_OK;
  }

  [[nodiscard]] int Serial() const { return serial_; }

 private:
  static DISPID NameId(const std::string& name) {
    for (std::size_t i = 0; i < world->names.size(); ++i) {
      if (lstrcmpiA(world->names[i].c_str(), name.c_str()) == 0) {
        return kFirstNameId + static_cast<DISPID>(i);
      }
    }
    world->names.push_back(name);
    return kFirstNameId + static_cast<DISPID>(world->names.size() - 1);
  }

  ULONG refs_ = 1;
  int serial_;
};

class Factory final : public IClassFactory {
 public:
  explicit Factory(bool yieldsNothing) : yieldsNothing_(yieldsNothing) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives as long as the test.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (yieldsNothing_) return S_OK;
    auto* recorder = new Recorder;
    const HRESULT hr = recorder->QueryInterface(iid, out);
    recorder->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  bool yieldsNothing_;
};

// Replies.
Reply Returns(std::function<void(VARIANT*)> fill) {
  return [fill](VARIANT* result, EXCEPINFO*) {
    fill(result);
    return S_OK;
  };
}
Reply ReturnsI4(LONG value) {
  return Returns([value](VARIANT* v) {
    V_VT(v) = VT_I4;
    V_I4(v) = value;
  });
}
Reply ReturnsText(const wchar_t* text) {
  return Returns([text](VARIANT* v) {
    V_VT(v) = VT_BSTR;
    V_BSTR(v) = SysAllocString(text);
  });
}
Reply ReturnsEmpty() {
  return Returns([](VARIANT*) {});
}
Reply ReturnsNullObject() {
  return Returns([](VARIANT* v) { V_VT(v) = VT_DISPATCH; });
}
Reply ReturnsUnknownObject() {
  return Returns([](VARIANT* v) {
    V_VT(v) = VT_UNKNOWN;
    V_UNKNOWN(v) = new Recorder;
  });
}
// An array of rows whose first dimension counts the rows.
Reply ReturnsRows(ULONG rows, ULONG columns) {
  return Returns([rows, columns](VARIANT* v) {
    std::vector<SAFEARRAYBOUND> bounds{{rows, 0}};
    if (columns) bounds.push_back({columns, 0});
    V_VT(v) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(v) = SafeArrayCreate(VT_VARIANT, static_cast<UINT>(bounds.size()), bounds.data());
  });
}
Reply Fails(HRESULT hr) {
  return [hr](VARIANT*, EXCEPINFO*) { return hr; };
}
Reply Raises(SCODE scode, WORD wCode, const wchar_t* description) {
  return [=](VARIANT*, EXCEPINFO* exception) {
    exception->scode = scode;
    exception->wCode = wCode;
    exception->bstrSource = SysAllocString(L"Recorder");
    exception->bstrDescription = SysAllocString(description);
    return DISP_E_EXCEPTION;
  };
}
HRESULT STDMETHODCALLTYPE FillIn(EXCEPINFO* exception) {
  exception->scode = world->deferredScode;
  exception->bstrDescription = SysAllocString(world->deferredDescription.c_str());
  return S_OK;
}
// Leaves the exception empty until the caller asks for it to be filled in.
Reply RaisesDeferred(SCODE scode, const wchar_t* description) {
  return [=](VARIANT*, EXCEPINFO* exception) {
    world->deferredScode = scode;
    world->deferredDescription = description;
    exception->pfnDeferredFillIn = FillIn;
    return DISP_E_EXCEPTION;
  };
}

CLSID ClsidOf(const wchar_t* text) {
  CLSID clsid{};
  CLSIDFromString(text, &clsid);
  return clsid;
}

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.Result()));
    world = &world_;
    for (const auto& [progId, clsid] :
         {std::pair{kRecorderProgId, kRecorderClsid}, std::pair{kNothingProgId, kNothingClsid},
          std::pair{kUnregisteredProgId, kUnregisteredClsid}}) {
      registry_.SetString(HKEY_CLASSES_ROOT, std::string(progId) + "\\CLSID", "",
                          std::string(clsid, clsid + wcslen(clsid)));
    }
    ASSERT_EQ(CoRegisterClassObject(ClsidOf(kRecorderClsid), &recorderFactory_,
                                    CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &recorderCookie_),
              S_OK);
    ASSERT_EQ(CoRegisterClassObject(ClsidOf(kNothingClsid), &nothingFactory_, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &nothingCookie_),
              S_OK);
  }

  void TearDown() override {
    // Every adapter of the test is gone by now, and with it every object.
    EXPECT_TRUE(world_.live.empty()) << world_.live.size() << " objects not released";
    CoRevokeClassObject(recorderCookie_);
    CoRevokeClassObject(nothingCookie_);
    world = nullptr;
  }

  std::unique_ptr<mail::Session> Session(Binding binding) {
    auto session = factory_.CreateSession(binding, err_);
    EXPECT_TRUE(session && *session) << err_.Description();
    return session ? std::move(*session) : nullptr;
  }

  std::unique_ptr<mail::MapiTable> Table() {
    auto table = factory_.CreateTable(err_);
    EXPECT_TRUE(table && *table) << err_.Description();
    return table ? std::move(*table) : nullptr;
  }

  // A path outside every code page, and its Add as the object receives it.
  static constexpr const wchar_t* kAttachmentPath = L"C:\\Pr\u00FCfung-\u65E5\u672C\\Test.txt";
  static constexpr const char* kAttachmentAdd =
      "Add M BSTR'C:\\Pr\xC3\xBC"
      "fung-\xE6\x97\xA5\xE6\x9C\xAC\\Test.txt' I4(1) I2(-1) BSTR'Test.txt'";

  // The calls of the send test and of the table tests' folder, one of each.
  void WalkMessageChain(mail::Session& session) {
    auto outbox = session.Outbox(err_);
    auto messages = (*outbox)->GetMessages(err_);
    auto message = (*messages)->Add(err_);
    auto recipients = (*message)->GetRecipients(err_);
    auto recipient = (*recipients)->Add(err_);
    EXPECT_TRUE((*recipient)->SetAddress("SMTP:box@example.test", err_));
    EXPECT_TRUE((*recipient)->Resolve(err_));
    EXPECT_TRUE((*message)->SetSubject("Test message 1", err_));
    EXPECT_TRUE((*message)->SetText("S:1R:", err_));
    auto attachments = (*message)->GetAttachments(err_);
    EXPECT_TRUE((*attachments)->Add("Test.txt", -1, 1, kAttachmentPath, err_));
    EXPECT_TRUE((*message)->Send(true, err_));
    auto inbox = session.GetDefaultFolder(mail::kFolderInbox, err_);
    auto sub = (*inbox)->Folders("In Process", err_);
    auto subMessages = (*sub)->GetMessages(err_);
    EXPECT_EQ((*subMessages)->Count(err_), 0);  // an empty result counts as 0
    EXPECT_EQ((*subMessages)->Count(err_), 0);
    EXPECT_FALSE(err_.IsSet()) << err_.Description();
  }

  std::vector<int> CalledObjects() const {
    std::vector<int> objects;
    for (const auto& call : world_.calls) objects.push_back(call.object);
    return objects;
  }

  testing::ScratchRegistry registry_;
  World world_;
  ComApartment apartment_;
  Factory recorderFactory_{false};
  Factory nothingFactory_{true};
  DWORD recorderCookie_ = 0;
  DWORD nothingCookie_ = 0;
  DispatchMailFactory factory_{kRecorderProgId, kRecorderProgId};
  ErrorState err_;
};

TEST_F(DispatchTest, SessionMembersGoByDispid) {
  auto session = Session(Binding::ByDispid);
  world_.replies["Name"] = ReturnsText(L"Mailbox - Box");
  EXPECT_TRUE(session->LogonWithAllArgs("srv\nbox", err_));
  EXPECT_TRUE(session->LogonWithProfileInfo("srv\nbox", err_));
  EXPECT_EQ(session->Name(err_), "Mailbox - Box");
  EXPECT_TRUE(*session->Inbox(err_));
  EXPECT_TRUE(session->Logoff(err_));
  EXPECT_FALSE(err_.IsSet()) << err_.Description();
  // Arguments as Invoke receives them: the last parameter first.
  EXPECT_EQ(world_.CallTexts(),
            (std::vector<std::string>{
                "Logon#119 M BSTR'srv\nbox' BOOL(-1) I2(0) BOOL(-1) BOOL(0) BSTR'' BSTR''",
                "Logon#119 M BSTR&'srv\nbox' named(6)",
                "Name#23 G",
                "Inbox#15 G",
                "Logoff#118 M",
            }));
  EXPECT_TRUE(world_.lookups.empty());
}

TEST_F(DispatchTest, LateBoundSessionResolvesEveryMemberByName) {
  auto session = Session(Binding::ByName);
  world_.replies["Name"] = ReturnsText(L"Mailbox - Box");
  EXPECT_TRUE(session->LogonWithAllArgs("srv\nbox", err_));
  EXPECT_TRUE(session->LogonWithProfileInfo("srv\nbox", err_));
  EXPECT_EQ(session->Name(err_), "Mailbox - Box");
  EXPECT_EQ(session->Name(err_), "Mailbox - Box");
  EXPECT_TRUE(*session->GetDefaultFolder(mail::kFolderInbox, err_));
  EXPECT_TRUE(session->Logoff(err_));
  EXPECT_FALSE(err_.IsSet()) << err_.Description();
  EXPECT_EQ(world_.CallTexts(),
            (std::vector<std::string>{
                "Logon M BSTR'srv\nbox' BOOL(-1) I2(0) BOOL(-1) BOOL(0) BSTR'' BSTR''",
                "Logon M BSTR&'srv\nbox' named(6)",
                "Name MG",
                "Name MG",
                "GetDefaultFolder M I4(1)",
                "Logoff M",
            }));
  // Looked up afresh at each call, the named parameter with its member.
  EXPECT_EQ(world_.lookups, (std::vector<std::string>{"Logon", "Logon,ProfileInfo", "Name", "Name",
                                                      "GetDefaultFolder", "Logoff"}));
}

TEST_F(DispatchTest, MessageChainUsesDispidsWhereKnown) {
  auto session = Session(Binding::ByDispid);
  WalkMessageChain(*session);
  EXPECT_EQ(world_.CallTexts(), (std::vector<std::string>{
                                    "Outbox#16 G",
                                    "Messages#22 G",
                                    "Add M",
                                    "Recipients#28 G",
                                    "Add M",
                                    "Address#2 P BSTR'SMTP:box@example.test' named(-3)",
                                    "Resolve#130 M",
                                    "Subject#38 P BSTR'Test message 1' named(-3)",
                                    "Text#39 P BSTR'S:1R:' named(-3)",
                                    "Attachments#5 G",
                                    kAttachmentAdd,
                                    "Send#131 M BOOL(-1)",
                                    "GetDefaultFolder#153 M I4(1)",
                                    "Folders MG BSTR'In Process'",
                                    "Messages#22 G",
                                    "Count MG",
                                    "Count MG",
                                }));
  // Each call went to the object the previous one gave: session 1, Outbox 2,
  // its messages 3, the new message 4, its recipients 5, the recipient 6,
  // attachments 7 (whose Add gave 8), Inbox 9, subfolder 10, its messages 11.
  EXPECT_EQ(CalledObjects(),
            (std::vector<int>{1, 2, 3, 4, 5, 6, 6, 4, 4, 4, 7, 4, 1, 9, 10, 11, 11}));
  EXPECT_EQ(world_.lookups,
            (std::vector<std::string>{"Add", "Add", "Add", "Folders", "Count", "Count"}));
}

TEST_F(DispatchTest, LateBoundMessageChainGoesByName) {
  auto session = Session(Binding::ByName);
  WalkMessageChain(*session);
  EXPECT_EQ(world_.CallTexts(), (std::vector<std::string>{
                                    "Outbox MG",
                                    "Messages MG",
                                    "Add M",
                                    "Recipients MG",
                                    "Add M",
                                    "Address P BSTR'SMTP:box@example.test' named(-3)",
                                    "Resolve M",
                                    "Subject P BSTR'Test message 1' named(-3)",
                                    "Text P BSTR'S:1R:' named(-3)",
                                    "Attachments MG",
                                    kAttachmentAdd,
                                    "Send M BOOL(-1)",
                                    "GetDefaultFolder M I4(1)",
                                    "Folders MG BSTR'In Process'",
                                    "Messages MG",
                                    "Count MG",
                                    "Count MG",
                                }));
  EXPECT_EQ(world_.lookups.size(), world_.calls.size());
}

TEST_F(DispatchTest, TableMembersGoByName) {
  auto session = Session(Binding::ByDispid);
  auto messages = std::move(*(*session->Inbox(err_))->GetMessages(err_));  // object 3
  auto table = Table();                                                    // object 4
  world_.calls.clear();
  world_.lookups.clear();
  world_.replies["RowCount"] = ReturnsI4(40);
  constexpr std::int32_t kSubject = 0x0037001E;
  constexpr std::int32_t kSender = 0x0C1A001E;

  EXPECT_TRUE(table->SetItem(messages.get(), err_));
  EXPECT_EQ(table->RowCount(err_), 40);
  EXPECT_TRUE(table->SetColumns({kSubject, kSender}, err_));
  EXPECT_TRUE(table->Sort(kSender, err_));
  EXPECT_TRUE(table->GoToFirst(err_));
  EXPECT_TRUE(table->GetRow(err_));
  EXPECT_TRUE(table->GetRows(250, true, err_));
  EXPECT_TRUE(table->GetRows(150, false, err_));
  EXPECT_TRUE(table->SetItem(nullptr, err_));
  EXPECT_FALSE(err_.IsSet()) << err_.Description();

  const std::string sender = std::to_string(kSender);
  EXPECT_EQ(world_.CallTexts(), (std::vector<std::string>{
                                    "Item P DISPATCH(#3) named(-3)",
                                    "RowCount MG",
                                    "Columns P ARRAY[0..1](I4(" + std::to_string(kSubject) +
                                        "),I4(" + sender + ")) named(-3)",
                                    "Sort M I4(" + sender + ")",
                                    "GoToFirst M",
                                    "GetRow M",
                                    "GetRows M I2&(250)",
                                    "GetRows M I2(150)",
                                    "Item P DISPATCH(null) named(-3)",
                                }));
  EXPECT_EQ(CalledObjects(), std::vector<int>(9, 4));
  EXPECT_EQ(world_.lookups,
            (std::vector<std::string>{"Item", "RowCount", "Columns", "Sort", "GoToFirst", "GetRow",
                                      "GetRows", "GetRows", "Item"}));
}

TEST_F(DispatchTest, TableTakesOnlyAdapterCollections) {
  class OtherMessages final : public mail::Messages {
   public:
    std::optional<std::int32_t> Count(ErrorState&) override { return 0; }
    mail::ObjectResult<mail::Message> Add(ErrorState&) override { return std::nullopt; }
  } other;
  auto table = Table();
  EXPECT_FALSE(table->SetItem(&other, err_));
  EXPECT_EQ(err_.Number(), 13);
  EXPECT_EQ(err_.Description(), "Type mismatch");
  EXPECT_TRUE(world_.calls.empty());
}

TEST_F(DispatchTest, ExceptionInfoBecomesTheError) {
  auto session = Session(Binding::ByDispid);
  world_.replies["Logon"] =
      Raises(static_cast<SCODE>(0x80040111), 0,
             L"[Collaboration Data Objects - [MAPI_E_LOGON_FAILED(80040111)]]");
  EXPECT_FALSE(session->LogonWithAllArgs("srv\nbox", err_));
  EXPECT_EQ(err_.Number(), -2147221231);
  EXPECT_EQ(err_.Description(), "[Collaboration Data Objects - [MAPI_E_LOGON_FAILED(80040111)]]");
  // A later call that succeeds leaves the pending error alone.
  EXPECT_TRUE(session->Logoff(err_));
  EXPECT_EQ(err_.Number(), -2147221231);

  err_.Clear();
  world_.replies["Logoff"] = Raises(0, 1234, L"Only a code");
  EXPECT_FALSE(session->Logoff(err_));
  EXPECT_EQ(err_.Number(), 1234);
  EXPECT_EQ(err_.Description(), "Only a code");

  err_.Clear();
  world_.replies["Name"] = RaisesDeferred(static_cast<SCODE>(0x80040505), L"Filled in later");
  EXPECT_EQ(session->Name(err_), std::nullopt);
  EXPECT_EQ(err_.Number(), -2147220219);
  EXPECT_EQ(err_.Description(), "Filled in later");

  err_.Clear();
  world_.replies["Inbox"] = Raises(static_cast<SCODE>(0x8004010F), 0, L"Not found");
  EXPECT_EQ(session->Inbox(err_), std::nullopt);
  EXPECT_EQ(err_.Number(), -2147221233);
}

TEST_F(DispatchTest, AnExceptionWithoutACodeIsStillAFailure) {
  auto session = Session(Binding::ByDispid);
  world_.replies["Logon"] = Raises(0, 0, L"Said nothing of its code");
  EXPECT_FALSE(session->LogonWithProfileInfo("srv\nbox", err_));
  EXPECT_EQ(err_.Number(), -2147352567);  // DISP_E_EXCEPTION
  EXPECT_EQ(err_.Description(), "Said nothing of its code");

  // Without a description either, the system's text for the code.
  err_.Clear();
  world_.replies["Logon"] = Raises(0, 0, nullptr);
  EXPECT_FALSE(session->LogonWithAllArgs("srv\nbox", err_));
  EXPECT_EQ(err_.Number(), -2147352567);
  EXPECT_EQ(err_.Description(), "Exception occurred.");

  // Judged once the deferred fill-in has run.
  err_.Clear();
  world_.replies["Name"] = RaisesDeferred(0, L"Filled in, no code");
  EXPECT_EQ(session->Name(err_), std::nullopt);
  EXPECT_EQ(err_.Number(), -2147352567);
  EXPECT_EQ(err_.Description(), "Filled in, no code");
}

TEST_F(DispatchTest, FailedCallsCarryTheHResultAndItsText) {
  auto session = Session(Binding::ByDispid);
  world_.replies["Logoff"] = Fails(E_NOTIMPL);
  EXPECT_FALSE(session->Logoff(err_));
  EXPECT_EQ(err_.Number(), -2147467263);
  // The system's message text for the code, without its line break.
  EXPECT_EQ(err_.Description(),
            testing::WineDiffers("Wine's message table ends the text of E_NOTIMPL with a full stop")
                ? "Not implemented."
                : "Not implemented");

  err_.Clear();
  world_.unknownNames.insert("Folders");
  auto inbox = std::move(*session->Inbox(err_));
  EXPECT_EQ(inbox->Folders("In Process", err_), std::nullopt);
  EXPECT_EQ(err_.Number(), -2147352570);  // DISP_E_UNKNOWNNAME
  EXPECT_EQ(err_.Description(), std::string("Unknown name."));
  EXPECT_EQ(world_.calls.size(), 2u);  // Logoff and Inbox: Folders never got invoked
}

TEST_F(DispatchTest, ResultsConvertAsTheAutomationRuntimeDoes) {
  auto session = Session(Binding::ByDispid);
  auto table = Table();
  world_.replies["RowCount"] = ReturnsI4(40000);
  EXPECT_EQ(table->RowCount(err_), std::nullopt);
  EXPECT_EQ(err_.Number(), 6);
  EXPECT_EQ(err_.Description(), "Overflow");

  err_.Clear();
  world_.replies["RowCount"] = ReturnsText(L"12");
  EXPECT_EQ(table->RowCount(err_), 12);
  world_.replies["RowCount"] = ReturnsI4(-32768);
  EXPECT_EQ(table->RowCount(err_), -32768);
  world_.replies["Name"] = ReturnsI4(5);
  EXPECT_EQ(session->Name(err_), "5");
  EXPECT_FALSE(err_.IsSet()) << err_.Description();

  auto messages = std::move(*(*session->Inbox(err_))->GetMessages(err_));
  world_.replies["Count"] = ReturnsText(L"abc");
  EXPECT_EQ(messages->Count(err_), std::nullopt);
  EXPECT_EQ(err_.Number(), 13);
  EXPECT_EQ(err_.Description(), "Type mismatch");
}

TEST_F(DispatchTest, NoObjectIsNotAnError) {
  auto session = Session(Binding::ByDispid);
  world_.replies["Inbox"] = ReturnsEmpty();
  auto inbox = session->Inbox(err_);
  ASSERT_TRUE(inbox.has_value());
  EXPECT_EQ(*inbox, nullptr);
  world_.replies["Outbox"] = ReturnsNullObject();
  auto outbox = session->Outbox(err_);
  ASSERT_TRUE(outbox.has_value());
  EXPECT_EQ(*outbox, nullptr);
  EXPECT_FALSE(err_.IsSet()) << err_.Description();

  // Something that is not an object at all.
  world_.replies["GetDefaultFolder"] = ReturnsI4(1);
  EXPECT_EQ(session->GetDefaultFolder(mail::kFolderInbox, err_), std::nullopt);
  EXPECT_EQ(err_.Number(), 424);
  EXPECT_EQ(err_.Description(), "Object required");

  // An object handed over as IUnknown works as one.
  err_.Clear();
  world_.replies["GetDefaultFolder"] = ReturnsUnknownObject();
  auto folder = session->GetDefaultFolder(mail::kFolderInbox, err_);
  ASSERT_TRUE(folder && *folder) << err_.Description();
  EXPECT_TRUE(*(*folder)->GetMessages(err_));
  EXPECT_EQ(world_.calls.back().object, world_.created - 1);
  EXPECT_FALSE(err_.IsSet()) << err_.Description();
}

TEST_F(DispatchTest, GetRowsTellsRowsEmptyAndOtherValuesApart) {
  auto table = Table();
  const auto rows = [&](Reply reply) {
    world_.replies["GetRows"] = std::move(reply);
    return table->GetRows(100, true, err_);
  };
  auto block = rows(ReturnsEmpty());
  ASSERT_TRUE(block);
  EXPECT_EQ(block->kind, RowBlock::Kind::Empty);

  // Rows are the first dimension: 3 rows of 5 columns.
  block = rows(ReturnsRows(3, 5));
  ASSERT_TRUE(block);
  EXPECT_EQ(block->kind, RowBlock::Kind::Rows);
  EXPECT_EQ(block->rows, 3);
  block = rows(ReturnsRows(4, 0));
  ASSERT_TRUE(block);
  EXPECT_EQ(block->rows, 4);
  block = rows(ReturnsRows(0, 2));
  ASSERT_TRUE(block);
  EXPECT_EQ(block->kind, RowBlock::Kind::Rows);
  EXPECT_EQ(block->rows, 0);
  // Rows numbered up to the largest 32-bit bound: 2^31 of them, no overflow.
  block = rows(Returns([](VARIANT* v) {
    SAFEARRAYBOUND bound{8, 2147483640};
    V_VT(v) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(v) = SafeArrayCreate(VT_VARIANT, 1, &bound);
  }));
  ASSERT_TRUE(block);
  EXPECT_EQ(block->rows, std::int64_t{2147483648});

  block = rows(ReturnsI4(7));
  ASSERT_TRUE(block);
  EXPECT_EQ(block->kind, RowBlock::Kind::NotAnArray);
  block = rows(Returns([](VARIANT* v) { V_VT(v) = VT_NULL; }));
  ASSERT_TRUE(block);
  EXPECT_EQ(block->kind, RowBlock::Kind::NotAnArray);
  EXPECT_FALSE(err_.IsSet()) << err_.Description();

  EXPECT_EQ(rows(Raises(static_cast<SCODE>(0x80040115), 0, L"Network")), std::nullopt);
  EXPECT_EQ(err_.Number(), -2147221227);
}

TEST_F(DispatchTest, CreationFailureIsAnErrorAndNoObjectIsNot) {
  DispatchMailFactory unknown("Pelterwyn.NoSuchClass", "Pelterwyn.NoSuchClass");
  EXPECT_EQ(unknown.CreateSession(Binding::ByDispid, err_), std::nullopt);
  EXPECT_EQ(err_.Number(), -2147221005);  // CO_E_CLASSSTRING
  EXPECT_EQ(err_.Description(), std::string("Invalid class string"));
  err_.Clear();
  EXPECT_EQ(unknown.CreateTable(err_), std::nullopt);
  EXPECT_EQ(err_.Number(), -2147221005);

  err_.Clear();
  DispatchMailFactory unregistered(kUnregisteredProgId, kUnregisteredProgId);
  EXPECT_EQ(unregistered.CreateSession(Binding::ByName, err_), std::nullopt);
  EXPECT_EQ(err_.Number(), -2147221164);  // REGDB_E_CLASSNOTREG
  EXPECT_EQ(err_.Description(), std::string("Class not registered"));

  err_.Clear();
  DispatchMailFactory nothing(kNothingProgId, kNothingProgId);
  auto session = nothing.CreateSession(Binding::ByDispid, err_);
  ASSERT_TRUE(session.has_value());
  EXPECT_EQ(*session, nullptr);
  auto table = nothing.CreateTable(err_);
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(*table, nullptr);
  EXPECT_FALSE(err_.IsSet()) << err_.Description();
}

TEST_F(DispatchTest, DestroyingAnAdapterReleasesItsObject) {
  auto session = Session(Binding::ByDispid);
  auto inbox = std::move(*session->Inbox(err_));
  auto messages = std::move(*inbox->GetMessages(err_));
  auto table = Table();
  EXPECT_TRUE(table->SetItem(messages.get(), err_));
  EXPECT_EQ(world_.live.size(), 4u);
  // Objects given and not kept are gone already.
  auto attachments = std::move(*(*messages->Add(err_))->GetAttachments(err_));
  EXPECT_TRUE(attachments->Add("a", 0, 1, L"b", err_));
  EXPECT_EQ(world_.live.size(), 5u);
  attachments.reset();
  inbox.reset();
  EXPECT_EQ(world_.live.size(), 3u);
  table.reset();
  EXPECT_EQ(world_.live.size(), 2u);
  session.reset();
  messages.reset();
  EXPECT_TRUE(world_.live.empty());
}

TEST_F(DispatchTest, TextCrossesInTheProcessCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "written for code page 1252, this is " << GetACP();
  auto session = Session(Binding::ByDispid);
  auto message = std::move(*(*(*session->Outbox(err_))->GetMessages(err_))->Add(err_));
  EXPECT_TRUE(
      message->SetSubject("Gr\xFC\xDF"
                          "e",
                          err_));
  EXPECT_EQ(world_.calls.back().text,
            "Subject#38 P BSTR'Gr\xC3\xBC\xC3\x9F"
            "e' named(-3)");
  world_.replies["Name"] = ReturnsText(L"Gr\u00FC\u00DFe");
  EXPECT_EQ(session->Name(err_),
            "Gr\xFC\xDF"
            "e");
}

}  // namespace
}  // namespace pelterwyn::win32
