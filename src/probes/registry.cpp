#include "probes/registry.h"

#include <algorithm>
#include <array>
#include <exception>

namespace pelterwyn {

namespace {

constexpr std::uint32_t kBinaryBufferSize = 255;

std::string HexGroups(const std::uint8_t* bytes, std::uint32_t count) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::uint32_t i = 0; i < count; ++i) {
    text += ' ';
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

namespace {

template <typename Open>
RegValue ReadValue(RegistryApi& registry, Open open, const std::string& valueName) {
  RegistryKey key(registry);
  try {
    open(key.out());
    RegValue value;
    QueryRegValue(registry, key.get(), valueName, value);
    // The stored terminator of a string value; only one goes.
    if (auto* text = std::get_if<std::string>(&value);
        text && !text->empty() && text->back() == '\0')
      text->pop_back();
    return value;
  } catch (const std::exception&) {
    // Empty text, not absent: callers take absent to mean the value does not
    // exist, which a failed read does not show.
    return std::string();
  }
}

}  // namespace

RegValue GetRegValue(RegistryApi& registry, std::uint32_t rootKey, const std::string& subKey,
                     const std::string& valueName) {
  return ReadValue(
      registry, [&](RegistryApi::Key* key) { registry.OpenKey(rootKey, subKey, key); }, valueName);
}

RegValue GetRegValue32(RegistryApi& registry, std::uint32_t rootKey, const std::string& subKey,
                       const std::string& valueName) {
  return ReadValue(
      registry, [&](RegistryApi::Key* key) { registry.OpenKey32(rootKey, subKey, key); },
      valueName);
}

long QueryRegValue(RegistryApi& registry, RegistryApi::Key key, const std::string& valueName,
                   RegValue& valueData) {
  std::uint32_t type = kRegNone;
  std::uint32_t size = 0;
  long status = registry.QueryValue(key, valueName, &type, nullptr, &size);
  if (status != 0) return status;

  switch (type) {
    case kRegSz:
    case kRegExpandSz: {
      std::string buffer(size, '\0');
      status = registry.QueryValue(key, valueName, &type,
                                   reinterpret_cast<std::uint8_t*>(buffer.data()), &size);
      if (status != 0) {
        valueData = std::monostate{};
        return status;
      }
      buffer.resize(std::min<std::size_t>(size, buffer.size()));
      valueData = std::move(buffer);
      return status;
    }
    case kRegDword: {
      std::uint32_t raw = 0;
      std::uint32_t rawSize = sizeof raw;
      status = registry.QueryValue(key, valueName, &type, reinterpret_cast<std::uint8_t*>(&raw),
                                   &rawSize);
      if (status == 0) valueData = static_cast<std::int32_t>(raw);
      return status;
    }
    case kRegBinary: {
      std::array<std::uint8_t, kBinaryBufferSize> buffer{};
      size = std::min(size, kBinaryBufferSize);
      status = registry.QueryValue(key, valueName, &type, buffer.data(), &size);
      if (status != 0) {
        valueData = std::monostate{};
        return status;
      }
      valueData = HexGroups(buffer.data(), std::min(size, kBinaryBufferSize));
      return status;
    }
    default:
      return -1;
  }
}

bool IsPresent(const RegValue& value) { return !std::holds_alternative<std::monostate>(value); }

std::string ToText(const RegValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
  return {};
}

std::uint16_t GetHighWord(std::int32_t number) {
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(number) >> 16);
}

std::uint16_t GetLowWord(std::int32_t number) {
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(number) & 0xFFFFu);
}

}  // namespace pelterwyn
