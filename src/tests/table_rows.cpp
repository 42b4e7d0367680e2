#include <limits>

#include "tests/constants.h"
#include "tests/handlers.h"
#include "tests/table_rows.h"
#include "text/text.h"

namespace pelterwyn {

namespace {

constexpr std::int32_t kPrSubject = 0x0037001E;
constexpr std::int32_t kPrSenderName = 0x0C1A001E;
constexpr const char* kFolderName = "In Process";

enum class ReadMode { RowByRow, InBlocks };

// Integer arithmetic of the 16-bit counters, worked in 64 bits: a result out
// of range fails and leaves the target as it was.
bool FitsInt16(std::int64_t value) {
  return value >= std::numeric_limits<std::int16_t>::min() &&
         value <= std::numeric_limits<std::int16_t>::max();
}

std::int16_t ReadRowByRow(mail::MapiTable* table, std::int16_t rowCount, ErrorState& err) {
  std::int16_t passes = 0;
  // The passes made are what counts, not rowCount: a negative count makes none and shows 0.
  for (; passes < rowCount; ++passes) {
    mail::CallOn(table, err, [&](mail::MapiTable& t) { return t.GetRow(err); });
  }
  return passes;
}

}  // namespace

std::int16_t ReadInBlocks(mail::MapiTable* table, std::int16_t rowCount, ErrorState& err) {
  const auto getRows = [&](std::int16_t count, bool byReference) {
    return mail::CallOn(table, err,
                        [&](mail::MapiTable& t) { return t.GetRows(count, byReference, err); });
  };
  mail::RowBlock block;  // starts empty
  if (auto first = getRows(rowCount, true)) block = *first;

  // Stays 0 where no block can be counted: none came, or one too large for 16 bits.
  std::int16_t total = 0;
  // A block that is no array has no row count to compare, and is read on
  // like a short one.
  if (block.kind != mail::RowBlock::Kind::Rows || block.rows < rowCount) {
    // An empty result ends the loop, and so does a failing call: its block
    // was never got, and the last one must not be counted again. The bound
    // keeps a table that never gives an empty result from holding the window.
    for (std::int32_t calls = 0; block.kind != mail::RowBlock::Kind::Empty; ++calls) {
      if (calls == kMaxGetRowsCallsInLoop) break;
      if (block.kind == mail::RowBlock::Kind::Rows && FitsInt16(total + block.rows)) {
        total = static_cast<std::int16_t>(total + block.rows);
      }
      const std::int64_t remaining = std::int64_t{rowCount} - total;
      if (!FitsInt16(remaining)) break;
      auto next = getRows(static_cast<std::int16_t>(remaining), false);
      if (!next) break;
      block = *next;
    }
  } else if (FitsInt16(block.rows)) {
    total = static_cast<std::int16_t>(block.rows);
  }
  return total;
}

namespace {

void RunTableTest(Context& ctx, ReadMode mode) {
  Window& window = ctx.window;
  Services& services = ctx.services;

  ErrorState err;
  std::unique_ptr<mail::Session> session;
  mail::AssignIfOk(session, services.mail.CreateSession(mail::Binding::ByDispid, err));
  if (err.IsSet() || !session) {
    window.SetText(ControlId::txtResult, "Error instantiating CDO: " + err.Description());
    return;
  }

  const std::string profileInfo =
      mode == ReadMode::RowByRow
          ? window.Text(ControlId::txtServer) + "\n" + window.Text(ControlId::txtAlias)
          : std::string(kTestServer) + "\n" + kTestMailboxAlias;
  session->LogonWithProfileInfo(profileInfo, err);
  if (err.IsSet()) {
    window.AppendText(ControlId::txtResult,
                      std::string(kCrLf) + "Logon error: " + err.Description());
    return;
  }

  std::unique_ptr<mail::Folder> folder;
  mail::AssignIfOk(
      folder, mail::Then(session->GetDefaultFolder(mail::kFolderInbox, err), err,
                         [&](mail::Folder& inbox) { return inbox.Folders(kFolderName, err); }));

  std::unique_ptr<mail::MapiTable> table;
  mail::AssignIfOk(table, services.mail.CreateTable(err));
  mail::MapiTable* const t = table.get();
  if (auto messages =
          mail::CallOn(folder.get(), err, [&](mail::Folder& f) { return f.GetMessages(err); })) {
    mail::CallOn(t, err, [&](mail::MapiTable& x) { return x.SetItem(messages->get(), err); });
  }

  std::int16_t rowCount = 0;
  if (auto n = mail::CallOn(t, err, [&](mail::MapiTable& x) { return x.RowCount(err); })) {
    rowCount = *n;
  }
  window.ShowMessage("MAPITable.RowCount = " + std::to_string(rowCount), kMbOk);

  mail::CallOn(t, err, [&](mail::MapiTable& x) {
    return x.SetColumns({kPrSubject, kPrSenderName}, err);
  });
  mail::CallOn(t, err, [&](mail::MapiTable& x) { return x.Sort(kPrSenderName, err); });
  mail::CallOn(t, err, [&](mail::MapiTable& x) { return x.GoToFirst(err); });

  if (mode == ReadMode::RowByRow) {
    window.ShowMessage("Sum of rows=" + std::to_string(ReadRowByRow(t, rowCount, err)), kMbOk);
  } else {
    window.ShowMessage(
        "Row count after GetRows = " + std::to_string(ReadInBlocks(t, rowCount, err)), kMbOk);
  }

  mail::CallOn(t, err, [&](mail::MapiTable& x) { return x.SetItem(nullptr, err); });
  table.reset();
  session->Logoff(err);
  session.reset();
}

}  // namespace

void GetRowTest(Context& ctx) { RunTableTest(ctx, ReadMode::RowByRow); }
void GetRowsTest(Context& ctx) { RunTableTest(ctx, ReadMode::InBlocks); }

}  // namespace pelterwyn
