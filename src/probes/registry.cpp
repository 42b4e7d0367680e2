// Placeholder until the registry reader lands.
#include "probes/registry.h"

namespace pelterwyn {
RegValue GetRegValue(RegistryApi&, std::uint32_t, const std::string&, const std::string&) {
  return {};
}
long QueryRegValue(RegistryApi&, RegistryApi::Key, const std::string&, RegValue&) { return -1; }
bool IsPresent(const RegValue& value) { return !std::holds_alternative<std::monostate>(value); }
std::string ToText(const RegValue&) { return {}; }
std::uint16_t GetHighWord(std::int32_t) { return 0; }
std::uint16_t GetLowWord(std::int32_t) { return 0; }
}  // namespace pelterwyn
