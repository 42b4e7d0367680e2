#include "win32/main_window.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <vector>

#include "console/about.h"
#include "console/form.h"
#include "res/resource.h"
#include "win32/com.h"
#include "win32/control_ids.h"
#include "win32/library.h"
#include "win32/version_win32.h"

namespace pelterwyn::win32 {

namespace {

constexpr const wchar_t* kCaption = L"Pelterwyn";
constexpr DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT;

void AppendWide(std::vector<WORD>& block, std::string_view text) {
  for (wchar_t c : Widen(text)) block.push_back(static_cast<WORD>(c));
  block.push_back(0);
}

// An empty dialog: the controls are created from the table in WM_INITDIALOG,
// the size is set there in pixels.
std::vector<WORD> DialogTemplate() {
  DLGTEMPLATE header{};
  header.style = kDialogStyle;
  std::vector<WORD> block(sizeof header / sizeof(WORD));
  std::memcpy(block.data(), &header, sizeof header);
  block.push_back(0);  // no menu
  block.push_back(0);  // the dialog class
  AppendWide(block, kWindowCaption);
  block.push_back(8);  // point size of the font
  AppendWide(block, "MS Shell Dlg");
  return block;
}

// Functions that older systems lack; the build must still start there.
template <class Fn>
Fn User32Function(const char* name) {
  return ProcAddress<Fn>(GetModuleHandleW(L"user32.dll"), name);
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpi) {
    if (const UINT dpi = getDpi(window)) return static_cast<int>(dpi);
  }
  const UniqueWindowDc screen = GetWindowDc(window);
  return screen ? GetDeviceCaps(screen.Get().dc, LOGPIXELSY) : 96;
}

void AdjustFrame(RECT* rect, HWND window, int dpi) {
  using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = User32Function<AdjustFn>("AdjustWindowRectExForDpi");
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  if (adjustForDpi) {
    adjustForDpi(rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
  } else {
    AdjustWindowRectEx(rect, style, FALSE, exStyle);
  }
}

// The controls are laid out from the table, not from a template: the dialog
// manager must leave their size and place to WM_DPICHANGED below.
void KeepLayoutOnDpiChange(HWND dialog) {
  using SetBehaviorFn =
      BOOL(WINAPI*)(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
  static const auto setBehavior = User32Function<SetBehaviorFn>("SetDialogDpiChangeBehavior");
  if (!setBehavior) return;
  const auto keep =
      static_cast<DIALOG_DPI_CHANGE_BEHAVIORS>(DDC_DISABLE_RESIZE | DDC_DISABLE_CONTROL_RELAYOUT);
  setBehavior(dialog, keep, keep);
}

// Paints the window's client area, and what flags add, while a handler keeps
// the thread.
void PaintNow(HWND window, UINT flags = 0) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | flags);
  // Wine puts the painted surface on screen when the thread next looks at its
  // queue. Looking without taking anything keeps a handler from re-entering.
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}

std::string OwnVersionText(HINSTANCE instance) {
  const auto* versionType = MAKEINTRESOURCEW(16);  // RT_VERSION, spelt for the W call
  HRSRC info = FindResourceW(instance, MAKEINTRESOURCEW(VS_VERSION_INFO), versionType);
  HGLOBAL loaded = info ? LoadResource(instance, info) : nullptr;
  const auto* data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
  if (!data) return {};
  std::vector<unsigned char> block(data, data + SizeofResource(instance, info));
  const auto fixed = FixedVersionOfBlock(block);
  if (!fixed) return {};
  return VersionText(HIWORD(fixed->fileVersionMS), LOWORD(fixed->fileVersionMS),
                     LOWORD(fixed->fileVersionLS));
}

// A label lies under the controls it overlaps, as text drawn on the form
// would. The static control paints with its parent's clipping, so without
// this it would cover a box's border whenever it happened to paint last.
WNDPROC staticProc = nullptr;

LRESULT CALLBACK LabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT || wParam) {
    return CallWindowProcW(staticProc, label, message, wParam, lParam);
  }
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(label, &paint);
  for (HWND sibling = GetWindow(GetParent(label), GW_CHILD); sibling;
       sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (sibling == label || !IsWindowVisible(sibling)) continue;
    if (GetWindowLongPtrW(sibling, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(LabelProc)) continue;
    RECT r;
    GetWindowRect(sibling, &r);
    MapWindowPoints(nullptr, label, reinterpret_cast<POINT*>(&r), 2);
    ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
  }
  // The control paints into the DC it is given.
  CallWindowProcW(staticProc, label, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  EndPaint(label, &paint);
  return 0;
}

// A test holds the thread: what the user clicked or typed meanwhile is
// dropped, not replayed as a second run once the first has ended.
void DiscardQueuedInput() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
}

}  // namespace

