#include "console/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelterwyn {
namespace {

class RecordingStartup final : public StartupApi {
 public:
  void SafeDllSearch() override { calls.push_back("safe DLL search"); }
  void KeepWindowFromGhosting() override { calls.push_back("no ghosting"); }
  int RunWindow() override {
    calls.push_back("window");
    return 7;
  }
  std::vector<std::string> calls;
};

TEST(Startup, SafeDllSearchFirstThenNoGhostingThenTheWindowWhoseExitCodeItReturns) {
  RecordingStartup platform;
  EXPECT_EQ(Start(platform), 7);
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"safe DLL search", "no ghosting", "window"}));
}

}  // namespace
}  // namespace pelterwyn
