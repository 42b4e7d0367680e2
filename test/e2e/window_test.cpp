// The window as it opens: frame, place, layout against the control table,
// initial contents and focus, and closing.
#include <gtest/gtest.h>

#include <vector>

#include "e2e/driver/harness.h"

namespace pelterwyn::e2e {
namespace {

LONG Style(HWND window) { return GetWindowLongW(window, GWL_STYLE); }

using WindowTest = StartedTool;

TEST_F(WindowTest, IsAFixedDialogThatStaysOutOfTheTaskBar) {
  HWND window = app.Window();
  EXPECT_EQ(app.Caption(), "Pelterwyn");
  EXPECT_EQ(ClassName(window), "#32770");
  const LONG style = Style(window);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
  EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
  // A tool window would get the small caption.
  EXPECT_FALSE(exStyle & WS_EX_TOOLWINDOW);
  HWND owner = GetWindow(window, GW_OWNER);
  ASSERT_NE(owner, nullptr) << "an unowned window shows in the task bar";
  EXPECT_FALSE(IsWindowVisible(owner));

  // The frame offers no edge to drag.
  RECT frame = app.WindowRect();
  DWORD_PTR hit = 0;
  for (POINT p : {POINT{frame.right - 1, (frame.top + frame.bottom) / 2},
                  POINT{(frame.left + frame.right) / 2, frame.bottom - 1},
                  POINT{frame.right - 1, frame.bottom - 1}}) {
    ASSERT_TRUE(SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y), SMTO_NORMAL,
                                    Patience(5000), &hit));
    EXPECT_TRUE(hit < HTSIZEFIRST || hit > HTSIZELAST) << "hit test " << hit;
  }
}

TEST_F(WindowTest, OpensCentredWithTheStoredClientSize) {
  ASSERT_EQ(dpi, 96) << "the stored size is given for 96 dpi";
  const SIZE client = app.ClientSize();
  EXPECT_EQ(client.cx, 457);
  EXPECT_EQ(client.cy, 315);
  const PixelRect expected = ToPixels(0, 0, kClientWidthTwips, kClientHeightTwips, dpi);
  EXPECT_EQ(client.cx, expected.width);
  EXPECT_EQ(client.cy, expected.height);

  const RECT frame = app.WindowRect();
  const RECT work = WorkArea();
  EXPECT_LE(std::abs((frame.left + frame.right) - (work.left + work.right)), 2)
      << Describe(frame) << " in " << Describe(work);
  EXPECT_LE(std::abs((frame.top + frame.bottom) - (work.top + work.bottom)), 2)
      << Describe(frame) << " in " << Describe(work);
}

TEST_F(WindowTest, ControlsMatchTheTable) {
  for (const ControlSpec& c : kControls) {
    SCOPED_TRACE(std::string(c.name));
    HWND control = app.Control(c.id);
    ASSERT_NE(control, nullptr);
    const RECT shown = app.ControlRect(c.id);
    const RECT expected = ExpectedRect(c.id, dpi);
    EXPECT_TRUE(EqualRect(&shown, &expected))
        << Describe(shown) << " expected " << Describe(expected);
    EXPECT_EQ(app.Text(c.id), c.caption);
    const LONG style = Style(control);
    switch (c.kind) {
      case ControlKind::CheckBox:
        EXPECT_EQ(ClassName(control), "Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_AUTOCHECKBOX);
        EXPECT_TRUE(style & WS_TABSTOP);
        break;
      case ControlKind::Button:
        EXPECT_EQ(ClassName(control), "Button");
        EXPECT_EQ(style & BS_TYPEMASK,
                  c.id == ControlId::cmdLogon ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        EXPECT_TRUE(style & WS_TABSTOP);
        break;
      case ControlKind::TextBox:
        EXPECT_EQ(ClassName(control), "Edit");
        EXPECT_FALSE(style & ES_MULTILINE);
        EXPECT_TRUE(style & WS_TABSTOP);
        break;
      case ControlKind::MultiLineTextBox:
        EXPECT_EQ(ClassName(control), "Edit");
        EXPECT_EQ(style & (ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL),
                  ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL);
        EXPECT_TRUE(style & WS_TABSTOP);
        break;
      case ControlKind::Label:
        EXPECT_EQ(ClassName(control), "Static");
        EXPECT_FALSE(style & SS_NOPREFIX) << "the access key must be marked";
        EXPECT_FALSE(style & WS_TABSTOP);
        break;
    }
  }
  DWORD_PTR defId = 0;
  ASSERT_TRUE(
      SendMessageTimeoutW(app.Window(), DM_GETDEFID, 0, 0, SMTO_NORMAL, Patience(5000), &defId));
  EXPECT_EQ(HIWORD(defId), DC_HASDEFID);
  EXPECT_EQ(LOWORD(defId), win32::ItemId(ControlId::cmdLogon));
}

TEST_F(WindowTest, HiddenControlsAreInvisibleAndBeyondTheClientArea) {
  const SIZE client = app.ClientSize();
  int hidden = 0;
  for (const ControlSpec& c : kControls) {
    SCOPED_TRACE(std::string(c.name));
    EXPECT_EQ(app.IsVisible(c.id), !c.hidden);
    if (!c.hidden) {
      const RECT r = app.ControlRect(c.id);
      EXPECT_LE(r.right, client.cx);
      EXPECT_LE(r.bottom, client.cy);
      continue;
    }
    ++hidden;
    EXPECT_FALSE(Style(app.Control(c.id)) & WS_VISIBLE);
    EXPECT_GE(app.ControlRect(c.id).left, client.cx);
  }
  EXPECT_EQ(hidden, 7);
}

TEST_F(WindowTest, ChildrenLieInTabIndexOrder) {
  // The dialog manager tabs and resolves access keys in this order.
  std::vector<ControlId> children;
  for (HWND child = GetWindow(app.Window(), GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const auto id = win32::ControlFromItemId(GetDlgCtrlID(child));
    ASSERT_TRUE(id.has_value()) << "unexpected child " << GetDlgCtrlID(child);
    children.push_back(*id);
  }
  const auto order = TabOrder();
  EXPECT_EQ(children, std::vector<ControlId>(order.begin(), order.end()));
}

TEST_F(WindowTest, StartsWithTheStoredContentsAndTheFocusInTheServerField) {
  EXPECT_EQ(app.Text(ControlId::txtServer), "");
  EXPECT_EQ(app.Text(ControlId::txtAlias), "");
  EXPECT_EQ(app.Text(ControlId::txtResult), "");
  EXPECT_EQ(app.Text(ControlId::txtCount), "500");
  EXPECT_EQ(app.CheckState(ControlId::chkLoad), BST_UNCHECKED);
  EXPECT_EQ(app.Focus(), ControlId::txtServer);
  EXPECT_EQ(GetForegroundWindow(), app.Window());
}

TEST_F(WindowTest, ClosingTheWindowEndsTheProgramAtOnce) {
  app.SysCommand(SC_CLOSE);
  ASSERT_TRUE(WaitUntil([&] { return app.HasExited(); }));
  EXPECT_EQ(app.ExitCode(), 0u);
}

TEST_F(WindowTest, EscapeLeavesTheWindowOpen) {
  ASSERT_TRUE(app.PressKey(VK_ESCAPE));
  EXPECT_TRUE(app.Checkpoint()) << "the window took no input after Escape";
  EXPECT_FALSE(app.HasExited());
  EXPECT_TRUE(IsWindowVisible(app.Window()));
}

}  // namespace
}  // namespace pelterwyn::e2e
