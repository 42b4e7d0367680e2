// The tool where administrators run it: a copy in a folder of its own (named
// outside the code page, deep enough that its log's path passes MAX_PATH, or
// with a version.dll planted beside it), and a user who clicks again while a
// test runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "e2e/driver/app.h"
#include "support/journal.h"
#include "support/store_fixture.h"
#include "support/wine_paths.h"
#include "win32/control_ids.h"

namespace pelterwyn::e2e {
namespace {

namespace fs = std::filesystem;
using testing::StoreFixture;

constexpr char kInstantiated[] = ":Instantiated CDO\r\n";

bool OnWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh folder in the temp directory, removed with all it holds.
class Place {
 public:
  Place() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    root_ = fs::path(temp) / (L"pelterwyn-field-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++counter));
    fs::create_directories(root_);
  }
  ~Place() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  Place(const Place&) = delete;
  Place& operator=(const Place&) = delete;

  const fs::path& Root() const { return root_; }

  // A copy of the built tool in folder (made when missing); its path.
  static fs::path CopyTool(const fs::path& folder, const std::wstring& name = L"Pelterwyn.exe") {
    fs::create_directories(folder);
    const fs::path exe = folder / name;
    fs::copy_file(fs::path(testing::ExePath()), exe, fs::copy_options::overwrite_existing);
    return exe;
  }

 private:
  fs::path root_;
};

// Started where it lies. The driver's paths are 8-bit: a path outside the
// code page goes by its short form, and the program is told its long one all
// the same.
LaunchOptions InPlace(const fs::path& exe) {
  const std::wstring& wide = exe.native();
  BOOL lossy = FALSE;
  std::string path(wide.size() * 2 + 1, '\0');
  path.resize(static_cast<std::size_t>(
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), static_cast<int>(wide.size()),
                          path.data(), static_cast<int>(path.size()), nullptr, &lossy)));
  if (lossy) {
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD n = GetShortPathNameW(wide.c_str(), shortPath, MAX_PATH);
    path = n > 0 && n < MAX_PATH ? fs::path(shortPath).string() : std::string();
  }
  LaunchOptions options;
  options.exePath = path;
  options.privateCopy = false;
  return options;
}

// Types the demo server and a mailbox, presses Logon; the result box after the run.
std::string RunLogon(App& app, const std::string& mailbox = "jsmith") {
  app.SetText(ControlId::txtServer, "EXCHANGE1");
  app.SetText(ControlId::txtAlias, mailbox);
  app.Click(ControlId::cmdLogon);
  EXPECT_EQ(app.WaitSettled(60000), Settled::Idle);
  return app.Text(ControlId::txtResult);
}

TEST(Field, AVersionDllPlantedBesideTheToolIsNeverCalled) {
  StoreFixture store(false);
  Place place;
  const fs::path exe = Place::CopyTool(place.Root());
  fs::copy_file(fs::path(testing::BinaryDir() + "\\fixtures\\planted\\version.dll"),
                place.Root() / L"version.dll");
  // Searched as Windows searches, beside the program before System32 (this
  // test's prefix is its own).
  ASSERT_EQ(
      RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Pelterwyn.exe\\DllOverrides",
                      "version", REG_SZ, "native,builtin", sizeof "native,builtin"),
      ERROR_SUCCESS);
  {
    App app(InPlace(exe));
    ASSERT_TRUE(app.Start()) << app.Error();
    // The window works, its version lines included.
    const std::string box = RunLogon(app);
    EXPECT_NE(box.find("CDO=6.5.8353.0 @"), std::string::npos) << box;
    EXPECT_NE(box.find("Instantiated CDO\r\n"), std::string::npos) << box;
  }
  const std::string calls = ReadAll(place.Root() / L"version-calls.txt");
  if (OnWine()) {
    // Wine's own user32 imports version.dll: without the plant in the process
    // this test could not fail.
    EXPECT_NE(calls.find("loaded\t-\r\n"), std::string::npos) << "the DLL was not planted";
  }
  EXPECT_EQ(calls.find("\tPelterwyn.exe\r\n"), std::string::npos) << calls;
}

