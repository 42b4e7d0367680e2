#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/error_state.h"

// What the diagnostic tests expect of the CDO and table objects, and nothing
// more. Every member takes the run's error state: a failing call raises its
// error there and reports failure through its result, so that the caller can
// skip the statement it was part of. Release is destruction.
namespace pelterwyn::mail {

// How members are reached: by their dispatch identifier where one is known,
// or always by name (the service logon sequence binds everything late).
enum class Binding { ByDispid, ByName };

// nullopt: the call failed (the error is raised); a null pointer: it
// succeeded without giving an object.
template <class T>
using ObjectResult = std::optional<std::unique_ptr<T>>;

class Recipient {
 public:
  virtual ~Recipient() = default;
  virtual bool SetAddress(const std::string& address, ErrorState& err) = 0;
  virtual bool Resolve(ErrorState& err) = 0;
};

class Recipients {
 public:
  virtual ~Recipients() = default;
  virtual ObjectResult<Recipient> Add(ErrorState& err) = 0;
};

class Attachments {
 public:
  virtual ~Attachments() = default;
  // The new attachment object is not kept. The source file's path is the
  // system's, in UTF-16 (FileApi::PathBesideExe).
  virtual bool Add(const std::string& name, std::int16_t position, std::int32_t type,
                   const std::wstring& source, ErrorState& err) = 0;
};

class Message {
 public:
  virtual ~Message() = default;
  virtual ObjectResult<Recipients> GetRecipients(ErrorState& err) = 0;
  virtual bool SetSubject(const std::string& subject, ErrorState& err) = 0;
  virtual bool SetText(const std::string& text, ErrorState& err) = 0;
  virtual ObjectResult<Attachments> GetAttachments(ErrorState& err) = 0;
  virtual bool Send(bool saveCopy, ErrorState& err) = 0;
};

class Messages {
 public:
  virtual ~Messages() = default;
  virtual std::optional<std::int32_t> Count(ErrorState& err) = 0;
  virtual ObjectResult<Message> Add(ErrorState& err) = 0;
};

class Folder {
 public:
  virtual ~Folder() = default;
  virtual ObjectResult<Messages> GetMessages(ErrorState& err) = 0;
  // The subfolder of that name.
  virtual ObjectResult<Folder> Folders(const std::string& name, ErrorState& err) = 0;
};

inline constexpr std::int32_t kFolderInbox = 1;

class Session {
 public:
  virtual ~Session() = default;
  // All seven parameters by position: "", "", false, true, 0 (16-bit), true,
  // then the profile information by value.
  virtual bool LogonWithAllArgs(const std::string& profileInfo, ErrorState& err) = 0;
  // Only ProfileInfo, as a named argument by reference; the other six omitted.
  virtual bool LogonWithProfileInfo(const std::string& profileInfo, ErrorState& err) = 0;
  virtual bool Logoff(ErrorState& err) = 0;
  virtual std::optional<std::string> Name(ErrorState& err) = 0;
  virtual ObjectResult<Folder> Inbox(ErrorState& err) = 0;
  virtual ObjectResult<Folder> Outbox(ErrorState& err) = 0;
  virtual ObjectResult<Folder> GetDefaultFolder(std::int32_t folderType, ErrorState& err) = 0;
};

// A GetRows result: an empty value, an array of rows, or anything else
// (whose number of rows cannot be taken).
struct RowBlock {
  enum class Kind { Empty, Rows, NotAnArray };
  Kind kind = Kind::Empty;
  // Upper bound of the first dimension plus one: 2^31 for an upper bound of
  // 2147483647, hence 64 bits.
  std::int64_t rows = 0;
};

// The contents table object; every member is reached by name.
class MapiTable {
 public:
  virtual ~MapiTable() = default;
  // A null pointer detaches the table.
  virtual bool SetItem(Messages* messages, ErrorState& err) = 0;
  // Converted to a 16-bit integer; a value out of range fails.
  virtual std::optional<std::int16_t> RowCount(ErrorState& err) = 0;
  virtual bool SetColumns(const std::vector<std::int32_t>& propertyTags, ErrorState& err) = 0;
  virtual bool Sort(std::int32_t propertyTag, ErrorState& err) = 0;
  virtual bool GoToFirst(ErrorState& err) = 0;
  // The row itself is never examined.
  virtual bool GetRow(ErrorState& err) = 0;
  // The count goes as a 16-bit integer, by reference or by value.
  virtual std::optional<RowBlock> GetRows(std::int16_t count, bool byReference,
                                          ErrorState& err) = 0;
};

class MailFactory {
 public:
  virtual ~MailFactory() = default;
  // By the ProgID "MAPI.Session".
  virtual ObjectResult<Session> CreateSession(Binding binding, ErrorState& err) = 0;
  // By the ProgID "Redemption.MAPITable".
  virtual ObjectResult<MapiTable> CreateTable(ErrorState& err) = 0;
};

// Calls a member on an object that may be missing, as a late-bound call on
// no object does: the call fails with error 91.
template <class T, class Call>
auto CallOn(T* object, ErrorState& err, Call&& call) -> decltype(call(*object)) {
  if (object == nullptr) {
    err.Raise(kErrObjectNotSet);
    return {};
  }
  return call(*object);
}

// A member called on the object another call gave: fails when that call
// failed, and with error 91 when it gave no object. The intermediate object is
// released at once, as a temporary of the statement.
template <class T, class Call>
auto Then(ObjectResult<T>&& result, ErrorState& err, Call&& call) -> decltype(call(**result)) {
  if (!result) return {};
  return CallOn(result->get(), err, std::forward<Call>(call));
}

// Assignment as a statement of a continue-on-error run: a failed expression
// leaves the target as it was.
template <class T>
void AssignIfOk(T& target, std::optional<T>&& value) {
  if (value) target = std::move(*value);
}

}  // namespace pelterwyn::mail
