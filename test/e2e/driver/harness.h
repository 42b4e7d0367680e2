#pragma once

// The one fixture of the end-to-end tests: the tool of this build, a private
// copy of the demo mail world and a scratch registry, driven as a user would:
// start, reveal, fill, click. A click returns what it changed, and the tests
// assert on that.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/driver/app.h"
#include "support/bitness.h"
#include "support/files.h"
#include "support/journal.h"
#include "support/scratch_registry.h"
#include "support/store_fixture.h"
#include "support/wine_paths.h"
#include "win32/control_ids.h"

namespace pelterwyn::e2e {

using testing::IndexOf;
using testing::Journal;
using testing::JournalEvent;
using testing::LastIndexOf;

// Keys of the stand-ins' registration, under HKEY_LOCAL_MACHINE.
inline constexpr char kSessionProgIdKey[] = "Software\\Classes\\MAPI.Session";
inline constexpr char kTableProgIdKey[] = "Software\\Classes\\Redemption.MAPITable";
inline constexpr char kCdoClassKey[] =
    "Software\\Classes\\CLSID\\{3FA7DEB3-6438-101B-ACC1-00AA00423326}";

// A message box that came up during a click, with what the stand-ins had
// journaled by the time it showed.
struct ShownBox : MessageBoxInfo {
  Journal journal;
};

// What one click changed.
struct Outcome {
  // Idle; Box when more boxes came up than the click was to answer, or one
  // could not be answered (it stays up); Exited or Timeout.
  Settled settled = Settled::Timeout;
  // The result box: the text the click appended; when it did not keep what
  // the box held, all the box holds, and replaced is set.
  std::string box;
  bool replaced = false;
  std::string boxBefore;
  std::string BoxAfter() const { return replaced ? box : boxBefore + box; }
  // The lines the click added to Pelterwyn.log, each timestamp replaced by
  // "<t>"; a stamp not within the click, or an earlier line that changed, is
  // listed in logProblems.
  std::string log;
  std::vector<std::string> logProblems;
  // The events the stand-ins journaled during the click.
  Journal journal;
  // Every message box that came up, in order.
  std::vector<ShownBox> boxes;
  std::vector<std::string> BoxTexts() const;
};

// What Fill types; fields left out keep what they hold.
struct Fields {
  std::optional<std::string> server{};
  std::optional<std::string> mailbox{};
  std::optional<std::string> count{};
  std::optional<bool> load{};  // the Call LoadLibrary check box
};

struct HarnessOptions {
  bool journal = true;
};

class EndToEnd : public ::testing::Test {
 protected:
  explicit EndToEnd(HarnessOptions options = {});

  // Both end in a fatal failure when the window does not do as asked.
  void Start(const LaunchOptions& launch = {});
  void Reveal();  // the system menu's "Show all tests"
  void Fill(const Fields& fields);

  // Each waits until the run the input starts has ended, answering up to
  // `answer` message boxes with their first button on the way.
  Outcome Click(ControlId button, int answer = 0);         // BM_CLICK, as a click does
  Outcome MouseClick(ControlId control, int answer = 0);   // through the input queue
  Outcome Press(WORD vk, Keys keys = {}, int answer = 0);  // a real key, to the focus
  // Any input act() makes; false from it fails the test.
  Outcome Observe(const std::function<bool()>& act, int answer = 0, DWORD timeoutMs = 60000);

  // Destroyed in reverse: the tool ends before the registry and the store go back.
  testing::StoreFixture store;
  testing::ScratchRegistry registry;
  App app;
};

// The tool as it opens, for the tests of the window itself.
class StartedTool : public EndToEnd {
 protected:
  void SetUp() override { Start(); }
  const int dpi = ScreenDpi();
};

// One line each, for comparisons that print readably.
std::string Joined(const std::vector<std::string>& lines, std::string_view ending = "\n");
// The lines as the result box holds them: each ends in CR LF.
inline std::string BoxLines(const std::vector<std::string>& lines) { return Joined(lines, "\r\n"); }
// The box's text split at CR LF.
std::vector<std::string> Lines(const std::string& text);
// The run ended on its own, without a message box.
void ExpectIdle(const Outcome& run);
// A box of the tool's: "Pelterwyn", the text, the icon, OK alone.
void ExpectBox(const MessageBoxInfo& box, const std::string& text, BoxIcon icon);

}  // namespace pelterwyn::e2e