TEST(Field, TheLogLiesBesideAToolInAFolderNamedOutsideTheCodePage) {
  StoreFixture store(false);
  Place place;
  const fs::path folder = place.Root() / L"Pr\u00FCfung-\u65E5\u672C";
  {
    App app(InPlace(Place::CopyTool(folder)));
    ASSERT_TRUE(app.Start()) << app.Error();
    RunLogon(app, "jsm\xEFth");
  }
  const std::string log = ReadAll(folder / L"Pelterwyn.log");
  EXPECT_EQ(log.rfind("====================\r\n", 0), 0u) << log;
  EXPECT_NE(log.find(kInstantiated), std::string::npos) << log;
  // Line contents stay in the code page: one byte for the i.
  EXPECT_NE(log.find("Attempting logon using EXCHANGE1\\jsm\xEFth\r\n"), std::string::npos) << log;
}

TEST(Field, TheLogIsWrittenWhereItsPathPassesMaxPath) {
  StoreFixture store(false);
  Place place;
  // The program's path stays below MAX_PATH, its log's goes past it:
  // root\padding\P.exe is 255 characters.
  const std::size_t padding = 255 - place.Root().wstring().size() - 2 - 5;
  const fs::path folder = place.Root() / std::wstring(padding, L'd');
  const fs::path exe = Place::CopyTool(folder, L"P.exe");
  ASSERT_EQ(exe.wstring().size(), 255u);
  {
    App app(InPlace(exe));
    ASSERT_TRUE(app.Start()) << app.Error();
    RunLogon(app);
  }
  const std::wstring log = L"\\\\?\\" + (folder / L"Pelterwyn.log").wstring();
  ASSERT_GE(log.size() - 4, static_cast<std::size_t>(MAX_PATH));
  EXPECT_NE(ReadAll(log).find(kInstantiated), std::string::npos);
}

bool Busy(HWND window) {
  DWORD_PTR ignored = 0;
  return !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 20, &ignored);
}

TEST(Field, AClickAndEnterDuringARunAreDroppedNotReplayed) {
  StoreFixture store;
  App app;
  ASSERT_TRUE(app.Start()) << app.Error();
  app.SysCommand(win32::kSysShowAllTests);
  ASSERT_EQ(app.WaitSettled(5000), Settled::Idle);
  app.SetText(ControlId::txtServer, "EXCHANGE1");
  app.SetText(ControlId::txtAlias, "jsmith");
  app.SetText(ControlId::txtCount, "40");  // about 60 ms each
  ASSERT_TRUE(app.BringToFront());
  const RECT button = app.ControlRect(ControlId::cmdSend);
  const POINT origin = app.ClientOrigin();
  ASSERT_TRUE(SetCursorPos(origin.x + (button.left + button.right) / 2,
                           origin.y + (button.top + button.bottom) / 2));

  app.Click(ControlId::cmdSend);
  ASSERT_TRUE(WaitUntil([&] { return Busy(app.Window()); }, 5000)) << "the run did not start";
  // The impatient user: the button clicked again with the mouse, then Enter.
  INPUT input[4] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  input[2].type = input[3].type = INPUT_KEYBOARD;
  input[2].ki.wVk = input[3].ki.wVk = VK_RETURN;
  input[3].ki.dwFlags = KEYEVENTF_KEYUP;
  ASSERT_EQ(SendInput(4, input, sizeof(INPUT)), 4u);
  ASSERT_TRUE(Busy(app.Window())) << "the run ended before the input came: send more messages";

  ASSERT_EQ(app.WaitSettled(120000), Settled::Idle);
  // A replayed click would start its run now.
  Sleep(500);
  ASSERT_EQ(app.WaitSettled(120000), Settled::Idle);
  const auto journal = store.ReadJournal();
  int sessions = 0;
  for (const auto& event : journal.Events()) {
    sessions += event.kind == testing::JournalEvent::Kind::Created && event.type == "Session";
  }
  EXPECT_EQ(sessions, 1);
  EXPECT_EQ(journal.Calls("Message", "Send").size(), 40u);
}

TEST(Field, TheAboutBoxCarriesNoIcon) {
  App app;
  ASSERT_TRUE(app.Start()) << app.Error();
  app.SysCommand(win32::kSysAbout);
  const auto box = app.WaitForBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_NE(box->text.find("Pelterwyn 1.00.0007"), std::string::npos) << box->text;
  EXPECT_EQ(box->icon, BoxIcon::None) << IconName(box->icon);
  EXPECT_TRUE(app.Dismiss(*box));
}

}  // namespace
}  // namespace pelterwyn::e2e
