// Runs one Logon as a user would, for scripts/run: types the server and the
// mailbox, presses Enter, waits for the run to end, prints the result box and
// the lines the run added to Pelterwyn.log, and saves a screenshot.
//
//   demo.exe --exe PATH --server NAME --mailbox NAME --screenshot FILE.bmp [--timeout SECONDS]
#include <cstdio>
#include <limits>
#include <map>
#include <string>

#include "e2e/driver/app.h"
#include "support/files.h"

namespace {

using namespace pelterwyn;
using namespace pelterwyn::e2e;
using pelterwyn::testing::ReadFileBytes;

int Usage() {
  std::fprintf(stderr,
               "usage: demo --exe PATH --server NAME --mailbox NAME --screenshot FILE.bmp "
               "[--timeout SECONDS]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> args{{"--timeout", "120"}};
  for (int i = 1; i + 1 < argc; i += 2) args[argv[i]] = argv[i + 1];
  for (const char* required : {"--exe", "--server", "--mailbox", "--screenshot"}) {
    if (!args.count(required)) return Usage();
  }
  const DWORD timeoutMs = static_cast<DWORD>(std::stoul(args["--timeout"]) * 1000);

  // In place, so that the log grows where the user will look for it.
  App app;
  if (!app.Start({.exePath = args["--exe"], .privateCopy = false})) {
    std::fprintf(stderr, "demo: %s\n", app.Error().c_str());
    return 1;
  }
  const std::string logStart = ReadFileBytes(app.LogPath());

  app.Type(ControlId::txtServer, args["--server"]);
  app.Type(ControlId::txtAlias, args["--mailbox"]);
  // The focus starts in the server field: Enter there presses Logon.
  if (!app.PressKey(VK_RETURN)) {
    std::fprintf(stderr, "demo: cannot press keys in the window\n");
    return 1;
  }
  // See that Enter started a run before waiting for its end.
  if (!WaitUntil(
          [&] { return !app.Text(ControlId::txtResult).empty() || app.CurrentBox().has_value(); },
          timeoutMs)) {
    std::fprintf(stderr, "demo: Enter started no run\n");
    return 1;
  }
  // Answer any box the run shows, and wait for it to end.
  const auto print = [](const MessageBoxInfo& box) {
    std::printf("Message box \"%s\" (icon: %s):\n%s\n\n", box.caption.c_str(), IconName(box.icon),
                box.text.c_str());
  };
  if (app.Settle(std::numeric_limits<int>::max(), timeoutMs, print) != Settled::Idle) {
    std::fprintf(stderr, "demo: the run did not finish\n");
    return 1;
  }

  std::printf("Result box:\n%s\n", app.Text(ControlId::txtResult).c_str());
  const std::string log = ReadFileBytes(app.LogPath());
  std::printf("New lines of %s:\n%s\n", app.LogPath().c_str(),
              log.size() >= logStart.size() ? log.substr(logStart.size()).c_str() : log.c_str());

  const auto shot = app.Capture();
  if (!shot || !shot->SaveBmp(args["--screenshot"])) {
    std::fprintf(stderr, "demo: cannot save the screenshot\n");
    return 1;
  }
  return app.Close() ? 0 : 1;
}
