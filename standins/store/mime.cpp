#include "store/mime.h"

#include <cstdio>

#include "store/ascii.h"

namespace standin::mime {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool IsPrintableAscii(std::string_view s) {
  for (char c : s) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

// Text that reads back as it was written: no encoded word to decode in it,
// and no blank at either end for the header's unfolding to drop.
bool ReadsBackPlain(std::string_view s) {
  return IsPrintableAscii(s) && s.find("=?") == std::string_view::npos &&
         ascii::Trim(s).size() == s.size();
}

bool IsAtomText(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'*+-/=?^_`{|}~ ").find(c) != std::string_view::npos;
}

// Splits UTF-8 text into pieces of at most maxBytes without cutting a character.
std::vector<std::string_view> SplitUtf8(std::string_view s, std::size_t maxBytes) {
  std::vector<std::string_view> pieces;
  while (!s.empty()) {
    std::size_t n = s.size() <= maxBytes ? s.size() : maxBytes;
    while (n < s.size() && n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    if (n == 0) n = s.size() <= maxBytes ? s.size() : maxBytes;
    pieces.push_back(s.substr(0, n));
    s.remove_prefix(n);
  }
  return pieces;
}

std::string EncodedWords(std::string_view utf8) {
  std::string out;
  for (std::string_view piece : SplitUtf8(utf8, 45)) {
    if (!out.empty()) out += "\r\n ";
    out += "=?utf-8?B?" + Base64Encode(Bytes(piece.begin(), piece.end()), 0) + "?=";
  }
  return out;
}

// Decodes one word of the form EncodedWords writes, "=?utf-8?B?...?=";
// nullopt for anything else.
std::optional<std::string> DecodeWord(std::string_view word) {
  constexpr std::string_view kStart = "=?utf-8?b?";
  if (!ascii::StartsWithNoCase(word, kStart) || word.size() < kStart.size() + 2 ||
      !word.ends_with("?=")) {
    return std::nullopt;
  }
  auto bytes = Base64Decode(word.substr(kStart.size(), word.size() - kStart.size() - 2));
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

std::string QuotedString(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string Unquote(std::string_view s) {
  s = ascii::Trim(s);
  if (s.size() < 2 || s.front() != '"' || s.back() != '"') return std::string(s);
  std::string out;
  for (std::size_t i = 1; i + 1 < s.size(); ++i) {
    if (s[i] == '\\' && i + 2 < s.size()) ++i;
    out += s[i];
  }
  return out;
}

std::string PercentEncode(std::string_view s) {
  std::string out;
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
        c == '-' || c == '_') {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

// Body lines with CR LF ends, whatever the caller used.
std::string CrLfLines(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      out += "\r\n";
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else if (s[i] == '\n') {
      out += "\r\n";
    } else {
      out += s[i];
    }
  }
  return out;
}

bool FitsSevenBit(std::string_view crlfText) {
  std::size_t lineLength = 0;
  for (char c : crlfText) {
    if (static_cast<unsigned char>(c) >= 0x80 || c == '\0') return false;
    if (c == '\n') {
      lineLength = 0;
    } else if (++lineLength > 998) {
      return false;
    }
  }
  return true;
}

std::string HeaderLine(std::string_view name, std::string_view value) {
  return std::string(name) + ": " + std::string(value) + "\r\n";
}

std::string FileNameParameters(std::string_view attribute, std::string_view name) {
  if (IsPrintableAscii(name)) return std::string(attribute) + "=" + QuotedString(name);
  return std::string(attribute) + "*=utf-8''" + PercentEncode(name);
}

}  // namespace

std::string Base64Encode(const Bytes& data, std::size_t lineLength) {
  std::string out;
  std::size_t column = 0;
  const auto put = [&](char c) {
    if (lineLength != 0 && column == lineLength) {
      out += "\r\n";
      column = 0;
    }
    out += c;
    ++column;
  };
  std::size_t i = 0;
  for (; i + 3 <= data.size(); i += 3) {
    const unsigned v = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
    put(kAlphabet[(v >> 18) & 63]);
    put(kAlphabet[(v >> 12) & 63]);
    put(kAlphabet[(v >> 6) & 63]);
    put(kAlphabet[v & 63]);
  }
  if (data.size() - i == 1) {
    const unsigned v = data[i] << 16;
    put(kAlphabet[(v >> 18) & 63]);
    put(kAlphabet[(v >> 12) & 63]);
    put('=');
    put('=');
  } else if (data.size() - i == 2) {
    const unsigned v = (data[i] << 16) | (data[i + 1] << 8);
    put(kAlphabet[(v >> 18) & 63]);
    put(kAlphabet[(v >> 12) & 63]);
    put(kAlphabet[(v >> 6) & 63]);
    put('=');
  }
  return out;
}

std::optional<Bytes> Base64Decode(std::string_view text) {
  Bytes out;
  unsigned buffer = 0;
  int bits = 0;
  bool padding = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (c == '=') {
      padding = true;
      continue;
    }
    const int v = Base64Value(c);
    if (v < 0 || padding) return std::nullopt;
    buffer = (buffer << 6) | static_cast<unsigned>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<unsigned char>((buffer >> bits) & 0xFF));
    }
  }
  return out;
}

std::string EncodeHeaderText(std::string_view utf8) {
  if (ReadsBackPlain(utf8) && utf8.size() <= 900) return std::string(utf8);
  return EncodedWords(utf8);
}

std::string DecodeHeaderText(std::string_view value) {
  std::string out;
  std::string pendingSpace;
  bool lastWasEncoded = false;
  std::size_t i = 0;
  while (i < value.size()) {
    if (value[i] == ' ' || value[i] == '\t') {
      pendingSpace += value[i++];
      continue;
    }
    std::size_t end = i;
    while (end < value.size() && value[end] != ' ' && value[end] != '\t') ++end;
    const std::string_view token = value.substr(i, end - i);
    if (auto decoded = DecodeWord(token)) {
      if (!lastWasEncoded) out += pendingSpace;  // space between two encoded words goes
      out += *decoded;
      lastWasEncoded = true;
    } else {
      out += pendingSpace;
      out += token;
      lastWasEncoded = false;
    }
    pendingSpace.clear();
    i = end;
  }
  return out + pendingSpace;
}

std::string FormatAddress(std::string_view displayName, std::string_view address) {
  if (displayName.empty()) return std::string(address);
  std::string phrase;
  bool atoms = true;
  for (char c : displayName) atoms = atoms && IsAtomText(c);
  if (!ReadsBackPlain(displayName)) {
    phrase = EncodedWords(displayName);
  } else if (atoms) {
    phrase = std::string(displayName);
  } else {
    phrase = QuotedString(displayName);
  }
  return phrase + " <" + std::string(address) + ">";
}

// The index of the first character outside quoted text for which
// stop(character, depth of <...>) holds; npos when there is none.
template <class Stop>
std::size_t FindOutsideQuotes(std::string_view v, Stop stop) {
  bool quoted = false;
  int angle = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\\' && quoted) {
      ++i;
    } else if (v[i] == '"') {
      quoted = !quoted;
    } else if (!quoted) {
      if (stop(v[i], angle)) return i;
      if (v[i] == '<') ++angle;
      if (v[i] == '>') --angle;
    }
  }
  return std::string_view::npos;
}

