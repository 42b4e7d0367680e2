// "GetRow" and "GetRows" through the revealed window: the two message boxes
// of a run, what the table object was asked, and the order in which the run
// lets go of the table and the session.
#include <gtest/gtest.h>

#include "e2e/driver/harness.h"

namespace pelterwyn::e2e {
namespace {

constexpr const char* kEarlier = "earlier text";
constexpr const char* kSmithFolder = "EXCHANGE1\\jsmith\\Inbox\\In Process";
constexpr const char* kTestFolder = "EXCHANGE1\\pelttest\\Inbox\\In Process";
constexpr const char* kSubjectTag = "3604510";       // 0x0037001E
constexpr const char* kSenderNameTag = "203030558";  // 0x0C1A001E

class TableTest : public EndToEnd {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Reveal());
    app.SetText(ControlId::txtResult, kEarlier);
  }

  // Clicks the button and answers the two boxes, which must say `boxes`.
  Outcome Run(ControlId button, const std::vector<std::string>& boxes) {
    const Outcome run = Click(button, 2);
    EXPECT_EQ(run.settled, Settled::Idle);
    EXPECT_EQ(run.BoxTexts(), boxes);
    for (std::size_t i = 0; i < std::min(boxes.size(), run.boxes.size()); ++i) {
      ExpectBox(run.boxes[i], boxes[i], BoxIcon::None);
    }
    // The count is shown before the columns are chosen.
    if (!run.boxes.empty()) {
      EXPECT_EQ(run.boxes[0].journal.Count("MAPITable", "Columns"), 0);
    }
    EXPECT_EQ(run.BoxAfter(), kEarlier) << "a run leaves the box alone";
    return run;
  }

  // The end of every run that got past the logon: detach, release, log off.
  static void ExpectOrderlyEnd(const Journal& journal) {
    const auto story = journal.Story();
    const auto detach = LastIndexOf(story, "MAPITable.Item");
    const auto table = IndexOf(story, "released MAPITable");
    const auto logoff = IndexOf(story, "Session.Logoff");
    const auto session = IndexOf(story, "released Session");
    EXPECT_GE(detach, 0) << Joined(story);
    EXPECT_LT(detach, table) << Joined(story);
    EXPECT_LT(table, logoff) << Joined(story);
    EXPECT_LT(logoff, session) << Joined(story);
    const auto items = journal.Calls("MAPITable", "Item");
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.back().args.at(0).type + ":" + items.back().args.at(0).text,
              "VT_DISPATCH:null");
    EXPECT_EQ(journal.Unreleased(), std::vector<std::string>{});
  }
};

