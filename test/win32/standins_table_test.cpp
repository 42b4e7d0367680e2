// The Redemption.MAPITable stand-in over a stand-in folder, as the table row
// tests read it. Every member is called by name, as the tool calls them.
#include <gtest/gtest.h>

#include "standins_client.h"
#include "support/store_fixture.h"

namespace standins_test {
namespace {

using pelterwyn::testing::StoreFixture;

constexpr LONG kSubjectTag = 0x0037001E;
constexpr LONG kSenderTag = 0x0C1A001E;
constexpr const char* kInProcess = "EXCHANGE1\\jsmith\\Inbox\\In Process";

Variant Columns(std::vector<LONG> tags) {
  SAFEARRAYBOUND bound{static_cast<ULONG>(tags.size()), 0};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
  for (LONG i = 0; i < static_cast<LONG>(tags.size()); ++i) {
    Variant tag = I4(tags[i]);
    SafeArrayPutElement(array, &i, tag.Get());
  }
  return variant::Array(standin::com::SafeArray(array), VT_VARIANT);
}

// Rows and columns of a GetRows block; -1 rows for anything but an array.
std::pair<LONG, LONG> Shape(const Variant& block) {
  if (block.Type() != (VT_ARRAY | VT_VARIANT)) return {-1, -1};
  SAFEARRAY* a = V_ARRAY(block.Get());
  LONG rowsUpper = 0, colsUpper = 0;
  SafeArrayGetUBound(a, 1, &rowsUpper);
  SafeArrayGetUBound(a, 2, &colsUpper);
  return {rowsUpper + 1, colsUpper + 1};
}

// block(row, column) as VB indexes it.
std::wstring Cell(const Variant& block, LONG row, LONG column) {
  LONG index[2] = {row, column};  // in dimension order, as Windows takes them
  Variant cell;
  SafeArrayGetElement(V_ARRAY(block.Get()), index, cell.Get());
  return cell.Type() == VT_BSTR ? std::wstring(V_BSTR(cell.Get())) : L"<?>";
}

class StandinTable : public ::testing::Test {
 protected:
  // Logs on, opens the folder and makes the table object; Item is left to the test.
  void Open() {
    session_ = Create(L"MAPI.Session");
    ASSERT_TRUE(Call(session_.Get(), kLogon, AllLogonArgs(L"EXCHANGE1\njsmith")).ok());
    std::vector<Variant> one;
    one.push_back(I4(1));
    auto inbox = Call(session_.Get(), kGetDefaultFolder, std::move(one)).object();
    std::vector<Variant> name;
    name.push_back(Str(L"In Process"));
    auto folder = ByName(inbox.Get(), L"Folders", DISPATCH_METHOD, std::move(name)).object();
    messages_ = Get(folder.Get(), kMessages).object();
    ASSERT_TRUE(messages_);
    table_ = Create(L"Redemption.MAPITable");
    ASSERT_TRUE(table_);
  }
  void Attach() {
    std::vector<Variant> item;
    item.push_back(Obj(messages_.Get()));
    ASSERT_TRUE(ByName(table_.Get(), L"Item", DISPATCH_PROPERTYPUTREF, std::move(item)).ok());
  }
  Result Run(const wchar_t* member, std::vector<Variant> args = {}) {
    return ByName(table_.Get(), member, DISPATCH_METHOD, std::move(args));
  }
  Result GetRows(SHORT count) {
    std::vector<Variant> args;
    args.push_back(I2(count));
    return Run(L"GetRows", std::move(args));
  }
  void TearDown() override {
    table_ = nullptr;
    messages_ = nullptr;
    session_ = nullptr;
    const auto journal = store_.ReadJournal();
    EXPECT_TRUE(journal.AllReleased()) << ::testing::PrintToString(journal.Unreleased());
  }

