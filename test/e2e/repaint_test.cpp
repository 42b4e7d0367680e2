// The immediate repaint: while a handler keeps the thread, what it asks to be
// repainted reaches the screen. The send test repaints the result box after
// each progress text.
#include <gtest/gtest.h>

#include <set>

#include "e2e/driver/app.h"
#include "support/store_fixture.h"
#include "win32/control_ids.h"

namespace pelterwyn::e2e {
namespace {

bool Busy(HWND window) {
  DWORD_PTR ignored = 0;
  return !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 20, &ignored);
}

std::uint64_t Fingerprint(const Image& image) {
  std::uint64_t hash = 1469598103934665603ull;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) hash = (hash ^ image.At(x, y)) * 1099511628211ull;
  }
  return hash;
}

TEST(Repaint, TheResultBoxShowsProgressWhileTheSendTestHoldsTheThread) {
  testing::StoreFixture store(false);
  App app;
  ASSERT_TRUE(app.Start()) << app.Error();
  app.SysCommand(win32::kSysShowAllTests);
  ASSERT_EQ(app.WaitSettled(5000), Settled::Idle);
  app.Type(ControlId::txtServer, "EXCHANGE1");
  app.Type(ControlId::txtAlias, "jsmith");
  app.SetText(ControlId::txtCount, "60");  // about 60 ms each against the stand-ins

  RECT box{};
  GetWindowRect(app.Control(ControlId::txtResult), &box);
  app.Click(ControlId::cmdSend);
  ASSERT_TRUE(WaitUntil([&] { return Busy(app.Window()); }, 5000)) << "the test did not start";

  // Pictures of the box taken while the thread answered nothing, before and after.
  std::set<std::uint64_t> whileBusy;
  while (Busy(app.Window())) {
    const auto shot = Image::CaptureScreen(box);
    ASSERT_TRUE(shot.has_value());
    if (Busy(app.Window())) whileBusy.insert(Fingerprint(*shot));
  }
  ASSERT_EQ(app.WaitSettled(120000), Settled::Idle);
  EXPECT_EQ(app.Text(ControlId::txtResult).rfind("Sending message 60", 0), 0u)
      << app.Text(ControlId::txtResult);
  // Most of the sixty progress texts must have shown; an invalidation left to
  // the next message loop shows a handful.
  EXPECT_GE(whileBusy.size(), 20u) << "the progress did not reach the screen during the run";
}

}  // namespace
}  // namespace pelterwyn::e2e
