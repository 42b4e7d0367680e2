#pragma once

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/mail.h"

namespace pelterwyn::fakes {

struct Fault {
  std::int32_t number;
  std::string description;
  int fromCall = 1;  // the member's calls before this one succeed
};

// A scriptable mail world: every object records its calls and its release in
// one journal, members fail on demand ("Type.Member" keys), and object-giving
// members can give no object.
class MailWorld {
 public:
  std::vector<std::string> journal;
  std::map<std::string, Fault> faults;
  std::set<std::string> noObject;  // e.g. "Session.Inbox", "CreateSession"
  // Logon succeeds for these profile infos only; empty: for any.
  std::set<std::string> accepted;
  Fault logonFault{-2147221231, "[Collaboration Data Objects - [MAPI_E_LOGON_FAILED(80040111)]]"};
  std::string nameBeforeLogon;
  std::string sessionName = "MAPI Profile";
  std::int32_t inboxCount = 3;
  // The table: its row count as reported, its rows, and how many it gives per call.
  std::int32_t tableRowCount = 0;
  std::int32_t tableRows = 0;
  std::int32_t rowsPerCall = INT_MAX;
  bool tableNeverEmpty = false;
  mail::RowBlock::Kind blockKind = mail::RowBlock::Kind::Rows;
  // When set, every block claims this many rows, whatever it holds.
  std::optional<std::int64_t> claimedRows;
  int live = 0;
  std::map<std::string, int> calls;  // per member, for faults from a later call

  // Records the call; raises the member's fault if one is set.
  bool Fails(const std::string& member, const std::string& args, ErrorState& err) {
    journal.push_back(member + "(" + args + ")");
    const int call = ++calls[member];
    const auto f = faults.find(member);
    if (f == faults.end() || call < f->second.fromCall) return false;
    err.Raise(f->second.number, f->second.description);
    return true;
  }

