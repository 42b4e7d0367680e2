// The window under real keys: tab order, access keys, the default button,
// Enter in the result box, and a result box without the edit control's limit.
#include <gtest/gtest.h>

#include <vector>

#include "e2e/driver/harness.h"

namespace pelterwyn::e2e {
namespace {

class KeyboardTest : public StartedTool {
 protected:
  // Input arrives after sent messages: poll for the focus a key should give.
  void ExpectFocusAfter(WORD vk, Keys keys, ControlId expected) {
    ASSERT_TRUE(app.PressKey(vk, keys));
    WaitUntil([&] { return app.Focus() == expected; });
    EXPECT_EQ(NameOf(app.Focus()), ControlInfo(expected).name);
  }
};

TEST_F(KeyboardTest, TabVisitsTheVisibleControlsInTabOrderOnly) {
  ASSERT_EQ(app.Focus(), ControlId::txtServer);
  for (ControlId next : {ControlId::txtAlias, ControlId::chkLoad, ControlId::cmdLogon,
                         ControlId::txtResult, ControlId::txtServer, ControlId::txtAlias}) {
    ExpectFocusAfter(VK_TAB, {}, next);
  }
  for (ControlId previous : {ControlId::txtServer, ControlId::txtResult, ControlId::cmdLogon}) {
    ExpectFocusAfter(VK_TAB, {.shift = true}, previous);
  }
}

TEST_F(KeyboardTest, AltEAndAltAPutTheFocusIntoTheirFields) {
  ExpectFocusAfter('A', {.alt = true}, ControlId::txtAlias);
  ExpectFocusAfter('E', {.alt = true}, ControlId::txtServer);
  // From the result box, which takes most keys itself.
  // Nothing typed: answered by a box.
  ASSERT_EQ(Click(ControlId::cmdLogon, 1).boxes.size(), 1u);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(app.PressKey(VK_TAB));
  WaitUntil([&] { return app.Focus() == ControlId::txtResult; });
  ASSERT_EQ(app.Focus(), ControlId::txtResult);
  ExpectFocusAfter('A', {.alt = true}, ControlId::txtAlias);
  EXPECT_EQ(app.Text(ControlId::txtResult), "");
  EXPECT_EQ(app.Text(ControlId::txtAlias), "");
}

TEST_F(KeyboardTest, EnterInTheInputFieldsAndTheCheckBoxRunsTheLogonTest) {
  struct Case {
    std::vector<WORD> keysToReach;
    ControlId focus;
  };
  const Case cases[] = {{{}, ControlId::txtServer},
                        {{VK_TAB}, ControlId::txtAlias},
                        {{VK_TAB, VK_TAB}, ControlId::chkLoad}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(ControlInfo(c.focus).name));
    // The failed input check puts the focus back into the server field.
    ASSERT_EQ(app.Focus(), ControlId::txtServer);
    for (WORD vk : c.keysToReach) ASSERT_TRUE(app.PressKey(vk));
    WaitUntil([&] { return app.Focus() == c.focus; });
    ASSERT_EQ(app.Focus(), c.focus);
    const Outcome run = Press(VK_RETURN, {}, 1);
    ASSERT_EQ(run.boxes.size(), 1u) << "Enter did not press Logon";
    ExpectBox(run.boxes[0], "You must enter the Server name!", BoxIcon::Stop);
    EXPECT_EQ(app.CheckState(ControlId::chkLoad), BST_UNCHECKED) << "Enter is not Space";
  }
}

TEST_F(KeyboardTest, EnterInTheResultBoxInsertsALineBreak) {
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(app.PressKey(VK_TAB));
  WaitUntil([&] { return app.Focus() == ControlId::txtResult; });
  ASSERT_EQ(app.Focus(), ControlId::txtResult);
  ASSERT_TRUE(app.TypeKeys("a"));
  ASSERT_TRUE(app.PressKey(VK_RETURN));
  ASSERT_TRUE(app.TypeKeys("b"));
  WaitUntil([&] { return app.Text(ControlId::txtResult) == "a\r\nb"; });
  EXPECT_EQ(app.Text(ControlId::txtResult), "a\r\nb");
  EXPECT_FALSE(app.CurrentBox().has_value());
  EXPECT_EQ(app.Focus(), ControlId::txtResult);
}

TEST_F(KeyboardTest, AClickWhileABoxIsUpStartsNoSecondRun) {
  const Outcome first = Click(ControlId::cmdLogon);  // its box stays up
  ASSERT_EQ(first.settled, Settled::Box);
  app.Click(ControlId::cmdLogon);
  ASSERT_EQ(app.WaitSettled(5000), Settled::Box);
  const auto still = app.CurrentBox();
  ASSERT_TRUE(still.has_value());
  EXPECT_EQ(still->window, first.boxes.at(0).window) << "a second run put up its own box";
  ASSERT_TRUE(app.Dismiss(first.boxes[0]));
  // A second run would show its box before the window takes more input.
  EXPECT_TRUE(app.Checkpoint()) << "the ignored click ran afterwards";
  EXPECT_FALSE(app.CurrentBox().has_value()) << "the ignored click ran afterwards";
}

TEST_F(KeyboardTest, TheResultBoxTakesMoreThanThirtyThousandCharacters) {
  // Typing and the trace's appends both stop at an edit control's limit;
  // setting the whole text does not.
  const std::string filler(35000, 'x');
  app.SetText(ControlId::txtResult, filler);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(app.Control(ControlId::txtResult), EM_SETSEL, filler.size(), filler.size(),
                      SMTO_NORMAL, Patience(5000), &ignored);
  app.Type(ControlId::txtResult, "yz");
  const std::string typed = app.Text(ControlId::txtResult);
  EXPECT_EQ(typed.size(), filler.size() + 2);
  EXPECT_TRUE(typed == filler + "yz") << "ends with " << typed.substr(typed.size() - 10);

  // A Logon run appends its trace lines below.
  app.Type(ControlId::txtServer, "EXCHANGE1");
  app.Type(ControlId::txtAlias, "jsmith");
  const Outcome run = Click(ControlId::cmdLogon);
  ASSERT_EQ(run.settled, Settled::Idle);
  ASSERT_FALSE(run.replaced) << "the text before is gone";
  ASSERT_GT(run.box.size(), 5u);
  EXPECT_EQ(run.box.substr(0, 4), "CDO=");
  EXPECT_EQ(run.box.substr(run.box.size() - 2), "\r\n");
}

}  // namespace
}  // namespace pelterwyn::e2e
