#include "probes/messaging_check.h"

#include "probes/com_server.h"
#include "probes/registry.h"
#include "probes/version.h"
#include "text/text.h"

namespace pelterwyn {

namespace {

constexpr const char* kOffice10InstallRoot =
    "Software\\Microsoft\\Office\\10.0\\Outlook\\InstallRoot";
constexpr const char* kOffice10Setup = "Software\\Microsoft\\Office\\10.0\\Outlook\\Setup";
constexpr const char* kOffice9InstallRoot =
    "Software\\Microsoft\\Office\\9.0\\Outlook\\InstallRoot";
constexpr const char* kOffice9Setup = "Software\\Microsoft\\office\\9.0\\Outlook\\Setup";
constexpr const char* kOffice8Outlook = "Software\\Microsoft\\Office\\8.0\\Outlook";
constexpr const char* kOffice8 = "Software\\Microsoft\\Office\\8.0";
constexpr const char* kOffice8Setup = "Software\\Microsoft\\office\\8.0\\Outlook\\Setup";

constexpr float kOutlook98 = 8.5f;

constexpr const char* kNoSubsystem =
    "Logon: fatal error - no messaging subsystem. Service requires Outlook 98 or above, or "
    "Exchange 5.5 SP3 or above.";
constexpr const char* kOutlook97 =
    "Logon: fatal error - Outlook 97 installed. Service requires Outlook 98 or above.";
constexpr const char* kFirstRun =
    "Logon: Outlook has not completed the First Run procedure or is not configured to work with "
    "Exchange server. You must create an Exchange mailbox profile and logon once before the "
    "service can run.";

// As Automation compares a value with the number 1: text is read as a number
// first, and text that is no number is not equal.
bool EqualsOne(const RegValue& value, LocaleApi& locale) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) return *number == 1;
  if (const auto* text = std::get_if<std::string>(&value)) return locale.TextToDouble(*text) == 1.0;
  return false;
}

// Outlook 8.x records no version of its own: the number before the first dot
// from the third character on of outlook.exe's file version (8.50 -> 8.5).
// The version's dots are the system's, whatever the user's locale makes of
// "." (a thousands separator in German).
float Office8Version(RegistryApi& registry, VersionApi& versions, LocaleApi& locale) {
  const std::string binDir =
      ToText(GetRegValue(registry, kHkeyLocalMachine, kOffice8, "BinDirPath"));
  const std::string text = GetFileVersion(versions, binDir + "\\outlook.exe");
  const auto dot = text.find('.', 2);
  if (dot == std::string::npos) return 0;
  return locale.InvariantTextToSingle(text.substr(0, dot)).value_or(0);
}

}  // namespace

bool CheckMessagingSubsystem(Window& window, RegistryApi& registry, VersionApi& versions,
                             LocaleApi& locale) {
  float version = 0;
  bool configured = false;
  bool installed = false;
  auto present = [&](const char* key, const char* name) {
    return IsPresent(GetRegValue(registry, kHkeyLocalMachine, key, name));
  };

  if (present(kOffice10InstallRoot, "Path")) {
    version = 10;
    configured = present(kOffice10Setup, "First-Run");
  } else if (present(kOffice9InstallRoot, "Path")) {
    version = 9;
    configured =
        EqualsOne(GetRegValue(registry, kHkeyLocalMachine, kOffice9Setup, "MailSupport"), locale);
  } else if (present(kOffice8Outlook, "Registered")) {
    version = Office8Version(registry, versions, locale);
    if (version >= kOutlook98)
      configured =
          EqualsOne(GetRegValue(registry, kHkeyLocalMachine, kOffice8Setup, "MailSupport"), locale);
  } else {
    installed = !GetPathFromProgID(registry, "MAPI.Session").empty();
  }

  if (version > 0) {
    window.SetText(ControlId::txtResult,
                   "Logon: Outlook detected: " + locale.SingleToText(version) +
                       " FirstRun:" + (configured ? "True" : "False"));
  } else if (installed) {
    window.SetText(ControlId::txtResult, "Logon: messaging subsystem installed.");
  }
  if (installed) return true;

  auto fail = [&](const char* message) {
    window.AppendText(ControlId::txtResult, std::string(kCrLf) + message);
    return false;
  };
  if (version == 0) return fail(kNoSubsystem);
  if (version < kOutlook98) return fail(kOutlook97);
  if (!configured) return fail(kFirstRun);
  return true;
}

}  // namespace pelterwyn
