#include "support/locale.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace pelterwyn::testing {

int ThisLocale() {
  struct Known {
    const char* lang;
    LCID lcid;
    UINT codePage;
  };
  static constexpr Known kKnown[] = {{"", 0x0409, 1252},
                                     {"de_DE.UTF-8", 0x0407, 1252},
                                     {"fr_FR.UTF-8", 0x040C, 1252},
                                     {"ja_JP.UTF-8", 0x0411, 932}};
  char buffer[64] = {};
  const DWORD n = GetEnvironmentVariableA("PELTERWYN_LANG", buffer, sizeof buffer);
  const std::string lang = n < sizeof buffer ? buffer : "";
  for (int i = 0; i < 4; ++i) {
    if (lang != kKnown[i].lang) continue;
    // A case that ran in another locale than it was registered for would pass for nothing.
    EXPECT_EQ(GetUserDefaultLCID(), kKnown[i].lcid) << "PELTERWYN_LANG=" << lang;
    EXPECT_EQ(GetACP(), kKnown[i].codePage) << "PELTERWYN_LANG=" << lang;
    return i;
  }
  ADD_FAILURE() << "no values for PELTERWYN_LANG=" << lang;
  return 0;
}

}  // namespace pelterwyn::testing
