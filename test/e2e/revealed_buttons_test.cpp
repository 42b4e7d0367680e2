// The revealed column under real input: before "Show all tests" a click
// where its buttons will stand reaches another window; after it, each button
// runs its test when clicked with the mouse or pressed from the keyboard.
#include <gtest/gtest.h>

#include "e2e/driver/harness.h"

namespace pelterwyn::e2e {
namespace {

class RevealedButtonsTest : public EndToEnd {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Start());
    Fill({.server = "EXCHANGE1", .mailbox = "jsmith"});
  }
};

TEST_F(RevealedButtonsTest, EachRevealedButtonRunsItsTestFromTheMouseOrTheKeyboard) {
  // Where Test 2 will stand is outside the window until it is revealed: a
  // click there goes to whatever window lies under the point.
  {
    const RECT r = ExpectedRect(ControlId::cmdTest2, ScreenDpi());
    const POINT origin = app.ClientOrigin();
    const POINT middle{origin.x + (r.left + r.right) / 2, origin.y + (r.top + r.bottom) / 2};
    const HWND hit = WindowFromPoint(middle);
    EXPECT_NE(GetAncestor(hit, GA_ROOT), app.Window()) << ClassName(hit) << " is there";
  }
  ASSERT_NO_FATAL_FAILURE(Reveal());

  {
    SCOPED_TRACE("Send Messages from the keyboard");
    // Tab from the result box: Send Messages, then the count, whose text is
    // selected on the way in and replaced by what is typed.
    ASSERT_TRUE(app.MouseClick(ControlId::txtResult));
    ASSERT_TRUE(WaitUntil([&] { return app.Focus() == ControlId::txtResult; }));
    ASSERT_TRUE(app.PressKey(VK_TAB));
    ASSERT_TRUE(app.PressKey(VK_TAB));
    ASSERT_TRUE(WaitUntil([&] { return app.Focus() == ControlId::txtCount; }));
    ASSERT_TRUE(app.TypeKeys("2"));
    ASSERT_TRUE(WaitUntil([&] { return app.Text(ControlId::txtCount) == "2"; }))
        << app.Text(ControlId::txtCount);
    ASSERT_TRUE(app.PressKey(VK_TAB, {.shift = true}));
    ASSERT_TRUE(WaitUntil([&] { return app.Focus() == ControlId::cmdSend; }));
    const Outcome run = Press(VK_SPACE);
    ASSERT_EQ(run.settled, Settled::Idle);
    EXPECT_EQ(run.BoxAfter(), "Sending message 2");
    EXPECT_EQ(run.journal.Count("Message", "Send"), 2);
  }
  for (const auto& [button, last] :
       {std::pair{ControlId::cmdGetRow, "Sum of rows=4"},
        std::pair{ControlId::cmdGetRows, "Row count after GetRows = 2"}}) {
    SCOPED_TRACE(std::string(ControlInfo(button).name) + " from the mouse");
    const Outcome run = MouseClick(button, 2);
    const std::string count =
        button == ControlId::cmdGetRow ? "MAPITable.RowCount = 4" : "MAPITable.RowCount = 2";
    ASSERT_EQ(run.BoxTexts(), (std::vector<std::string>{count, last}));
    ExpectBox(run.boxes[0], count, BoxIcon::None);
    ExpectBox(run.boxes[1], last, BoxIcon::None);
    ASSERT_EQ(run.settled, Settled::Idle);
  }
  {
    SCOPED_TRACE("Test 2 from the mouse");
    const Outcome run = MouseClick(ControlId::cmdTest2);
    ASSERT_EQ(run.settled, Settled::Idle);
    const auto lines = Lines(run.BoxAfter());
    ASSERT_EQ(lines.size(), 4u) << run.BoxAfter();
    EXPECT_EQ(lines.front(), "Logon: messaging subsystem installed.");
    EXPECT_EQ(lines.back(), "Logon: successfully retrieved Inbox.");
  }
  EXPECT_TRUE(store.ReadJournal().AllReleased());
}

}  // namespace
}  // namespace pelterwyn::e2e
