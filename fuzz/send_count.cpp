// The send test with any text in its count field: it sends the number the
// locale reads from it (500 for no number or 0, none for a negative one),
// shows each pass, and releases every object it made.
#include <cstddef>
#include <cstdint>
#include <string>

#include "check.h"
#include "fakes/harness.h"

using namespace pelterwyn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  fakes::Harness h;
  h.Type(ControlId::txtServer, "EXCHANGE1");
  h.Type(ControlId::txtAlias, "jsmith");
  h.Type(ControlId::txtCount, text);
  h.Click(ControlId::cmdSend);

  int expected = h.locale.TextToInt16(text).value_or(0);
  if (expected == 0) expected = 500;
  if (expected < 0) expected = 0;
  FUZZ_CHECK(h.world.Count("Message.Send(") == expected);
  FUZZ_CHECK(h.world.Count("refresh txtResult: Sending message ") == expected);
  FUZZ_CHECK(h.world.live == 0);
  return 0;
}