bool MainWindow::Create() {
  owner_.Reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_,
                               nullptr));
  const std::vector<WORD> block = DialogTemplate();
  HWND dialog =
      CreateDialogIndirectParamW(instance_, reinterpret_cast<LPCDLGTEMPLATEW>(block.data()),
                                 owner_.Get(), DialogProc, reinterpret_cast<LPARAM>(this));
  if (!dialog) return false;
  SetForegroundWindow(dialog);
  return true;
}

int MainWindow::Run() {
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (dialog_ && IsDialogMessageW(dialog_.Get(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

INT_PTR CALLBACK MainWindow::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<MainWindow*>(lParam);
    SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
    self->dialog_.Reset(dialog);
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
  return self ? self->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const int iconSizes[][2] = {{GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)},
                                  {GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)}};
      const WPARAM iconKinds[] = {ICON_BIG, ICON_SMALL};
      for (int i = 0; i < 2; ++i) {
        HANDLE icon = LoadImageW(instance_, MAKEINTRESOURCEW(IDI_PELTERWYN), IMAGE_ICON,
                                 iconSizes[i][0], iconSizes[i][1], LR_SHARED);
        SendMessageW(dialog_.Get(), WM_SETICON, iconKinds[i], reinterpret_cast<LPARAM>(icon));
      }
      BuildControls();
      AddSystemMenuEntries();
      KeepLayoutOnDpiChange(dialog_.Get());
      Layout(WindowDpi(dialog_.Get()));
      // Focus goes to the first control in tab order that takes it.
      return TRUE;
    }
    case WM_COMMAND: {
      const auto id = ControlFromItemId(LOWORD(wParam));
      if (HIWORD(wParam) == BN_CLICKED && id && ControlInfo(*id).kind == ControlKind::Button) {
        OnClick(*id);
      }
      // IDOK and IDCANCEL (Enter without a default button, Escape) do nothing.
      return TRUE;
    }
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case kSysShowAllTests:
          ShowAllTests();
          return TRUE;
        case kSysAbout:
          ShowAbout();
          return TRUE;
        default:
          return FALSE;
      }
    case WM_DPICHANGED: {
      // Stay where the system moved the window, on its new monitor.
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      ApplyFont();
      Layout(HIWORD(wParam), POINT{suggested->left, suggested->top});
      return TRUE;
    }
    case WM_CLOSE:
      CloseWhenIdle();
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
    default:
      return FALSE;
  }
}

void MainWindow::BuildControls() {
  for (const ControlSpec& c : kControls) {
    const wchar_t* windowClass = L"BUTTON";
    DWORD style = WS_CHILD | WS_GROUP | (c.hidden ? 0 : WS_VISIBLE);
    DWORD exStyle = 0;
    switch (c.kind) {
      case ControlKind::CheckBox:
        style |= WS_TABSTOP | BS_AUTOCHECKBOX;
        break;
      case ControlKind::Button:
        style |= WS_TABSTOP | (c.id == kDefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
      case ControlKind::TextBox:
        windowClass = L"EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::MultiLineTextBox:
        windowClass = L"EDIT";
        style |= WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                 WS_VSCROLL | WS_HSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::Label:
        windowClass = L"STATIC";
        style |= SS_LEFT;
        break;
    }
    HWND control = CreateWindowExW(
        exStyle, windowClass, Widen(c.caption).c_str(), style, 0, 0, 0, 0, dialog_.Get(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ItemId(c.id))), instance_, nullptr);
    // A label the subclass did not take stays a plain static: it still paints,
    // perhaps over a neighbour's border, and the labels that took keep the
    // static's procedure to call.
    if (control && c.kind == ControlKind::Label) {
      if (const auto previous = reinterpret_cast<WNDPROC>(
              SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LabelProc)))) {
        staticProc = previous;
      }
    }
  }
  ApplyFont();
  // The dialog manager walks children in z-order: tab order and the control
  // a label's access key reaches both follow from it.
  HWND previous = HWND_TOP;
  for (ControlId id : TabOrder()) {
    SetWindowPos(Control(id), previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = Control(id);
  }
  SendMessageW(Control(ControlId::txtResult), EM_SETLIMITTEXT, 0, 0);
  SendMessageW(dialog_.Get(), DM_SETDEFID, ItemId(kDefaultButton), 0);
}

void MainWindow::AddSystemMenuEntries() {
  HMENU menu = GetSystemMenu(dialog_.Get(), FALSE);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kSysShowAllTests, L"Show all tests");
  AppendMenuW(menu, MF_STRING, kSysAbout, L"About Pelterwyn");
}

