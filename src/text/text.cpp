#include "text/text.h"

#include <algorithm>

namespace pelterwyn {

namespace {
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool EqualNoCase(char a, char b) { return Lower(a) == Lower(b); }
}  // namespace

bool ContainsNoCase(const std::string& text, const std::string& find) {
  return std::search(text.begin(), text.end(), find.begin(), find.end(), EqualNoCase) != text.end();
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), EqualNoCase);
}

std::string ReplaceNoCase(const std::string& text, const std::string& find,
                          const std::string& replacement) {
  if (find.empty()) return text;
  std::string result;
  auto rest = text.begin();
  for (;;) {
    const auto hit = std::search(rest, text.end(), find.begin(), find.end(), EqualNoCase);
    result.append(rest, hit);
    if (hit == text.end()) return result;
    result += replacement;
    rest = hit + static_cast<std::ptrdiff_t>(find.size());
  }
}

}  // namespace pelterwyn
