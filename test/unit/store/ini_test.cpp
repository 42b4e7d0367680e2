#include <gtest/gtest.h>

#include "store/files.h"
#include "store/ini.h"
#include "support/ini_edit.h"
#include "temp_dir.h"

namespace standin::store {
namespace {

using pelterwyn::testing::IniEdit;

TEST(IniFile, ReadsSectionsAndKeysWithoutRegardToCase) {
  const IniFile ini = IniFile::Parse(
      "\xEF\xBB\xBF; comment\r\n"
      "[Mailbox]\r\n"
      "  Alias =  pelttest  \r\n"
      "# another comment\n"
      "SMTP=pelttest@example.com\n"
      "alias = second\n"
      "[other]\n"
      "Alias = elsewhere\n"
      "Empty =\n");
  EXPECT_EQ(ini.Get("mailbox", "ALIAS"), "second");  // the last duplicate wins
  EXPECT_EQ(ini.Get("MAILBOX", "smtp"), "pelttest@example.com");
  EXPECT_EQ(ini.Get("other", "alias"), "elsewhere");
  EXPECT_EQ(ini.Get("other", "empty"), "");
  EXPECT_EQ(ini.Get("other", "missing"), std::nullopt);
  EXPECT_EQ(ini.Get("nowhere", "alias"), std::nullopt);
  ASSERT_EQ(ini.Entries("mailbox").size(), 3u);
  EXPECT_EQ(ini.Entries("mailbox")[1].line, 5);
  EXPECT_TRUE(ini.MalformedLines().empty());
}

TEST(IniFile, ReportsLinesItCannotRead) {
  const IniFile ini = IniFile::Parse("[ok]\nno equals sign\n= no key\n[unclosed\nk=v\n");
  EXPECT_EQ(ini.MalformedLines(), (std::vector<int>{2, 3, 4}));
}

TEST(IniEdit, KeepsEveryOtherLine) {
  IniEdit ini("; keep me\n[faults]\nA.B = fail 1\n; and me\n[table]\nX = 1\n");
  ini.Set("FAULTS", "a.b", "nothing");  // replaces in place, under its own name
  ini.Set("faults", "C.D", "fail 2");   // after the last entry of the section
  ini.Set("session", "Name", "x");      // a new section at the end
  EXPECT_EQ(ini.Text(),
            "; keep me\r\n[faults]\r\na.b = nothing\r\nC.D = fail 2\r\n; and me\r\n[table]\r\n"
            "X = 1\r\n[session]\r\nName = x\r\n");
  // A byte order mark stays, and only the first one is one.
  const char* marked = "\xEF\xBB\xBF\xEF\xBB\xBF[faults]\r\n";
  EXPECT_EQ(IniEdit(marked).Text(), marked);
}

TEST(IniEdit, SavesAtomicallyAndLoadsBack) {
  TempDir dir;
  IniEdit ini;
  ini.Set("mailbox", "Alias", "jsmith");
  ASSERT_TRUE(ini.Save(dir.path() / "mailbox.ini"));
  const auto loaded = IniFile::Load(dir.path() / "mailbox.ini");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->Get("mailbox", "alias"), "jsmith");
  EXPECT_FALSE(IniFile::Load(dir.path() / "missing.ini").has_value());
  // Only the target is left: the temporary file was renamed.
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace standin::store
