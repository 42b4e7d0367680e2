// The scratch registry puts back everything it touched, in either registry
// view, so that the suite may run on a real workstation.
#include <gtest/gtest.h>

#include "support/bitness.h"
#include "support/scratch_registry.h"

namespace pelterwyn::testing {
namespace {

constexpr char kKey[] = "Software\\PelterwynTest\\Scratch";
// Redirected: each view has a key of its own under this name.
constexpr char kClass[] = "Software\\Classes\\CLSID\\{0C5D3A4E-9B1F-4E27-8D6A-2F7B1C9E3D50}";

std::string Read(const Hive& hive, const std::string& path, const std::string& name) {
  return ScratchRegistry::ReadString(hive, path, name).value_or("(absent)");
}

TEST(ScratchRegistry, PutsBackValuesRemovesKeysAndReturnsHiddenKeys) {
  const std::string hidden = std::string(kKey) + "\\Hidden";
  // What was there before the test.
  ScratchRegistry before;
  before.SetString(HKEY_LOCAL_MACHINE, kKey, "kept", "old");
  before.SetString(HKEY_LOCAL_MACHINE, hidden + "\\Sub", "deep", "d");
  {
    ScratchRegistry scratch;
    scratch.SetString(HKEY_LOCAL_MACHINE, kKey, "kept", "new");
    scratch.SetDword(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\Made\\Deeper", "n", 7);
    scratch.Hide(HKEY_LOCAL_MACHINE, hidden);
    // The key hidden, then made again with other contents.
    scratch.SetString(HKEY_LOCAL_MACHINE, hidden, "other", "x");
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kKey, "kept"), "new");
    EXPECT_FALSE(ScratchRegistry::Exists(HKEY_LOCAL_MACHINE, hidden + "\\Sub"));
    scratch.SetString(HKEY_LOCAL_MACHINE, kKey, "kept", "newer");
  }
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kKey, "kept"), "old");
  EXPECT_FALSE(ScratchRegistry::Exists(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\Made"));
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, hidden + "\\Sub", "deep"), "d");
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, hidden, "other"), "(absent)");
  EXPECT_FALSE(ScratchRegistry::Exists(HKEY_LOCAL_MACHINE, "Software\\PelterwynTest.Aside"));
}

TEST(ScratchRegistry, EachViewIsWrittenHiddenAndPutBackOnItsOwn) {
  const Hive view32(HKEY_LOCAL_MACHINE, View::Bits32);
  const Hive view64(HKEY_LOCAL_MACHINE, View::Bits64);
  const std::string server = std::string(kClass) + "\\InprocServer32";
  {
    ScratchRegistry scratch;
    scratch.SetString(view32, server, "", "C:\\x86\\cdo.dll");
    scratch.SetString(view64, server, "", "C:\\x64\\cdo.dll");
    EXPECT_EQ(Read(view32, server, ""), "C:\\x86\\cdo.dll");
    EXPECT_EQ(Read(view64, server, ""), "C:\\x64\\cdo.dll");
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, server, ""),
              k64Bit ? "C:\\x64\\cdo.dll" : "C:\\x86\\cdo.dll")
        << "the process's own view";
    {
      // Registered for 32-bit programs only, as a workstation with CDO is.
      ScratchRegistry only32;
      only32.Hide(view64, kClass);
      EXPECT_FALSE(ScratchRegistry::Exists(view64, kClass));
      EXPECT_EQ(Read(view32, server, ""), "C:\\x86\\cdo.dll");
    }
    EXPECT_EQ(Read(view64, server, ""), "C:\\x64\\cdo.dll");
  }
  EXPECT_FALSE(ScratchRegistry::Exists(view32, kClass));
  EXPECT_FALSE(ScratchRegistry::Exists(view64, kClass));
}

}  // namespace
}  // namespace pelterwyn::testing
