#include "e2e/driver/app.h"

#include "support/wine_paths.h"
#include "win32/com.h"
#include "win32/control_ids.h"

namespace pelterwyn::e2e {

namespace {

constexpr UINT kAnswerMs = 200;

using win32::Narrow;
using win32::Widen;

// A path as the "A" functions take it: one outside the code page by its short form.
std::string AnsiPath(const std::wstring& path) {
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, nullptr, 0, nullptr, &lossy);
  if (!lossy) return Narrow(path);
  wchar_t shortPath[MAX_PATH] = {};
  const DWORD n = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
  return n > 0 && n < MAX_PATH ? Narrow(shortPath) : std::string();
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

INPUT KeyInput(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

INPUT CharInput(wchar_t c, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = c;
  input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
  return input;
}

std::vector<INPUT> KeyPress(WORD vk, Keys keys = {}) {
  std::vector<INPUT> inputs;
  const WORD modifiers[] = {static_cast<WORD>(keys.ctrl ? VK_CONTROL : 0),
                            static_cast<WORD>(keys.alt ? VK_MENU : 0),
                            static_cast<WORD>(keys.shift ? VK_SHIFT : 0)};
  for (WORD m : modifiers) {
    if (m) inputs.push_back(KeyInput(m, false));
  }
  inputs.push_back(KeyInput(vk, false));
  inputs.push_back(KeyInput(vk, true));
  for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m) {
    if (*m) inputs.push_back(KeyInput(*m, true));
  }
  return inputs;
}

bool Send(std::vector<INPUT>& inputs) {
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

struct WindowSearch {
  DWORD processId;
  HWND found;
};

// The main window is the dialog that holds the server field; message boxes
// share its class and caption.
BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == s->processId && ClassName(window) == "#32770" &&
      GetDlgItem(window, win32::ItemId(ControlId::txtServer)) && IsWindowVisible(window)) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

struct BoxSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindOwnedBox(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<BoxSearch*>(param);
  if (window != s->owner && GetWindow(window, GW_OWNER) == s->owner &&
      ClassName(window) == "#32770") {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::string ClassName(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string NameOf(std::optional<ControlId> id) {
  return id ? std::string(ControlInfo(*id).name) : std::string("(none of the controls)");
}

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

const char* IconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None:
      return "none";
    case BoxIcon::Stop:
      return "stop";
    case BoxIcon::Question:
      return "question";
    case BoxIcon::Exclamation:
      return "exclamation";
    case BoxIcon::Information:
      return "information";
    case BoxIcon::Other:
      return "other";
  }
  return "?";
}

DWORD Patience(DWORD timeoutMs) {
  static const bool slow = [] {
    char value[2] = {};
    return GetEnvironmentVariableA("PELTERWYN_SLOW", value, sizeof value) == 1 && value[0] == '1';
  }();
  return slow ? timeoutMs * 25 : timeoutMs;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + Patience(timeoutMs);
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);  // pacing between looks
  }
}

int ScreenDpi() {
  const auto screen = owners::GetWindowDc(nullptr);
  return GetDeviceCaps(screen.Get().dc, LOGPIXELSY);
}

RECT WorkArea() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

RECT ExpectedRect(ControlId id, int dpi) {
  const PixelRect r = ToPixels(ControlInfo(id), dpi);
  return {r.left, r.top, r.left + r.width, r.top + r.height};
}

std::string ScreenshotPath(const std::string& fileName) {
  const std::string folder = testing::BinaryDir() + "\\screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder + "\\" + fileName;
}

App::~App() { Stop(); }

bool App::CopyTool(const LaunchOptions& options) {
  // A folder of its own for each App: tests run in parallel.
  privateFolder_ = std::make_unique<testing::TempFolder>("pelterwyn-e2e");
  folder_ = privateFolder_->Path();
  if (folder_.empty()) {
    error_ = "cannot create a folder in the temp directory";
    return false;
  }
  if (options.folder) {
    const std::wstring folder = Widen(folder_) + L"\\" + options.folder(folder_);
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
      error_ = "cannot create the folder for the tool";
      return false;
    }
    folder_ = AnsiPath(folder);
    if (folder_.empty()) {
      error_ = "the folder for the tool has no path the \"A\" functions take";
      return false;
    }
  }
  exe_ = folder_ + "\\" + options.exeName;
  std::vector<std::string> beside = options.beside;
  if (options.withTestTxt) beside.push_back(DirectoryOf(options.exePath) + "\\Test.txt");
  bool copied = CopyFileA(options.exePath.c_str(), exe_.c_str(), FALSE);
  for (const std::string& file : beside) {
    const std::string target = folder_ + file.substr(file.find_last_of('\\'));
    copied = copied && CopyFileA(file.c_str(), target.c_str(), FALSE);
  }
  if (!copied) error_ = "cannot copy the tool or the files beside it into " + folder_;
  return copied;
}

