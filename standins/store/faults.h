#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ini.h"

// Faults on demand, read from faults.ini at the store's root (see README).
namespace standin::store {

struct Fault {
  enum class Kind {
    Fail,          // the call fails with the number
    DeferredFail,  // the same, with the description left to the deferred fill-in
    Nothing,       // the call succeeds and gives no object (or no value)
  };
  Kind kind = Kind::Fail;
  std::int32_t number = 0;
  std::string description;  // empty: the library's own text for the number
};

struct SessionFaults {
  std::optional<std::string> nameBeforeLogon;  // Name answers this while not logged on
  std::optional<std::string> loggedOnAtStart;  // "server\mailbox": logged on from creation
};

struct TableFaults {
  std::optional<std::int64_t> rowCount;  // RowCount reports this instead of the real count
  std::optional<int> maxRowsPerCall;     // GetRows hands out no more than this
  bool neverEmpty = false;               // GetRows never gives an empty value
};

class Faults {
 public:
  static Faults Parse(const IniFile& ini);
  // root/faults.ini; no file means no faults.
  static Faults Load(const std::filesystem::path& root);

  // The fault for the callNumber-th call (from 1) of Type.Member: a rule for
  // that very call ("Type.Member#n") wins over one for every call.
  const Fault* Find(std::string_view type, std::string_view member, int callNumber) const;

  // What could not be understood, one text per line at fault; a world with
  // problems refuses every call, so a typing error never goes unnoticed.
  const std::vector<std::string>& Problems() const { return problems_; }

  SessionFaults session;
  TableFaults table;

 private:
  struct Rule {
    std::string type;
    std::string member;
    int call = 0;  // 0: every call
    Fault fault;
  };
  std::vector<Rule> rules_;
  std::vector<std::string> problems_;
};

// "-2147221231", "0x80040111" or "80040111h": a 32-bit number, hex taken as
// unsigned and stored as the same bits.
std::optional<std::int64_t> ParseNumber(std::string_view text);
std::optional<bool> ParseFlag(std::string_view text);

}  // namespace standin::store
