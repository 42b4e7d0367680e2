#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Just enough RFC 5322 / MIME to write a real message and to read back the
// header fields a contents table shows. Text is UTF-8 throughout.
namespace standin::mime {

using Bytes = std::vector<unsigned char>;

// Lines of at most lineLength characters joined by CR LF; 0 for one line.
std::string Base64Encode(const Bytes& data, std::size_t lineLength = 76);
// Skips white space; nullopt on any other character outside the alphabet.
std::optional<Bytes> Base64Decode(std::string_view text);

// Header text as it goes on the wire: plain when it is printable ASCII,
// else RFC 2047 encoded words (UTF-8, base64), folded.
std::string EncodeHeaderText(std::string_view utf8);
// The reverse: decodes the encoded words EncodeHeaderText writes (UTF-8,
// base64); anything else is left as it stands.
std::string DecodeHeaderText(std::string_view value);

// "Display Name <address>", quoted or encoded as needed; the bare address
// when there is no display name.
std::string FormatAddress(std::string_view displayName, std::string_view address);

struct Address {
  std::string name;  // decoded; empty when the field gives none
  std::string address;
};
// The first address of an address field written as FormatAddress writes
// one: "Display Name <address>" or the bare address.
Address ParseAddress(std::string_view fieldValue);

// "Tue, 08 Dec 2026 18:11:32 +0000".
std::string FormatDate(std::chrono::system_clock::time_point when);

// The header block of a message, unfolded, values undecoded.
class Headers {
 public:
  static Headers Parse(std::string_view message);
  std::optional<std::string> Get(std::string_view name) const;  // the first of that name
  const std::vector<std::pair<std::string, std::string>>& Fields() const { return fields_; }

 private:
  std::vector<std::pair<std::string, std::string>> fields_;
};

struct Attachment {
  std::string name;
  Bytes data;
};

struct Composition {
  std::string from;             // a formatted address (FormatAddress)
  std::vector<std::string> to;  // formatted addresses
  std::string subject;
  std::string text;
  std::vector<Attachment> attachments;
  std::string date;       // FormatDate
  std::string messageId;  // without angle brackets
  std::string boundary;   // used when there are attachments
};

// A complete message with CR LF line ends: a text/plain body, or a
// multipart/mixed one with every attachment base64-encoded.
std::string Compose(const Composition& message);

}  // namespace standin::mime
