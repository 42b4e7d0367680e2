// Measures Pelterwyn.exe against the baselines built beside it, under the Wine
// it runs in, and prints the figures as rows of a Markdown table (median of
// --runs runs each). scripts/bench describes the method.
//
//   pelterwyn_bench [--runs 5] [--small 100] [--large 1000] [--only startup|trace|send|memory]...
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "console/form.h"
#include "e2e/driver/app.h"
#include "support/store_fixture.h"
#include "support/wine_paths.h"
#include "tests/handlers.h"
#include "win32/com.h"
#include "win32/control_ids.h"
#include "win32/dispatch_mail.h"
#include "win32/files_win32.h"
#include "win32/library_win32.h"
#include "win32/locale_win32.h"
#include "win32/main_window.h"
#include "win32/registry_win32.h"
#include "win32/version_win32.h"

namespace {

using namespace pelterwyn;
using e2e::App;
using e2e::Settled;
using owners::UniqueHandle;

constexpr DWORD kRunTimeoutMs = 20 * 60 * 1000;

double NowMs() {
  static const double perMs = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t{};
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / perMs;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "bench: %s\n", what.c_str());
  std::exit(1);
}

std::string DirectoryOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

// The built tool's folder: the bare window, Test.txt.
std::string ToolFolder() { return DirectoryOf(testing::ExePath()); }

std::string BareWindowPath() { return ToolFolder() + "\\bare_window.exe"; }

// True once the window's thread answers: it is back in its message loop.
bool WaitAnswered(HWND window, HANDLE process, DWORD timeoutMs) {
  const double end = NowMs() + timeoutMs;
  while (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 200, &ignored)) return true;
    if (NowMs() > end) return false;
  }
  return false;
}

// A program started and shown.
struct Started {
  UniqueHandle process;
  HWND window = nullptr;
  double ms = 0;  // from CreateProcess to the window visible and its thread idle

  ~Started() {
    if (!process) return;
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.Get(), 5000) != WAIT_OBJECT_0) {
      TerminateProcess(process.Get(), 1);
      WaitForSingleObject(process.Get(), 5000);
    }
  }
};

HWND VisibleWindowOf(DWORD processId) {
  struct Search {
    DWORD processId;
    HWND found;
  } search{processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != s->processId || !IsWindowVisible(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Start(Started& started, const std::string& exe, const std::string& arguments = {}) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string commandLine = "\"" + exe + "\" " + arguments;
  const std::string folder = DirectoryOf(exe);
  const double start = NowMs();
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &info)) {
    Fail("cannot start " + exe);
  }
  started.process.Reset(info.hProcess);
  const UniqueHandle thread(info.hThread);
  WaitForInputIdle(info.hProcess, 10000);
  while (!(started.window = VisibleWindowOf(info.dwProcessId))) {
    if (NowMs() - start > 15000) Fail("no window of " + exe);
    Sleep(1);
  }
  if (!WaitAnswered(started.window, info.hProcess, 10000)) Fail(exe + " did not settle");
  started.ms = NowMs() - start;
}

std::string WindowText(HWND window) {
  wchar_t text[256] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                      &copied);
  return win32::Narrow(text);
}

double WorkingSetMb(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!process || !GetProcessMemoryInfo(process.Get(), &counters, sizeof counters)) {
    Fail("cannot read the working set");
  }
  return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

// The send test's window without a window: what is left is its COM calls.
class NoWindow final : public Window {
 public:
  explicit NoWindow(int count) : count_(std::to_string(count)) {}
  std::string Text(ControlId id) override {
    switch (id) {
      case ControlId::txtServer:
        return "EXCHANGE1";
      case ControlId::txtAlias:
        return "jsmith";
      case ControlId::txtCount:
        return count_;
      default:
        return result_;
    }
  }
  void SetText(ControlId, const std::string& text) override { result_ = text; }
  void AppendText(ControlId, const std::string& text) override { result_ += text; }
  int CheckValue(ControlId) override { return 0; }
  void SetFocus(ControlId) override {}
  void Refresh() override {}
  void RefreshControl(ControlId) override {}
  int ShowMessage(const std::string&, unsigned) override { return 1; }

 private:
  std::string count_;
  std::string result_;
};

// The platform's files, with the tool's folder (Test.txt) in place of this
// one; the log still lands beside this exe.
class FilesIn final : public FileApi {
 public:
  explicit FilesIn(std::string folder) : folder_(std::move(folder)) {}
  std::wstring PathBesideExe(const std::string& fileName) override {
    return win32::Widen(folder_ + "\\" + fileName);
  }
  bool AppendBesideExe(const std::string& fileName, const std::string& bytes) override {
    return files_.AppendBesideExe(fileName, bytes);
  }

 private:
  std::string folder_;
  win32::Win32Files files_;
};

