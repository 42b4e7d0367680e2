#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Small text helpers shared by the store: ASCII case folding (MAPI compares
// names without regard to case), trimming, and UTF-8 paths.
namespace standin::text {

char Lower(char c);
std::string Lowered(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
// Negative, zero or positive, as strcmp, comparing the ASCII-lowered bytes.
int CompareNoCase(std::string_view a, std::string_view b);
std::string_view Trim(std::string_view s);

// Paths hold UTF-8 text in the store's API on every platform.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace standin::text
