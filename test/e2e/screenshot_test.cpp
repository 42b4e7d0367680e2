// What the screen shows, against the table: every control drawn at its place,
// the labels' access keys underlined, the default button told apart, the
// result box with both scroll bars, the window's icon in the caption. The
// pictures are kept in the build's screenshots folder.
#include <gtest/gtest.h>

#include "e2e/driver/harness.h"

namespace pelterwyn::e2e {
namespace {

bool IsDark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128; }

// A capture with the client area's origin inside it.
struct Shot {
  Image image;
  POINT origin;
  COLORREF background;

  COLORREF At(int x, int y) const { return image.At(origin.x + x, origin.y + y); }
  RECT ToImage(RECT r) const {
    OffsetRect(&r, origin.x, origin.y);
    return r;
  }
  int CountDrawn(const RECT& clientRect) const {
    return image.CountOtherThan(ToImage(clientRect), background);
  }
  int CountDark(const RECT& clientRect) const {
    const RECT r = ToImage(clientRect);
    int dark = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) dark += IsDark(image.At(x, y));
    }
    return dark;
  }
};

std::optional<Shot> TakeShot(App& app, const std::string& fileName) {
  auto image = app.Capture();
  if (!image) return std::nullopt;
  const RECT frame = app.WindowRect();
  const POINT client = app.ClientOrigin();
  EXPECT_TRUE(image->SaveBmp(ScreenshotPath(fileName)));
  const POINT origin{client.x - frame.left, client.y - frame.top};
  // Nothing is drawn in the client area's top left corner.
  return Shot{*image, origin, image->At(origin.x + 2, origin.y + 2)};
}

// A frame drawn exactly on the control's edges: each edge pixel differs from
// the background, the pixel just outside is background.
void ExpectFramedAt(const Shot& shot, const RECT& r, const char* name) {
  SCOPED_TRACE(name);
  for (int i = 1; i <= 3; ++i) {
    const int x = r.left + (r.right - r.left) * i / 4;
    const int y = r.top + (r.bottom - r.top) * i / 4;
    EXPECT_NE(shot.At(r.left, y), shot.background) << "left edge at " << y;
    EXPECT_EQ(shot.At(r.left - 1, y), shot.background) << "left of the left edge at " << y;
    EXPECT_NE(shot.At(r.right - 1, y), shot.background) << "right edge at " << y;
    EXPECT_EQ(shot.At(r.right, y), shot.background) << "right of the right edge at " << y;
    EXPECT_NE(shot.At(x, r.top), shot.background) << "top edge at " << x;
    EXPECT_EQ(shot.At(x, r.top - 1), shot.background) << "above the top edge at " << x;
    EXPECT_NE(shot.At(x, r.bottom - 1), shot.background) << "bottom edge at " << x;
    EXPECT_EQ(shot.At(x, r.bottom), shot.background) << "below the bottom edge at " << x;
  }
}

// The caption as a static control draws it in the dialog font, with or
// without the access key underlined.
Image RenderLabel(const std::string& caption, SIZE size, COLORREF background, int dpi,
                  bool underline) {
  const auto screen = owners::GetWindowDc(nullptr);
  owners::UniqueMemoryDc memory(CreateCompatibleDC(screen.Get().dc));
  owners::UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get().dc, size.cx, size.cy));
  LOGFONTW font{};
  font.lfHeight = -MulDiv(8, dpi, 72);
  font.lfCharSet = DEFAULT_CHARSET;
  wcscpy(font.lfFaceName, L"MS Shell Dlg");
  owners::UniqueGdi<HFONT> dialogFont(CreateFontIndirectW(&font));
  {
    const auto selectedBitmap = owners::SelectInto(memory.Get(), bitmap.Get());
    const auto selectedFont = owners::SelectInto(memory.Get(), dialogFont.Get());
    RECT all{0, 0, size.cx, size.cy};
    owners::UniqueGdi<HBRUSH> brush(CreateSolidBrush(background));
    FillRect(memory.Get(), &all, brush.Get());
    SetBkMode(memory.Get(), TRANSPARENT);
    SetTextColor(memory.Get(), GetSysColor(COLOR_WINDOWTEXT));
    // Wine's DrawText does not know DT_HIDEPREFIX: without the underline is
    // the caption without its "&".
    std::string text = caption;
    if (!underline) text.erase(text.find('&'), 1);
    DrawTextA(memory.Get(), text.c_str(), -1, &all,
              DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | (underline ? 0 : DT_NOPREFIX));
  }
  return Image::FromBitmap(bitmap.Get(), size.cx, size.cy).value_or(Image(0, 0, {}));
}

using ScreenshotTest = StartedTool;