bool App::FillCurrentFolder(const std::vector<std::string>& files) {
  current_ = folder_;
  if (files.empty()) return true;
  current_ = folder_ + "\\Current";
  bool copied = CreateDirectoryA(current_.c_str(), nullptr);
  for (const std::string& file : files) {
    copied = copied && CopyFileA(file.c_str(),
                                 (current_ + file.substr(file.find_last_of('\\'))).c_str(), FALSE);
  }
  if (!copied) error_ = "cannot fill the current folder " + current_;
  return copied;
}

bool App::Start(LaunchOptions options) {
  if (options.exePath.empty()) options.exePath = testing::ExePath();
  if (!options.privateCopy) {
    exe_ = options.exePath;
    folder_ = DirectoryOf(exe_);
  } else if (!CopyTool(options)) {
    return false;
  }
  if (!FillCurrentFolder(options.inCurrentFolder)) return false;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string commandLine = "\"" + exe_ + "\"";
  if (!CreateProcessA(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      current_.c_str(), &startup, &info)) {
    error_ = "cannot start " + exe_ + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  process_.Reset(info.hProcess);
  owners::UniqueHandle thread(info.hThread);
  processId_ = info.dwProcessId;
  WaitForInputIdle(process_.Get(), Patience(10000));
  if (!FindWindowOfProcess(15000)) {
    error_ = "no window of " + exe_ + " appeared";
    return false;
  }
  threadId_ = GetWindowThreadProcessId(window_, nullptr);
  if (WaitSettled(10000) != Settled::Idle) {
    error_ = "the window did not settle";
    return false;
  }
  return true;
}

bool App::FindWindowOfProcess(DWORD timeoutMs) {
  WindowSearch search{processId_, nullptr};
  return WaitUntil(
             [&] {
               EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
               window_ = search.found;
               return window_ != nullptr || HasExited();
             },
             timeoutMs) &&
         window_ != nullptr;
}

void App::Stop() {
  if (process_ && !HasExited()) {
    if (!Close(3000)) {
      TerminateProcess(process_.Get(), 1);
      WaitForSingleObject(process_.Get(), Patience(5000));
    }
  }
  process_.Reset();
  privateFolder_.reset();
}

HWND App::Control(ControlId id) const { return GetDlgItem(window_, win32::ItemId(id)); }

std::string App::ReadText(HWND window) const {
  // GetWindowText does not ask a control of another process for its text.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, Patience(5000), &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_NORMAL, Patience(5000), &copied)) {
    return {};
  }
  text.resize(copied);
  return Narrow(text);
}

std::string App::Text(ControlId id) const { return ReadText(Control(id)); }

std::string App::Caption() const { return ReadText(window_); }

int App::CheckState(ControlId id) const {
  DWORD_PTR state = 0;
  SendMessageTimeoutW(Control(id), BM_GETCHECK, 0, 0, SMTO_NORMAL, Patience(5000), &state);
  return static_cast<int>(state);
}

bool App::IsVisible(ControlId id) const { return IsWindowVisible(Control(id)) != FALSE; }