void MainWindow::ApplyFont() {
  const LRESULT font = SendMessageW(dialog_.Get(), WM_GETFONT, 0, 0);
  for (const ControlSpec& c : kControls) {
    SendMessageW(Control(c.id), WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  }
}

void MainWindow::Layout(int dpi, std::optional<POINT> topLeft) {
  const TwipsSize size =
      revealed_ ? FullClientSizeTwips() : TwipsSize{kClientWidthTwips, kClientHeightTwips};
  const PixelRect client = ToPixels(0, 0, size.width, size.height, dpi);
  for (const ControlSpec& c : kControls) {
    const PixelRect r = ToPixels(c, dpi);
    MoveWindow(Control(c.id), r.left, r.top, r.width, r.height, FALSE);
  }
  RECT frame{0, 0, client.width, client.height};
  AdjustFrame(&frame, dialog_.Get(), dpi);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;

  if (!topLeft) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dialog_.Get(), MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    topLeft = POINT{work.left + std::max(0L, (work.right - work.left - width) / 2),
                    work.top + std::max(0L, (work.bottom - work.top - height) / 2)};
  }
  SetWindowPos(dialog_.Get(), nullptr, topLeft->x, topLeft->y, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(dialog_.Get(), nullptr, TRUE);
}

HWND MainWindow::Control(ControlId id) const { return GetDlgItem(dialog_.Get(), ItemId(id)); }

void MainWindow::OnClick(ControlId id) {
  // A click that arrives while a handler waits in a message box must not
  // start a second handler.
  if (busy_ || !form_) return;
  busy_ = true;
  try {
    form_->Click(id);
  } catch (const std::exception& e) {
    // No failure may cross the dialog manager or end the program; a debugger
    // still hears of it. Formatted without allocating: nothing may throw here.
    char line[512];
    std::snprintf(line, sizeof line, "Pelterwyn: a click ended in an exception: %s\n", e.what());
    OutputDebugStringA(line);
  } catch (...) {
  }
  DiscardQueuedInput();
  busy_ = false;
  if (closePending_) CloseWhenIdle();
}

void MainWindow::ShowAllTests() {
  if (revealed_ || busy_) return;
  revealed_ = true;
  Layout(WindowDpi(dialog_.Get()));
  for (const ControlSpec& c : kControls) {
    if (c.hidden) ShowWindow(Control(c.id), SW_SHOWNA);
  }
  EnableMenuItem(GetSystemMenu(dialog_.Get(), FALSE), kSysShowAllTests, MF_BYCOMMAND | MF_GRAYED);
}

void MainWindow::ShowAbout() {
  if (busy_ || !form_) return;
  busy_ = true;
  const std::wstring text = AboutText(Widen(OwnVersionText(instance_)),
                                      static_cast<int>(sizeof(void*) * 8), form_->TraceLogPath());
  // No icon: the Logon test's input errors are the only boxes with one.
  MessageBoxW(dialog_.Get(), text.c_str(), kCaption, MB_OK);
  busy_ = false;
  if (closePending_) CloseWhenIdle();
}

void MainWindow::CloseWhenIdle() {
  if (busy_) {
    closePending_ = true;
    return;
  }
  dialog_.Reset();
}

std::string MainWindow::Text(ControlId id) {
  HWND control = Control(id);
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

void MainWindow::SetText(ControlId id, const std::string& text) {
  SetWindowTextA(Control(id), text.c_str());
}

void MainWindow::AppendText(ControlId id, const std::string& text) {
  const ControlKind kind = ControlInfo(id).kind;
  if (kind != ControlKind::TextBox && kind != ControlKind::MultiLineTextBox) {
    SetText(id, Text(id) + text);
    return;
  }
  // Replacing an empty selection at the end spares reading the whole text.
  HWND control = Control(id);
  const int end = GetWindowTextLengthW(control);
  SendMessageW(control, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageA(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

int MainWindow::CheckValue(ControlId id) {
  return static_cast<int>(SendMessageW(Control(id), BM_GETCHECK, 0, 0));
}

void MainWindow::SetFocus(ControlId id) {
  // Through the dialog manager, so that the default button follows.
  SendMessageW(dialog_.Get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
}

void MainWindow::Refresh() { PaintNow(dialog_.Get(), RDW_FRAME | RDW_ALLCHILDREN); }

// A control redraws its own frame and scroll bars when a new text changes
// them: the client area is all that is left to paint.
void MainWindow::RefreshControl(ControlId id) { PaintNow(Control(id)); }

int MainWindow::ShowMessage(const std::string& text, unsigned style) {
  return MessageBoxW(dialog_.Get(), Widen(text).c_str(), kCaption, style);
}

}  // namespace pelterwyn::win32
