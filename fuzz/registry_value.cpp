// One registry value of any type, size and data, also one that changes
// between the size query and the data query, read as the probes read it.
// Input: the type, a mode byte, then the stored bytes. Mode: low two bits 1
// the value grows by a byte before the data query, 2 it loses its last byte,
// 3 the data query fails; high four bits, when not 0, the type it has by then.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <variant>
#include <vector>

#include "check.h"
#include "fake_registry.h"
#include "probes/registry.h"

using namespace pelterwyn;

namespace {

constexpr const char* kKey = "Software\\Pelterwyn";
constexpr const char* kName = "Value";

struct Stored {
  std::uint32_t type;
  std::vector<std::uint8_t> bytes;
};

void Prepare(fakes::FakeRegistry& registry, const Stored& before, const Stored& after,
             unsigned mode) {
  registry.Set(kHkeyLocalMachine, kKey, kName, before.type, before.bytes);
  if ((mode & 3) == 3) registry.failDataQueryWith = 5;
  registry.beforeDataQuery = [&registry, after](const std::string&) {
    registry.Set(kHkeyLocalMachine, kKey, kName, after.type, after.bytes);
  };
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned mode = data[1];
  const Stored before{data[0], std::vector<std::uint8_t>(data + 2, data + size)};
  Stored after = before;
  if ((mode & 3) == 1) after.bytes.push_back(0x41);
  if ((mode & 3) == 2 && !after.bytes.empty()) after.bytes.pop_back();
  if ((mode >> 4) != 0) after.type = mode >> 4;

  RegValue value;
  long status = 0;
  {
    fakes::FakeRegistry registry;
    Prepare(registry, before, after, mode);
    RegistryKey key(registry);
    FUZZ_CHECK(registry.OpenKey(kHkeyLocalMachine, kKey, key.out()) == 0);
    status = QueryRegValue(registry, key.get(), kName, value);
  }
  FUZZ_CHECK(status == 0 || !IsPresent(value));
  if (status == 0) {
    const auto& got = after.bytes;
    switch (before.type) {
      case kRegSz:
      case kRegExpandSz:
        FUZZ_CHECK(std::get<std::string>(value) == std::string(got.begin(), got.end()));
        break;
      case kRegDword: {
        std::uint32_t number = 0;
        if (!got.empty()) std::memcpy(&number, got.data(), got.size());
        FUZZ_CHECK(std::get<std::int32_t>(value) == static_cast<std::int32_t>(number));
        break;
      }
      case kRegBinary:
        FUZZ_CHECK(std::get<std::string>(value).size() == (got.empty() ? 0 : got.size() * 3 - 1));
        break;
      default:
        FUZZ_CHECK(false);
    }
  }

  // The same through the key path, which also drops one stored terminator.
  fakes::FakeRegistry registry;
  Prepare(registry, before, after, mode);
  const RegValue read = GetRegValue(registry, kHkeyLocalMachine, kKey, kName);
  FUZZ_CHECK(registry.OpenHandles() == 0);
  if (const auto* text = std::get_if<std::string>(&value);
      text && !text->empty() && text->back() == '\0') {
    FUZZ_CHECK(read == RegValue(text->substr(0, text->size() - 1)));
  } else {
    FUZZ_CHECK(read == value);
  }
  return 0;
}