RECT App::ControlRect(ControlId id) const {
  RECT rect{};
  GetWindowRect(Control(id), &rect);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

SIZE App::ClientSize() const {
  RECT rect{};
  GetClientRect(window_, &rect);
  return {rect.right, rect.bottom};
}

RECT App::WindowRect() const {
  RECT rect{};
  GetWindowRect(window_, &rect);
  return rect;
}

POINT App::ClientOrigin() const {
  POINT origin{0, 0};
  ClientToScreen(window_, &origin);
  return origin;
}

HWND App::FocusWindow() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(threadId_, &info)) return nullptr;
  return info.hwndFocus;
}

std::optional<ControlId> App::Focus() const {
  HWND focus = FocusWindow();
  if (!focus || GetParent(focus) != window_) return std::nullopt;
  return win32::ControlFromItemId(GetDlgCtrlID(focus));
}

void App::SetText(ControlId id, const std::string& text) {
  const std::wstring wide = Widen(text);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                      SMTO_NORMAL, Patience(5000), &ignored);
}

void App::Type(ControlId id, const std::string& text) {
  // Sent, not posted: posted characters would still be queued when the next
  // sent message is answered.
  for (wchar_t c : Widen(text)) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(Control(id), WM_CHAR, c, 1, SMTO_NORMAL, Patience(5000), &ignored);
  }
}

void App::SetCheck(ControlId id, bool checked) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0,
                      SMTO_NORMAL, Patience(5000), &ignored);
}

void App::Click(ControlId id) { SendNotifyMessageW(Control(id), BM_CLICK, 0, 0); }

void App::SysCommand(unsigned command) {
  // Queued with the sent messages, not the posted ones: a WM_NULL sent after
  // it is answered only once it has been handled (or its box is up).
  SendNotifyMessageW(window_, WM_SYSCOMMAND, command, 0);
}

bool App::BringToFront() {
  if (GetForegroundWindow() == window_) return true;
  SetForegroundWindow(window_);
  return WaitUntil([&] { return GetForegroundWindow() == window_; }, 2000);
}

bool App::PressKey(WORD vk, Keys keys) { return Queue(KeyPress(vk, keys)) && WaitInputTaken(); }

bool App::QueueKey(WORD vk) { return Queue(KeyPress(vk)); }

bool App::TypeKeys(const std::string& text) {
  std::vector<INPUT> inputs;
  for (wchar_t c : Widen(text)) {
    inputs.push_back(CharInput(c, false));
    inputs.push_back(CharInput(c, true));
  }
  return Queue(std::move(inputs)) && WaitInputTaken();
}

bool App::MouseClick(ControlId id) { return QueueMouseClick(id) && WaitInputTaken(); }

bool App::QueueMouseClick(ControlId id) {
  const RECT r = ControlRect(id);
  const POINT origin = ClientOrigin();
  if (!SetCursorPos(origin.x + (r.left + r.right) / 2, origin.y + (r.top + r.bottom) / 2)) {
    return false;
  }
  std::vector<INPUT> inputs(2);
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return Queue(std::move(inputs));
}

bool App::Queue(std::vector<INPUT> inputs) { return BringToFront() && Send(inputs); }

bool App::WaitInputTaken(DWORD timeoutMs) {
  // The thread takes a paint only when its queue holds no input and nothing
  // posted: once a label asked to paint after the input has painted, the
  // input was read or dropped, and what it posted was handled. (A handler
  // that repaints the whole window answers early; WaitSettled then waits for
  // that handler's end.)
  const HWND probe = Control(ControlId::Label1);
  InvalidateRect(probe, nullptr, FALSE);
  const bool read =
      WaitUntil([&] { return HasExited() || !GetUpdateRect(probe, nullptr, FALSE); }, timeoutMs);
  return read && WaitSettled(timeoutMs) != Settled::Timeout;
}

