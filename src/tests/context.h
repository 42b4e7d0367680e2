#pragma once

#include "console/trace_log.h"
#include "console/window.h"
#include "platform/services.h"
#include "tests/mail.h"

namespace pelterwyn {

struct Services {
  RegistryApi& registry;
  VersionApi& versions;
  LibraryApi& libraries;
  LocaleApi& locale;
  FileApi& files;
  mail::MailFactory& mail;
};

// What a diagnostic test works with during one click.
struct Context {
  Window& window;
  Services& services;
  TraceLog& trace;
};

}  // namespace pelterwyn
