#include <gtest/gtest.h>

#include "store/faults.h"

namespace standin::store {
namespace {

Faults FromText(std::string_view text) { return Faults::Parse(IniFile::Parse(text)); }

TEST(Faults, ReadsEveryKindOfRule) {
  const Faults f = FromText(
      "[faults]\n"
      "Session.Logon = fail -2147221231\n"
      "session.inbox = NOTHING\n"
      "Messages.Count#2 = fail 0x80004005 The Count is not available.\n"
      "Session.Name = deferred 80040605h\n"
      "Message.Send = fail 5\n"
      "[session]\n"
      "NameBeforeLogon = Outlook\n"
      "LoggedOnAtStart = EXCHANGE1\\pelttest\n"
      "[table]\n"
      "RowCount = 40000\n"
      "MaxRowsPerCall = 100\n"
      "NeverEmpty = yes\n");
  EXPECT_TRUE(f.Problems().empty()) << f.Problems().front();

  const Fault* logon = f.Find("Session", "Logon", 1);
  ASSERT_NE(logon, nullptr);
  EXPECT_EQ(logon->kind, Fault::Kind::Fail);
  EXPECT_EQ(logon->number, -2147221231);
  EXPECT_EQ(logon->description, "");
  EXPECT_EQ(f.Find("SESSION", "logon", 7), logon);  // every call, names without regard to case

  EXPECT_EQ(f.Find("Session", "Inbox", 1)->kind, Fault::Kind::Nothing);
  EXPECT_EQ(f.Find("Session", "Outbox", 1), nullptr);
  EXPECT_EQ(f.Find("Folder", "Inbox", 1), nullptr);

  EXPECT_EQ(f.Find("Messages", "Count", 1), nullptr);  // only the second call
  const Fault* count = f.Find("Messages", "Count", 2);
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->number, static_cast<std::int32_t>(0x80004005));
  EXPECT_EQ(count->description, "The Count is not available.");
  EXPECT_EQ(f.Find("Messages", "Count", 3), nullptr);

  EXPECT_EQ(f.Find("Session", "Name", 1)->kind, Fault::Kind::DeferredFail);
  EXPECT_EQ(f.Find("Session", "Name", 1)->number, -2147219963);
  EXPECT_EQ(f.Find("Message", "Send", 1)->number, 5);

  EXPECT_EQ(f.session.nameBeforeLogon, "Outlook");
  EXPECT_EQ(f.session.loggedOnAtStart, "EXCHANGE1\\pelttest");
  EXPECT_EQ(f.table.rowCount, 40000);
  EXPECT_EQ(f.table.maxRowsPerCall, 100);
  EXPECT_TRUE(f.table.neverEmpty);
}

TEST(Faults, ARuleForOneCallWinsOverARuleForEveryCall) {
  const Faults f =
      FromText("[faults]\nSession.Logon = fail 0x80040111\nSession.Logon#3 = fail 0x80040115\n");
  EXPECT_EQ(f.Find("Session", "Logon", 2)->number, -2147221231);
  EXPECT_EQ(f.Find("Session", "Logon", 3)->number, -2147221227);
}

TEST(Faults, EveryLineItCannotUnderstandIsAProblem) {
  const Faults f = FromText(
      "[faults]\n"
      "Session.Logon = fial -1\n"
      "SessionLogon = fail -1\n"
      "Session.Logon#0 = fail -1\n"
      "Session.Logon = fail\n"
      "Session.Logon = fail 0\n"
      "Session.Logon = fail 0x1FFFFFFFF\n"
      "Session.Inbox = nothing at all\n"
      "junk\n"
      "[session]\nNameBeforLogon = x\nLoggedOnAtStart = no-backslash\n"
      "[table]\nMaxRowsPerCall = 0\nNeverEmpty = maybe\nRowCount = many\nColumns = 1\n"
      "[fault]\n");
  ASSERT_EQ(f.Problems().size(), 15u);
  EXPECT_EQ(f.Problems()[0], "faults.ini line 9: not a [section] or key = value line");
  EXPECT_EQ(f.Problems()[1], "faults.ini line 18: unknown section [fault]");
  EXPECT_NE(f.Problems()[2].find("line 2:"), std::string::npos);
  EXPECT_EQ(f.Find("Session", "Logon", 1), nullptr);
}

TEST(Faults, NoFileMeansNoFaults) {
  const Faults f = Faults::Load("/nonexistent/standins/root");
  EXPECT_TRUE(f.Problems().empty());
  EXPECT_EQ(f.Find("Session", "Logon", 1), nullptr);
  EXPECT_FALSE(f.table.maxRowsPerCall);
}

TEST(Numbers, TakeDecimalAndHexForms) {
  EXPECT_EQ(ParseNumber("-2147221231"), -2147221231);
  EXPECT_EQ(ParseNumber("0x80040111"), -2147221231);
  EXPECT_EQ(ParseNumber("80040111h"), -2147221231);
  EXPECT_EQ(ParseNumber(" 42 "), 42);
  EXPECT_EQ(ParseNumber("0x"), std::nullopt);
  EXPECT_EQ(ParseNumber("12abc"), std::nullopt);
  EXPECT_EQ(ParseNumber("-0x5"), std::nullopt);
  EXPECT_EQ(ParseFlag("Yes"), true);
  EXPECT_EQ(ParseFlag("off"), false);
  EXPECT_EQ(ParseFlag("perhaps"), std::nullopt);
}

}  // namespace
}  // namespace standin::store
