// A journal value of any bytes: its escaped form never breaks the line, and
// unescaping gives the value back, as a field and as an array element; a
// call line carrying it anywhere reads back as the call it was written from.
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

  Event call;
  call.pid = 42;
  call.object = "Session#1";
  call.type = "Session";
  call.member = value;
  call.dispid = 119;
  call.flags = "method";
  call.argc = 2;
  call.named = {6};
  call.args = {ParseValue(value),
               ParseValue("VT_ARRAY|VT_VARIANT:[" + EscapeElement("VT_BSTR:" + value) + "]")};
  call.error = -2147221233;
  call.description = value;
  std::string line = Line(call);
  FUZZ_CHECK(line.find_first_of("\r\n") == line.size() - 2);
  line.resize(line.size() - 2);
  call.line = line;
  const auto back = Parse(line);
  FUZZ_CHECK(back && *back == call);
  const auto elements = back->args[1].Elements();
  FUZZ_CHECK(elements.size() == 1 && elements[0] == ParseValue("VT_BSTR:" + value));
  return 0;
}