bool App::Checkpoint() {
  constexpr char kMarker[] = "#";
  const std::string server = Text(ControlId::txtServer);
  // Alt+E selects the field's text, which the marker then replaces.
  std::vector<INPUT> inputs = KeyPress('E', {.alt = true});
  inputs.push_back(CharInput(kMarker[0], false));
  inputs.push_back(CharInput(kMarker[0], true));
  if (!Queue(std::move(inputs))) return false;
  const bool shown =
      WaitUntil([&] { return HasExited() || Text(ControlId::txtServer) == kMarker; }, 60000) &&
      !HasExited();
  if (shown) SetText(ControlId::txtServer, server);
  return shown;
}

bool App::HasExited() const {
  return !process_ || WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0;
}

std::optional<DWORD> App::ExitCode() const {
  DWORD code = 0;
  if (!HasExited() || !process_ || !GetExitCodeProcess(process_.Get(), &code)) return std::nullopt;
  return code;
}

bool App::IsBusy(DWORD withinMs) const {
  DWORD_PTR ignored = 0;
  return !SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, Patience(withinMs), &ignored);
}

Settled App::WaitSettled(DWORD timeoutMs) {
  // Back in a message loop, its own or a box's, the thread has handled a
  // message posted to it. A sent one proves less: a handler answers it from
  // within any wait, COM's among them. The probe is the count field's
  // modified flag, which nothing else reads: cleared by a sent message, set
  // again by a posted one.
  const HWND probe = Control(ControlId::txtCount);
  const ULONGLONG end = GetTickCount64() + Patience(timeoutMs);
  bool posted = false;
  for (;;) {
    if (HasExited()) return Settled::Exited;
    DWORD_PTR modified = 0;
    if (!posted) {
      posted = SendMessageTimeoutW(probe, EM_SETMODIFY, FALSE, 0, SMTO_NORMAL, Patience(kAnswerMs),
                                   &modified) &&
               PostMessageW(probe, EM_SETMODIFY, TRUE, 0);
    } else if (SendMessageTimeoutW(probe, EM_GETMODIFY, 0, 0, SMTO_NORMAL, Patience(kAnswerMs),
                                   &modified)) {
      if (modified) return FindBox() ? Settled::Box : Settled::Idle;
      Sleep(20);  // pacing between looks
    }
    if (GetTickCount64() >= end) return Settled::Timeout;
  }
}

