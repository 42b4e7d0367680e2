#pragma once

#include <string>

#include "console/window.h"
#include "platform/services.h"

namespace pelterwyn {

// The Logon test's trace: a timestamped line in Pelterwyn.log beside the
// executable and the bare message as a new line of the result box.
class TraceLog {
 public:
  TraceLog(Window& window, FileApi& files, LocaleApi& locale)
      : window_(window), files_(files), locale_(locale) {}

  // delim: write the separator line to the file only; msg is then ignored.
  // Never fails towards the caller.
  void LogTrace(const std::string& msg, bool delim);

  // The log's path as the About box shows it, in the code page.
  std::string Path();

 private:
  Window& window_;
  FileApi& files_;
  LocaleApi& locale_;
};

}  // namespace pelterwyn
