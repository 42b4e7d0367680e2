#include "objects.h"
#include "store/errors.h"

namespace standin::cdo {
namespace {

enum : DISPID {
  kDispInbox = 15,
  kDispOutbox = 16,
  kDispSessionName = 23,
  kDispLogoff = 118,
  kDispLogon = 119,
  kDispGetDefaultFolder = 153,
};

// CDO's CdoDefaultFolder numbers.
enum : std::int32_t { kCdoInbox = 1, kCdoOutbox = 2, kCdoSentItems = 3, kCdoLast = 8 };

}  // namespace

Session::Session(std::shared_ptr<World> world) : DispatchObject(std::move(world), "Session") {
  // A session that is logged on from the start, as when another program of
  // the same process logged on before.
  if (const auto& start = this->world().Faults().session.loggedOnAtStart) {
    const auto slash = start->find('\\');
    const auto r =
        this->world().Store().Logon(start->substr(0, slash) + "\n" + start->substr(slash + 1));
    logon_ = r.mailbox;
  }
}

DispatchObject* Session::Create() {
  return new Session(World::FromEnvironment(com::FromUtf8(kErrorSource)));
}

const std::vector<Member>& Session::Members() const {
  static const std::vector<Member> members = {
      {L"Logon",
       kDispLogon,
       com::kMethod,
       {{L"ProfileName", VT_BSTR, true},
        {L"ProfilePassword", VT_BSTR, true},
        {L"ShowDialog", VT_BOOL, true},
        {L"NewSession", VT_BOOL, true},
        {L"ParentWindow", VT_I4, true},
        {L"NoMail", VT_BOOL, true},
        {L"ProfileInfo", VT_BSTR, true}}},
      {L"Logoff", kDispLogoff, com::kMethod, {}},
      {L"Name", kDispSessionName, com::kGet, {}},
      {L"Inbox", kDispInbox, com::kGet, {}, VT_EMPTY, true},
      {L"Outbox", kDispOutbox, com::kGet, {}, VT_EMPTY, true},
      {L"GetDefaultFolder",
       kDispGetDefaultFolder,
       com::kMethod,
       {{L"Type", VT_I4, false}},
       VT_EMPTY,
       true},
  };
  return members;
}

void Session::Call(const Member& member, bool, const Args& args, Variant& result) {
  switch (member.id) {
    case kDispLogon:
      Logon(args);
      break;
    case kDispLogoff:
      logon_.reset();
      break;
    case kDispSessionName:
      if (logon_) {
        result = variant::Text(L"MAPI Profile for " + com::FromUtf8(logon_->alias));
      } else if (const auto& name = world().Faults().session.nameBeforeLogon) {
        result = variant::Text(com::FromUtf8(*name));
      } else {
        com::Fail(errors::kNotInitialized);
      }
      break;
    case kDispInbox:
      result = NewFolder(store::DefaultFolder::Inbox);
      break;
    case kDispOutbox:
      result = NewFolder(store::DefaultFolder::Outbox);
      break;
    case kDispGetDefaultFolder: {
      RequireLogon();
      const std::int32_t type = args.Long(0);
      if (type == kCdoInbox) {
        result = NewFolder(store::DefaultFolder::Inbox);
      } else if (type == kCdoOutbox) {
        result = NewFolder(store::DefaultFolder::Outbox);
      } else if (type == kCdoSentItems) {
        result = NewFolder(store::DefaultFolder::SentItems);
      } else if (type >= 0 && type <= kCdoLast) {
        com::Fail(errors::kNotFound);  // a folder kind this store does not keep
      } else {
        com::Fail(errors::kInvalidParameter);
      }
      break;
    }
  }
}

void Session::Logon(const Args& args) {
  logon_.reset();
  // Only dynamic profiles: the stand-in has no profile store, and no dialog to show.
  const std::wstring info = args.Text(6);
  if (info.empty()) com::Fail(errors::kLogonFailed);
  const store::LogonResult r = world().Store().Logon(com::ToUtf8(info));
  if (r.error) com::Fail(r.error);
  for (auto folder : {store::DefaultFolder::Inbox, store::DefaultFolder::Outbox,
                      store::DefaultFolder::SentItems}) {
    store::DefaultFolderPath(*r.mailbox, folder);
  }
  logon_ = r.mailbox;
}

const store::Mailbox& Session::RequireLogon() const {
  if (!logon_) com::Fail(errors::kNotInitialized);
  return *logon_;
}

Variant Session::NewFolder(store::DefaultFolder folder) const {
  const store::Mailbox& mailbox = RequireLogon();
  return Give(new Folder(sharedWorld(), mailbox, store::DefaultFolderPath(mailbox, folder)));
}

}  // namespace standin::cdo
