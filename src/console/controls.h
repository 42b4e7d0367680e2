#pragma once

#include <array>
#include <string_view>

#include "platform/window.h"

// The window's stored layout: one row per control, in creation order.
namespace pelterwyn {

enum class ControlKind { CheckBox, Button, TextBox, MultiLineTextBox, Label };

struct ControlSpec {
  ControlId id;
  std::string_view name;
  ControlKind kind;
  std::string_view caption;  // initial text; "&" marks an access key
  int left;                  // twips, relative to the client area
  int top;
  int width;
  int height;
  int tabIndex;
  bool hidden;
};

inline constexpr int kClientWidthTwips = 6855;
inline constexpr int kClientHeightTwips = 4725;
inline constexpr std::string_view kWindowCaption = "Pelterwyn";
inline constexpr ControlId kDefaultButton = ControlId::cmdLogon;
inline constexpr int kControlCount = 14;

// clang-format off
inline constexpr std::array<ControlSpec, kControlCount> kControls{{
  {ControlId::chkLoad,    "chkLoad",    ControlKind::CheckBox,         "Call LoadLibrary", 240,  720,  6495, 255,  4,  false},
  {ControlId::cmdGetRows, "cmdGetRows", ControlKind::Button,           "GetRows",          7680, 5760, 1455, 375,  13, true},
  {ControlId::cmdGetRow,  "cmdGetRow",  ControlKind::Button,           "GetRow",           7680, 5280, 1455, 375,  12, true},
  {ControlId::txtCount,   "txtCount",   ControlKind::TextBox,          "500",              8160, 3960, 495,  285,  10, true},
  {ControlId::cmdSend,    "cmdSend",    ControlKind::Button,           "Send Messages",    7680, 4320, 1455, 375,  8,  true},
  {ControlId::cmdTest2,   "cmdTest2",   ControlKind::Button,           "Test 2",           7680, 4800, 1455, 375,  6,  true},
  {ControlId::txtAlias,   "txtAlias",   ControlKind::TextBox,          "",                 2040, 360,  3495, 285,  3,  false},
  {ControlId::txtServer,  "txtServer",  ControlKind::TextBox,          "",                 240,  360,  1695, 285,  1,  false},
  {ControlId::txtResult,  "txtResult",  ControlKind::MultiLineTextBox, "",                 240,  1080, 6375, 3375, 7,  false},
  {ControlId::cmdLogon,   "cmdLogon",   ControlKind::Button,           "Logon",            5760, 240,  855,  375,  5,  false},
  {ControlId::Label4,     "Label4",     ControlKind::Label,            "msgs",             8760, 3840, 495,  255,  11, true},
  {ControlId::Label3,     "Label3",     ControlKind::Label,            "Send",             7680, 3840, 495,  255,  9,  true},
  {ControlId::Label2,     "Label2",     ControlKind::Label,            "&Alias, SMTP Address or legacyExchangeDN", 2040, 120, 3495, 255, 2, false},
  {ControlId::Label1,     "Label1",     ControlKind::Label,            "&Exchange Server", 240,  120,  1695, 255,  0,  false},
}};
// clang-format on

const ControlSpec& ControlInfo(ControlId id);

// The controls ordered by tab index.
std::array<ControlId, kControlCount> TabOrder();

struct PixelRect {
  int left;
  int top;
  int width;
  int height;
};

// twips * dpi / 1440, rounded half away from zero as MulDiv rounds.
int TwipsToPixels(int twips, int dpi);

// Edges are converted, then the size is taken between the rounded edges, so
// that neighbours that touch in twips touch in pixels.
PixelRect ToPixels(int left, int top, int width, int height, int dpi);
PixelRect ToPixels(const ControlSpec& control, int dpi);

struct TwipsSize {
  int width;
  int height;
};

// Client area that holds every control, the hidden column included, with the
// visible column's left margin around it.
TwipsSize FullClientSizeTwips();

}  // namespace pelterwyn
