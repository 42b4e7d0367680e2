#pragma once

#include <cstdint>
#include <vector>

#include "com/dispatch.h"
#include "store/store.h"

// The Redemption.MAPITable stand-in: the contents table of the folder behind
// a stand-in Messages object, read row by row or in blocks.
namespace standin::table {

// {5047F947-E5D2-48A5-88C7-52823D7C4BBA}
inline constexpr CLSID kClsidMapiTable = {
    0x5047f947, 0xe5d2, 0x48a5, {0x88, 0xc7, 0x52, 0x82, 0x3d, 0x7c, 0x4b, 0xba}};

inline constexpr const char* kErrorSource = "Redemption";

// The property tags the rows carry: the two the table row tests ask for.
inline constexpr std::int32_t kPrSubject = 0x0037001E;
inline constexpr std::int32_t kPrSenderName = 0x0C1A001E;

class MapiTable final : public com::DispatchObject {
 public:
  explicit MapiTable(std::shared_ptr<com::World> world);
  static com::DispatchObject* Create();

 protected:
  const std::vector<com::Member>& Members() const override;
  void Call(const com::Member& member, bool put, const com::Args& args,
            com::Variant& result) override;

 private:
  void Attach(IDispatch* messages);
  void RequireItem() const;
  void SetColumns(const VARIANT& value);
  void Sort(std::int32_t tag, bool descending);
  com::Variant Row();
  com::Variant Rows(std::int32_t wanted);

  com::ComPtr<IDispatch> item_;
  std::vector<store::MessageSummary> rows_;
  std::vector<std::int32_t> columns_ = {kPrSubject, kPrSenderName};
  std::size_t position_ = 0;
};

}  // namespace standin::table