TEST_F(TableTest, GetRowFetchesEveryRowOfTheTypedMailboxOneByOne) {
  store.AddMessage(kSmithFolder, "A fifth row", "Zoe Fifth");
  ASSERT_EQ(store.CountMessages(kSmithFolder), 5);
  Fill({.server = "EXCHANGE1", .mailbox = "jsmith"});
  const Journal journal =
      Run(ControlId::cmdGetRow, {"MAPITable.RowCount = 5", "Sum of rows=5"}).journal;

  const auto logon = journal.Calls("Session", "Logon");
  ASSERT_EQ(logon.size(), 1u);
  EXPECT_EQ(logon[0].dispid, 119);
  EXPECT_EQ(logon[0].named, std::vector<long>{6});
  ASSERT_EQ(logon[0].args.size(), 1u);
  EXPECT_EQ(logon[0].args[0].text, "EXCHANGE1\njsmith");
  const auto inbox = journal.Calls("Session", "GetDefaultFolder");
  ASSERT_EQ(inbox.size(), 1u);
  EXPECT_EQ(inbox[0].args.at(0).type + ":" + inbox[0].args.at(0).text, "VT_I4:1");
  const auto folders = journal.Calls("Folder", "Folders");
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_TRUE(folders[0].byName);
  EXPECT_EQ(folders[0].args.at(0).Base(), VT_BSTR);
  EXPECT_EQ(folders[0].args.at(0).text, "In Process");

  // Every call on the table object goes by name.
  std::vector<std::string> tableCalls;
  for (const JournalEvent& call : journal.Invocations()) {
    if (call.type != "MAPITable") continue;
    EXPECT_TRUE(call.byName) << call.line;
    tableCalls.push_back(call.member);
  }
  EXPECT_EQ(Joined(tableCalls), Joined({"Item", "RowCount", "Columns", "Sort", "GoToFirst",
                                        "GetRow", "GetRow", "GetRow", "GetRow", "GetRow", "Item"}));
  const auto items = journal.Calls("MAPITable", "Item");
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].args.at(0).Base(), VT_DISPATCH);
  EXPECT_TRUE(items[0].args.at(0).text.starts_with("Messages#")) << items[0].line;
  EXPECT_TRUE(items[0].ok) << items[0].line;

  const auto columns = journal.Calls("MAPITable", "Columns");
  ASSERT_EQ(columns.size(), 1u);
  ASSERT_EQ(columns[0].args.size(), 1u);
  EXPECT_TRUE(columns[0].args[0].vt & VT_ARRAY) << columns[0].line;
  const auto tags = columns[0].args[0].Elements();
  ASSERT_EQ(tags.size(), 2u) << columns[0].line;
  EXPECT_EQ(tags[0].type + ":" + tags[0].text, std::string("VT_I4:") + kSubjectTag);
  EXPECT_EQ(tags[1].type + ":" + tags[1].text, std::string("VT_I4:") + kSenderNameTag);
  EXPECT_TRUE(columns[0].ok) << columns[0].line;
  const auto sort = journal.Calls("MAPITable", "Sort");
  ASSERT_EQ(sort.size(), 1u);
  ASSERT_EQ(sort[0].args.size(), 1u) << "no direction: " << sort[0].line;
  EXPECT_EQ(sort[0].args[0].type + ":" + sort[0].args[0].text,
            std::string("VT_I4:") + kSenderNameTag);
  for (const JournalEvent& row : journal.Calls("MAPITable", "GetRow")) {
    EXPECT_TRUE(row.args.empty()) << row.line;
    EXPECT_TRUE(row.ok) << row.line;
  }
  ExpectOrderlyEnd(journal);
}

TEST_F(TableTest, GetRowsReadsTheFixedMailboxInBlocksUntilTheTableRunsDry) {
  const auto getRowsArgs = [](const Journal& journal) {
    std::vector<std::string> asked;
    for (const JournalEvent& call : journal.Calls("MAPITable", "GetRows")) {
      EXPECT_EQ(call.args.size(), 1u) << call.line;
      if (!call.args.empty()) asked.push_back(call.args[0].type + ":" + call.args[0].text);
    }
    return asked;
  };
  {
    SCOPED_TRACE("empty fields, two rows, all in the first block");
    const Journal journal =
        Run(ControlId::cmdGetRows, {"MAPITable.RowCount = 2", "Row count after GetRows = 2"})
            .journal;
    const auto logon = journal.Calls("Session", "Logon");
    ASSERT_EQ(logon.size(), 1u);
    EXPECT_EQ(logon[0].args.at(0).text, "EXCHANGE1\npelttest");
    EXPECT_EQ(getRowsArgs(journal), std::vector<std::string>{"VT_I2|VT_BYREF:2"});
    ExpectOrderlyEnd(journal);
  }
  {
    SCOPED_TRACE("fields naming another mailbox, an empty folder");
    Fill({.server = "EXCHANGE1", .mailbox = "jsmith"});
    store.EmptyFolder(kTestFolder);
    const Journal journal =
        Run(ControlId::cmdGetRows, {"MAPITable.RowCount = 0", "Row count after GetRows = 0"})
            .journal;
    EXPECT_EQ(journal.Calls("Session", "Logon").at(0).args.at(0).text, "EXCHANGE1\npelttest");
    EXPECT_EQ(getRowsArgs(journal), std::vector<std::string>{"VT_I2|VT_BYREF:0"});
    ExpectOrderlyEnd(journal);
  }
  {
    SCOPED_TRACE("250 rows, at most 100 a call");
    for (int i = 0; i < 250; ++i) {
      store.AddMessage(kTestFolder, "Row " + std::to_string(i), "Sender " + std::to_string(i));
    }
    store.SetIni("faults.ini", "table", "MaxRowsPerCall", "100");
    const Journal journal =
        Run(ControlId::cmdGetRows, {"MAPITable.RowCount = 250", "Row count after GetRows = 250"})
            .journal;
    EXPECT_EQ(getRowsArgs(journal),
              (std::vector<std::string>{"VT_I2|VT_BYREF:250", "VT_I2:150", "VT_I2:50", "VT_I2:0"}));
    const auto blocks = journal.Calls("MAPITable", "GetRows");
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(blocks.back().result.vt, VT_EMPTY) << "the loop stops at an empty result";
    ExpectOrderlyEnd(journal);
  }
}

