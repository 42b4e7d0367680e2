// The immediate repaint: while a handler keeps the thread, what it asks to be
// repainted reaches the screen. The send test repaints the result box after
// each progress text.
#include <gtest/gtest.h>

#include <set>

#include "e2e/driver/harness.h"

namespace pelterwyn::e2e {
namespace {

class Repaint : public EndToEnd {
 protected:
  Repaint() : EndToEnd({.journal = false}) {}
};

TEST_F(Repaint, TheResultBoxShowsProgressWhileTheSendTestHoldsTheThread) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(Reveal());
  // Long enough to look at the box many times however fast the passes are.
  Fill({.server = "EXCHANGE1", .mailbox = "jsmith", .count = "200"});

  // Only the box's client area: the scroll bars, redrawn with every new text,
  // change the picture whether the text is painted or not.
  const HWND result = app.Control(ControlId::txtResult);
  RECT box{};
  GetClientRect(result, &box);
  MapWindowPoints(result, nullptr, reinterpret_cast<POINT*>(&box), 2);
  // Pictures of the box taken while the thread answered nothing, before and after.
  std::set<std::uint64_t> whileBusy;
  const Outcome run = Observe(
      [&] {
        app.Click(ControlId::cmdSend);
        if (!WaitUntil([&] { return app.IsBusy(); }, 5000)) {
          ADD_FAILURE() << "the test did not start";
          return false;
        }
        while (app.IsBusy()) {
          const auto shot = Image::CaptureScreen(box);
          if (!shot) return false;
          if (app.IsBusy()) whileBusy.insert(shot->Fingerprint());
        }
        return true;
      },
      0, 120000);
  ASSERT_EQ(run.settled, Settled::Idle);
  EXPECT_EQ(run.BoxAfter().rfind("Sending message 200", 0), 0u) << run.BoxAfter();
  // Painted after each pass, the box shows a new text at most looks; left to
  // the next message loop, it keeps the picture it had when the run began.
  EXPECT_GE(whileBusy.size(), 10u) << "the progress did not reach the screen during the run";
}

}  // namespace
}  // namespace pelterwyn::e2e
