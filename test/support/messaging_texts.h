#pragma once

#include <string>

// What the messaging subsystem check writes, written out once for every suite
// that checks it (natively, under Wine, end to end).
namespace pelterwyn::testing {

inline constexpr const char* kNoSubsystem =
    "Logon: fatal error - no messaging subsystem. Service requires Outlook 98 or above, or "
    "Exchange 5.5 SP3 or above.";
inline constexpr const char* kOutlook97 =
    "Logon: fatal error - Outlook 97 installed. Service requires Outlook 98 or above.";
inline constexpr const char* kFirstRun =
    "Logon: Outlook has not completed the First Run procedure or is not configured to work with "
    "Exchange server. You must create an Exchange mailbox profile and logon once before the "
    "service can run.";

inline std::string Detected(const std::string& version, bool firstRun) {
  return "Logon: Outlook detected: " + version + " FirstRun:" + (firstRun ? "True" : "False");
}

}  // namespace pelterwyn::testing
