#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The journal's line format (README, "The journal"): the event word, then
// key=value fields, separated by tabs, ending in CR LF. Values are escaped so
// that a line never holds a tab or a line break of its own.
namespace standin::journal {

using Field = std::pair<std::string, std::string>;

// Backslash, tab, CR, LF and other control characters become \\, \t, \r, \n, \xHH.
std::string Escape(std::string_view value);
std::string Unescape(std::string_view value);

// An array element's value: additionally ',', '[', ']' and the backslash as
// \xHH, so that "[a,b]" splits at its commas after the field is unescaped.
std::string EscapeElement(std::string_view value);

std::string Line(std::string_view event, const std::vector<Field>& fields);

}  // namespace standin::journal
