#pragma once

#include <string>

namespace pelterwyn {

// The window's controls, in creation order (console/controls.h holds their
// layout, one row each in this order).
enum class ControlId {
  chkLoad,
  cmdGetRows,
  cmdGetRow,
  txtCount,
  cmdSend,
  cmdTest2,
  txtAlias,
  txtServer,
  txtResult,
  cmdLogon,
  Label4,
  Label3,
  Label2,
  Label1,
};

inline constexpr unsigned kMbOk = 0;
inline constexpr unsigned kMbIconStop = 16;

// The window as the diagnostic tests see it. Text is in the process's 8-bit
// code page.
class Window {
 public:
  virtual ~Window() = default;
  virtual std::string Text(ControlId id) = 0;
  virtual void SetText(ControlId id, const std::string& text) = 0;
  // Observably the same as SetText(id, Text(id) + text).
  virtual void AppendText(ControlId id, const std::string& text) = 0;
  // 0 unchecked, 1 checked, 2 grayed.
  virtual int CheckValue(ControlId id) = 0;
  virtual void SetFocus(ControlId id) = 0;
  // Immediate repaint while the handler keeps the thread.
  virtual void Refresh() = 0;
  virtual void RefreshControl(ControlId id) = 0;
  // Modal, captioned with the window caption. Returns the button pressed.
  virtual int ShowMessage(const std::string& text, unsigned style) = 0;
};

}  // namespace pelterwyn
