#include <gtest/gtest.h>

#include "store/journal_line.h"

namespace standin::journal {
namespace {

TEST(JournalLine, EscapesSoThatALineStaysOneLine) {
  for (const std::string& raw : {std::string("a\r\nb\tc\\d"), std::string("\x01\x7F"),
                                 std::string("caf\xC3\xA9"), std::string("end\\")}) {
    const std::string escaped = Escape(raw);
    EXPECT_EQ(escaped.find_first_of("\t\r\n"), std::string::npos);
    EXPECT_EQ(Unescape(escaped), raw);
  }
  EXPECT_EQ(Escape(std::string("\x01", 1)), "\\x01");
  const std::string element = EscapeElement("a,b[c]\\");
  EXPECT_EQ(element, "a\\x2Cb\\x5Bc\\x5D\\x5C");
  EXPECT_EQ(Unescape(Unescape(Escape(element))), "a,b[c]\\");
}

Event EventOf(Event::Kind kind, const char* object, const char* member = "", long dispid = 0,
              const char* flags = "") {
  Event e;
  e.kind = kind;
  e.pid = 42;
  e.object = object;
  e.member = member;
  e.dispid = dispid;
  e.flags = flags;
  return e;
}

// Every form of line the servers write reads back as the event it was written from.
TEST(JournalLine, ReadsBackEveryFormItWrites) {
  using enum Event::Kind;
  Event call = EventOf(Call, "Session#1", "Logon", 119, "method");
  call.byName = true;
  call.argc = 2;
  call.named = {6};
  call.args = {ParseValue("VT_ARRAY|VT_VARIANT:[VT_I4:3604510,VT_BSTR:a\\x2Cb]"),
               ParseValue("VT_BSTR|VT_BYREF:EXCHANGE1\npelt\ttest\\x")};
  call.ok = true;
  call.result = ParseValue("VT_EMPTY:");
  Event lookup = EventOf(Call, "Session#1", "Logon", 119, "lookup");
  lookup.byName = true;
  lookup.names = "Password,Bogus";
  lookup.error = -2147352570;
  Event failed = EventOf(Call, "Folder#1", "Folders", 24594, "method|get");
  failed.argc = 1;
  failed.args = {ParseValue("VT_BSTR:Missing")};
  failed.error = -2147221233;
  failed.description = "[Collaboration Data Objects - [MAPI_E_NOT_FOUND(8004010F)]]";

  EXPECT_EQ(Line(call),
            "call\tpid=42\tobj=Session#1\tmember=Logon\tdispid=119\tby=name\tflags=method\targc=2"
            "\tnamed=6\targ0=VT_ARRAY|VT_VARIANT:[VT_I4:3604510,VT_BSTR:a\\\\x2Cb]"
            "\targ1=VT_BSTR|VT_BYREF:EXCHANGE1\\npelt\\ttest\\\\x\tresult=ok\tret=VT_EMPTY:\r\n");
  EXPECT_EQ(Line(lookup),
            "call\tpid=42\tobj=Session#1\tmember=Logon\tdispid=119\tby=name\tflags=lookup"
            "\tnames=Password,Bogus\tresult=error\terror=-2147352570\tdesc=\r\n");
  for (Event e :
       {EventOf(Created, "Session#1"), call, lookup, failed, EventOf(Released, "Folder#1")}) {
    std::string line = Line(e);
    ASSERT_TRUE(line.ends_with("\r\n"));
    line.resize(line.size() - 2);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    e.type = e.object.substr(0, e.object.find('#'));
    e.line = line;
    EXPECT_EQ(Parse(line), e) << line;
  }
  for (const char* other : {"opened\tpid=1\tobj=Session#1", "created\tpid=1", "created\tpid=1\tobj",
                            "call\tpid=1\tobj=Session#1\tmember=Logon"}) {
    EXPECT_EQ(Parse(other), std::nullopt) << other;
  }
}

TEST(JournalValue, NamesItsTypeAndItsElements) {
  EXPECT_EQ(TypeText(0x4002), "VT_I2|VT_BYREF");
  EXPECT_EQ(TypeText(0x200C), "VT_ARRAY|VT_VARIANT");
  EXPECT_EQ(TypeText(73), "VT_73");
  for (std::uint16_t vt : {0, 2, 3, 8, 9, 10, 11, 12, 23, 73, 0x4002, 0x400C, 0x200C, 0x6003}) {
    EXPECT_EQ(ParseValue(TypeText(vt) + ":x").vt, vt) << TypeText(vt);
  }
  EXPECT_EQ(ParseValue("VT_BOGUS:x").vt, kVtIllegal);

  const Value ref = ParseValue("VT_I2|VT_BYREF:4");
  EXPECT_TRUE(ref.ByRef());
  EXPECT_EQ(ref.Base(), 2);
  EXPECT_EQ(ref.text, "4");
  EXPECT_TRUE(ParseValue("VT_ERROR:-2147352572").Omitted());
  EXPECT_FALSE(ParseValue("VT_I4:-2147352572").Omitted());

  const auto elements = ParseValue("VT_ARRAY|VT_VARIANT:[VT_I4:1,VT_BSTR:a\\x2Cb]").Elements();
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[0].vt, 3);
  EXPECT_EQ(elements[1].text, "a,b");
  EXPECT_TRUE(ParseValue("VT_ARRAY|VT_VARIANT:[]").Elements().empty());
}

}  // namespace
}  // namespace standin::journal
