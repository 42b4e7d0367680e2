// The registry reader against Wine's real registry: every value type, written
// with RegSetValueExA and read back through GetRegValue.
#include <gtest/gtest.h>

#include <vector>

#include "probes/registry.h"
#include "support/scratch_registry.h"
#include "win32/registry_win32.h"

namespace pelterwyn {
namespace {

using namespace std::string_literals;

constexpr const char* kKey = "Software\\PelterwynTest\\Registry";

class RealRegistry : public ::testing::Test {
 protected:
  void SetRaw(const std::string& name, DWORD type, const std::string& bytes) {
    scratch.Set(kHkeyLocalMachine, kKey, name, type, bytes.data(),
                static_cast<DWORD>(bytes.size()));
  }
  void SetBinary(const std::string& name, std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(i);
    SetRaw(name, REG_BINARY, bytes);
  }
  RegValue Read(const std::string& name) {
    return GetRegValue(registry, kHkeyLocalMachine, kKey, name);
  }
  long Query(const std::string& name, RegValue& value) {
    RegistryKey key(registry);
    registry.OpenKey(kHkeyLocalMachine, kKey, key.out());
    return QueryRegValue(registry, key.get(), name, value);
  }

  win32::Win32Registry registry;
  testing::ScratchRegistry scratch;
};

TEST_F(RealRegistry, StringsLoseOneTrailingNul) {
  SetRaw("terminated", REG_SZ, "abc\0"s);
  SetRaw("unterminated", REG_SZ, "abc"s);
  SetRaw("two", REG_SZ, "ab\0\0"s);
  SetRaw("only", REG_SZ, "\0"s);
  SetRaw("none", REG_SZ, "");
  SetRaw("expand", REG_EXPAND_SZ, "%SystemRoot%\\system32\0"s);
  EXPECT_EQ(Read("terminated"), RegValue("abc"s));
  EXPECT_EQ(Read("unterminated"), RegValue("abc"s));
  EXPECT_EQ(Read("two"), RegValue("ab\0"s));
  EXPECT_EQ(Read("only"), RegValue(""s));
  EXPECT_EQ(Read("none"), RegValue(""s));
  EXPECT_EQ(Read("expand"), RegValue("%SystemRoot%\\system32"s));
}

TEST_F(RealRegistry, LongAndEightBitTextComesBackWhole) {
  const std::string longText(5000, 'x');
  scratch.SetString(kHkeyLocalMachine, kKey, "long", longText);
  scratch.SetString(kHkeyLocalMachine, kKey, "latin", "Caf\xE9 M\xFCller");
  EXPECT_EQ(Read("long"), RegValue(longText));
  EXPECT_EQ(Read("latin"), RegValue("Caf\xE9 M\xFCller"s));
}

TEST_F(RealRegistry, DwordsAreSigned) {
  scratch.SetDword(kHkeyLocalMachine, kKey, "max", 0xFFFFFFFF);
  scratch.SetDword(kHkeyLocalMachine, kKey, "one", 1);
  EXPECT_EQ(Read("max"), RegValue(std::int32_t{-1}));
  EXPECT_EQ(ToText(Read("max")), "-1");
  EXPECT_EQ(Read("one"), RegValue(std::int32_t{1}));
}

TEST_F(RealRegistry, BinaryUpTo255Bytes) {
  SetBinary("zero", 0);
  SetRaw("three", REG_BINARY, "\x0A\xFF\x03"s);
  SetBinary("b255", 255);
  SetBinary("b256", 256);
  EXPECT_EQ(Read("zero"), RegValue(""s));
  EXPECT_EQ(Read("three"), RegValue("0A FF 03"s));
  const std::string text = ToText(Read("b255"));
  EXPECT_EQ(text.size(), 255u * 3 - 1);
  EXPECT_EQ(text.substr(0, 6), "00 01 ");
  EXPECT_EQ(text.substr(text.size() - 2), "FE");
  EXPECT_EQ(Read("b256"), RegValue());

  RegValue value;
  EXPECT_EQ(Query("b256", value), ERROR_MORE_DATA);
  EXPECT_EQ(value, RegValue());
}

TEST_F(RealRegistry, OtherTypesAreEmpty) {
  SetRaw("multi", REG_MULTI_SZ, "a\0b\0\0"s);
  SetRaw("qword", REG_QWORD, "\x01\0\0\0\0\0\0\0"s);
  SetRaw("none", REG_NONE, "x"s);
  EXPECT_EQ(Read("multi"), RegValue());
  EXPECT_EQ(Read("qword"), RegValue());
  EXPECT_EQ(Read("none"), RegValue());
  RegValue value;
  EXPECT_EQ(Query("multi", value), -1);
  EXPECT_EQ(value, RegValue());
}

TEST_F(RealRegistry, AbsentKeysAndValues) {
  scratch.SetString(kHkeyLocalMachine, kKey, "present", "x");
  EXPECT_EQ(Read("missing"), RegValue());
  EXPECT_EQ(GetRegValue(registry, kHkeyLocalMachine, "Software\\PelterwynTest\\Nowhere", "x"),
            RegValue());
  RegValue value;
  EXPECT_EQ(Query("missing", value), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(value, RegValue());
  EXPECT_NE(QueryRegValue(registry, 0, "present", value), 0);
  EXPECT_EQ(value, RegValue());
}

TEST_F(RealRegistry, DefaultValueAndCaseOfNames) {
  scratch.SetString(kHkeyLocalMachine, kKey, "", "the default");
  scratch.SetString(kHkeyLocalMachine, kKey, "Named", "named");
  EXPECT_EQ(Read(""), RegValue("the default"s));
  EXPECT_EQ(GetRegValue(registry, kHkeyLocalMachine, "software\\PELTERWYNTEST\\registry", "NAMED"),
            RegValue("named"s));
}

TEST_F(RealRegistry, RootsMapToTheirPredefinedKeys) {
  scratch.SetString(kHkeyLocalMachine, "Software\\Classes\\PelterwynTest.Root", "", "via HKLM");
  EXPECT_EQ(GetRegValue(registry, kHkeyClassesRoot, "PelterwynTest.Root", ""),
            RegValue("via HKLM"s));
  scratch.SetString(kHkeyClassesRoot, "PelterwynTest.Other", "", "via HKCR");
  EXPECT_EQ(GetRegValue(registry, kHkeyLocalMachine, "Software\\Classes\\PelterwynTest.Other", ""),
            RegValue("via HKCR"s));
  // Only the root asked for is read.
  scratch.SetString(0x80000001u, "Software\\PelterwynTest\\User", "v", "user");
  EXPECT_EQ(GetRegValue(registry, kHkeyLocalMachine, "Software\\PelterwynTest\\User", "v"),
            RegValue());
}

}  // namespace
}  // namespace pelterwyn
