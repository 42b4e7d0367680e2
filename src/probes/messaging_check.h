#pragma once

#include "platform/services.h"
#include "platform/window.h"

namespace pelterwyn {

// Whether a messaging subsystem a service can log on with is installed;
// writes what it found to the result box.
bool CheckMessagingSubsystem(Window& window, RegistryApi& registry, VersionApi& versions,
                             LocaleApi& locale);

}  // namespace pelterwyn
