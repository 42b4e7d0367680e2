#include "console/trace_log.h"

#include "text/text.h"

namespace pelterwyn {

namespace {
constexpr const char* kLogName = "Pelterwyn.log";
}  // namespace

std::wstring TraceLog::Path() { return files_.PathBesideExe(kLogName); }

void TraceLog::LogTrace(const std::string& msg, bool delim) {
  if (delim) {
    files_.AppendBesideExe(kLogName, std::string(20, '=') + kCrLf);
    return;
  }
  // A file that cannot be written must not keep the line from the box.
  files_.AppendBesideExe(kLogName, locale_.NowAsGeneralDate() + ":" + msg + kCrLf);
  window_.AppendText(ControlId::txtResult, msg + kCrLf);
}

}  // namespace pelterwyn
