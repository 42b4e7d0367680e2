// "GetRow" and "GetRows" through the revealed window: the two message boxes
// of a run, what the table object was asked, and the order in which the run
// lets go of the table and the session.
#include <gtest/gtest.h>

#include "e2e/hidden_support.h"

namespace pelterwyn::e2e {
namespace {

using namespace hidden;

constexpr const char* kEarlier = "earlier text";
constexpr const char* kSmithFolder = "EXCHANGE1\\jsmith\\Inbox\\In Process";
constexpr const char* kTestFolder = "EXCHANGE1\\pelttest\\Inbox\\In Process";
constexpr const char* kSubjectTag = "3604510";       // 0x0037001E
constexpr const char* kSenderNameTag = "203030558";  // 0x0C1A001E

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app.Start()) << app.Error();
    ShowAllTests(app);
    app.SetText(ControlId::txtResult, kEarlier);
  }

  // Clicks the button and answers both boxes; their texts, and the journal.
  std::vector<std::string> Run(ControlId button, Slice* journal = nullptr) {
    const JournalMark mark(store);
    app.Click(button);
    std::vector<std::string> boxes;
    for (int i = 0; i < 2; ++i) {
      const auto box = app.WaitForBox(30000);
      if (!box) {
        ADD_FAILURE() << "no message box " << i + 1;
        break;
      }
      ExpectPlainBox(*box);
      boxes.push_back(box->text);
      // The count is shown before the columns are chosen.
      if (i == 0) {
        EXPECT_EQ(mark.Take().Count("MAPITable", "Columns"), 0);
      }
      EXPECT_TRUE(app.Dismiss(*box)) << box->text;
    }
    EXPECT_EQ(app.WaitSettled(10000), Settled::Idle);
    if (journal) *journal = mark.Take();
    EXPECT_EQ(app.Text(ControlId::txtResult), kEarlier) << "a run leaves the box alone";
    return boxes;
  }

  // The end of every run that got past the logon: detach, release, log off.
  static void ExpectOrderlyEnd(const Slice& journal) {
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

  StoreFixture store;
  App app;
};

TEST_F(TableTest, GetRowFetchesEveryRowOfTheTypedMailboxOneByOne) {
  store.AddMessage(kSmithFolder, "A fifth row", "Zoe Fifth");
  ASSERT_EQ(store.CountMessages(kSmithFolder), 5);
  app.SetText(ControlId::txtServer, "EXCHANGE1");
  app.SetText(ControlId::txtAlias, "jsmith");
  Slice journal;
  EXPECT_EQ(Run(ControlId::cmdGetRow, &journal),
            (std::vector<std::string>{"MAPITable.RowCount = 5", "Sum of rows=5"}));

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
  const auto getRowsArgs = [](const Slice& journal) {
    std::vector<std::string> asked;
    for (const JournalEvent& call : journal.Calls("MAPITable", "GetRows")) {
      EXPECT_EQ(call.args.size(), 1u) << call.line;
      if (!call.args.empty()) asked.push_back(call.args[0].type + ":" + call.args[0].text);
    }
    return asked;
  };
  {
    SCOPED_TRACE("empty fields, two rows, all in the first block");
    Slice journal;
    EXPECT_EQ(Run(ControlId::cmdGetRows, &journal),
              (std::vector<std::string>{"MAPITable.RowCount = 2", "Row count after GetRows = 2"}));
    const auto logon = journal.Calls("Session", "Logon");
    ASSERT_EQ(logon.size(), 1u);
    EXPECT_EQ(logon[0].args.at(0).text, "EXCHANGE1\npelttest");
    EXPECT_EQ(getRowsArgs(journal), std::vector<std::string>{"VT_I2|VT_BYREF:2"});
    ExpectOrderlyEnd(journal);
  }
  {
    SCOPED_TRACE("fields naming another mailbox, an empty folder");
    app.SetText(ControlId::txtServer, "EXCHANGE1");
    app.SetText(ControlId::txtAlias, "jsmith");
    store.EmptyFolder(kTestFolder);
    Slice journal;
    EXPECT_EQ(Run(ControlId::cmdGetRows, &journal),
              (std::vector<std::string>{"MAPITable.RowCount = 0", "Row count after GetRows = 0"}));
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
    Slice journal;
    EXPECT_EQ(
        Run(ControlId::cmdGetRows, &journal),
        (std::vector<std::string>{"MAPITable.RowCount = 250", "Row count after GetRows = 250"}));
    EXPECT_EQ(getRowsArgs(journal),
              (std::vector<std::string>{"VT_I2|VT_BYREF:250", "VT_I2:150", "VT_I2:50", "VT_I2:0"}));
    const auto blocks = journal.Calls("MAPITable", "GetRows");
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(blocks.back().result.vt, VT_EMPTY) << "the loop stops at an empty result";
    ExpectOrderlyEnd(journal);
  }
}

TEST_F(TableTest, WithoutTheTableObjectOrTheFolderBothTestsShowZerosAndLogOff) {
  app.SetText(ControlId::txtServer, "EXCHANGE1");
  app.SetText(ControlId::txtAlias, "jsmith");
  {
    SCOPED_TRACE("no Redemption.MAPITable registered");
    DeleteRegTree(kTableProgId);
    for (const auto& [button, last] :
         {std::pair{ControlId::cmdGetRow, "Sum of rows=0"},
          std::pair{ControlId::cmdGetRows, "Row count after GetRows = 0"}}) {
      SCOPED_TRACE(std::string(ControlInfo(button).name));
      Slice journal;
      EXPECT_EQ(Run(button, &journal), (std::vector<std::string>{"MAPITable.RowCount = 0", last}));
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
      Slice journal;
      EXPECT_EQ(Run(button, &journal), (std::vector<std::string>{"MAPITable.RowCount = 0", last}));
      const auto folders = journal.Calls("Folder", "Folders");
      ASSERT_EQ(folders.size(), 1u);
      EXPECT_FALSE(folders[0].ok) << folders[0].line;
      EXPECT_EQ(journal.Count("Session", "Logoff"), 1);
      EXPECT_EQ(journal.Unreleased(), std::vector<std::string>{});
    }
  }
}

TEST_F(TableTest, ALogonFailureIsAppendedBelowTheEarlierTextWithoutABox) {
  app.SetText(ControlId::txtServer, "EXCHANGE1");
  app.SetText(ControlId::txtAlias, "nobody");
  std::string expected = kEarlier;
  for (ControlId button : {ControlId::cmdGetRow, ControlId::cmdGetRows}) {
    SCOPED_TRACE(std::string(ControlInfo(button).name));
    if (button == ControlId::cmdGetRows) {
      store.SetFault("Session.Logon", "fail -2147221231");
    }
    const JournalMark mark(store);
    RunTest(app, button);
    const Slice journal = mark.Take();
    const auto logon = journal.Calls("Session", "Logon");
    ASSERT_EQ(logon.size(), 1u);
    ASSERT_FALSE(logon[0].ok);
    ASSERT_FALSE(logon[0].description.empty());
    expected += "\r\nLogon error: " + logon[0].description;
    EXPECT_EQ(app.Text(ControlId::txtResult), expected);
    EXPECT_EQ(Joined(journal.Story()),
              Joined({"created Session", "Session.Logon", "released Session"}));
  }
}

}  // namespace
}  // namespace pelterwyn::e2e
