#include "console/startup.h"

namespace pelterwyn {

int Start(StartupApi& platform) {
  platform.SafeDllSearch();
  platform.KeepWindowFromGhosting();
  return platform.RunWindow();
}

}  // namespace pelterwyn
