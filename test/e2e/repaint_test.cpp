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
  // About 60 ms each against the stand-ins.
  Fill({.server = "EXCHANGE1", .mailbox = "jsmith", .count = "60"});

  RECT box{};
  GetWindowRect(app.Control(ControlId::txtResult), &box);
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
  EXPECT_EQ(run.BoxAfter().rfind("Sending message 60", 0), 0u) << run.BoxAfter();
  // Most of the sixty progress texts must have shown; an invalidation left to
  // the next message loop shows a handful.
  EXPECT_GE(whileBusy.size(), 20u) << "the progress did not reach the screen during the run";
}

}  // namespace
}  // namespace pelterwyn::e2e
