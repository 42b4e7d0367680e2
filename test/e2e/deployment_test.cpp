// The tool where administrators run it: a copy in a folder of its own (named
// outside the code page, in each locale, deep enough that its log's path
// passes MAX_PATH, or with a version.dll planted beside it), and a user who
// clicks again while a test runs.
#include <gtest/gtest.h>

#include <string>

#include "e2e/driver/harness.h"
#include "store/files.h"
#include "support/locale.h"

namespace pelterwyn::e2e {
namespace {

using Deployment = EndToEnd;

constexpr char kInstantiated[] = ":Instantiated CDO\r\n";
const Fields kLogon = {.server = "EXCHANGE1", .mailbox = "jsmith"};

TEST_F(Deployment, AVersionDllPlantedBesideTheToolIsNeverCalled) {
  // Searched as Windows searches, beside the program before System32.
  ASSERT_NO_FATAL_FAILURE(registry.SetString(
      HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Pelterwyn.exe\\DllOverrides", "version",
      "native,builtin"));
  ASSERT_NO_FATAL_FAILURE(Start({.beside = {testing::FixturePath("planted\\version.dll")}}));
  Fill(kLogon);
  // The window works, its version lines included.
  const Outcome run = Click(ControlId::cmdLogon);
  ExpectIdle(run);
  EXPECT_NE(run.box.find("CDO=6.5.8353.0 @"), std::string::npos) << run.box;
  EXPECT_NE(run.box.find("Instantiated CDO\r\n"), std::string::npos) << run.box;
  ASSERT_TRUE(app.Close());

  const std::string calls = testing::ReadFileBytes(app.Folder() + "\\version-calls.txt");
  if (testing::WineDiffers("Wine's own user32 imports version.dll, so the plant is loaded into "
                           "every windowed process")) {
    // Without the plant in the process this test could not fail.
    EXPECT_NE(calls.find("loaded\t-\r\n"), std::string::npos) << "the DLL was not planted";
  }
  EXPECT_EQ(calls.find("\tPelterwyn.exe\r\n"), std::string::npos) << calls;
}

TEST_F(Deployment, AMapi32InTheCurrentFolderIsNeitherLoadedNorVersionQueried) {
  ASSERT_NO_FATAL_FAILURE(
      Start({.inCurrentFolder = {testing::FixturePath("planted-mapi32\\mapi32.dll")}}));
  Fill({.server = "EXCHANGE1", .mailbox = "jsmith", .load = true});
  const Outcome run = Click(ControlId::cmdLogon);
  ExpectIdle(run);
  EXPECT_NE(run.box.find("Calling LoadLibrary\r\n"), std::string::npos) << run.box;
  EXPECT_EQ(run.box.find("MAPI32=9.9.9.9"), std::string::npos) << run.box;
  ASSERT_TRUE(app.Close());
  EXPECT_FALSE(testing::FileExists(app.CurrentFolder() + "\\mapi32.dll.loaded"));
}

TEST_F(Deployment, TheLogAndEveryAttachmentAreFoundFromFoldersNamedOutsideTheCodePageInEachLocale) {
  // A mailbox typed in the code page: its log line keeps the code page's
  // bytes, one for the i, two for the Japanese character.
  const std::string mailbox =
      testing::PerLocale<std::string>{"jsm\xEFth", "jsm\xEFth", "jsm\xEFth", "jsm\x95\x5Cth"}
          .Current();
  // Neither name fits code page 1252, the first not 932 either; the second
  // ends in a character whose second byte in 932 is "\". The driver starts
  // the tool by its short name: Wine gives the module its long name all the
  // same, Windows keeps the short one, so there this case cannot see a
  // module path outside the code page.
  std::string attachment;
  for (const std::wstring folder : {L"Pr\u00FCfung-\u65E5\u672C", L"\u691C\u67FB\u8868"}) {
    const std::string name = standin::store::PathToUtf8(folder);
    SCOPED_TRACE(name);
    std::string fresh;
    ASSERT_NO_FATAL_FAILURE(Start({.folder = [&](const std::string& in) {
      fresh = in;
      return folder;
    }}));
    ASSERT_NO_FATAL_FAILURE(Reveal());
    Fill({.server = "EXCHANGE1", .mailbox = mailbox, .count = "2"});
    ExpectIdle(Click(ControlId::cmdLogon));
    const std::string log = testing::ReadFileBytes(app.LogPath());
    EXPECT_EQ(log.rfind("====================\r\n", 0), 0u) << log;
    EXPECT_NE(log.find(kInstantiated), std::string::npos) << log;
    EXPECT_NE(log.find("Attempting logon using EXCHANGE1\\" + mailbox + "\r\n"), std::string::npos)
        << log;

    Fill({.mailbox = "jsmith"});
    const Outcome run = Click(ControlId::cmdSend);
    ExpectIdle(run);
    const auto adds = run.journal.Calls("Attachments", "Add");
    ASSERT_EQ(adds.size(), 2u);
    for (const JournalEvent& add : adds) {
      EXPECT_TRUE(add.ok) << add.line;
      EXPECT_EQ(add.args.at(3).text, fresh + "\\" + name + "\\Test.txt");
    }
    attachment = testing::ReadFileBytes(app.Folder() + "\\Test.txt");
    ASSERT_TRUE(app.Close());
  }
  ASSERT_FALSE(attachment.empty());
  int sent = 0;
  for (const std::string& file : store.MessageFiles("EXCHANGE1\\pelttest\\Inbox")) {
    const testing::Mail mail = testing::ReadMail(file);
    if (!mail.subject.starts_with("Test message ")) continue;
    ++sent;
    ASSERT_EQ(mail.attachments.size(), 1u) << file;
    EXPECT_EQ(mail.attachments[0].name, "Test.txt");
    EXPECT_EQ(mail.attachments[0].data, attachment);
  }
  EXPECT_EQ(sent, 4);
}

TEST_F(Deployment, TheLogIsWrittenWhereItsPathPassesMaxPath) {
  // The program's path stays below MAX_PATH, its log's goes past it:
  // fresh\padding\P.exe is 255 characters.
  ASSERT_NO_FATAL_FAILURE(Start(
      {.folder =
           [](const std::string& fresh) { return std::wstring(255 - fresh.size() - 2 - 5, L'd'); },
       .exeName = "P.exe"}));
  ASSERT_EQ(app.Exe().size(), 255u);
  Fill(kLogon);
  ExpectIdle(Click(ControlId::cmdLogon));
  ASSERT_GE(app.LogPath().size(), static_cast<std::size_t>(MAX_PATH));
  EXPECT_NE(testing::ReadFileBytes("\\\\?\\" + app.LogPath()).find(kInstantiated),
            std::string::npos);
}

TEST_F(Deployment, AClickAndEnterDuringARunAreDroppedNotReplayed) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(Reveal());
  Fill({.server = "EXCHANGE1", .mailbox = "jsmith", .count = "40"});  // about 60 ms each
  ASSERT_TRUE(app.BringToFront());

