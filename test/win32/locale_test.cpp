// The Automation conversions the tests rely on, as Wine's oleaut32 gives them
// in the en-US locale that LANG=C selects.
#include <gtest/gtest.h>

#include <regex>

#include "win32/platform_win32.h"

namespace pelterwyn::win32 {
namespace {

TEST(Locale, TextToInt16FollowsAutomationRules) {
  Win32Locale locale;
  EXPECT_EQ(locale.TextToInt16("2.5"), 2);  // halves go to the even neighbour
  EXPECT_EQ(locale.TextToInt16("3.5"), 4);
  EXPECT_EQ(locale.TextToInt16(" 7 "), 7);
  EXPECT_EQ(locale.TextToInt16("-3"), -3);
  EXPECT_EQ(locale.TextToInt16("32767"), 32767);
  EXPECT_EQ(locale.TextToInt16("32768"), std::nullopt);
  EXPECT_EQ(locale.TextToInt16("40000"), std::nullopt);
  EXPECT_EQ(locale.TextToInt16(""), std::nullopt);
  EXPECT_EQ(locale.TextToInt16("abc"), std::nullopt);
}

TEST(Locale, SingleConversionsGiveShortestForms) {
  Win32Locale locale;
  EXPECT_EQ(locale.TextToSingle("8.50"), 8.5f);
  EXPECT_EQ(locale.TextToSingle("12"), 12.0f);
  EXPECT_EQ(locale.TextToSingle("x"), std::nullopt);
  EXPECT_EQ(locale.SingleToText(8.5f), "8.5");
  EXPECT_EQ(locale.SingleToText(10.0f), "10");
}

TEST(Locale, GeneralDateIsShortDateAndLongTime) {
  Win32Locale locale;
  const std::string now = locale.NowAsGeneralDate();
  // m/d/yyyy h:mm:ss AM|PM, or the date alone at exactly midnight.
  EXPECT_TRUE(std::regex_match(now, std::regex(R"(\d{1,2}/\d{1,2}/\d{4}( \d{1,2}:\d{2}:\d{2} [AP]M)?)")))
      << now;
}

}  // namespace
}  // namespace pelterwyn::win32
