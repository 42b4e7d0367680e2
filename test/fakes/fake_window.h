#pragma once

#include <map>
#include <string>
#include <vector>

#include "console/controls.h"
#include "platform/window.h"

namespace pelterwyn::fakes {

// A window that keeps control texts and records the calls that have effects
// outside the text: focus, repaints and message boxes.
class FakeWindow final : public Window {
 public:
  struct Box {
    std::string text;
    unsigned style;
  };

  // events may be shared with another recorder to see the order across both.
  explicit FakeWindow(std::vector<std::string>* shared = nullptr)
      : events(shared != nullptr ? *shared : own_) {
    for (const auto& c : kControls) texts_[c.id] = std::string(c.caption);
  }

  std::string Text(ControlId id) override { return texts_[id]; }
  void SetText(ControlId id, const std::string& text) override {
    texts_[id] = text;
    events.push_back("set " + std::string(ControlInfo(id).name));
  }
  void AppendText(ControlId id, const std::string& text) override { texts_[id] += text; }
  int CheckValue(ControlId id) override { return checks[id]; }
  void SetFocus(ControlId id) override { focus.push_back(id); }
  void Refresh() override { events.push_back("refresh window"); }
  void RefreshControl(ControlId id) override {
    events.push_back("refresh " + std::string(ControlInfo(id).name) + ": " + texts_[id]);
  }
  int ShowMessage(const std::string& text, unsigned style) override {
    boxes.push_back({text, style});
    events.push_back("box " + text);
    return 1;
  }

  std::string& Result() { return texts_[ControlId::txtResult]; }
  void Type(ControlId id, const std::string& text) { texts_[id] = text; }

  std::map<ControlId, int> checks;
  std::vector<ControlId> focus;
  std::vector<Box> boxes;

 private:
  std::vector<std::string> own_;

 public:
  std::vector<std::string>& events;

 private:
  std::map<ControlId, std::string> texts_;
};

}  // namespace pelterwyn::fakes
