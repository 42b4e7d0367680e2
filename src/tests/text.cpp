#include "tests/text.h"

#include <algorithm>
#include <cctype>

namespace pelterwyn {

namespace {
bool EqualNoCase(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}
}  // namespace

bool ContainsNoCase(const std::string& text, const std::string& find) {
  return std::search(text.begin(), text.end(), find.begin(), find.end(), EqualNoCase) != text.end();
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), EqualNoCase);
}

}  // namespace pelterwyn