  app.Click(ControlId::cmdSend);
  ASSERT_TRUE(WaitUntil([&] { return store.ReadJournal().Count("Message", "Send") > 0; }))
      << "the run did not start";
  // The impatient user: the button clicked again with the mouse, then Enter.
  ASSERT_TRUE(app.QueueMouseClick(ControlId::cmdSend));
  ASSERT_TRUE(app.QueueKey(VK_RETURN));
  ASSERT_EQ(store.ReadJournal().Count("Session", "Logoff"), 0)
      << "the run ended before the input came: send more messages";

  // The window reads the input once the run has ended; a replayed click
  // would start its run then, before the window takes the next input.
  ASSERT_TRUE(app.WaitInputTaken(120000));
  ASSERT_TRUE(app.Checkpoint());
  const Journal journal = store.ReadJournal();
  EXPECT_EQ(journal.CountCreated("Session"), 1);
  EXPECT_EQ(journal.Count("Message", "Send"), 40);
}

TEST_F(Deployment, TheAboutBoxCarriesNoIcon) {
  ASSERT_NO_FATAL_FAILURE(Start());
  app.SysCommand(win32::kSysAbout);
  const auto box = app.WaitForBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_NE(box->text.find("Pelterwyn 1.00.0007"), std::string::npos) << box->text;
  EXPECT_EQ(box->icon, BoxIcon::None) << IconName(box->icon);
  EXPECT_TRUE(app.Dismiss(*box));
}

}  // namespace
}  // namespace pelterwyn::e2e
