// The Automation conversions the tests rely on, as Wine's oleaut32 gives them
// in the user's locale.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>
#include <utility>

#include "support/locale.h"
#include "win32/locale_win32.h"

namespace pelterwyn::win32 {
namespace {

using testing::PerLocale;

TEST(Locale, TextToInt16FollowsAutomationRulesInEachLocale) {
  Win32Locale locale;
  // The user types the count in their own format: halves go to the even
  // neighbour after the locale's decimal separator.
  const auto [half, oneAndAHalf] = PerLocale<std::pair<std::string, std::string>>{
      {"2.5", "3.5"},
      {"2,5", "3,5"},
      {"2,5", "3,5"},
      {"2.5", "3.5"}}.Current();
  EXPECT_EQ(locale.TextToInt16(half), 2);
  EXPECT_EQ(locale.TextToInt16(oneAndAHalf), 4);
  // "." groups thousands in German and is no separator in French.
  EXPECT_EQ(locale.TextToInt16("1.000"),
            (PerLocale<std::optional<std::int16_t>>{1, 1000, std::nullopt, 1}.Current()));
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
  EXPECT_EQ(locale.InvariantTextToSingle("8.50"), 8.5f);
  EXPECT_EQ(locale.InvariantTextToSingle("12"), 12.0f);
  EXPECT_EQ(locale.InvariantTextToSingle("x"), std::nullopt);
  EXPECT_EQ(locale.SingleToText(8.5f), "8.5");
  EXPECT_EQ(locale.SingleToText(10.0f), "10");
}

TEST(Locale, GeneralDateIsShortDateAndLongTimeInEachLocale) {
  // The parts' order, and the hour on a 12-hour clock with AM or PM or on a
  // 24-hour one. Wine writes German and Japanese dates without leading zeros
  // (5.3.2024, 2024/3/5), Windows with them.
  struct Form {
    const char* pattern;
    int year, month, day;  // groups of the pattern; the time follows in 5, 6, 7 (and 8)
  };
  const Form form = PerLocale<Form>{
      {R"((\d{1,2})/(\d{1,2})/(\d{4})( (\d{1,2}):(\d{2}):(\d{2}) ([AP]M))?)", 3, 1, 2},
      {R"((\d{1,2})\.(\d{1,2})\.(\d{4})( (\d{2}):(\d{2}):(\d{2}))?)", 3, 2, 1},
      {R"((\d{2})/(\d{2})/(\d{4})( (\d{2}):(\d{2}):(\d{2}))?)", 3, 2, 1},
      {R"((\d{4})/(\d{1,2})/(\d{1,2})( (\d{1,2}):(\d{2}):(\d{2}))?)", 1, 2,
       3}}.Current();
  SYSTEMTIME before{};
  GetLocalTime(&before);
  const std::string now = Win32Locale().NowAsGeneralDate();
  SYSTEMTIME after{};
  GetLocalTime(&after);

  std::smatch m;
  ASSERT_TRUE(std::regex_match(now, m, std::regex(form.pattern))) << now;
  const auto number = [&](int group) { return std::stoi(m[group].str()); };
  const bool midnight = !m[4].matched;
  int hour = midnight ? 0 : number(5);
  if (m[8].matched) hour = hour % 12 + (m[8] == "PM" ? 12 : 0);
  // Read just before or just after: a day or an hour may have turned meanwhile.
  const auto at = [&](const SYSTEMTIME& t) {
    return number(form.year) == t.wYear && number(form.month) == t.wMonth &&
           number(form.day) == t.wDay && hour == t.wHour;
  };
  EXPECT_TRUE(at(before) || at(after)) << now;
}

}  // namespace
}  // namespace pelterwyn::win32