  std::vector<std::string> Calls(const std::string& prefix) const {
    std::vector<std::string> out;
    std::copy_if(journal.begin(), journal.end(), std::back_inserter(out),
                 [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
    return out;
  }
  int Count(const std::string& prefix) const { return static_cast<int>(Calls(prefix).size()); }
};

template <class Base, class Derived>
mail::ObjectResult<Base> GiveFrom(MailWorld& world, const std::string& member,
                                  const std::string& args, ErrorState& err) {
  if (world.Fails(member, args, err)) return std::nullopt;
  if (world.noObject.count(member)) return std::unique_ptr<Base>();
  return std::unique_ptr<Base>(std::make_unique<Derived>(world));
}

class Tracked {
 public:
  Tracked(MailWorld& world, std::string type) : world_(world), type_(std::move(type)) {
    ++world_.live;
  }
  Tracked(const Tracked&) = delete;
  Tracked& operator=(const Tracked&) = delete;
  virtual ~Tracked() {
    --world_.live;
    world_.journal.push_back("release " + type_);
  }

 protected:
  // Gives a new object, no object, or fails, as the world says.
  template <class Base, class Derived>
  mail::ObjectResult<Base> Give(const std::string& member, const std::string& args,
                                ErrorState& err) {
    return GiveFrom<Base, Derived>(world_, member, args, err);
  }
  bool Do(const std::string& member, const std::string& args, ErrorState& err) {
    return !world_.Fails(member, args, err);
  }

  MailWorld& world_;
  std::string type_;
};

class FakeRecipient final : public mail::Recipient, Tracked {
 public:
  explicit FakeRecipient(MailWorld& w) : Tracked(w, "Recipient") {}
  bool SetAddress(const std::string& a, ErrorState& err) override {
    return Do("Recipient.Address", a, err);
  }
  bool Resolve(ErrorState& err) override { return Do("Recipient.Resolve", "", err); }
};

class FakeRecipients final : public mail::Recipients, Tracked {
 public:
  explicit FakeRecipients(MailWorld& w) : Tracked(w, "Recipients") {}
  mail::ObjectResult<mail::Recipient> Add(ErrorState& err) override {
    return Give<mail::Recipient, FakeRecipient>("Recipients.Add", "", err);
  }
};

class FakeAttachments final : public mail::Attachments, Tracked {
 public:
  explicit FakeAttachments(MailWorld& w) : Tracked(w, "Attachments") {}
  bool Add(const std::string& name, std::int16_t position, std::int32_t type,
           const std::wstring& source, ErrorState& err) override {
    // The tests' paths are ASCII.
    const std::string path(source.begin(), source.end());
    return Do("Attachments.Add",
              name + "," + std::to_string(position) + "," + std::to_string(type) + "," + path, err);
  }
};

class FakeMessage final : public mail::Message, Tracked {
 public:
  explicit FakeMessage(MailWorld& w) : Tracked(w, "Message") {}
  mail::ObjectResult<mail::Recipients> GetRecipients(ErrorState& err) override {
    return Give<mail::Recipients, FakeRecipients>("Message.Recipients", "", err);
  }
  bool SetSubject(const std::string& s, ErrorState& err) override {
    return Do("Message.Subject", s, err);
  }
  bool SetText(const std::string& t, ErrorState& err) override {
    return Do("Message.Text", t, err);
  }
  mail::ObjectResult<mail::Attachments> GetAttachments(ErrorState& err) override {
    return Give<mail::Attachments, FakeAttachments>("Message.Attachments", "", err);
  }
  bool Send(bool saveCopy, ErrorState& err) override {
    return Do("Message.Send", saveCopy ? "true" : "false", err);
  }
};

class FakeMessages final : public mail::Messages, Tracked {
 public:
  explicit FakeMessages(MailWorld& w) : Tracked(w, "Messages") {}
  std::optional<std::int32_t> Count(ErrorState& err) override {
    if (world_.Fails("Messages.Count", "", err)) return std::nullopt;
    return world_.inboxCount;
  }
  mail::ObjectResult<mail::Message> Add(ErrorState& err) override {
    return Give<mail::Message, FakeMessage>("Messages.Add", "", err);
  }
};

class FakeFolder final : public mail::Folder, Tracked {
 public:
  explicit FakeFolder(MailWorld& w) : Tracked(w, "Folder") {}
  mail::ObjectResult<mail::Messages> GetMessages(ErrorState& err) override {
    return Give<mail::Messages, FakeMessages>("Folder.Messages", "", err);
  }
  mail::ObjectResult<mail::Folder> Folders(const std::string& name, ErrorState& err) override {
    return Give<mail::Folder, FakeFolder>("Folder.Folders", name, err);
  }
};

class FakeSession final : public mail::Session, Tracked {
 public:
  explicit FakeSession(MailWorld& w) : Tracked(w, "Session") {}
  bool LogonWithAllArgs(const std::string& p, ErrorState& err) override {
    return Logon("Session.Logon[all]", p, err);
  }
  bool LogonWithProfileInfo(const std::string& p, ErrorState& err) override {
    return Logon("Session.Logon[named]", p, err);
  }
  bool Logoff(ErrorState& err) override {
    loggedOn_ = false;
    return Do("Session.Logoff", "", err);
  }
  std::optional<std::string> Name(ErrorState& err) override {
    if (world_.Fails("Session.Name", "", err)) return std::nullopt;
    return loggedOn_ ? world_.sessionName : world_.nameBeforeLogon;
  }
  mail::ObjectResult<mail::Folder> Inbox(ErrorState& err) override {
    return Give<mail::Folder, FakeFolder>("Session.Inbox", "", err);
  }
  mail::ObjectResult<mail::Folder> Outbox(ErrorState& err) override {
    return Give<mail::Folder, FakeFolder>("Session.Outbox", "", err);
  }
  mail::ObjectResult<mail::Folder> GetDefaultFolder(std::int32_t type, ErrorState& err) override {
    return Give<mail::Folder, FakeFolder>("Session.GetDefaultFolder", std::to_string(type), err);
  }

 private:
  bool Logon(const std::string& member, const std::string& profileInfo, ErrorState& err) {
    if (world_.Fails(member, profileInfo, err)) return false;
    if (!world_.accepted.empty() && !world_.accepted.count(profileInfo)) {
      err.Raise(world_.logonFault.number, world_.logonFault.description);
      return false;
    }
    loggedOn_ = true;
    return true;
  }
  bool loggedOn_ = false;
};

class FakeTable final : public mail::MapiTable, Tracked {
 public:
  explicit FakeTable(MailWorld& w) : Tracked(w, "Table") {}
  bool SetItem(mail::Messages* m, ErrorState& err) override {
    if (!Do("Table.Item", m ? "messages" : "nothing", err)) return false;
    attached_ = m != nullptr;
    return true;
  }
  std::optional<std::int16_t> RowCount(ErrorState& err) override {
    if (world_.Fails("Table.RowCount", "", err) || Detached(err)) return std::nullopt;
    if (world_.tableRowCount > 32767) {
      err.Raise(6, "Overflow");
      return std::nullopt;
    }
    return static_cast<std::int16_t>(world_.tableRowCount);
  }
  bool SetColumns(const std::vector<std::int32_t>& tags, ErrorState& err) override {
    std::string args;
    for (auto tag : tags) args += (args.empty() ? "" : ",") + std::to_string(tag);
    return Do("Table.Columns", args, err);
  }
  bool Sort(std::int32_t tag, ErrorState& err) override {
    return Do("Table.Sort", std::to_string(tag), err);
  }
  bool GoToFirst(ErrorState& err) override {
    position_ = 0;
    return Do("Table.GoToFirst", "", err);
  }
  bool GetRow(ErrorState& err) override {
    ++position_;
    return Do("Table.GetRow", "", err);
  }
  std::optional<mail::RowBlock> GetRows(std::int16_t count, bool byReference,
                                        ErrorState& err) override {
    if (world_.Fails("Table.GetRows", std::to_string(count) + (byReference ? ",byref" : ",byval"),
                     err)) {
      return std::nullopt;
    }
    const std::int32_t left = world_.tableRows - position_;
    std::int32_t n = std::min({std::max<std::int32_t>(count, 0), left, world_.rowsPerCall});
    if (world_.tableNeverEmpty) n = std::max(n, 1);
    if (n <= 0) return mail::RowBlock{mail::RowBlock::Kind::Empty, 0};
    position_ += n;
    return mail::RowBlock{world_.blockKind, world_.claimedRows.value_or(n)};
  }

 private:
  bool Detached(ErrorState& err) {
    if (attached_) return false;
    err.Raise(-2147467259, "Item is not set");
    return true;
  }
  std::int32_t position_ = 0;
  bool attached_ = false;
};

class FakeMailFactory final : public mail::MailFactory {
 public:
  explicit FakeMailFactory(MailWorld& world) : world_(world) {}
  mail::ObjectResult<mail::Session> CreateSession(mail::Binding binding, ErrorState& err) override {
    bindings.push_back(binding);
    return GiveFrom<mail::Session, FakeSession>(world_, "CreateSession", "", err);
  }
  mail::ObjectResult<mail::MapiTable> CreateTable(ErrorState& err) override {
    return GiveFrom<mail::MapiTable, FakeTable>(world_, "CreateTable", "", err);
  }
  std::vector<mail::Binding> bindings;

 private:
  MailWorld& world_;
};

}  // namespace pelterwyn::fakes
