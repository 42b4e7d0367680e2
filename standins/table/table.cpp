#include "table.h"

#include <algorithm>

#include "store/errors.h"
#include "store/text.h"

namespace standin::table {
namespace {

using com::Variant;

enum : DISPID {
  kDispItem = 0x7001,
  kDispRowCount = 0x7002,
  kDispColumns = 0x7003,
  kDispSort = 0x7004,
  kDispGoToFirst = 0x7005,
  kDispGetRow = 0x7006,
  kDispGetRows = 0x7007,
};

constexpr std::int32_t kPtLong = 0x0003;
constexpr std::int32_t kPtString8 = 0x001E;
constexpr std::int32_t kPtUnicode = 0x001F;

constexpr std::int32_t kIdSubject = 0x0037;
constexpr std::int32_t kIdSentRepresentingName = 0x0042;
constexpr std::int32_t kIdSenderName = 0x0C1A;
constexpr std::int32_t kIdSenderEmail = 0x0C1F;
constexpr std::int32_t kIdNormalizedSubject = 0x0E1D;
constexpr std::int32_t kIdMessageSize = 0x0E08;

// Orders two property values: strings without regard to case, then numbers;
// a missing value sorts first.
int Compare(const VARIANT& a, const VARIANT& b) {
  const bool aText = V_VT(&a) == VT_BSTR;
  const bool bText = V_VT(&b) == VT_BSTR;
  if (aText && bText) {
    return text::CompareNoCase(com::ToUtf8(V_BSTR(&a)), com::ToUtf8(V_BSTR(&b)));
  }
  if (V_VT(&a) == VT_I4 && V_VT(&b) == VT_I4) {
    return V_I4(&a) < V_I4(&b) ? -1 : (V_I4(&a) > V_I4(&b) ? 1 : 0);
  }
  const int aRank = V_VT(&a) == VT_ERROR ? 0 : 1;
  const int bRank = V_VT(&b) == VT_ERROR ? 0 : 1;
  return aRank - bRank;
}

}  // namespace

Variant PropertyValue(const store::MessageSummary& row, std::int32_t tag) {
  const std::int32_t id = (tag >> 16) & 0xFFFF;
  const std::int32_t type = tag & 0xFFFF;
  if (type == kPtString8 || type == kPtUnicode) {
    switch (id) {
      case kIdSubject:
      case kIdNormalizedSubject:
        return Variant::Text(com::FromUtf8(row.subject));
      case kIdSenderName:
      case kIdSentRepresentingName:
        return Variant::Text(com::FromUtf8(row.senderName));
      case kIdSenderEmail:
        return Variant::Text(com::FromUtf8(row.senderAddress));
    }
  } else if (type == kPtLong && id == kIdMessageSize) {
    return Variant::Int32(static_cast<LONG>(row.size));
  }
  return Variant::Error(errors::kNotFound);
}

MapiTable::MapiTable(std::shared_ptr<com::World> world)
    : DispatchObject(std::move(world), "MAPITable") {}

com::DispatchObject* MapiTable::Create() {
  return new MapiTable(com::World::FromEnvironment(com::FromUtf8(kErrorSource)));
}

const std::vector<com::Member>& MapiTable::Members() const {
  static const std::vector<com::Member> members = {
      {L"Item", kDispItem, com::kGet | com::kPut | com::kPutRef, {}, VT_DISPATCH, true},
      {L"RowCount", kDispRowCount, com::kGet, {}},
      {L"Columns", kDispColumns, com::kGet | com::kPut, {}, VT_VARIANT},
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

void MapiTable::Call(const com::Member& member, bool put, const com::Args& args, Variant& result) {
  switch (member.id) {
    case kDispItem:
      if (put) {
        Attach(args.Object(0));
      } else {
        result = Variant::Object(com::ComPtr<IDispatch>(item_).Detach());
      }
      break;
    case kDispRowCount: {
      RequireItem();
      const auto& reported = world().Faults().table.rowCount;
      result =
          Variant::Int32(reported ? static_cast<LONG>(*reported) : static_cast<LONG>(rows_.size()));
      break;
    }
    case kDispColumns:
      if (put) {
        SetColumns(args.At(0));
      } else {
        result = ColumnsValue();
      }
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
  auto standin =
      com::ComPtr<IDispatch>::Share(messages).As<com::IStandinObject>(com::kIidStandinObject);
  com::Bstr folder;
  if (!standin || FAILED(standin->GetFolderPath(folder.Put()))) {
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

Variant MapiTable::ColumnsValue() const {
  SAFEARRAYBOUND bound{static_cast<ULONG>(columns_.size()), 0};
  com::SafeArray array(SafeArrayCreate(VT_VARIANT, 1, &bound));
  if (!array) com::Fail(errors::kNotEnoughMemory);
  for (LONG i = 0; i < static_cast<LONG>(columns_.size()); ++i) {
    Variant tag = Variant::Int32(columns_[i]);
    if (FAILED(SafeArrayPutElement(array.Get(), &i, tag.Get()))) com::Fail(errors::kCallFailed);
  }
  return Variant::Array(array.Detach(), VT_VARIANT);
}

void MapiTable::Sort(std::int32_t tag, bool descending) {
  RequireItem();
  std::stable_sort(rows_.begin(), rows_.end(), [&](const auto& a, const auto& b) {
    const int c = Compare(*PropertyValue(a, tag).Get(), *PropertyValue(b, tag).Get());
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
  return Variant::Array(array.Detach(), VT_VARIANT);
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
  return Variant::Array(array.Detach(), VT_VARIANT);
}

}  // namespace standin::table
