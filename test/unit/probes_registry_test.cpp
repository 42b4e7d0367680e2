// The registry reader's conversion rules against the in-memory registry.
#include <gtest/gtest.h>

#include "fake_registry.h"
#include "probes/registry.h"

namespace pelterwyn {
namespace {

using fakes::FakeRegistry;
using namespace std::string_literals;

constexpr const char* kKey = "Software\\PelterwynTest";

class RegistryReader : public ::testing::Test {
 protected:
  void Store(std::uint32_t type, std::vector<std::uint8_t> bytes, const std::string& name = "V") {
    registry.Set(kHkeyLocalMachine, kKey, name, type, std::move(bytes));
  }
  void StoreText(const std::string& raw, std::uint32_t type = kRegSz) {
    Store(type, std::vector<std::uint8_t>(raw.begin(), raw.end()));
  }
  RegValue Read(const std::string& name = "V") {
    return GetRegValue(registry, kHkeyLocalMachine, kKey, name);
  }
  static std::vector<std::uint8_t> Bytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    return bytes;
  }

  FakeRegistry registry;
};

TEST_F(RegistryReader, StringsLoseExactlyOneTrailingNul) {
  StoreText("abc\0"s);
  EXPECT_EQ(Read(), RegValue("abc"s));
  StoreText("abc"s);  // stored without its terminator
  EXPECT_EQ(Read(), RegValue("abc"s));
  StoreText("ab\0\0"s);
  EXPECT_EQ(Read(), RegValue("ab\0"s));
  StoreText("a\0b\0"s);
  EXPECT_EQ(Read(), RegValue("a\0b"s));
  StoreText("%SystemRoot%\\cdo.dll\0"s, kRegExpandSz);
  EXPECT_EQ(Read(), RegValue("%SystemRoot%\\cdo.dll"s));
}

TEST_F(RegistryReader, EmptyStringsArePresentText) {
  StoreText("\0"s);
  EXPECT_EQ(Read(), RegValue(""s));
  StoreText("");
  EXPECT_EQ(Read(), RegValue(""s));
  StoreText("", kRegExpandSz);
  EXPECT_EQ(Read(), RegValue(""s));
  EXPECT_TRUE(IsPresent(Read()));
}

TEST_F(RegistryReader, DwordsAreSignedIntegers) {
  registry.SetDword(kHkeyLocalMachine, kKey, "V", 0xFFFFFFFFu);
  EXPECT_EQ(Read(), RegValue(std::int32_t{-1}));
  EXPECT_EQ(ToText(Read()), "-1");
  registry.SetDword(kHkeyLocalMachine, kKey, "V", 1);
  EXPECT_EQ(Read(), RegValue(std::int32_t{1}));
  registry.SetDword(kHkeyLocalMachine, kKey, "V", 0);
  EXPECT_EQ(Read(), RegValue(std::int32_t{0}));
  registry.SetDword(kHkeyLocalMachine, kKey, "V", 0x80000000u);
  EXPECT_EQ(ToText(Read()), "-2147483648");
}

TEST_F(RegistryReader, DwordDataTooLongForTheIntegerIsEmpty) {
  Store(kRegDword, Bytes(8));
  EXPECT_EQ(Read(), RegValue());
  Store(kRegDword, {0x34, 0x12});  // short data fills the low bytes
  EXPECT_EQ(Read(), RegValue(std::int32_t{0x1234}));
}

TEST_F(RegistryReader, BinaryBecomesHexGroups) {
  Store(kRegBinary, {0x0A, 0xFF, 0x03});
  EXPECT_EQ(Read(), RegValue("0A FF 03"s));
  Store(kRegBinary, {0x00});
  EXPECT_EQ(Read(), RegValue("00"s));
  Store(kRegBinary, {0x20, 0x20});  // bytes that are blanks are data, not padding
  EXPECT_EQ(Read(), RegValue("20 20"s));
  Store(kRegBinary, {});
  EXPECT_EQ(Read(), RegValue(""s));
}

TEST_F(RegistryReader, BinaryOf255BytesFitsAnd256DoesNot) {
  Store(kRegBinary, Bytes(255));
  const std::string text = ToText(Read());
  ASSERT_EQ(text.size(), 255u * 3 - 1);
  EXPECT_EQ(text.substr(0, 9), "00 01 02 ");
  EXPECT_EQ(text.substr(text.size() - 5), "FD FE");

  Store(kRegBinary, Bytes(256));
  EXPECT_EQ(Read(), RegValue());
  RegistryKey key(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, kKey, key.out()), 0);
  RegValue value;
  EXPECT_EQ(QueryRegValue(registry, key.get(), "V", value), kErrorMoreData);
  EXPECT_EQ(value, RegValue());
}

