#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "console/controls.h"
#include "e2e/driver/image.h"
#include "owners/unique_any.h"
#include "support/files.h"

// Drives the real Pelterwyn.exe from outside, as a user would. Every wait is
// bounded, and nothing here blocks behind a message box of the tool.
namespace pelterwyn::e2e {

enum class BoxIcon { None, Stop, Question, Exclamation, Information, Other };

const char* IconName(BoxIcon icon);

struct MessageBoxInfo {
  HWND window = nullptr;
  std::string caption;
  std::string text;
  BoxIcon icon = BoxIcon::None;
  std::vector<std::string> buttons;  // captions, "&" included
};

// Where the UI thread stands after the last action.
enum class Settled { Idle, Box, Exited, Timeout };

struct LaunchOptions {
  std::string exePath{};    // empty: the built tool
  bool privateCopy = true;  // run from a fresh folder owned by the App
  // The private copy's folder inside the fresh one, made on start (any name,
  // outside the code page too), given the fresh one's path; none: that one.
  std::function<std::wstring(const std::string& fresh)> folder{};
  std::string exeName = "Pelterwyn.exe";  // the private copy's
  bool withTestTxt = true;                // copy Test.txt beside the private copy
  std::vector<std::string> beside{};      // more files copied beside it
  // Files copied into Current, a folder inside the tool's, which becomes its
  // current folder; none: the tool's own folder is.
  std::vector<std::string> inCurrentFolder{};
};

struct Keys {
  bool alt = false;
  bool shift = false;
  bool ctrl = false;
};

// Every wait is bounded by a timeout given for an ordinary machine, and
// generous: a wait ends as soon as what it waits for shows. PELTERWYN_SLOW=1,
// for where 32-bit programs run emulated (about 20 times slower), multiplies
// every timeout by 25; this is the one place that does.
DWORD Patience(DWORD timeoutMs);

// Polls until done() holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// The screen's DPI and work area as the tool sees them.
int ScreenDpi();
RECT WorkArea();
// Where a control of the table belongs, in client pixels.
RECT ExpectedRect(ControlId id, int dpi);
// A file under the build's screenshots folder, which is created on demand.
std::string ScreenshotPath(const std::string& fileName);

// For messages.
std::string ClassName(HWND window);
std::string NameOf(std::optional<ControlId> id);  // the control's name, or none
std::string Describe(const RECT& rect);

class App {
 public:
  App() = default;
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Starts the tool (the environment is inherited) and waits for its window.
  bool Start(LaunchOptions options = {});
  const std::string& Error() const { return error_; }

  // The tool's folder and path; as the "A" functions take them, a name
  // outside the code page in its short form.
  const std::string& Folder() const { return folder_; }
  const std::string& CurrentFolder() const { return current_; }
  const std::string& Exe() const { return exe_; }
  std::string LogPath() const { return folder_ + "\\Pelterwyn.log"; }
  HWND Window() const { return window_; }
  HWND Control(ControlId id) const;

  // Reading.
  std::string Text(ControlId id) const;
  int CheckState(ControlId id) const;
  bool IsVisible(ControlId id) const;
  RECT ControlRect(ControlId id) const;  // in the window's client coordinates
  SIZE ClientSize() const;
  RECT WindowRect() const;
  POINT ClientOrigin() const;  // on the screen
  HWND FocusWindow() const;
  std::optional<ControlId> Focus() const;
  std::string Caption() const;

  // Acting. Text and typing return once the tool has taken them in. Click and
  // SysCommand return at once; WaitSettled or WaitForBox then wait for them.
  void SetText(ControlId id, const std::string& text);
  void Type(ControlId id, const std::string& text);  // WM_CHAR to the control
  void SetCheck(ControlId id, bool checked);
  void Click(ControlId id);
  void SysCommand(unsigned command);
  bool BringToFront();
  // Real input through the system's input queue to the foreground window.
  // Each returns once the window has read it from its queue, or dropped it,
  // and is back in a message loop, its own or a box's: what the input started
  // has ended, or put up a box. False when that does not happen in time.
  bool PressKey(WORD vk, Keys keys = {});
  bool TypeKeys(const std::string& text);
  bool MouseClick(ControlId id);  // a left click in the middle of a control
  // The same, returning at once: for input that comes while a run holds the
  // window. WaitInputTaken then waits as the others do.
  bool QueueMouseClick(ControlId id);
  bool QueueKey(WORD vk);
  bool WaitInputTaken(DWORD timeoutMs = 60000);
  // Shows that the input before it was not acted on, or has had all its
  // effects: one more real input whose effect shows (Alt+E, a character typed
  // into the server field), waited for; then the field's text is put back.
  // Leaves the focus in the server field.
  bool Checkpoint();

  // Waiting.
  Settled WaitSettled(DWORD timeoutMs = 30000);
  // The UI thread answers no sent message within the time: a handler holds
  // it, and waits in nothing that answers one.
  bool IsBusy(DWORD withinMs = 20) const;
  std::optional<MessageBoxInfo> CurrentBox() const;
  std::optional<MessageBoxInfo> WaitForBox(DWORD timeoutMs = 10000);
  // Presses the box's button (the first when none is named) and waits until it is gone.
  bool Dismiss(const MessageBoxInfo& box, const std::string& button = {});
  // WaitSettled, answering up to `answer` message boxes with their first
  // button; each box is shown to seen() first. Box: one more came up, or one
  // could not be answered.
  Settled Settle(int answer, DWORD timeoutMs,
                 const std::function<void(const MessageBoxInfo&)>& seen = {});

  std::optional<Image> Capture() const;

  // WM_CLOSE, then waits for the process to end.
  bool Close(DWORD timeoutMs = 5000);
  bool HasExited() const;
  std::optional<DWORD> ExitCode() const;

 private:
  bool CopyTool(const LaunchOptions& options);
  bool FillCurrentFolder(const std::vector<std::string>& files);
  bool FindWindowOfProcess(DWORD timeoutMs);
  void Stop();
  bool Queue(std::vector<INPUT> inputs);
  std::string ReadText(HWND window) const;
  HWND FindBox() const;
  MessageBoxInfo ReadBox(HWND box) const;
  BoxIcon ReadIcon(HWND iconStatic) const;

  std::string exe_;
  std::string folder_;
  std::string current_;
  std::unique_ptr<testing::TempFolder> privateFolder_;
  std::string error_;
  owners::UniqueHandle process_;
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
  HWND window_ = nullptr;
};

}  // namespace pelterwyn::e2e
