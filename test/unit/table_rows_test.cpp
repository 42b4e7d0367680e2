#include <gtest/gtest.h>

#include "tests/table_rows.h"
#include "tool_on_fakes.h"

namespace pelterwyn {
namespace {

using Strings = std::vector<std::string>;

struct TableTestRun : ::testing::Test {
  fakes::ToolOnFakes h;
  void SetUp() override {
    h.Type(ControlId::txtServer, "EXCHANGE1");
    h.Type(ControlId::txtAlias, "jsmith");
  }
  void Rows(std::int32_t rows, std::int32_t perCall = INT_MAX) {
    h.world.tableRowCount = rows;
    h.world.tableRows = rows;
    h.world.rowsPerCall = perCall;
  }
  Strings Boxes() const {
    Strings texts;
    for (const auto& b : h.window.boxes) {
      EXPECT_EQ(b.style, kMbOk) << b.text;
      texts.push_back(b.text);
    }
    return texts;
  }
};

TEST_F(TableTestRun, GetRowReadsEachRowOnceAfterArrangingTheTable) {
  Rows(5);
  h.Result() = "untouched";
  h.Click(ControlId::cmdGetRow);
  EXPECT_EQ(Boxes(), (Strings{"MAPITable.RowCount = 5", "Sum of rows=5"}));
  EXPECT_EQ(h.world.Count("Table.GetRow("), 5);
  EXPECT_EQ(h.world.Calls("Session.Logon"), Strings{"Session.Logon[named](EXCHANGE1\njsmith)"});
  EXPECT_EQ(h.world.Calls("Session.GetDefaultFolder"), Strings{"Session.GetDefaultFolder(1)"});
  EXPECT_EQ(h.world.Calls("Folder.Folders"), Strings{"Folder.Folders(In Process)"});
  EXPECT_EQ(h.world.Calls("Table.Columns"), Strings{"Table.Columns(3604510,203030558)"});
  EXPECT_EQ(h.world.Calls("Table.Sort"), Strings{"Table.Sort(203030558)"});
  EXPECT_EQ(h.Result(), "untouched");
}

TEST_F(TableTestRun, EndsByDetachingReleasingLoggingOffInThatOrder) {
  Rows(2);
  h.Click(ControlId::cmdGetRow);
  auto& j = h.world.journal;
  const auto detach = std::find(j.begin(), j.end(), "Table.Item(nothing)");
  ASSERT_NE(detach, j.end());
  EXPECT_EQ(Strings(detach, j.end()),
            (Strings{"Table.Item(nothing)", "release Table", "Session.Logoff()", "release Session",
                     "release Folder"}));
  EXPECT_EQ(h.world.Count("Table.Item(messages)"), 1);
  EXPECT_EQ(h.world.live, 0);
}

TEST_F(TableTestRun, EmptyFolderAsksGetRowsOnceForNothing) {
  Rows(0);
  h.Click(ControlId::cmdGetRows);
  EXPECT_EQ(Boxes(), (Strings{"MAPITable.RowCount = 0", "Row count after GetRows = 0"}));
  EXPECT_EQ(h.world.Calls("Table.GetRows"), Strings{"Table.GetRows(0,byref)"});
  fakes::ToolOnFakes row;
  row.Click(ControlId::cmdGetRow);
  EXPECT_EQ(row.world.Count("Table.GetRow("), 0);
  EXPECT_EQ(row.window.boxes.back().text, "Sum of rows=0");
}

TEST_F(TableTestRun, GetRowsAsksForTheRemainderUntilAnEmptyResult) {
  Rows(250, 100);
  h.Click(ControlId::cmdGetRows);
  EXPECT_EQ(h.world.Calls("Table.GetRows"),
            (Strings{"Table.GetRows(250,byref)", "Table.GetRows(150,byval)",
                     "Table.GetRows(50,byval)", "Table.GetRows(0,byval)"}));
  EXPECT_EQ(Boxes().back(), "Row count after GetRows = 250");
}

TEST_F(TableTestRun, GetRowsWholeTableInOneCallAndFixedMailbox) {
  Rows(7);
  h.Type(ControlId::txtServer, "");
  h.Type(ControlId::txtAlias, "someone else");
  h.Click(ControlId::cmdGetRows);
  EXPECT_EQ(h.world.Calls("Table.GetRows"), Strings{"Table.GetRows(7,byref)"});
  EXPECT_EQ(Boxes().back(), "Row count after GetRows = 7");
  EXPECT_EQ(h.world.Calls("Session.Logon"), Strings{"Session.Logon[named](EXCHANGE1\npelttest)"});
}

TEST_F(TableTestRun, MissingFolderOrTableGivesZerosAndANormalLogoff) {
  for (const char* fault : {"Folder.Folders", "CreateTable", "Table.RowCount"}) {
    fakes::ToolOnFakes run;
    run.world.tableRowCount = run.world.tableRows = 4;
    run.world.faults[fault] = {-2147221233, "[MAPI_E_NOT_FOUND]"};
    run.Click(ControlId::cmdGetRows);
    ASSERT_EQ(run.window.boxes.size(), 2u) << fault;
    EXPECT_EQ(run.window.boxes[0].text, "MAPITable.RowCount = 0") << fault;
    EXPECT_EQ(run.window.boxes[1].text, "Row count after GetRows = 0") << fault;
    EXPECT_EQ(run.world.Count("Session.Logoff("), 1) << fault;
    EXPECT_EQ(run.world.live, 0) << fault;
  }
}

TEST_F(TableTestRun, RowCountAbove16BitsReadsAsZero) {
  Rows(40000);
  h.Click(ControlId::cmdGetRow);
  EXPECT_EQ(Boxes(), (Strings{"MAPITable.RowCount = 0", "Sum of rows=0"}));
}

TEST_F(TableTestRun, EarlyFailuresWriteTheResultBox) {
  h.Result() = "earlier";
  h.world.faults["Session.Logon[named]"] = {-2147221231, "[MAPI_E_LOGON_FAILED(80040111)]"};
  h.Click(ControlId::cmdGetRows);
  EXPECT_EQ(h.Result(), "earlier\r\nLogon error: [MAPI_E_LOGON_FAILED(80040111)]");
  EXPECT_TRUE(h.window.boxes.empty());
  EXPECT_EQ(h.world.Count("Session.Logoff("), 0);
  EXPECT_EQ(h.world.live, 0);

  fakes::ToolOnFakes none;
  none.Result() = "earlier";
  none.world.noObject.insert("CreateSession");
  none.Click(ControlId::cmdGetRow);
  EXPECT_EQ(none.Result(), "Error instantiating CDO: ");
}

// The block read on its own, against tables that misbehave.
struct BlockRead : ::testing::Test {
  fakes::MailWorld world;
  fakes::FakeTable table{world};
  fakes::FakeMessages messages{world};
  ErrorState err;
  void SetUp() override { table.SetItem(&messages, err); }
};

TEST_F(BlockRead, AFirstResultThatIsNoArrayIsReadOnLikeAShortOne) {
  world.tableRows = 3;
  world.blockKind = mail::RowBlock::Kind::NotAnArray;
  EXPECT_EQ(ReadInBlocks(&table, 3, err), 0);
  EXPECT_EQ(world.Calls("Table.GetRows"),
            (Strings{"Table.GetRows(3,byref)", "Table.GetRows(3,byval)"}));
}

TEST_F(BlockRead, ATableThatNeverEndsIsBounded) {
  world.tableRows = 10;
  world.rowsPerCall = 4;
  world.tableNeverEmpty = true;
  const std::int16_t total = ReadInBlocks(&table, 10, err);
  EXPECT_EQ(world.Count("Table.GetRows("), 1 + kMaxGetRowsCallsInLoop);
  // 4 + 4 + 2, then one row a call until the next one would pass 32767.
  EXPECT_EQ(total, 32767);
}

TEST_F(BlockRead, TheTotalStopsGrowingPast32767WhileTheLoopGoesOn) {
  world.tableRows = 100000;
  world.rowsPerCall = 30000;
  world.tableNeverEmpty = true;
  const std::int16_t total = ReadInBlocks(&table, 32767, err);
  EXPECT_EQ(total, 32767);
  const Strings calls = world.Calls("Table.GetRows");
  ASSERT_EQ(calls.size(), 1u + kMaxGetRowsCallsInLoop);
  EXPECT_EQ(calls[0], "Table.GetRows(32767,byref)");
  EXPECT_EQ(calls[1], "Table.GetRows(2767,byval)");
  EXPECT_EQ(calls[2], "Table.GetRows(0,byval)");
  EXPECT_EQ(calls.back(), "Table.GetRows(0,byval)");
}

TEST_F(BlockRead, AFailingCallEndsTheLoopAndOnlyRowsReallyGotCount) {
  world.tableRows = 250;
  world.rowsPerCall = 100;
  world.faults["Table.GetRows"] = {-2147221227, "[MAPI_E_NETWORK_ERROR(80040115)]", 2};
  EXPECT_EQ(ReadInBlocks(&table, 250, err), 100);
  EXPECT_EQ(world.Calls("Table.GetRows"),
            (Strings{"Table.GetRows(250,byref)", "Table.GetRows(150,byval)"}));

  // The first call failed: the block stayed empty and the loop ended at once.
  fakes::MailWorld failing;
  fakes::FakeTable other{failing};
  other.SetItem(&messages, err);
  failing.tableRows = 5;
  failing.faults["Table.GetRows"] = {-2147221233, "broken"};
  EXPECT_EQ(ReadInBlocks(&other, 5, err), 0);
  EXPECT_EQ(failing.Count("Table.GetRows("), 1);
}

TEST_F(BlockRead, AnUpperBoundOf2147483647IsNoOverflow) {
  // 2^31 rows, more than were asked for: the 16-bit total cannot take them.
  world.tableRows = 3;
  world.claimedRows = std::int64_t{2147483647} + 1;
  EXPECT_EQ(ReadInBlocks(&table, 3, err), 0);
  EXPECT_EQ(world.Count("Table.GetRows("), 1);
}

}  // namespace
}  // namespace pelterwyn
