#pragma once

#include <optional>

#include "console/controls.h"

// Dialog item ids of the controls and the commands added to the system menu.
// The end-to-end driver finds the window's parts by these.
namespace pelterwyn::win32 {

inline constexpr int kFirstItemId = 100;  // clear of IDOK and IDCANCEL

constexpr int ItemId(ControlId id) { return kFirstItemId + static_cast<int>(id); }

constexpr std::optional<ControlId> ControlFromItemId(int itemId) {
  const int index = itemId - kFirstItemId;
  if (index < 0 || index >= kControlCount) return std::nullopt;
  return static_cast<ControlId>(index);
}

// Below 0xF000 with the low four bits clear: the system uses those bits itself.
inline constexpr unsigned kSysShowAllTests = 0x0110;
inline constexpr unsigned kSysAbout = 0x0120;

}  // namespace pelterwyn::win32
