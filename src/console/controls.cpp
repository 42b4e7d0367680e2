#include "console/controls.h"

#include <algorithm>
#include <cstdint>

namespace pelterwyn {

const ControlSpec& ControlInfo(ControlId id) {
  // The table is indexed by the enum; checked once at compile time below.
  return kControls[static_cast<std::size_t>(id)];
}

namespace {
constexpr bool TableMatchesEnum() {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (static_cast<std::size_t>(kControls[i].id) != i) return false;
  }
  return true;
}
static_assert(TableMatchesEnum(), "kControls must be in ControlId order");
}  // namespace

std::array<ControlId, kControlCount> TabOrder() {
  std::array<ControlId, kControlCount> order{};
  std::transform(kControls.begin(), kControls.end(), order.begin(),
                 [](const ControlSpec& c) { return c.id; });
  std::sort(order.begin(), order.end(), [](ControlId a, ControlId b) {
    return ControlInfo(a).tabIndex < ControlInfo(b).tabIndex;
  });
  return order;
}

int TwipsToPixels(int twips, int dpi) {
  const std::int64_t product = static_cast<std::int64_t>(twips) * dpi;
  const std::int64_t half = 720;
  return static_cast<int>(product >= 0 ? (product + half) / 1440 : -((-product + half) / 1440));
}

PixelRect ToPixels(int left, int top, int width, int height, int dpi) {
  const int x = TwipsToPixels(left, dpi);
  const int y = TwipsToPixels(top, dpi);
  return {x, y, TwipsToPixels(left + width, dpi) - x, TwipsToPixels(top + height, dpi) - y};
}

PixelRect ToPixels(const ControlSpec& control, int dpi) {
  return ToPixels(control.left, control.top, control.width, control.height, dpi);
}

TwipsSize FullClientSizeTwips() {
  const int margin = ControlInfo(ControlId::chkLoad).left;
  TwipsSize size{kClientWidthTwips, kClientHeightTwips};
  for (const auto& c : kControls) {
    size.width = std::max(size.width, c.left + c.width + margin);
    size.height = std::max(size.height, c.top + c.height + margin);
  }
  return size;
}

}  // namespace pelterwyn
