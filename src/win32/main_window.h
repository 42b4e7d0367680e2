#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/window.h"
#include "win32/handles.h"

namespace pelterwyn {
class Form1;
}

namespace pelterwyn::win32 {

// The core's copies of the SDK's message box styles.
static_assert(kMbOk == MB_OK && kMbIconStop == MB_ICONSTOP);

// The main window: a dialog built from the control table, so that the dialog
// manager gives tab order, access keys and the default button.
class MainWindow final : public Window {
 public:
  explicit MainWindow(HINSTANCE instance) : instance_(instance) {}
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Clicks and the About box go to the form; attach it before Create.
  void Attach(Form1& form) { form_ = &form; }

  // Builds the window from the stored layout and shows it centred.
  bool Create();
  // Runs until the window is closed; returns the exit code.
  int Run();

  std::string Text(ControlId id) override;
  void SetText(ControlId id, const std::string& text) override;
  void AppendText(ControlId id, const std::string& text) override;
  int CheckValue(ControlId id) override;
  void SetFocus(ControlId id) override;
  void Refresh() override;
  void RefreshControl(ControlId id) override;
  int ShowMessage(const std::string& text, unsigned style) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void BuildControls();
  void AddSystemMenuEntries();
  // Sizes the client area and every control for dpi; centres the window
  // unless told where it goes.
  void Layout(int dpi, std::optional<POINT> topLeft = std::nullopt);
  void ApplyFont();
  HWND Control(ControlId id) const;

  void OnClick(ControlId id);
  void ShowAllTests();
  void ShowAbout();
  void CloseWhenIdle();

  HINSTANCE instance_;
  Form1* form_ = nullptr;
  UniqueWindow owner_;   // invisible: keeps the window out of the task bar
  UniqueWindow dialog_;  // destroyed on close
  bool busy_ = false;    // a handler or the About box is running
  bool closePending_ = false;
  bool revealed_ = false;
};

}  // namespace pelterwyn::win32
