#pragma once

#include <windows.h>

#include <oleauto.h>

#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "store/journal_line.h"

// Reads the stand-in mail world's journal (standins/README.md, "The
// journal") back through the servers' own line format.
namespace pelterwyn::testing {

using JournalValue = standin::journal::Value;  // its vt is a VARTYPE
using JournalEvent = standin::journal::Event;
static_assert(std::is_same_v<decltype(JournalValue::vt), VARTYPE>);
static_assert(standin::journal::kVtByRef == VT_BYREF && standin::journal::kVtArray == VT_ARRAY &&
              standin::journal::kVtTypeMask == VT_TYPEMASK);

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
