#include "console/about.h"

#include <gtest/gtest.h>

namespace pelterwyn {
namespace {

TEST(About, VersionPadsMinorToTwoAndRevisionToFourDigits) {
  EXPECT_EQ(VersionText(1, 0, 7), "1.00.0007");
  EXPECT_EQ(VersionText(12, 34, 5678), "12.34.5678");
  // Padding only: wider numbers are kept whole.
  EXPECT_EQ(VersionText(0, 123, 65535), "0.123.65535");
}

TEST(About, TextNamesVersionBuildTraceLogAndTheCdoRequirement) {
  const std::string text = AboutText("1.00.0007", 64, "C:\\Tools\\Pelterwyn.log");
  EXPECT_EQ(text.rfind("Pelterwyn 1.00.0007\r\n64-bit build\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("\r\nC:\\Tools\\Pelterwyn.log\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("only the 32-bit build of Pelterwyn can use it."), std::string::npos);
  EXPECT_NE(AboutText("1.00.0007", 32, "x").find("\r\n32-bit build\r\n"), std::string::npos);
}

}  // namespace
}  // namespace pelterwyn
