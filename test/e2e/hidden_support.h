#pragma once

// What the end-to-end tests of the revealed tests share: the registry of the
// test's own prefix, slices of the journal taken between two clicks, a real
// mouse click, and the message box of a test answered.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/driver/app.h"
#include "support/journal.h"
#include "support/store_fixture.h"
#include "support/wine_paths.h"
#include "win32/control_ids.h"

namespace pelterwyn::e2e::hidden {

using testing::Journal;
using testing::JournalEvent;
using testing::StoreFixture;

inline constexpr const char* kCdoClsid = "{3FA7DEB3-6438-101B-ACC1-00AA00423326}";
inline constexpr const char* kSessionProgId = "Software\\Classes\\MAPI.Session";
inline constexpr const char* kTableProgId = "Software\\Classes\\Redemption.MAPITable";
inline constexpr const char* kOffice = "Software\\Microsoft\\Office";

// Each test runs in a prefix of its own: HKLM may be written freely and is
// not put back.
inline void SetRegText(const std::string& key, const std::string& name, const std::string& text,
                       DWORD type = REG_SZ) {
  ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), name.empty() ? nullptr : name.c_str(),
                            type, text.c_str(), static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS)
      << key << ":" << name;
}
inline void SetRegDword(const std::string& key, const std::string& name, DWORD value) {
  ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), REG_DWORD, &value,
                            sizeof value),
            ERROR_SUCCESS)
      << key << ":" << name;
}
inline void DeleteRegTree(const std::string& key) {
  const LSTATUS status = RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
  ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << key << ": " << status;
}

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The events a journal gained since an earlier look, and queries over them.
class Slice {
 public:
  Slice() = default;
  Slice(const Journal& journal, std::size_t from) {
    const auto& all = journal.Events();
    events_.assign(all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())),
                   all.end());
  }
  const std::vector<JournalEvent>& Events() const { return events_; }
  std::vector<JournalEvent> Invocations() const {
    std::vector<JournalEvent> calls;
    for (const JournalEvent& e : events_) {
      if (e.IsInvocation()) calls.push_back(e);
    }
    return calls;
  }
  std::vector<JournalEvent> Calls(std::string_view type, std::string_view member) const {
    std::vector<JournalEvent> calls;
    for (const JournalEvent& e : events_) {
      if (e.IsInvocation() && e.Is(type, member)) calls.push_back(e);
    }
    return calls;
  }
  int Count(std::string_view type, std::string_view member) const {
    return static_cast<int>(Calls(type, member).size());
  }
  int CountCreated(std::string_view type) const {
    return static_cast<int>(std::count_if(events_.begin(), events_.end(), [&](const auto& e) {
      return e.kind == JournalEvent::Kind::Created && e.type == type;
    }));
  }
  // Created, call and released events in order, as "created Session",
  // "Session.Logoff", "released Session".
  std::vector<std::string> Story() const {
    std::vector<std::string> story;
    for (const JournalEvent& e : events_) {
      if (e.kind == JournalEvent::Kind::Created) {
        story.push_back("created " + e.type);
      } else if (e.kind == JournalEvent::Kind::Released) {
        story.push_back("released " + e.type);
      } else if (e.IsInvocation()) {
        story.push_back(e.type + "." + e.member);
      }
    }
    return story;
  }
  // Every object created in the slice was released in it, exactly once.
  std::vector<std::string> Unreleased() const {
    std::vector<std::string> open;
    for (const JournalEvent& e : events_) {
      if (e.kind == JournalEvent::Kind::Created) open.push_back(e.object);
      if (e.kind == JournalEvent::Kind::Released) {
        const auto it = std::find(open.begin(), open.end(), e.object);
        if (it == open.end()) {
          open.push_back("released twice or never created: " + e.object);
        } else {
          open.erase(it);
        }
      }
    }
    return open;
  }

 private:
  std::vector<JournalEvent> events_;
};

// Remembers where the journal stood; Take() gives what came after.
class JournalMark {
 public:
  explicit JournalMark(const StoreFixture& store)
      : store_(store), from_(store.ReadJournal().Events().size()) {}
  Slice Take() const { return Slice(store_.ReadJournal(), from_); }

 private:
  const StoreFixture& store_;
  std::size_t from_;
};

// Story positions, for order checks.
inline std::ptrdiff_t IndexOf(const std::vector<std::string>& story, std::string_view entry,
                              std::ptrdiff_t from = 0) {
  const auto it = std::find(story.begin() + std::min<std::ptrdiff_t>(from, std::ssize(story)),
                            story.end(), entry);
  return it == story.end() ? -1 : it - story.begin();
}
inline std::ptrdiff_t LastIndexOf(const std::vector<std::string>& story, std::string_view entry) {
  const auto it = std::find(story.rbegin(), story.rend(), entry);
  return it == story.rend() ? -1 : std::distance(it, story.rend()) - 1;
}

inline std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// Lines of the result box, split at CR LF.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const auto end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return lines;
    start = end + 2;
  }
}

inline void ShowAllTests(App& app) {
  app.SysCommand(win32::kSysShowAllTests);
  ASSERT_EQ(app.WaitSettled(5000), Settled::Idle);
  ASSERT_TRUE(app.IsVisible(ControlId::cmdTest2));
}

// Clicks a button of the revealed column and waits for the run to end.
inline void RunTest(App& app, ControlId button, DWORD timeoutMs = 60000) {
  app.Click(button);
  ASSERT_EQ(app.WaitSettled(timeoutMs), Settled::Idle) << ControlInfo(button).name;
}

// A real left click in the middle of a control, through the system's input queue.
inline bool MouseClick(App& app, ControlId id) {
  if (!app.BringToFront()) return false;
  const RECT r = app.ControlRect(id);
  const POINT origin = app.ClientOrigin();
  const int x = origin.x + (r.left + r.right) / 2;
  const int y = origin.y + (r.top + r.bottom) / 2;
  if (!SetCursorPos(x, y)) return false;
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

// A box of a table row test: no icon, "Pelterwyn", OK alone.
inline void ExpectPlainBox(const MessageBoxInfo& box) {
  EXPECT_EQ(box.caption, "Pelterwyn") << box.text;
  EXPECT_EQ(box.icon, BoxIcon::None) << box.text << ": " << IconName(box.icon);
  EXPECT_EQ(box.buttons.size(), 1u) << box.text;
}

}  // namespace pelterwyn::e2e::hidden