TEST_F(ScreenshotTest, TheWindowIsDrawnAsTheTableLaysItOut) {
  const auto shot = TakeShot(app, "window.bmp");
  ASSERT_TRUE(shot.has_value());
  const RECT frame = app.WindowRect();
  ASSERT_EQ(shot->image.Width(), frame.right - frame.left);
  ASSERT_EQ(shot->image.Height(), frame.bottom - frame.top);

  for (ControlId id :
       {ControlId::txtServer, ControlId::txtAlias, ControlId::txtResult, ControlId::cmdLogon}) {
    ExpectFramedAt(*shot, ExpectedRect(id, dpi), ControlInfo(id).name.data());
  }
  // Empty fields: nothing dark inside the frames.
  for (ControlId id : {ControlId::txtAlias, ControlId::txtResult}) {
    RECT inside = ExpectedRect(id, dpi);
    InflateRect(&inside, -3, -3);
    if (id == ControlId::txtResult) {
      inside.right -= GetSystemMetrics(SM_CXVSCROLL);
      inside.bottom -= GetSystemMetrics(SM_CYHSCROLL);
    }
    EXPECT_EQ(shot->CountDark(inside), 0) << ControlInfo(id).name;
  }

  // Both scroll bars: an arrow at the top of the right edge and at the left of
  // the bottom edge.
  const RECT result = ExpectedRect(ControlId::txtResult, dpi);
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_GT(shot->CountDark(
                {result.right - 1 - bar, result.top + 1, result.right - 1, result.top + 1 + bar}),
            2)
      << "no vertical scroll bar";
  EXPECT_GT(shot->CountDark({result.left + 1, result.bottom - 1 - bar, result.left + 1 + bar,
                             result.bottom - 1}),
            2)
      << "no horizontal scroll bar";

  // The check box glyph and the captions are drawn.
  const RECT check = ExpectedRect(ControlId::chkLoad, dpi);
  EXPECT_GT(shot->CountDrawn({check.left, check.top, check.left + 14, check.bottom}), 20);
  EXPECT_GT(shot->CountDark({check.left + 14, check.top, check.right, check.bottom}), 50);
  EXPECT_GT(shot->CountDark(ExpectedRect(ControlId::cmdLogon, dpi)), 20);

  // The labels, pixel for pixel, with their access keys underlined.
  for (ControlId id : {ControlId::Label1, ControlId::Label2}) {
    SCOPED_TRACE(std::string(ControlInfo(id).name));
    RECT r = ExpectedRect(id, dpi);
    // The fields below overlap the labels' last row.
    r.bottom = std::min(r.bottom, ExpectedRect(ControlId::txtServer, dpi).top);
    const Image shown = shot->image.Crop(shot->ToImage(r));
    const SIZE size{r.right - r.left, r.bottom - r.top};
    const std::string caption(ControlInfo(id).caption);
    const int underlined =
        shown.CountDifferences(RenderLabel(caption, size, shot->background, dpi, true));
    const int plain =
        shown.CountDifferences(RenderLabel(caption, size, shot->background, dpi, false));
    EXPECT_EQ(underlined, 0) << plain << " pixels off the caption without its underline";
    EXPECT_GT(plain, 0);
  }
}

TEST_F(ScreenshotTest, TheCaptionShowsTheToolsIcon) {
  owners::UniqueLibrary exe(
      LoadLibraryExA(testing::ExePath().c_str(), nullptr,
                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  ASSERT_TRUE(exe);
  const int size = GetSystemMetrics(SM_CXSMICON);
  owners::UniqueIcon icon(
      static_cast<HICON>(LoadImageW(exe.Get(), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0)));
  ASSERT_TRUE(icon);
  const auto onBlack = Image::RenderIcon(icon.Get(), size, RGB(0, 0, 0));
  const auto onWhite = Image::RenderIcon(icon.Get(), size, RGB(255, 255, 255));
  ASSERT_TRUE(onBlack && onWhite);

  const auto shot = TakeShot(app, "caption.bmp");
  ASSERT_TRUE(shot.has_value());
  // Opaque pixels are those the background does not change; find a place in
  // the caption's left part where all of them show.
  bool found = false;
  for (int top = 0; top + size <= shot->origin.y && !found; ++top) {
    for (int left = 0; left + size <= 3 * size && !found; ++left) {
      int opaque = 0;
      int matching = 0;
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
          if (onBlack->At(x, y) != onWhite->At(x, y)) continue;
          ++opaque;
          matching += shot->image.At(left + x, top + y) == onBlack->At(x, y);
        }
      }
      found = opaque > size * size / 4 && matching == opaque;
    }
  }
  EXPECT_TRUE(found);
}

TEST_F(ScreenshotTest, TheRevealedWindowShowsTheSecondColumn) {
  ASSERT_NO_FATAL_FAILURE(Reveal());
  // Labels painted last must still leave the borders they overlap alone.
  for (ControlId id :
       {ControlId::Label1, ControlId::Label2, ControlId::Label3, ControlId::Label4}) {
    RedrawWindow(app.Control(id), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  }
  const auto shot = TakeShot(app, "revealed.bmp");
  ASSERT_TRUE(shot.has_value());

  for (ControlId id : {ControlId::cmdTest2, ControlId::cmdSend, ControlId::cmdGetRow,
                       ControlId::cmdGetRows, ControlId::txtCount}) {
    ExpectFramedAt(*shot, ExpectedRect(id, dpi), ControlInfo(id).name.data());
    EXPECT_GT(shot->CountDark(ExpectedRect(id, dpi)), 10) << ControlInfo(id).name;
  }
  for (ControlId id : {ControlId::Label3, ControlId::Label4}) {
    EXPECT_GT(shot->CountDark(ExpectedRect(id, dpi)), 10) << ControlInfo(id).name;
  }
  // Only Logon wears the default border.
  const RECT logon = ExpectedRect(ControlId::cmdLogon, dpi);
  const RECT test2 = ExpectedRect(ControlId::cmdTest2, dpi);
  const int middle = (logon.bottom - logon.top) / 2;
  EXPECT_NE(shot->At(logon.left, logon.top + middle), shot->At(test2.left, test2.top + middle));
  // The visible column looks as before.
  for (ControlId id : {ControlId::txtServer, ControlId::txtAlias, ControlId::txtResult}) {
    ExpectFramedAt(*shot, ExpectedRect(id, dpi), ControlInfo(id).name.data());
  }
}

}  // namespace
}  // namespace pelterwyn::e2e