struct Platform {
  explicit Platform(std::string folder) : files(std::move(folder)) {}
  win32::Win32Registry registry;
  win32::Win32Versions versions;
  win32::Win32Library libraries;
  win32::Win32Locale locale;
  FilesIn files;
  win32::DispatchMailFactory mail;
  Services services{registry, versions, libraries, locale, files, mail};
};

const std::string kProgress = "Sending message ";

// The send test in the tool, clicked from outside: wall time in ms.
double SendInTool(int count) {
  const testing::StoreFixture store(false);
  App app;
  if (!app.Start()) Fail(app.Error());
  app.SysCommand(win32::kSysShowAllTests);
  if (app.WaitSettled(5000) != Settled::Idle) Fail("the tool did not reveal its tests");
  app.SetText(ControlId::txtServer, "EXCHANGE1");
  app.SetText(ControlId::txtAlias, "jsmith");
  app.SetText(ControlId::txtCount, std::to_string(count));
  const double start = NowMs();
  app.Click(ControlId::cmdSend);
  if (app.WaitSettled(kRunTimeoutMs) != Settled::Idle) Fail("the send test did not finish");
  const double ms = NowMs() - start;
  const std::string shown = app.Text(ControlId::txtResult);
  if (shown != kProgress + std::to_string(count)) Fail("the send test ended with: " + shown);
  return ms;
}

// The same handler in this process, against a window that does nothing.
double SendWithoutWindow(int count) {
  const testing::StoreFixture store(false);
  // Test.txt lies beside the built tool.
  Platform platform(ToolFolder());
  NoWindow window(count);
  TraceLog trace(window, platform.files, platform.locale);
  Context ctx{window, platform.services, trace};
  const double start = NowMs();
  SendTest(ctx);
  const double ms = NowMs() - start;
  if (window.Text(ControlId::txtResult) != kProgress + std::to_string(count)) {
    Fail("the send test without a window ended with: " + window.Text(ControlId::txtResult));
  }
  return ms;
}

// SetWindowText then UpdateWindow on a bare edit control, count times.
double SendInBareWindow(int count) {
  Started bare;
  Start(bare, BareWindowPath(), std::to_string(count));
  HWND button = FindWindowExW(bare.window, nullptr, L"Button", nullptr);
  HWND box = FindWindowExW(bare.window, nullptr, L"Edit", nullptr);
  const double start = NowMs();
  SendNotifyMessageW(button, BM_CLICK, 0, 0);
  if (!WaitAnswered(bare.window, bare.process.Get(), kRunTimeoutMs)) Fail("the bare window hung");
  const double ms = NowMs() - start;
  if (WindowText(box) != kProgress + std::to_string(count)) Fail("the bare window did not run");
  return ms;
}

void PumpUntilIdle() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Lines of a trace run written through the tool's own window and trace log,
// in this process; ms per line, the repaint they cause included.
std::vector<double> TraceLineMs(std::size_t boxBytes, int runs) {
  constexpr int kLines = 20;
  // The trace log lands beside this exe; each call starts without one.
  const std::wstring log = win32::Win32Files().PathBesideExe("Pelterwyn.log");
  DeleteFileW(log.c_str());
  std::vector<double> perLine;
  {
    Platform platform(ToolFolder());
    win32::MainWindow window(GetModuleHandleW(nullptr));
    Form1 form(window, platform.services);
    window.Attach(form);
    if (!window.Create()) Fail("cannot create the tool's window");
    TraceLog trace(window, platform.services.files, platform.services.locale);
    std::string filler;
    while (filler.size() < boxBytes)
      filler += "Earlier text of the result box, one line of it.\r\n";
    filler.resize(boxBytes);
    for (int run = 0; run <= runs; ++run) {
      window.SetText(ControlId::txtResult, filler);
      PumpUntilIdle();
      const double start = NowMs();
      for (int line = 0; line < kLines; ++line) trace.LogTrace("    Message count: 3", false);
      PumpUntilIdle();
      // The first run warms up.
      if (run > 0) perLine.push_back((NowMs() - start) / kLines);
    }
  }
  DeleteFileW(log.c_str());
  return perLine;
}

std::string Ms(double ms) {
  char text[32];
  std::snprintf(text, sizeof text, ms < 10 ? "%.2f ms" : "%.0f ms", ms);
  return text;
}

std::string Mb(double mb) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", mb);
  return text;
}

std::string Ratio(double a, double b) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", b > 0 ? a / b : 0);
  return text;
}

void Row(const std::string& figure, const std::string& tool, const std::string& baseline,
         const std::string& ratio) {
  std::printf("| %s | %s | %s | %s |\n", figure.c_str(), tool.c_str(), baseline.c_str(),
              ratio.c_str());
  std::fflush(stdout);
}

