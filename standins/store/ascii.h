#pragma once

#include <string>
#include <string_view>

// ASCII case folding (MAPI compares names without regard to case) and
// trimming, shared by the store.
namespace standin::ascii {

char Lower(char c);
std::string Lowered(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
// Negative, zero or positive, as strcmp, comparing the ASCII-lowered bytes.
int CompareNoCase(std::string_view a, std::string_view b);
std::string_view Trim(std::string_view s);

}  // namespace standin::ascii
