#pragma once

#include <string>

#include "platform/services.h"
#include "platform/window.h"
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

// The Logon test's trace: a timestamped line in the trace log file and the
// bare message as a new line of the result box.
class Trace {
 public:
  virtual ~Trace() = default;
  // delim: write the separator line to the file only; msg is then ignored.
  // Never fails towards the caller.
  virtual void LogTrace(const std::string& msg, bool delim) = 0;
};

// What a diagnostic test works with during one click.
struct Context {
  Window& window;
  Services& services;
  Trace& trace;
};

}  // namespace pelterwyn
