// A message file of any content, read as the contents table reads it; and any
// bytes sent as a subject or a display name, read back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "check.h"
#include "store/mime.h"

using namespace standin::mime;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const Bytes bytes(data, data + size);

  const Headers headers = Headers::Parse(input);
  for (const auto& [name, value] : headers.Fields()) {
    DecodeHeaderText(value);
    ParseAddress(value);
  }
  if (const auto decoded = Base64Decode(input)) {
    FUZZ_CHECK(Base64Decode(Base64Encode(*decoded)) == decoded);
  }
  FUZZ_CHECK(Base64Decode(Base64Encode(bytes)) == bytes);

  Composition mail;
  mail.from = FormatAddress(input, "sender@example.com");
  mail.to = {FormatAddress(input, "to@example.com")};
  mail.subject = std::string(input);
  mail.date = "Tue, 05 Mar 2024 14:07:09 +0000";
  mail.messageId = "1@example.com";
  mail.boundary = "=_boundary";
  const Headers sent = Headers::Parse(Compose(mail));
  FUZZ_CHECK(DecodeHeaderText(sent.Get("Subject").value_or("")) == input);
  const Address from = ParseAddress(sent.Get("From").value_or(""));
  FUZZ_CHECK(from.name == input);
  FUZZ_CHECK(from.address == "sender@example.com");
  return 0;
}
