#include "store/journal_line.h"

#include <cstdio>

namespace standin::journal {
namespace {

std::string Hex(unsigned char c) {
  char buffer[5];
  std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
  return buffer;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string Escape(std::string_view value) {
  std::string out;
  for (char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += Hex(c);
        } else {
          out += ch;
        }
    }
  }
  return out;
}

std::string Unescape(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 >= value.size()) {
      out += value[i];
      continue;
    }
    const char next = value[++i];
    if (next == 't') {
      out += '\t';
    } else if (next == 'r') {
      out += '\r';
    } else if (next == 'n') {
      out += '\n';
    } else if (next == 'x' && i + 2 < value.size() && HexDigit(value[i + 1]) >= 0 &&
               HexDigit(value[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(value[i + 1]) * 16 + HexDigit(value[i + 2]));
      i += 2;
    } else {
      out += next;
    }
  }
  return out;
}

std::string EscapeElement(std::string_view value) {
  std::string out;
  for (char ch : value) {
    if (ch == ',' || ch == '[' || ch == ']' || ch == '\\') {
      out += Hex(static_cast<unsigned char>(ch));
    } else {
      out += ch;
    }
  }
  return out;
}

std::string Line(std::string_view event, const std::vector<Field>& fields) {
  std::string line(event);
  for (const auto& [key, value] : fields) {
    line += '\t';
    line += key;
    line += '=';
    line += Escape(value);
  }
  return line + "\r\n";
}

}  // namespace standin::journal