  ComScope com_;
  StoreFixture store_;
  ComPtr<IDispatch> session_, messages_, table_;
};

TEST_F(StandinTable, ReadsRowsOneAtATimeInTheSortOrder) {
  Open();
  Attach();
  const Result count = ByName(table_.Get(), L"RowCount", DISPATCH_PROPERTYGET);
  EXPECT_EQ(count.value.Type(), VT_I4);
  EXPECT_EQ(count.i4(), 4);
  std::vector<Variant> columns;
  columns.push_back(Columns({kSubjectTag, kSenderTag}));
  ASSERT_TRUE(ByName(table_.Get(), L"Columns", DISPATCH_PROPERTYPUT, std::move(columns)).ok());
  std::vector<Variant> sort;
  sort.push_back(I4(kSenderTag));
  ASSERT_TRUE(Run(L"Sort", std::move(sort)).ok());
  ASSERT_TRUE(Run(L"GoToFirst").ok());
  const std::vector<std::pair<std::wstring, std::wstring>> expected = {
      {L"Travel request", L"Anna Berg"},
      {L"Contract draft", L"Carl Dahl"},
      {L"Re: Contract draft", L"Carl Dahl"},
      {L"Ticket 4712: new laptop", L"Helpdesk"}};
  for (const auto& [subject, sender] : expected) {
    const Result row = Run(L"GetRow");
    ASSERT_EQ(row.value.Type(), VT_ARRAY | VT_VARIANT);
    Variant cell;
    LONG i = 0;
    SafeArrayGetElement(V_ARRAY(row.value.Get()), &i, cell.Get());
    EXPECT_EQ(std::wstring(V_BSTR(cell.Get())), subject);
    i = 1;
    SafeArrayGetElement(V_ARRAY(row.value.Get()), &i, cell.Put());
    EXPECT_EQ(std::wstring(V_BSTR(cell.Get())), sender);
  }
  EXPECT_EQ(Run(L"GetRow").value.Type(), VT_EMPTY);  // past the last row

  std::vector<Variant> detach;
  detach.push_back(Obj(nullptr));
  ASSERT_TRUE(ByName(table_.Get(), L"Item", DISPATCH_PROPERTYPUT, std::move(detach)).ok());
  EXPECT_EQ(ByName(table_.Get(), L"RowCount", DISPATCH_PROPERTYGET).number, kNotInitialized);

  const auto journal = store_.ReadJournal();
  const auto item = journal.Calls("MAPITable", "Item");
  ASSERT_EQ(item.size(), 2u);
  EXPECT_EQ(item[0].flags, "putref");
  EXPECT_EQ(item[0].args[0].type, "VT_DISPATCH");
  EXPECT_EQ(item[0].args[0].text.substr(0, 9), "Messages#");
  EXPECT_EQ(item[0].named, std::vector<long>{DISPID_PROPERTYPUT});
  EXPECT_EQ(item[1].args[0].text, "null");
  const auto cols = journal.Calls("Columns")[0].args[0];
  EXPECT_EQ(cols.type, "VT_ARRAY|VT_VARIANT");
  ASSERT_EQ(cols.Elements().size(), 2u);
  EXPECT_EQ(cols.Elements()[0].text, "3604510");
  EXPECT_EQ(cols.Elements()[1].type, "VT_I4");
  EXPECT_EQ(journal.Calls("GetRow").size(), 5u);
}

TEST_F(StandinTable, GivesBlocksWithRowsFirstThenAnEmptyValue) {
  Open();
  Attach();
  SHORT wanted = 4;
  std::vector<Variant> byRef;
  byRef.push_back(ShortRef(&wanted));
  const Result all = Run(L"GetRows", std::move(byRef));
  ASSERT_TRUE(all.ok());
  EXPECT_EQ(Shape(all.value), (std::pair<LONG, LONG>{4, 2}));
  EXPECT_EQ(Cell(all.value, 0, 0), L"Ticket 4712: new laptop");  // file order until sorted
  EXPECT_EQ(Cell(all.value, 3, 1), L"Carl Dahl");
  EXPECT_EQ(GetRows(0).value.Type(), VT_EMPTY);

  ASSERT_TRUE(Run(L"GoToFirst").ok());
  EXPECT_EQ(Shape(GetRows(3).value).first, 3);
  EXPECT_EQ(Shape(GetRows(3).value).first, 1);
  EXPECT_EQ(GetRows(3).value.Type(), VT_EMPTY);

  const auto calls = store_.ReadJournal().Calls("GetRows");
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].args[0].type, "VT_I2|VT_BYREF");
  EXPECT_EQ(calls[0].args[0].text, "4");
  EXPECT_EQ(calls[0].result.type, "VT_ARRAY|VT_VARIANT");
  EXPECT_EQ(calls[0].result.text, "[4x2]");
  EXPECT_EQ(calls[1].args[0].type, "VT_I2");
  EXPECT_EQ(calls[1].result.type, "VT_EMPTY");
}

