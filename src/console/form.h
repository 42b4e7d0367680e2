#pragma once

#include <string>

#include "console/trace_log.h"
#include "platform/window.h"
#include "tests/context.h"

namespace pelterwyn {

// Owns the tests: one click runs one handler to its end.
class Form1 {
 public:
  Form1(Window& window, Services& services)
      : window_(window), services_(services), trace_(window, services.files, services.locale) {}

  // Buttons only; any other control does nothing.
  void Click(ControlId id);

  std::wstring TraceLogPath() { return trace_.Path(); }

 private:
  Window& window_;
  Services& services_;
  TraceLog trace_;
};

}  // namespace pelterwyn
