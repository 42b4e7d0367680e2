// The entry point: the platform's start-up settings, then services, the form
// and its window, and the run loop. The tool does no start-up work of its own.
#include <windows.h>

#include "console/form.h"
#include "tests/context.h"
#include "win32/com.h"
#include "win32/dispatch_mail.h"
#include "win32/files_win32.h"
#include "win32/library_win32.h"
#include "win32/locale_win32.h"
#include "win32/main_window.h"
#include "win32/registry_win32.h"
#include "win32/version_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace pelterwyn;
  // Before anything loads a library or reads a file's version: neither the
  // bare-name mapi32.dll load nor its version query may find one planted in
  // the current folder. The version query searches as SearchPath does.
  SetDllDirectoryW(L"");
  SetSearchPathMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
  // A test holds the thread for its whole run; its explicit repaints show the
  // progress, which a ghost frame would hide.
  DisableProcessWindowsGhosting();

  const win32::ComApartment apartment;
  win32::Win32Registry registry;
  win32::Win32Versions versions;
  win32::Win32Library libraries;
  win32::Win32Locale locale;
  win32::Win32Files files;
  win32::DispatchMailFactory mail;
  Services services{registry, versions, libraries, locale, files, mail};

  win32::MainWindow window(instance);
  Form1 form(window, services);
  window.Attach(form);
  if (!window.Create()) return 1;
  return window.Run();
}
