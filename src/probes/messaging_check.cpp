// Placeholder until the messaging check lands.
#include "probes/messaging_check.h"

namespace pelterwyn {
bool CheckMessagingSubsystem(Window&, RegistryApi&, VersionApi&, LocaleApi&) { return false; }
}  // namespace pelterwyn