TEST_F(StandinTable, HandsOutAtMostTheRowsPerCallAFaultAllows) {
  for (int i = 0; i < 246; ++i) store_.AddMessage(kInProcess, "Bulk " + std::to_string(i), "Bulk");
  store_.SetIni("faults.ini", "table", "MaxRowsPerCall", "100");
  Open();
  Attach();
  const SHORT rows =
      static_cast<SHORT>(ByName(table_.Get(), L"RowCount", DISPATCH_PROPERTYGET).i4());
  ASSERT_EQ(rows, 250);
  // The GetRows test's loop: ask for the rest until the table gives nothing.
  SHORT total = 0;
  Result block = GetRows(rows);
  while (block.value.Type() != VT_EMPTY) {
    total = static_cast<SHORT>(total + Shape(block.value).first);
    block = GetRows(static_cast<SHORT>(rows - total));
  }
  EXPECT_EQ(total, 250);
  std::vector<std::string> asked;
  for (const auto& call : store_.ReadJournal().Calls("GetRows")) asked.push_back(call.args[0].text);
  EXPECT_EQ(asked, (std::vector<std::string>{"250", "150", "50", "0"}));
}

TEST_F(StandinTable, CanBeMadeToMisreportItsRowsOrNeverRunDry) {
  store_.SetIni("faults.ini", "table", "RowCount", "40000");
  store_.SetIni("faults.ini", "table", "NeverEmpty", "yes");
  Open();
  Attach();
  EXPECT_EQ(ByName(table_.Get(), L"RowCount", DISPATCH_PROPERTYGET).i4(), 40000);
  EXPECT_EQ(Shape(GetRows(10).value).first, 4);
  for (int i = 0; i < 3; ++i) {
    const Result dry = GetRows(10);
    EXPECT_EQ(Shape(dry.value), (std::pair<LONG, LONG>{0, 2}));
  }
  EXPECT_EQ(Shape(GetRows(0).value).first, 0);
}

TEST_F(StandinTable, RowCountCanFail) {
  store_.SetFault("MAPITable.RowCount", "fail 0x80040115");
  Open();
  Attach();
  const Result count = ByName(table_.Get(), L"RowCount", DISPATCH_PROPERTYGET);
  EXPECT_EQ(count.number, kNetworkError);
  EXPECT_EQ(count.source, L"Redemption");
  EXPECT_EQ(count.description, L"[Redemption - [MAPI_E_NETWORK_ERROR(80040115)]]");
}

TEST_F(StandinTable, RefusesWhatItCannotRead) {
  Open();
  // Before Item, there is no table to read.
  EXPECT_EQ(Run(L"GoToFirst").number, kNotInitialized);
  EXPECT_EQ(GetRows(1).number, kNotInitialized);
  // Only a stand-in message collection will do.
  std::vector<Variant> wrong;
  wrong.push_back(Obj(session_.Get()));
  EXPECT_EQ(ByName(table_.Get(), L"Item", DISPATCH_PROPERTYPUT, std::move(wrong)).number,
            E_INVALIDARG);
  std::vector<Variant> text;
  text.push_back(Str(L"not a message collection"));
  EXPECT_EQ(ByName(table_.Get(), L"Item", DISPATCH_PROPERTYPUT, std::move(text)).number,
            DISP_E_TYPEMISMATCH);
  Attach();
  std::vector<Variant> notAnArray;
  notAnArray.push_back(I4(kSubjectTag));
  EXPECT_EQ(ByName(table_.Get(), L"Columns", DISPATCH_PROPERTYPUT, std::move(notAnArray)).number,
            E_INVALIDARG);
  // Descending, and a property the rows lack keeps them in their order.
  std::vector<Variant> sort;
  sort.push_back(I4(kSubjectTag));
  sort.push_back(Bool(true));
  ASSERT_TRUE(Run(L"Sort", std::move(sort)).ok());
  EXPECT_EQ(Cell(GetRows(1).value, 0, 0), L"Travel request");
  std::vector<Variant> unknown;
  unknown.push_back(I4(0x3FFF001E));
  ASSERT_TRUE(Run(L"Sort", std::move(unknown)).ok());
  EXPECT_EQ(Cell(GetRows(1).value, 0, 0), L"Travel request");
}

}  // namespace
}  // namespace standins_test