Address ParseAddress(std::string_view fieldValue) {
  std::string_view v = ascii::Trim(fieldValue);
  // Only the first address of a list.
  const std::size_t comma =
      FindOutsideQuotes(v, [](char c, int angle) { return angle == 0 && c == ','; });
  if (comma != std::string_view::npos) v = v.substr(0, comma);
  Address result;
  const std::size_t lt = FindOutsideQuotes(v, [](char c, int) { return c == '<'; });
  if (lt != std::string_view::npos) {
    const auto gt = v.find('>', lt);
    result.address =
        std::string(ascii::Trim(v.substr(lt + 1, gt == v.npos ? v.npos : gt - lt - 1)));
    result.name = DecodeHeaderText(Unquote(v.substr(0, lt)));
    return result;
  }
  result.address = std::string(v);
  return result;
}

std::string FormatDate(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  const auto secondsSinceEpoch = floor<seconds>(when);
  const auto day = floor<days>(secondsSinceEpoch);
  const year_month_day ymd{day};
  const weekday wd{day};
  const hh_mm_ss hms{secondsSinceEpoch - day};
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s, %02u %s %04d %02d:%02d:%02d +0000",
                kDays[wd.c_encoding()], static_cast<unsigned>(ymd.day()),
                kMonths[static_cast<unsigned>(ymd.month()) - 1], static_cast<int>(ymd.year()),
                static_cast<int>(hms.hours().count()), static_cast<int>(hms.minutes().count()),
                static_cast<int>(hms.seconds().count()));
  return buffer;
}

