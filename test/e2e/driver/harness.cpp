#include "e2e/driver/harness.h"

#include <cstdint>
#include <regex>

namespace pelterwyn::e2e {

namespace {

std::uint64_t Seconds(const SYSTEMTIME& t) {
  FILETIME f{};
  SystemTimeToFileTime(&t, &f);
  return ((static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000000ull;
}

std::uint64_t LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return Seconds(now);
}

// Each line's stamp, m/d/yyyy h:mm:ss AM|PM, checked to lie within from..to
// and replaced by "<t>", so that the rest can be compared exactly.
std::string Unstamp(const std::string& log, std::uint64_t from, std::uint64_t to,
                    std::vector<std::string>& problems) {
  static const std::regex stamped(
      R"(^(1[0-2]|[1-9])/([12][0-9]|3[01]|[1-9])/([0-9]{4}) (1[0-2]|[1-9]):([0-5][0-9]):([0-5][0-9]) (AM|PM):)");
  std::string out;
  const std::vector<std::string> lines = Lines(log);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::smatch m;
    if (std::regex_search(lines[i], m, stamped)) {
      SYSTEMTIME t{};
      t.wMonth = static_cast<WORD>(std::stoi(m[1]));
      t.wDay = static_cast<WORD>(std::stoi(m[2]));
      t.wYear = static_cast<WORD>(std::stoi(m[3]));
      t.wHour = static_cast<WORD>(std::stoi(m[4]) % 12 + (m[7] == "PM" ? 12 : 0));
      t.wMinute = static_cast<WORD>(std::stoi(m[5]));
      t.wSecond = static_cast<WORD>(std::stoi(m[6]));
      const std::uint64_t at = Seconds(t);
      if (at < from || at > to) problems.push_back("not within the run: " + lines[i]);
      out += "<t>:" + m.suffix().str();
    } else {
      out += lines[i];
    }
    if (i + 1 < lines.size()) out += "\r\n";
  }
  return out;
}

}  // namespace

EndToEnd::EndToEnd(HarnessOptions options) : store(options.journal) {}

void EndToEnd::Start(const LaunchOptions& launch) { ASSERT_TRUE(app.Start(launch)) << app.Error(); }

void EndToEnd::Reveal() {
  app.SysCommand(win32::kSysShowAllTests);
  ASSERT_EQ(app.WaitSettled(5000), Settled::Idle);
  ASSERT_TRUE(app.IsVisible(ControlId::cmdTest2));
}

void EndToEnd::Fill(const Fields& fields) {
  if (fields.server) app.SetText(ControlId::txtServer, *fields.server);
  if (fields.mailbox) app.SetText(ControlId::txtAlias, *fields.mailbox);
  if (fields.count) app.SetText(ControlId::txtCount, *fields.count);
  if (fields.load) app.SetCheck(ControlId::chkLoad, *fields.load);
}

Outcome EndToEnd::Click(ControlId button, int answer) {
  return Observe(
      [&] {
        app.Click(button);
        return true;
      },
      answer);
}

Outcome EndToEnd::MouseClick(ControlId control, int answer) {
  return Observe([&] { return app.MouseClick(control); }, answer);
}

Outcome EndToEnd::Press(WORD vk, Keys keys, int answer) {
  return Observe([&] { return app.PressKey(vk, keys); }, answer);
}

Outcome EndToEnd::Observe(const std::function<bool()>& act, int answer, DWORD timeoutMs) {
  Outcome run;
  run.boxBefore = app.Text(ControlId::txtResult);
  const std::string logBefore = testing::ReadFileBytes(app.LogPath());
  const testing::JournalMark mark = store.Mark();
  const std::uint64_t from = LocalNow();
  if (!act()) ADD_FAILURE() << "the window did not take the input";
  run.settled = app.Settle(answer, timeoutMs, [&](const MessageBoxInfo& box) {
    run.boxes.push_back({box, mark.Take()});
  });
  const std::uint64_t to = LocalNow();

  const std::string box = app.Text(ControlId::txtResult);
  run.replaced = !box.starts_with(run.boxBefore);
  run.box = run.replaced ? box : box.substr(run.boxBefore.size());
  const std::string log = testing::ReadFileBytes(app.LogPath());
  if (!log.starts_with(logBefore)) run.logProblems.push_back("earlier lines of the log changed");
  run.log = Unstamp(log.substr(std::min(log.size(), logBefore.size())), from, to, run.logProblems);
  run.journal = mark.Take();
  return run;
}

std::vector<std::string> Outcome::BoxTexts() const {
  std::vector<std::string> texts;
  for (const ShownBox& shown : boxes) texts.push_back(shown.text);
  return texts;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const auto end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return lines;
    start = end + 2;
  }
}

std::string Joined(const std::vector<std::string>& lines, std::string_view ending) {
  std::string text;
  for (const std::string& line : lines) text.append(line).append(ending);
  return text;
}

void ExpectIdle(const Outcome& run) {
  EXPECT_EQ(run.settled, Settled::Idle);
  EXPECT_EQ(run.BoxTexts(), std::vector<std::string>{}) << "message boxes came up";
}

void ExpectBox(const MessageBoxInfo& box, const std::string& text, BoxIcon icon) {
  EXPECT_EQ(box.caption, "Pelterwyn") << box.text;
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.icon, icon) << box.text << ": " << IconName(box.icon);
  EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"}) << box.text;
}

}  // namespace pelterwyn::e2e
