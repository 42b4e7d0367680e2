#pragma once

#include <string>

#include "platform/services.h"
#include "platform/window.h"
#include "tests/context.h"

namespace pelterwyn {

// The trace in Pelterwyn.log beside the executable and in the result box.
class TraceLog final : public Trace {
 public:
  TraceLog(Window& window, FileApi& files, LocaleApi& locale)
      : window_(window), files_(files), locale_(locale) {}

  void LogTrace(const std::string& msg, bool delim) override;

  // The log's path as the About box shows it.
  std::wstring Path();

 private:
  Window& window_;
  FileApi& files_;
  LocaleApi& locale_;
};

}  // namespace pelterwyn