Headers Headers::Parse(std::string_view message) {
  Headers headers;
  std::size_t pos = 0;
  std::string name;
  std::string value;
  const auto flush = [&] {
    if (!name.empty()) headers.fields_.emplace_back(name, std::string(ascii::Trim(value)));
    name.clear();
    value.clear();
  };
  while (pos < message.size()) {
    auto end = message.find('\n', pos);
    if (end == std::string_view::npos) end = message.size();
    std::string_view line = message.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) break;  // end of the header block
    if (line.front() == ' ' || line.front() == '\t') {
      value += std::string(line);  // unfold: the line break goes, the blank stays
      continue;
    }
    flush();
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    name = std::string(ascii::Trim(line.substr(0, colon)));
    value = std::string(line.substr(colon + 1));
  }
  flush();
  return headers;
}

std::optional<std::string> Headers::Get(std::string_view name) const {
  for (const auto& [n, v] : fields_) {
    if (ascii::EqualsNoCase(n, name)) return v;
  }
  return std::nullopt;
}

std::string Compose(const Composition& message) {
  std::string out;
  out += HeaderLine("From", message.from);
  std::string to;
  for (const std::string& address : message.to) {
    if (!to.empty()) to += ",\r\n ";
    to += address;
  }
  if (!to.empty()) out += HeaderLine("To", to);
  out += HeaderLine("Subject", EncodeHeaderText(message.subject));
  out += HeaderLine("Date", message.date);
  out += HeaderLine("Message-ID", "<" + message.messageId + ">");
  out += HeaderLine("MIME-Version", "1.0");

  const std::string body = CrLfLines(message.text);
  std::string bodyHeaders = "Content-Type: text/plain; charset=\"utf-8\"\r\n";
  std::string bodyContent;
  if (FitsSevenBit(body)) {
    bodyHeaders += "Content-Transfer-Encoding: 7bit\r\n";
    bodyContent = body;
  } else {
    bodyHeaders += "Content-Transfer-Encoding: base64\r\n";
    bodyContent = Base64Encode(Bytes(body.begin(), body.end()));
  }
  if (bodyContent.size() < 2 || bodyContent.substr(bodyContent.size() - 2) != "\r\n") {
    bodyContent += "\r\n";
  }

  if (message.attachments.empty()) {
    return out + bodyHeaders + "\r\n" + bodyContent;
  }
  out += "Content-Type: multipart/mixed; boundary=\"" + message.boundary + "\"\r\n\r\n";
  out += "This is a multi-part message in MIME format.\r\n";
  out += "--" + message.boundary + "\r\n" + bodyHeaders + "\r\n" + bodyContent;
  for (const Attachment& attachment : message.attachments) {
    out += "--" + message.boundary + "\r\n";
    out += "Content-Type: application/octet-stream; " +
           FileNameParameters("name", attachment.name) + "\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "Content-Disposition: attachment; " + FileNameParameters("filename", attachment.name) +
           "\r\n\r\n";
    out += Base64Encode(attachment.data);
    out += "\r\n";
  }
  out += "--" + message.boundary + "--\r\n";
  return out;
}

}  // namespace standin::mime
