#include "win32/locale_win32.h"

#include <windows.h>

#include "win32/com.h"

namespace pelterwyn::win32 {

std::string Win32Locale::NowAsGeneralDate() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  DATE date = 0;
  SystemTimeToVariantTime(&now, &date);
  Bstr text;
  if (FAILED(VarBstrFromDate(date, LOCALE_USER_DEFAULT, 0, text.Put()))) return {};
  return NarrowBstr(text.Get());
}

std::optional<std::int16_t> Win32Locale::TextToInt16(const std::string& text) {
  std::wstring wide = Widen(text);
  SHORT value = 0;
  if (FAILED(VarI2FromStr(wide.data(), LOCALE_USER_DEFAULT, 0, &value))) return std::nullopt;
  return value;
}

std::optional<float> Win32Locale::InvariantTextToSingle(const std::string& text) {
  std::wstring wide = Widen(text);
  FLOAT value = 0;
  if (FAILED(VarR4FromStr(wide.data(), LOCALE_INVARIANT, 0, &value))) return std::nullopt;
  return value;
}

std::optional<double> Win32Locale::TextToDouble(const std::string& text) {
  std::wstring wide = Widen(text);
  DOUBLE value = 0;
  if (FAILED(VarR8FromStr(wide.data(), LOCALE_USER_DEFAULT, 0, &value))) return std::nullopt;
  return value;
}

std::string Win32Locale::SingleToText(float value) {
  Bstr text;
  if (FAILED(VarBstrFromR4(value, LOCALE_USER_DEFAULT, 0, text.Put()))) return {};
  return NarrowBstr(text.Get());
}

}  // namespace pelterwyn::win32
