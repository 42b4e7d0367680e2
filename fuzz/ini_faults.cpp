// faults.ini as a person edits it, with any content: it parses, every problem
// names a line of the file, and an edit by the tests' editor keeps the
// meaning of every other line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "store/faults.h"
#include "support/ini_edit.h"

using namespace standin::store;
using pelterwyn::testing::IniEdit;

namespace {

bool SameEntries(const std::vector<IniFile::Entry>& a, const std::vector<IniFile::Entry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].key != b[i].key || a[i].value != b[i].value) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const IniFile ini = IniFile::Parse(text);
  const Faults faults = Faults::Parse(ini);
  const auto lines = static_cast<long>(std::count(text.begin(), text.end(), '\n')) + 1;
  for (const std::string& problem : faults.Problems()) {
    constexpr std::string_view kPrefix = "faults.ini line ";
    FUZZ_CHECK(problem.rfind(kPrefix, 0) == 0);
    const long line = std::stol(problem.substr(kPrefix.size()));
    FUZZ_CHECK(line >= 1 && line <= lines);
  }
  faults.Find("Session", "Logon", 1);
  faults.Find("MAPITable", "GetRows", 2);

  // Written back, or with one switch set, the file means what it meant.
  IniEdit edited(text);
  FUZZ_CHECK(IniEdit(edited.Text()).Text() == edited.Text());
  edited.Set("table", "MaxRowsPerCall", "7");
  const IniFile after = IniFile::Parse(edited.Text());
  FUZZ_CHECK(after.Get("table", "MaxRowsPerCall") == "7");
  for (const char* section : {"faults", "session"}) {
    FUZZ_CHECK(SameEntries(after.Entries(section), ini.Entries(section)));
  }
  return 0;
}
