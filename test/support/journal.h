#pragma once

#include <windows.h>

#include <oleauto.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Reads the stand-in mail world's journal (standins/README.md, "The
// journal"): one event per line, created, call or released.
namespace pelterwyn::testing {

struct JournalValue {
  std::string type;       // as written: "VT_BSTR|VT_BYREF"
  VARTYPE vt = VT_EMPTY;  // the same as a VARTYPE, VT_BYREF and VT_ARRAY included
  std::string text;       // the value as text: "EXCHANGE1\npelttest", "5", "true", "Messages#2"
  bool ByRef() const { return (vt & VT_BYREF) != 0; }
  VARTYPE Base() const { return vt & VT_TYPEMASK; }
  // An omitted optional argument (VT_ERROR DISP_E_PARAMNOTFOUND).
  bool Omitted() const;
  // The elements of a one-dimensional array value.
  std::vector<JournalValue> Elements() const;
};

struct JournalEvent {
  enum class Kind { Created, Call, Released };
  Kind kind = Kind::Call;
  unsigned long pid = 0;
  std::string object;  // "Session#1"
  std::string type;    // "Session"
  // Calls only.
  std::string member;  // "?" for an unknown DISPID
  long dispid = 0;
  bool byName = false;             // looked up by name just before the call
  std::string flags;               // "method", "get", "method|get", "put", "putref", "lookup"
  std::vector<JournalValue> args;  // positional ones in order, then the named ones
  std::vector<long> named;         // DISPIDs of the named arguments, in the order of args
  bool ok = false;
  JournalValue result;  // when ok
  long error = 0;       // when not ok: the error number or failing HRESULT
  std::string description;
  std::string line;  // the line as written, for messages

  bool Is(std::string_view type, std::string_view member) const;
  // A call that reached Invoke (not a failed name lookup).
  bool IsInvocation() const { return kind == Kind::Call && flags != "lookup"; }
};

class Journal {
 public:
  // An empty journal when the file does not exist.
  static Journal Read(const std::string& windowsPath);
  static Journal Parse(std::string_view text);

  const std::vector<JournalEvent>& Events() const { return events_; }
  // The calls that reached Invoke, in order.
  std::vector<JournalEvent> Invocations() const;
  // Invocations of a member (without regard to case), optionally of one object type.
  std::vector<JournalEvent> Calls(std::string_view member) const;
  std::vector<JournalEvent> Calls(std::string_view type, std::string_view member) const;
  int Count(std::string_view type, std::string_view member) const;
  int CountCreated(std::string_view type) const;
  // GetIDsOfNames calls that named an unknown member or parameter.
  std::vector<JournalEvent> FailedLookups() const;
  // The invocations in order, as "Type.Member".
  std::vector<std::string> CallSequence() const;
  // Created, call and released events in order, as "created Session",
  // "Session.Logoff", "released Session".
  std::vector<std::string> Story() const;
  // "pid:Type#n" of each object created, and of each released.
  std::vector<std::string> Created() const { return Ids(JournalEvent::Kind::Created); }
  std::vector<std::string> Released() const { return Ids(JournalEvent::Kind::Released); }
  // Every object created was released exactly once, and none released twice.
  bool AllReleased() const;
  std::vector<std::string> Unreleased() const;
  // Lines that could not be read; a well-formed journal has none.
  const std::vector<std::string>& Malformed() const { return malformed_; }

 private:
  std::vector<JournalEvent> Where(const std::function<bool(const JournalEvent&)>& keep) const;
  std::vector<std::string> Ids(JournalEvent::Kind kind) const;

  std::vector<JournalEvent> events_;
  std::vector<std::string> malformed_;
};

// Where a journal file ended; Take() reads what was written after.
class JournalMark {
 public:
  explicit JournalMark(std::string windowsPath);
  Journal Take() const;

 private:
  std::string path_;
  std::size_t from_;
};

// Positions in a story, for order checks; -1 when absent.
std::ptrdiff_t IndexOf(const std::vector<std::string>& story, std::string_view entry,
                       std::ptrdiff_t from = 0);
std::ptrdiff_t LastIndexOf(const std::vector<std::string>& story, std::string_view entry);

}  // namespace pelterwyn::testing
