#include "console/trace_log.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "fake_window.h"

namespace pelterwyn {
namespace {

constexpr const char* kLog = "C:\\Tools\\Pelterwyn.log";

struct TraceLogTest : ::testing::Test {
  fakes::FakeWindow window;
  fakes::FakeFiles files;
  fakes::FakeLocale locale;
  TraceLog trace{window, files, locale};
};

TEST_F(TraceLogTest, MessageLineGoesToFileWithTimestampAndToBoxBare) {
  window.Result() = "before\r\n";
  trace.LogTrace("Instantiated CDO", false);
  EXPECT_EQ(files.files[kLog], "3/5/2024 2:07:09 PM:Instantiated CDO\r\n");
  EXPECT_EQ(window.Result(), "before\r\nInstantiated CDO\r\n");
}

TEST_F(TraceLogTest, SeparatorIsTwentyEqualsInFileOnlyWhateverTheMessage) {
  window.Result() = "kept";
  trace.LogTrace("ignored", true);
  EXPECT_EQ(files.files[kLog], "====================\r\n");
  EXPECT_EQ(window.Result(), "kept");
}

TEST_F(TraceLogTest, EmptyMessageAndMidnightDateAndEmbeddedBreaksPassUnchanged) {
  locale.now = "3/5/2024";
  trace.LogTrace("", false);
  trace.LogTrace("Calling LoadLibrary\r\n", false);
  EXPECT_EQ(files.files[kLog], "3/5/2024:\r\n3/5/2024:Calling LoadLibrary\r\n\r\n");
  EXPECT_EQ(window.Result(), "\r\nCalling LoadLibrary\r\n\r\n");
}

TEST_F(TraceLogTest, UnwritableFileStillExtendsTheBox) {
  files.readOnly = true;
  trace.LogTrace("one", false);
  trace.LogTrace("", true);
  trace.LogTrace("two", false);
  EXPECT_TRUE(files.files.empty());
  EXPECT_EQ(window.Result(), "one\r\ntwo\r\n");
}

TEST_F(TraceLogTest, PathIsWorkedOutOnEveryCall) {
  trace.LogTrace("a", false);
  files.exeDir = "D:\\Moved";
  trace.LogTrace("b", false);
  EXPECT_EQ(files.files[kLog], "3/5/2024 2:07:09 PM:a\r\n");
  EXPECT_EQ(files.files["D:\\Moved\\Pelterwyn.log"], "3/5/2024 2:07:09 PM:b\r\n");
  EXPECT_EQ(trace.Path(), L"D:\\Moved\\Pelterwyn.log");
}

}  // namespace
}  // namespace pelterwyn