// The median of each measurement over runs runs, taking turns so that a burst
// of load falls on all of them; after one run of each to warm up when asked.
std::vector<double> Medians(int runs, bool warmUp,
                            const std::vector<std::function<double()>>& measurements) {
  std::vector<std::vector<double>> times(measurements.size());
  if (warmUp) {
    for (const auto& measure : measurements) measure();
  }
  for (int run = 0; run < runs; ++run) {
    for (std::size_t i = 0; i < measurements.size(); ++i) times[i].push_back(measurements[i]());
  }
  std::vector<double> medians;
  for (auto& t : times) medians.push_back(Median(std::move(t)));
  return medians;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  int small = 100;
  int large = 1000;
  std::set<std::string> only;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const std::string value = argv[i + 1];
    if (name == "--runs") {
      runs = std::stoi(value);
    } else if (name == "--small") {
      small = std::stoi(value);
    } else if (name == "--large") {
      large = std::stoi(value);
    } else if (name == "--only") {
      only.insert(value);
    } else {
      Fail("unknown option " + name);
    }
  }
  const auto wanted = [&](const char* part) { return only.empty() || only.count(part) > 0; };
  const win32::ComApartment apartment;

  if (wanted("startup")) {
    const auto startUp = [](const std::string& exe, const std::string& arguments = {}) {
      Started s;
      Start(s, exe, arguments);
      return s.ms;
    };
    // Cheap, and the noisiest figure: three times the runs, in turns, and the
    // ratios taken turn by turn so that a slow stretch falls on all sides.
    const std::vector<std::function<double()>> programs{
        [&] { return startUp(testing::ExePath()); }, [&] { return startUp(BareWindowPath()); },
        [&] { return startUp(BareWindowPath(), "--all-controls"); }};
    for (const auto& program : programs) program();
    std::vector<std::vector<double>> ms(programs.size());
    std::vector<double> againstBare, againstControls;
    for (int run = 0; run < 3 * runs; ++run) {
      for (std::size_t i = 0; i < programs.size(); ++i) ms[i].push_back(programs[i]());
      againstBare.push_back(ms[0].back() / ms[1].back());
      againstControls.push_back(ms[0].back() / ms[2].back());
    }
    const auto ratio = [](std::vector<double> ratios) {
      char text[32];
      std::snprintf(text, sizeof text, "%.2f", Median(std::move(ratios)));
      return std::string(text);
    };
    Row("Start-up to a visible, idle window", Ms(Median(ms[0])),
        Ms(Median(ms[1])) + " (bare window)", ratio(againstBare));
    Row("Start-up, against the bare window with the tool's controls", Ms(Median(ms[0])),
        Ms(Median(ms[2])) + " (bare window, all 14 controls)", ratio(againstControls));
  }

  if (wanted("trace")) {
    const double big = Median(TraceLineMs(1 << 20, runs));
    const double little = Median(TraceLineMs(1 << 10, runs));
    Row("One trace line, 1 MB in the result box", Ms(big), Ms(little) + " (1 KB in the box)",
        Ratio(big, little));
  }

  if (wanted("send")) {
    std::map<int, double> perMessage;
    for (int count : {small, large}) {
      const auto ms =
          Medians(runs, count == small,
                  {[&] { return SendInTool(count); }, [&] { return SendWithoutWindow(count); },
                   [&] { return SendInBareWindow(count); }});
      const double tool = ms[0], withoutWindow = ms[1], bare = ms[2];
      const double overhead = (tool - withoutWindow) / count;
      Row("Send test at N=" + std::to_string(count) + ", per message beyond its COM calls",
          Ms(overhead) + " (" + Ms(tool / count) + " less " + Ms(withoutWindow / count) +
              " of COM)",
          Ms(bare / count) + " (bare edit: SetWindowText, UpdateWindow)",
          Ratio(overhead, bare / count));
      perMessage[count] = tool / count;
    }
    Row("Send test per message, N=" + std::to_string(large) + " against N=" + std::to_string(small),
        Ms(perMessage[large]), Ms(perMessage[small]) + " (N=" + std::to_string(small) + ")",
        Ratio(perMessage[large], perMessage[small]));
  }

  if (wanted("memory")) {
    std::vector<double> tool, bare;
    for (int run = 0; run < runs; ++run) {
      const testing::StoreFixture store(false);
      App app;
      if (!app.Start()) Fail(app.Error());
      app.SetText(ControlId::txtServer, "EXCHANGE1");
      app.SetText(ControlId::txtAlias, "jsmith");
      app.Click(ControlId::cmdLogon);
      if (app.WaitSettled(60000) != Settled::Idle) Fail("the Logon did not finish");
      if (app.Text(ControlId::txtResult).find("Instantiated CDO") == std::string::npos) {
        Fail("the Logon did not reach the stand-in");
      }
      tool.push_back(WorkingSetMb(app.Window()));
      Started s;
      Start(s, BareWindowPath());
      bare.push_back(WorkingSetMb(s.window));
    }
    Row("Working set after one Logon", Mb(Median(tool)), Mb(Median(bare)) + " (bare window)",
        Ratio(Median(tool), Median(bare)));
  }
  return 0;
}
