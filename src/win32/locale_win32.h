#pragma once

#include <optional>
#include <string>

#include "platform/services.h"

namespace pelterwyn::win32 {

// Automation's own conversions.
class Win32Locale final : public LocaleApi {
 public:
  std::string NowAsGeneralDate() override;
  std::optional<std::int16_t> TextToInt16(const std::string& text) override;
  std::optional<float> InvariantTextToSingle(const std::string& text) override;
  std::optional<double> TextToDouble(const std::string& text) override;
  std::string SingleToText(float value) override;
};

}  // namespace pelterwyn::win32
