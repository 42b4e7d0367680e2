#pragma once

#include "platform/services.h"

namespace pelterwyn {

// The program's start: the DLL search made safe before anything loads a
// library, ghosting off before the window exists, then the window. Returns
// the exit code.
int Start(StartupApi& platform);

}  // namespace pelterwyn
