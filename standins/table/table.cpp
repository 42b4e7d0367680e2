#include "table.h"

#include <algorithm>

#include "store/ascii.h"
#include "store/errors.h"

namespace standin::table {
namespace {

using com::Variant;
namespace variant = com::variant;

enum : DISPID {
  kDispItem = 0x7001,
  kDispRowCount = 0x7002,
  kDispColumns = 0x7003,
  kDispSort = 0x7004,
  kDispGoToFirst = 0x7005,
  kDispGetRow = 0x7006,
  kDispGetRows = 0x7007,
};

// The value of one property of a row: VT_BSTR, or VT_ERROR MAPI_E_NOT_FOUND
// for a property the row does not have.
Variant PropertyValue(const store::MessageSummary& row, std::int32_t tag) {
  if (tag == kPrSubject) return variant::Text(com::FromUtf8(row.subject));
  if (tag == kPrSenderName) return variant::Text(com::FromUtf8(row.senderName));
  return variant::Error(errors::kNotFound);
}

}  // namespace

MapiTable::MapiTable(std::shared_ptr<com::World> world)
    : DispatchObject(std::move(world), "MAPITable") {}

com::DispatchObject* MapiTable::Create() {
  return new MapiTable(com::World::FromEnvironment(com::FromUtf8(kErrorSource)));
}

const std::vector<com::Member>& MapiTable::Members() const {
  static const std::vector<com::Member> members = {
      {L"Item", kDispItem, com::kPut | com::kPutRef, {}, VT_DISPATCH},
      {L"RowCount", kDispRowCount, com::kGet, {}},
      {L"Columns", kDispColumns, com::kPut, {}, VT_VARIANT},
      {L"Sort",
       kDispSort,
       com::kMethod,
       {{L"Property", VT_I4, false}, {L"Descending", VT_BOOL, true}}},
      {L"GoToFirst", kDispGoToFirst, com::kMethod, {}},
      {L"GetRow", kDispGetRow, com::kMethod, {}},
      {L"GetRows", kDispGetRows, com::kMethod, {{L"Count", VT_I4, false}}},
  };
  return members;
}

void MapiTable::Call(const com::Member& member, bool, const com::Args& args, Variant& result) {
  switch (member.id) {
    case kDispItem:
      Attach(args.Object(0));
      break;
    case kDispRowCount: {
      RequireItem();
      const auto& reported = world().Faults().table.rowCount;
      result =
          variant::Int32(reported ? static_cast<LONG>(*reported) : static_cast<LONG>(rows_.size()));
      break;
    }
    case kDispColumns:
      SetColumns(args.At(0));
      break;
    case kDispSort:
      Sort(args.Long(0), args.Bool(1, false));
      break;
    case kDispGoToFirst:
      RequireItem();
      position_ = 0;
      break;
    case kDispGetRow:
      result = Row();
      break;
    case kDispGetRows:
      result = Rows(args.Long(0));
      break;
  }
}

void MapiTable::Attach(IDispatch* messages) {
  item_ = nullptr;
  rows_.clear();
  position_ = 0;
  if (!messages) return;  // detached
  com::ComPtr<com::IStandinObject> standin;
  com::Bstr folder;
  if (FAILED(com::ComPtr<IDispatch>::Share(messages).As(standin)) ||
      FAILED(standin->GetFolderPath(folder.Put()))) {
    com::Fail(errors::kInvalidParameter);  // not a message collection this table can read
  }
  for (const auto& file : store::MessageFiles(std::filesystem::path(std::wstring(folder.View())))) {
    if (auto row = store::ReadSummary(file)) rows_.push_back(std::move(*row));
  }
  item_ = com::ComPtr<IDispatch>::Share(messages);
}

void MapiTable::RequireItem() const {
  if (!item_) com::Fail(errors::kNotInitialized);
}

void MapiTable::SetColumns(const VARIANT& value) {
  if (!(V_VT(&value) & VT_ARRAY) || !V_ARRAY(&value) || SafeArrayGetDim(V_ARRAY(&value)) != 1) {
    com::Fail(errors::kInvalidParameter);
  }
  SAFEARRAY* array = V_ARRAY(&value);
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  VARTYPE vt = VT_EMPTY;
  SafeArrayGetVartype(array, &vt);
  std::vector<std::int32_t> tags;
  for (LONG i = lower; i <= upper; ++i) {
    Variant element;
    if (vt == VT_VARIANT) {
      SafeArrayGetElement(array, &i, element.Get());
    } else if (vt == VT_I4 || vt == VT_I2) {
      V_VT(element.Get()) = vt;
      SafeArrayGetElement(array, &i, &V_I4(element.Get()));
    }
    Variant tag;
    if (FAILED(VariantChangeType(tag.Put(), element.Get(), 0, VT_I4))) {
      com::Fail(errors::kInvalidParameter);
    }
    tags.push_back(V_I4(tag.Get()));
  }
  if (tags.empty()) com::Fail(errors::kInvalidParameter);
  columns_ = std::move(tags);
}

void MapiTable::Sort(std::int32_t tag, bool descending) {
  RequireItem();
  // Strings sort without regard to case; a property the rows lack leaves their order.
  const auto key = [&](const store::MessageSummary& row) {
    const Variant value = PropertyValue(row, tag);
    return value.Type() == VT_BSTR ? com::ToUtf8(V_BSTR(value.Get())) : std::string();
  };
  std::stable_sort(rows_.begin(), rows_.end(), [&](const auto& a, const auto& b) {
    const int c = ascii::CompareNoCase(key(a), key(b));
    return descending ? c > 0 : c < 0;
  });
  position_ = 0;
}

Variant MapiTable::Row() {
  RequireItem();
  if (position_ >= rows_.size()) return Variant();
  SAFEARRAYBOUND bound{static_cast<ULONG>(columns_.size()), 0};
  com::SafeArray array(SafeArrayCreate(VT_VARIANT, 1, &bound));
  if (!array) com::Fail(errors::kNotEnoughMemory);
  for (LONG c = 0; c < static_cast<LONG>(columns_.size()); ++c) {
    Variant value = PropertyValue(rows_[position_], columns_[c]);
    if (FAILED(SafeArrayPutElement(array.Get(), &c, value.Get()))) com::Fail(errors::kCallFailed);
  }
  ++position_;
  return variant::Array(std::move(array), VT_VARIANT);
}

Variant MapiTable::Rows(std::int32_t wanted) {
  RequireItem();
  std::size_t count = wanted > 0 ? static_cast<std::size_t>(wanted) : 0;
  count = std::min(count, rows_.size() - std::min(position_, rows_.size()));
  if (const auto& most = world().Faults().table.maxRowsPerCall) {
    count = std::min(count, static_cast<std::size_t>(*most));
  }
  if (count == 0 && !world().Faults().table.neverEmpty) return Variant();  // nothing left
  // Rows first: array(row, column).
  SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(count), 0},
                              {static_cast<ULONG>(columns_.size()), 0}};
  com::SafeArray array(SafeArrayCreate(VT_VARIANT, 2, bounds));
  if (!array) com::Fail(errors::kNotEnoughMemory);
  for (std::size_t r = 0; r < count; ++r) {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      LONG index[2] = {static_cast<LONG>(r), static_cast<LONG>(c)};  // in dimension order
      Variant value = PropertyValue(rows_[position_ + r], columns_[c]);
      if (FAILED(SafeArrayPutElement(array.Get(), index, value.Get()))) {
        com::Fail(errors::kCallFailed);
      }
    }
  }
  position_ += count;
  return variant::Array(std::move(array), VT_VARIANT);
}

}  // namespace standin::table