HWND App::FindBox() const {
  BoxSearch search{window_, nullptr};
  EnumThreadWindows(threadId_, FindOwnedBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::optional<MessageBoxInfo> App::CurrentBox() const {
  HWND box = FindBox();
  if (!box) return std::nullopt;
  return ReadBox(box);
}

MessageBoxInfo App::ReadBox(HWND window) const {
  MessageBoxInfo box;
  box.window = window;
  box.caption = ReadText(box.window);
  // Wine numbers the parts differently from Windows: tell them by class and style.
  HWND iconStatic = nullptr;
  for (HWND child = GetWindow(box.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::string cls = ClassName(child);
    const auto style = GetWindowLongW(child, GWL_STYLE);
    if (_stricmp(cls.c_str(), "Static") == 0) {
      if ((style & SS_TYPEMASK) == SS_ICON) {
        iconStatic = child;
      } else if (box.text.empty()) {
        box.text = ReadText(child);
      }
    } else if (_stricmp(cls.c_str(), "Button") == 0 && (style & WS_VISIBLE)) {
      box.buttons.push_back(ReadText(child));
    }
  }
  box.icon = ReadIcon(iconStatic);
  return box;
}

BoxIcon App::ReadIcon(HWND iconStatic) const {
  if (!iconStatic || !(GetWindowLongW(iconStatic, GWL_STYLE) & WS_VISIBLE)) return BoxIcon::None;
  // Wine leaves the icon's place shown, empty, under the text of a box without one.
  DWORD_PTR held = 0;
  if (SendMessageTimeoutW(iconStatic, STM_GETICON, 0, 0, SMTO_NORMAL, Patience(5000), &held) &&
      !held) {
    return BoxIcon::None;
  }
  // Icon handles are private to each process under Wine: compare what is drawn
  // with the system icons drawn here.
  struct Candidate {
    BoxIcon icon;
    int id;
  };
  // IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK
  const Candidate candidates[] = {{BoxIcon::Stop, 32513},
                                  {BoxIcon::Question, 32514},
                                  {BoxIcon::Exclamation, 32515},
                                  {BoxIcon::Information, 32516}};
  BoxIcon result = BoxIcon::Other;
  std::optional<Image> previous;
  WaitUntil(
      [&] {
        RECT rect{};
        GetWindowRect(iconStatic, &rect);
        const int size = std::min(rect.right - rect.left, rect.bottom - rect.top);
        if (size <= 0 || !IsWindowVisible(iconStatic)) return false;
        rect.right = rect.left + size;
        rect.bottom = rect.top + size;
        const auto shown = Image::CaptureScreen(rect);
        if (!shown) return false;
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        if (shown->CountOtherThan({0, 0, size, size}, face) == 0) {
          result = BoxIcon::None;
          return false;  // perhaps not painted yet
        }
        for (const Candidate& c : candidates) {
          const auto drawn =
              Image::RenderIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(c.id)), size, face);
          if (drawn && drawn->CountDifferences(*shown) * 50 < size * size) {
            result = c.icon;
            return true;
          }
        }
        // Not a system icon: settled once two looks agree.
        result = BoxIcon::Other;
        const bool stable = previous && previous->CountDifferences(*shown) == 0;
        previous = shown;
        return stable;
      },
      2000);
  return result;
}

std::optional<MessageBoxInfo> App::WaitForBox(DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        if (HasExited()) return true;
        IsBusy(kAnswerMs);
        found = FindBox();
        return found != nullptr;
      },
      timeoutMs);
  if (!found) return std::nullopt;
  // A modal box is shown once its queue first runs empty.
  WaitUntil([&] { return IsWindowVisible(found) != FALSE; }, 2000);
  return ReadBox(found);
}

bool App::Dismiss(const MessageBoxInfo& box, const std::string& button) {
  HWND target = nullptr;
  for (HWND child = GetWindow(box.window, GW_CHILD); child && !target;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (_stricmp(ClassName(child).c_str(), "Button") != 0 ||
        !(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) {
      continue;
    }
    std::string caption = ReadText(child);
    std::erase(caption, '&');
    if (button.empty() || caption == button) target = child;
  }
  if (!target) return false;
  SendNotifyMessageW(target, BM_CLICK, 0, 0);
  if (!WaitUntil([&] { return !IsWindow(box.window); }, 5000)) return false;
  return WaitSettled(30000) != Settled::Timeout;
}

Settled App::Settle(int answer, DWORD timeoutMs,
                    const std::function<void(const MessageBoxInfo&)>& seen) {
  for (int answered = 0;;) {
    const Settled settled = WaitSettled(timeoutMs);
    if (settled != Settled::Box) return settled;
    const auto box = WaitForBox(5000);
    if (!box) continue;  // gone before it could be read
    if (seen) seen(*box);
    if (answered++ == answer || !Dismiss(*box)) return Settled::Box;
  }
}

std::optional<Image> App::Capture() const {
  // Let the window put its last paint on the screen first, frames included;
  // a busy machine can still show it half drawn, so two looks must agree.
  RedrawWindow(window_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  std::optional<Image> shown;
  WaitUntil(
      [&] {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, Patience(1000), &ignored);
        Sleep(200);  // pacing: looks this far apart would catch a paint under way
        auto next = Image::CaptureScreen(WindowRect());
        const bool stable = shown && next && shown->CountDifferences(*next) == 0;
        shown = std::move(next);
        return stable;
      },
      5000);
  return shown;
}

bool App::Close(DWORD timeoutMs) {
  if (!process_) return true;
  if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
  return WaitForSingleObject(process_.Get(), Patience(timeoutMs)) == WAIT_OBJECT_0;
}

}  // namespace pelterwyn::e2e
