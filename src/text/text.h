#pragma once

#include <string>

// The core's text rules, shared by every layer of it: CR LF ends a line, and
// comparisons without regard to case fold ASCII letters only.
namespace pelterwyn {

inline constexpr const char* kCrLf = "\r\n";

bool ContainsNoCase(const std::string& text, const std::string& find);
bool StartsWithNoCase(const std::string& text, const std::string& prefix);
// Replaces every occurrence of find, left to right.
std::string ReplaceNoCase(const std::string& text, const std::string& find,
                          const std::string& replacement);

}  // namespace pelterwyn
