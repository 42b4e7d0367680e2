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
  // The path as the system gives it, outside any one code page.
  const std::wstring log = L"C:\\Pr\u00FCfung-\u65E5\u672C\\Pelterwyn.log";
  const std::wstring text = AboutText(L"1.00.0007", 64, log);
  EXPECT_EQ(text.rfind(L"Pelterwyn 1.00.0007\r\n64-bit build\r\n", 0), 0u) << text;
  EXPECT_NE(text.find(L"\r\n" + log + L"\r\n"), std::wstring::npos) << text;
  EXPECT_NE(text.find(L"only the 32-bit build of Pelterwyn can use it."), std::wstring::npos);
  EXPECT_NE(AboutText(L"1.00.0007", 32, L"x").find(L"\r\n32-bit build\r\n"), std::wstring::npos);
}

}  // namespace
}  // namespace pelterwyn