TEST_F(RegistryReader, UnconvertedTypesAreEmpty) {
  for (std::uint32_t type : {kRegNone, 5u, 6u, kRegMultiSz, 8u, 9u, 10u, kRegQword}) {
    Store(type, {'a', 0, 'b', 0, 0, 0, 0, 0});
    EXPECT_EQ(Read(), RegValue()) << "type " << type;
    RegistryKey key(registry);
    ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, kKey, key.out()), 0);
    RegValue value;
    EXPECT_EQ(QueryRegValue(registry, key.get(), "V", value), -1) << "type " << type;
    EXPECT_EQ(value, RegValue());
  }
}

TEST_F(RegistryReader, MissingKeysAndValuesAreEmpty) {
  StoreText("x\0"s);
  EXPECT_EQ(GetRegValue(registry, kHkeyLocalMachine, "Software\\Nowhere", "V"), RegValue());
  EXPECT_EQ(Read("Other"), RegValue());

  RegistryKey key(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, kKey, key.out()), 0);
  RegValue value;
  EXPECT_EQ(QueryRegValue(registry, key.get(), "Other", value), kErrorFileNotFound);
  EXPECT_EQ(value, RegValue());
  EXPECT_NE(QueryRegValue(registry, 0, "V", value), 0);
  EXPECT_EQ(value, RegValue());
}

TEST_F(RegistryReader, EmptyNameReadsTheDefaultValue) {
  StoreText("default\0"s, kRegSz);
  Store(kRegSz, {'d', 'e', 'f', 0}, "");
  EXPECT_EQ(Read(""), RegValue("def"s));
}

TEST_F(RegistryReader, FailedDataQueryGivesEmpty) {
  // The value grows between the size query and the data query.
  StoreText("short\0"s);
  registry.beforeDataQuery = [&](const std::string&) { StoreText("much longer now\0"s); };
  EXPECT_EQ(Read(), RegValue());
  Store(kRegBinary, {1, 2});
  registry.beforeDataQuery = [&](const std::string&) { Store(kRegBinary, {1, 2, 3}); };
  EXPECT_EQ(Read(), RegValue());

  registry.beforeDataQuery = nullptr;
  registry.failDataQueryWith = 5;
  registry.SetDword(kHkeyLocalMachine, kKey, "V", 7);
  EXPECT_EQ(Read(), RegValue());
  StoreText("x\0"s);
  RegistryKey key(registry);
  ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, kKey, key.out()), 0);
  RegValue value;
  EXPECT_EQ(QueryRegValue(registry, key.get(), "V", value), 5);
  EXPECT_EQ(value, RegValue());
}

TEST_F(RegistryReader, UnexpectedErrorGivesEmptyText) {
  registry.throwOnOpen = true;
  EXPECT_EQ(Read(), RegValue(""s));
}

TEST_F(RegistryReader, EveryOpenedKeyIsClosed) {
  StoreText("x\0"s);
  Read();
  Read("Missing");
  GetRegValue(registry, kHkeyLocalMachine, "Software\\Nowhere", "V");
  EXPECT_EQ(registry.OpenHandles(), 0u);
  EXPECT_EQ(registry.closed.size(), 3u);
}

TEST_F(RegistryReader, ClassesRootIsReadThroughItsOwnRoot) {
  registry.SetString(kHkeyClassesRoot, "CLSID\\{X}\\InprocServer32", "", "C:\\x.dll");
  EXPECT_EQ(GetRegValue(registry, kHkeyClassesRoot, "CLSID\\{X}\\InprocServer32", ""),
            RegValue("C:\\x.dll"s));
  EXPECT_EQ(GetRegValue(registry, kHkeyLocalMachine, "CLSID\\{X}\\InprocServer32", ""), RegValue());
}

TEST(RegValueText, KindsConvertToText) {
  EXPECT_EQ(ToText(RegValue()), "");
  EXPECT_EQ(ToText(RegValue("a b"s)), "a b");
  EXPECT_EQ(ToText(RegValue(std::int32_t{-42})), "-42");
  EXPECT_EQ(ToText(RegValue(std::int32_t{2147483647})), "2147483647");
  EXPECT_FALSE(IsPresent(RegValue()));
  EXPECT_TRUE(IsPresent(RegValue(""s)));
  EXPECT_TRUE(IsPresent(RegValue(std::int32_t{0})));
}

TEST(Words, HalvesAreUnsigned16BitNumbers) {
  EXPECT_EQ(GetHighWord(0x00060005), 6);
  EXPECT_EQ(GetLowWord(0x00060005), 5);
  EXPECT_EQ(GetHighWord(static_cast<std::int32_t>(0xFFFF0000u)), 65535);
  EXPECT_EQ(GetLowWord(static_cast<std::int32_t>(0xFFFF0000u)), 0);
  EXPECT_EQ(GetLowWord(0x0000FFFF), 65535);
  EXPECT_EQ(GetHighWord(0x0000FFFF), 0);
  EXPECT_EQ(GetHighWord(-1), 65535);
  EXPECT_EQ(GetLowWord(-1), 65535);
  EXPECT_EQ(GetHighWord(0), 0);
  EXPECT_EQ(GetLowWord(0x1DD60001), 1);
  EXPECT_EQ(GetHighWord(0x1DD60001), 7638);
}

}  // namespace
}  // namespace pelterwyn