TEST_F(TableTest, WithoutTheTableObjectOrTheFolderBothTestsShowZerosAndLogOff) {
  Fill({.server = "EXCHANGE1", .mailbox = "jsmith"});
  {
    SCOPED_TRACE("no Redemption.MAPITable registered");
    ASSERT_NO_FATAL_FAILURE(registry.Hide(HKEY_LOCAL_MACHINE, kTableProgIdKey));
    for (const auto& [button, last] :
         {std::pair{ControlId::cmdGetRow, "Sum of rows=0"},
          std::pair{ControlId::cmdGetRows, "Row count after GetRows = 0"}}) {
      SCOPED_TRACE(std::string(ControlInfo(button).name));
      const Journal journal = Run(button, {"MAPITable.RowCount = 0", last}).journal;
      EXPECT_EQ(journal.CountCreated("MAPITable"), 0);
      const auto story = journal.Story();
      EXPECT_LT(IndexOf(story, "Session.Logoff"), IndexOf(story, "released Session"));
      EXPECT_EQ(journal.Count("Session", "Logoff"), 1);
      EXPECT_EQ(journal.Unreleased(), std::vector<std::string>{});
    }
  }
  {
    SCOPED_TRACE("no In Process folder");
    store.RemoveFolder(kSmithFolder);
    store.RemoveFolder(kTestFolder);
    for (const auto& [button, last] :
         {std::pair{ControlId::cmdGetRow, "Sum of rows=0"},
          std::pair{ControlId::cmdGetRows, "Row count after GetRows = 0"}}) {
      SCOPED_TRACE(std::string(ControlInfo(button).name));
      const Journal journal = Run(button, {"MAPITable.RowCount = 0", last}).journal;
      const auto folders = journal.Calls("Folder", "Folders");
      ASSERT_EQ(folders.size(), 1u);
      EXPECT_FALSE(folders[0].ok) << folders[0].line;
      EXPECT_EQ(journal.Count("Session", "Logoff"), 1);
      EXPECT_EQ(journal.Unreleased(), std::vector<std::string>{});
    }
  }
}

TEST_F(TableTest, ALogonFailureIsAppendedBelowTheEarlierTextWithoutABox) {
  Fill({.server = "EXCHANGE1", .mailbox = "nobody"});
  std::string expected = kEarlier;
  for (ControlId button : {ControlId::cmdGetRow, ControlId::cmdGetRows}) {
    SCOPED_TRACE(std::string(ControlInfo(button).name));
    if (button == ControlId::cmdGetRows) {
      store.SetFault("Session.Logon", "fail -2147221231");
    }
    const Outcome run = Click(button);
    ExpectIdle(run);
    const Journal& journal = run.journal;
    const auto logon = journal.Calls("Session", "Logon");
    ASSERT_EQ(logon.size(), 1u);
    ASSERT_FALSE(logon[0].ok);
    ASSERT_FALSE(logon[0].description.empty());
    expected += "\r\nLogon error: " + logon[0].description;
    EXPECT_EQ(run.BoxAfter(), expected);
    EXPECT_EQ(Joined(journal.Story()),
              Joined({"created Session", "Session.Logon", "released Session"}));
  }
}

}  // namespace
}  // namespace pelterwyn::e2e
