// A journal value of any bytes: its escaped form never breaks the line, and
// unescaping gives the value back, as a field and as an array element.
#include <cstddef>
#include <cstdint>
#include <string>

#include "check.h"
#include "store/journal_line.h"

using namespace standin::journal;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string value(reinterpret_cast<const char*>(data), size);

  const std::string escaped = Escape(value);
  for (const char c : escaped) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
  FUZZ_CHECK(Unescape(escaped) == value);

  const std::string element = EscapeElement(value);
  FUZZ_CHECK(element.find_first_of(",[]") == std::string::npos);
  FUZZ_CHECK(Unescape(element) == value);
  return 0;
}
