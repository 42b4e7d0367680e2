// The entry point: the platform's start-up settings, then services, the form
// and its window, and the run loop. The tool does no start-up work of its own.
#include <windows.h>

#include "console/form.h"
#include "console/startup.h"
#include "tests/context.h"
#include "win32/com.h"
#include "win32/dispatch_mail.h"
#include "win32/main_window.h"
#include "win32/platform_win32.h"
#include "win32/registry_win32.h"
#include "win32/version_win32.h"

namespace {

class Win32Startup final : public pelterwyn::StartupApi {
 public:
  explicit Win32Startup(HINSTANCE instance) : instance_(instance) {}

  void SafeDllSearch() override { SetDllDirectoryW(L""); }
  void KeepWindowFromGhosting() override { DisableProcessWindowsGhosting(); }

  int RunWindow() override {
    using namespace pelterwyn;
    const win32::ComApartment apartment;

    win32::Win32Registry registry;
    win32::Win32Versions versions;
    win32::Win32Library libraries;
    win32::Win32Locale locale;
    win32::Win32Files files;
    win32::DispatchMailFactory mail;
    Services services{registry, versions, libraries, locale, files, mail};

    win32::MainWindow window(instance_);
    Form1 form(window, services);
    window.Attach(form);
    if (!window.Create()) return 1;
    return window.Run();
  }

 private:
  HINSTANCE instance_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  Win32Startup startup(instance);
  return pelterwyn::Start(startup);
}
