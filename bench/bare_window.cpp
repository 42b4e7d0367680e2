// The baseline the tool is measured against: a bare window with a box like the
// result box and a button, nothing else. A click replaces the box's text and
// repaints it as many times as the command line's number says, as the send
// test would without its mail calls. With "--all-controls" the window also
// has the tool's other controls, plain, at their places: what the tool's
// start-up costs beyond its controls.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "console/controls.h"

namespace {

constexpr int kBoxId = 1;
constexpr int kButtonId = 2;

int passes = 0;
HWND box = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) {
        for (int pass = 1; pass <= passes; ++pass) {
          SetWindowTextA(box, ("Sending message " + std::to_string(pass)).c_str());
          UpdateWindow(box);
        }
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

void AddTheToolsOtherControls(HWND window, HINSTANCE instance) {
  using namespace pelterwyn;
  for (const ControlSpec& c : kControls) {
    if (c.id == ControlId::txtResult || c.id == ControlId::cmdLogon) continue;
    const wchar_t* windowClass = L"BUTTON";
    DWORD style = WS_CHILD | WS_TABSTOP | (c.hidden ? 0 : WS_VISIBLE);
    DWORD exStyle = 0;
    if (c.kind == ControlKind::TextBox) {
      windowClass = L"EDIT";
      style |= ES_AUTOHSCROLL;
      exStyle = WS_EX_CLIENTEDGE;
    } else if (c.kind == ControlKind::Label) {
      windowClass = L"STATIC";
      style = (style & ~WS_TABSTOP) | SS_LEFT;
    } else if (c.kind == ControlKind::CheckBox) {
      style |= BS_AUTOCHECKBOX;
    }
    const PixelRect r = ToPixels(c, 96);
    HWND control = CreateWindowExW(exStyle, windowClass, L"Text", style, r.left, r.top, r.width,
                                   r.height, window, nullptr, instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
  }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  passes = std::atoi(commandLine);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"PelterwynBareWindow";
  RegisterClassW(&windowClass);

  // The tool's client area and result box at 96 dpi.
  RECT frame{0, 0, 457, 315};
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  AdjustWindowRect(&frame, style, FALSE);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Bare window", style, CW_USEDEFAULT,
                                CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                nullptr, nullptr, instance, nullptr);
  box =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN |
                          ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL,
                      16, 72, 425, 225, window, reinterpret_cast<HMENU>(kBoxId), instance, nullptr);
  HWND button =
      CreateWindowExW(0, L"BUTTON", L"Send", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 384, 16, 57, 25,
                      window, reinterpret_cast<HMENU>(kButtonId), instance, nullptr);
  const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  SendMessageW(box, WM_SETFONT, font, FALSE);
  SendMessageW(button, WM_SETFONT, font, FALSE);
  if (std::strstr(commandLine, "--all-controls")) AddTheToolsOtherControls(window, instance);
  ShowWindow(window, SW_SHOW);

  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
