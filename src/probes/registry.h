#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "platform/services.h"

// basRegistry: single registry values, read only.
namespace pelterwyn {

// Empty (absent), text, or a 32-bit integer; the three kinds are distinct.
using RegValue = std::variant<std::monostate, std::string, std::int32_t>;

RegValue GetRegValue(RegistryApi& registry, std::uint32_t rootKey, const std::string& subKey,
                     const std::string& valueName);

// The same, as 32-bit programs see the registry.
RegValue GetRegValue32(RegistryApi& registry, std::uint32_t rootKey, const std::string& subKey,
                       const std::string& valueName);

// Reads one value of an open key (key may be 0). valueData must come in empty
// and is left empty on every failure. Returns 0, the platform's status, or -1
// for a type that is not converted.
long QueryRegValue(RegistryApi& registry, RegistryApi::Key key, const std::string& valueName,
                   RegValue& valueData);

bool IsPresent(const RegValue& value);
// Empty gives "", an integer its decimal digits.
std::string ToText(const RegValue& value);

std::uint16_t GetHighWord(std::int32_t number);
std::uint16_t GetLowWord(std::int32_t number);

}  // namespace pelterwyn
