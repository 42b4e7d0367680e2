// The GetRows block read over a table whose every answer comes from the
// input. Input: the row count asked for (2 bytes, little-endian), then one
// answer per call: a byte whose low two bits say 0 the call fails, 1 an
// empty value, 2 an array, 3 something that is no array; an array is
// followed by its number of rows (4 bytes, little-endian, any value). When
// the input runs out, every answer is an empty value.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "check.h"
#include "tests/table_rows.h"

using namespace pelterwyn;

namespace {

class ScriptedTable final : public mail::MapiTable {
 public:
  ScriptedTable(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool SetItem(mail::Messages*, ErrorState&) override { return true; }
  std::optional<std::int16_t> RowCount(ErrorState&) override { return 0; }
  bool SetColumns(const std::vector<std::int32_t>&, ErrorState&) override { return true; }
  bool Sort(std::int32_t, ErrorState&) override { return true; }
  bool GoToFirst(ErrorState&) override { return true; }
  bool GetRow(ErrorState&) override { return true; }

  std::optional<mail::RowBlock> GetRows(std::int16_t, bool, ErrorState& err) override {
    FUZZ_CHECK(!failed_);  // a failed call ends the loop
    ++calls;
    mail::RowBlock block;
    if (pos_ >= size_) return block;
    switch (Take(1) & 3) {
      case 0:
        failed_ = true;
        err.Raise(-2147221227, "[MAPITable - [MAPI_E_NETWORK_ERROR(80040115)]]");
        return std::nullopt;
      case 1:
        return block;
      case 2:
        block.kind = mail::RowBlock::Kind::Rows;
        block.rows = static_cast<std::int32_t>(Take(4));
        if (block.rows > 0) rowsGiven += block.rows;
        return block;
      default:
        block.kind = mail::RowBlock::Kind::NotAnArray;
        return block;
    }
  }

  std::int64_t rowsGiven = 0;
  std::int64_t calls = 0;

 private:
  // The next n bytes, little-endian; zeros past the end.
  std::uint32_t Take(std::size_t n) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < n; ++i, ++pos_) {
      if (pos_ < size_) v |= static_cast<std::uint32_t>(data_[pos_]) << (8 * i);
    }
    return v;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::int16_t rowCount = 0;
  std::memcpy(&rowCount, data, 2);
  ScriptedTable table(data + 2, size - 2);
  ErrorState err;
  const std::int16_t total = ReadInBlocks(&table, rowCount, err);
  FUZZ_CHECK(total <= table.rowsGiven);  // only rows really got count
  FUZZ_CHECK(table.calls <= 1 + kMaxGetRowsCallsInLoop);
  return 0;
}
