#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "store/errors.h"
#include "store/faults.h"
#include "store/files.h"
#include "store/ini.h"
#include "store/store.h"
#include "support/ini_edit.h"
#include "temp_dir.h"
#include "tests/constants.h"

namespace standin::store {
namespace {
namespace fs = std::filesystem;
using pelterwyn::testing::IniEdit;
using std::chrono::system_clock;

// A private copy of the demo world.
class StoreTest : public ::testing::Test {
 protected:
  StoreTest() { fs::copy(STANDINS_DEMO_DIR, dir_.path(), fs::copy_options::recursive); }

  const fs::path& root() const { return dir_.path(); }
  Store store() const { return Store(root()); }
  Mailbox MailboxOf(std::string_view alias) const {
    for (Mailbox& m : store().AllMailboxes()) {
      if (m.alias == alias) return m;
    }
    ADD_FAILURE() << "no mailbox " << alias;
    return {};
  }
  fs::path Folder(std::string_view alias, std::string_view path) const {
    return root() / "EXCHANGE1" / PathFromUtf8(alias) / PathFromUtf8(path);
  }

  // Every file below the root that is not an .eml, an ini or a known demo file.
  std::vector<fs::path> StrayFiles() const {
    std::vector<fs::path> stray;
    for (const auto& e : fs::recursive_directory_iterator(root())) {
      if (!e.is_regular_file()) continue;
      const std::string ext = PathToUtf8(e.path().extension());
      if (ext != ".eml" && ext != ".ini") stray.push_back(e.path());
    }
    return stray;
  }

 private:
  TempDir dir_;
};

TEST_F(StoreTest, DemoWorldHoldsTheToolsFixedMailboxAndASecondOne) {
  const auto server = store().FindServer(pelterwyn::kTestServer);
  ASSERT_TRUE(server);
  const auto mailboxes = store().Mailboxes(*server);
  ASSERT_EQ(mailboxes.size(), 2u);
  const Mailbox test = MailboxOf(pelterwyn::kTestMailboxAlias);
  EXPECT_EQ("SMTP:" + test.smtp, pelterwyn::kTestRecipientAddress);
  const Mailbox second = MailboxOf("jsmith");
  EXPECT_EQ(second.displayName, "John Smith");
  EXPECT_EQ(second.smtp, "jsmith@example.com");
  EXPECT_EQ(second.legacyDn, "/o=Example/ou=First Administrative Group/cn=Recipients/cn=jsmith");
  EXPECT_EQ(CountMessages(Folder("jsmith", "Inbox")), 3u);
  EXPECT_EQ(CountMessages(Folder("jsmith", "Inbox/In Process")), 4u);
  EXPECT_EQ(CountMessages(Folder("pelttest", "Inbox/In Process")), 2u);
  // The demo world ships without faults switched on.
  const auto faults = IniFile::Load(root() / "faults.ini");
  ASSERT_TRUE(faults);
  EXPECT_TRUE(faults->Sections().empty());
}

TEST_F(StoreTest, LogonMatchesServerAndMailboxTheWaysExchangeDoes) {
  const Store s = store();
  for (const char* info :
       {"EXCHANGE1\npelttest", "exchange1\nPELTTEST",
        "EXCHANGE1\n/o=Example/ou=First Administrative Group/cn=Recipients/cn=pelttest",
        "EXCHANGE1\n/O=EXAMPLE/OU=First Administrative Group/cn=Recipients/CN=PELTTEST",
        "EXCHANGE1\nSMTP:pelttest@example.com", "EXCHANGE1\nsmtp:PeltTest@Example.com",
        "Exchange1\nsMtP:pelttest@example.com"}) {
    const LogonResult r = s.Logon(info);
    EXPECT_EQ(r.error, 0) << info;
    ASSERT_TRUE(r.mailbox) << info;
    EXPECT_EQ(r.mailbox->alias, "pelttest");
  }
  // A bare address is not a proxy address: the second pass of the tool adds the prefix.
  EXPECT_EQ(s.Logon("EXCHANGE1\npelttest@example.com").error, errors::kLogonFailed);
  EXPECT_EQ(s.Logon("EXCHANGE1\nnobody").error, errors::kLogonFailed);
  EXPECT_EQ(s.Logon("EXCHANGE1\n").error, errors::kLogonFailed);
  EXPECT_EQ(s.Logon("EXCHANGE1").error, errors::kLogonFailed);
  EXPECT_EQ(s.Logon("EXCHANGE1\npelttest\n").error, errors::kLogonFailed);
  EXPECT_EQ(s.Logon(" EXCHANGE1\npelttest").error, errors::kNetworkError);  // nothing trimmed
  EXPECT_EQ(s.Logon("EXCHANGE9\npelttest").error, errors::kNetworkError);
  EXPECT_EQ(s.Logon("\npelttest").error, errors::kNetworkError);
  EXPECT_EQ(s.Logon("").error, errors::kNetworkError);
  EXPECT_FALSE(s.Logon("EXCHANGE9\npelttest").mailbox);
}

TEST_F(StoreTest, LogonLooksOnlyAtTheNamedServer) {
  fs::create_directories(root() / "EXCHANGE2" / "other");
  IniEdit ini;
  ini.Set("mailbox", "Alias", "other");
  ini.Set("mailbox", "SMTP", "other@example.org");
  ASSERT_TRUE(ini.Save(root() / "EXCHANGE2" / "other" / "mailbox.ini"));
  fs::create_directories(root() / "EXCHANGE2" / "not-a-mailbox");
  EXPECT_EQ(store().Logon("EXCHANGE1\nother").error, errors::kLogonFailed);
  EXPECT_EQ(store().Logon("EXCHANGE2\nother").error, 0);
  EXPECT_EQ(store().Logon("EXCHANGE2\npelttest").error, errors::kLogonFailed);
  EXPECT_EQ(store().AllMailboxes().size(), 3u);
  // Without DisplayName the alias stands in; without Alias the folder name.
  fs::create_directories(root() / "EXCHANGE2" / "bare");
  std::ofstream(root() / "EXCHANGE2" / "bare" / "mailbox.ini") << "[mailbox]\n";
  const auto bare = LoadMailbox(root() / "EXCHANGE2" / "bare");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->alias, "bare");
  EXPECT_EQ(bare->displayName, "bare");
  EXPECT_EQ(store().Logon("EXCHANGE2\nbare").error, 0);
  EXPECT_EQ(store().Logon("EXCHANGE2\nSMTP:").error, errors::kLogonFailed);  // no address to match
}

TEST_F(StoreTest, ResolvesRecipientsLikeAnAddressBook) {
  const Store s = store();
  auto r = s.Resolve("SMTP:pelttest@example.com");
  ASSERT_EQ(r.error, 0);
  ASSERT_TRUE(r.recipient && r.recipient->mailbox);
  EXPECT_EQ(r.recipient->mailbox->alias, "pelttest");
  EXPECT_EQ(r.recipient->displayName, "Pelterwyn Test");
  EXPECT_EQ(r.recipient->address, "pelttest@example.com");

  r = s.Resolve("smtp:someone@elsewhere.test");  // a one-off address outside the store
  ASSERT_EQ(r.error, 0);
  EXPECT_FALSE(r.recipient->mailbox);
  EXPECT_EQ(r.recipient->address, "someone@elsewhere.test");

  for (const char* name : {"jsmith", "John Smith", "john smith",
                           "EX:/o=Example/ou=First Administrative Group/cn=Recipients/cn=jsmith"}) {
    r = s.Resolve(name);
    ASSERT_EQ(r.error, 0) << name;
    EXPECT_EQ(r.recipient->mailbox->alias, "jsmith") << name;
  }
  for (const char* bad : {"nobody", "SMTP:", "SMTP:no-at-sign", "SMTP:two@@example.com",
                          "SMTP:a b@example.com", "EX:/o=Nowhere", ""}) {
    EXPECT_EQ(s.Resolve(bad).error, errors::kNotFound) << bad;
  }

  IniEdit twin;
  twin.Set("mailbox", "Alias", "jsmith2");
  twin.Set("mailbox", "DisplayName", "John Smith");
  fs::create_directories(root() / "EXCHANGE1" / "jsmith2");
  ASSERT_TRUE(twin.Save(root() / "EXCHANGE1" / "jsmith2" / "mailbox.ini"));
  EXPECT_EQ(store().Resolve("John Smith").error, errors::kAmbiguousRecipient);
  EXPECT_EQ(store().Resolve("jsmith2").error, 0);
}

TEST_F(StoreTest, FoldersAreDirectoriesFoundWithoutRegardToCase) {
  const Mailbox m = MailboxOf("jsmith");
  const fs::path inbox = DefaultFolderPath(m, DefaultFolder::Inbox);
  EXPECT_EQ(inbox, Folder("jsmith", "Inbox"));
  EXPECT_EQ(FindSubfolder(inbox, "in process"), Folder("jsmith", "Inbox/In Process"));
  EXPECT_EQ(FindSubfolder(inbox, "Elsewhere"), std::nullopt);
  EXPECT_EQ(FindSubfolder(inbox, ""), std::nullopt);
  // Standard folders are made on first use.
  EXPECT_FALSE(fs::exists(Folder("jsmith", "Sent Items")));
  EXPECT_EQ(DefaultFolderPath(m, DefaultFolder::SentItems), Folder("jsmith", "Sent Items"));
  EXPECT_TRUE(fs::is_directory(Folder("jsmith", "Sent Items")));
  EXPECT_EQ(CountMessages(DefaultFolderPath(m, DefaultFolder::Outbox)), 0u);
  // Only .eml files directly in the folder count, in name order.
  std::ofstream(inbox / "notes.txt") << "x";
  std::ofstream(inbox / ".~partial.tmp") << "x";
  std::ofstream(inbox / "0-first.EML") << "Subject: first\r\n\r\n";
  const auto files = MessageFiles(inbox);
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files.front().filename(), "0-first.EML");
  EXPECT_EQ(CountMessages(root() / "missing"), 0u);
}

TEST_F(StoreTest, SummariesReadSubjectAndSenderFromTheHeaders) {
  const auto files = MessageFiles(Folder("jsmith", "Inbox"));
  ASSERT_EQ(files.size(), 3u);
  const auto lunch = ReadSummary(files[0]);
  ASSERT_TRUE(lunch);
  EXPECT_EQ(lunch->subject, "Lunch on Friday?");
  EXPECT_EQ(lunch->senderName, "Pelterwyn Test");
  const auto encoded = ReadSummary(files[2]);
  EXPECT_EQ(encoded->subject, "Re: R\xC3\xA9sum\xC3\xA9 for the board");
  EXPECT_EQ(encoded->senderName, "Berg, Anna");

  std::ofstream(root() / "nameless.eml") << "From: nobody@example.com\r\n\r\nbody";
  EXPECT_EQ(ReadSummary(root() / "nameless.eml")->senderName, "nobody@example.com");
  EXPECT_EQ(ReadSummary(root() / "nameless.eml")->subject, "");
  EXPECT_EQ(ReadSummary(root() / "missing.eml"), std::nullopt);
}

TEST_F(StoreTest, ASummaryReadsTheHeaderSectionOnlyNeverTheBody) {
  // The empty line that ends the headers straddles the first 4 KiB read.
  const std::string head =
      "Subject: Big\r\nX-Pad: " + std::string(4072, 'p') + "\r\nFrom: Anna <a@example.com>\r\n\r\n";
  const fs::path big = root() / "big.eml";
  std::ofstream(big, std::ios::binary) << head << std::string(3 << 20, 'b') << "\r\n";
  EXPECT_EQ(ReadHeaderSection(big, kMaxHeaderSection), head);
  const auto summary = ReadSummary(big);
  ASSERT_TRUE(summary);
  EXPECT_EQ(summary->subject, "Big");
  EXPECT_EQ(summary->senderName, "Anna");

  // No empty line: headers to the end, up to the limit. One at the start: none.
  std::ofstream(root() / "endless.eml", std::ios::binary) << "Subject: x\nFrom: y";
  EXPECT_EQ(ReadHeaderSection(root() / "endless.eml", 5), "Subje");
  EXPECT_EQ(ReadHeaderSection(root() / "endless.eml", 100), "Subject: x\nFrom: y");
  std::ofstream(root() / "bare.eml", std::ios::binary) << "\nSubject: body";
  EXPECT_EQ(ReadHeaderSection(root() / "bare.eml", 100), "\n");
}

TEST_F(StoreTest, IniFilesAreReadUpToOneMebibyte) {
  std::string text = "[faults]\r\nSession.Logon = fail 5\r\n";
  text += std::string(IniFile::kMaxBytes - text.size(), ';');
  std::ofstream(root() / "faults.ini", std::ios::binary) << text;
  EXPECT_TRUE(IniFile::Load(root() / "faults.ini"));
  EXPECT_NE(Faults::Load(root()).Find("Session", "Logon", 1), nullptr);

  // One byte more, and the file is not read; faults.ini says so.
  std::ofstream(root() / "faults.ini", std::ios::binary | std::ios::app) << ";";
  EXPECT_FALSE(IniFile::Load(root() / "faults.ini"));
  const Faults faults = Faults::Load(root());
  EXPECT_EQ(faults.Find("Session", "Logon", 1), nullptr);
  ASSERT_EQ(faults.Problems().size(), 1u);
  EXPECT_EQ(faults.Problems()[0], "faults.ini cannot be read, or is larger than 1 MiB");
}

std::string ReadWholeFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// Reads a sent file with Python's email package and reports what it saw.
struct PythonView {
  int exitCode = -1;
  std::vector<std::string> lines;
  mime::Bytes attachment;
};

PythonView ReadWithPython(const fs::path& eml, const fs::path& work) {
  const fs::path script = work / "check.py";
  std::ofstream(script) << R"PY(
import sys, email
from email import policy
with open(sys.argv[1], 'rb') as f:
    m = email.message_from_binary_file(f, policy=policy.default)
out = open(sys.argv[3], 'w', encoding='utf-8', newline='\n')
defects = [d for part in m.walk() for d in part.defects]
print('defects', len(defects), file=out)
print('subject', m['Subject'], file=out)
print('from', m['From'].addresses[0].display_name, m['From'].addresses[0].addr_spec, file=out)
print('to', ';'.join(a.display_name + '|' + a.addr_spec for a in m['To'].addresses), file=out)
print('multipart', m.is_multipart(), file=out)
print('body', repr(m.get_body(preferencelist=('plain',)).get_content()), file=out)
attachments = list(m.iter_attachments())
print('attachments', len(attachments), file=out)
for a in attachments:
    print('filename', a.get_filename(), file=out)
    with open(sys.argv[2], 'wb') as data:
        data.write(a.get_payload(decode=True))
)PY";
  const fs::path result = work / "result.txt";
  const fs::path data = work / "attachment.bin";
  const std::string command = "python3 '" + script.string() + "' '" + eml.string() + "' '" +
                              data.string() + "' '" + result.string() + "'";
  PythonView view;
  view.exitCode = std::system(command.c_str());
  std::ifstream in(result);
  for (std::string line; std::getline(in, line);) view.lines.push_back(line);
  const std::string bytes = ReadWholeFile(data);
  view.attachment.assign(bytes.begin(), bytes.end());
  return view;
}

TEST_F(StoreTest, SendWritesValidMimeWithTheAttachmentByteForByte) {
  OutgoingMessage m;
  m.sender = MailboxOf("jsmith");
  m.subject = "Test message 1";
  m.text = "S:1R:";
  const auto pelttest = store().Resolve("SMTP:pelttest@example.com");
  m.recipients.push_back(*pelttest.recipient);
  mime::Bytes payload;
  for (int i = 0; i < 1000; ++i) payload.push_back(static_cast<unsigned char>((i * 7) % 256));
  m.attachments.push_back({"Test.txt", payload});

  const std::size_t inboxBefore = CountMessages(Folder("pelttest", "Inbox"));
  const SendResult sent = store().Send(m, true, system_clock::now());
  ASSERT_EQ(sent.error, 0);
  ASSERT_EQ(sent.written.size(), 2u);
  EXPECT_EQ(sent.written[0].parent_path(), Folder("pelttest", "Inbox"));
  EXPECT_EQ(sent.written[1].parent_path(), Folder("jsmith", "Sent Items"));
  EXPECT_EQ(CountMessages(Folder("pelttest", "Inbox")), inboxBefore + 1);
  EXPECT_EQ(ReadWholeFile(sent.written[0]), ReadWholeFile(sent.written[1]));
  EXPECT_TRUE(StrayFiles().empty());

  TempDir work;
  const PythonView view = ReadWithPython(sent.written[0], work.path());
  ASSERT_EQ(view.exitCode, 0) << "python3 could not read the message";
  EXPECT_EQ(view.lines, (std::vector<std::string>{
                            "defects 0",
                            "subject Test message 1",
                            "from John Smith jsmith@example.com",
                            "to Pelterwyn Test|pelttest@example.com",
                            "multipart True",
                            "body 'S:1R:'",  // the line break before a boundary belongs to it
                            "attachments 1",
                            "filename Test.txt",
                        }));
  EXPECT_EQ(view.attachment, payload);

  // The table reads the same message back.
  const auto summary = ReadSummary(sent.written[0]);
  EXPECT_EQ(summary->subject, "Test message 1");
  EXPECT_EQ(summary->senderName, "John Smith");
}

TEST_F(StoreTest, SendKeepsTextThatIsNotAscii) {
  OutgoingMessage m;
  m.sender = MailboxOf("pelttest");
  m.subject = "R\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC";
  m.text =
      "Gr\xC3\xBC\xC3\x9F"
      "e\r\nzweite Zeile";
  m.recipients.push_back(*store().Resolve("John Smith").recipient);
  m.attachments.push_back(
      {"\xC3\xBC"
       "bersicht.txt",
       {'a', 'b'}});
  const SendResult sent = store().Send(m, false, system_clock::now());
  ASSERT_EQ(sent.error, 0);
  ASSERT_EQ(sent.written.size(), 1u);
  TempDir work;
  const PythonView view = ReadWithPython(sent.written[0], work.path());
  ASSERT_EQ(view.exitCode, 0);
  ASSERT_EQ(view.lines.size(), 8u);
  EXPECT_EQ(view.lines[0], "defects 0");
  EXPECT_EQ(view.lines[1], "subject R\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(view.lines[5],
            "body 'Gr\xC3\xBC\xC3\x9F"
            "e\\r\\nzweite Zeile'");  // canonical CR LF
  EXPECT_EQ(view.lines[7],
            "filename \xC3\xBC"
            "bersicht.txt");
  EXPECT_EQ(ReadSummary(sent.written[0])->subject, m.subject);
}

TEST_F(StoreTest, SendDeliversOnlyInsideTheStoreAndOncePerMailbox) {
  OutgoingMessage m;
  m.sender = MailboxOf("pelttest");
  m.subject = "s";
  m.recipients.push_back(*store().Resolve("SMTP:jsmith@example.com").recipient);
  m.recipients.push_back(*store().Resolve("jsmith").recipient);
  m.recipients.push_back(*store().Resolve("SMTP:someone@elsewhere.test").recipient);
  const std::size_t before = CountMessages(Folder("jsmith", "Inbox"));
  SendResult sent = store().Send(m, false, system_clock::now());
  ASSERT_EQ(sent.error, 0);
  EXPECT_EQ(sent.written.size(), 1u);
  EXPECT_EQ(CountMessages(Folder("jsmith", "Inbox")), before + 1);
  EXPECT_FALSE(fs::exists(Folder("pelttest", "Sent Items")));

  // Files sort in the order they were written, even within one millisecond.
  const auto now = system_clock::now();
  for (const char* subject : {"first", "second", "third"}) {
    m.subject = subject;
    ASSERT_EQ(store().Send(m, false, now).error, 0);
  }
  const auto files = MessageFiles(Folder("jsmith", "Inbox"));
  ASSERT_GE(files.size(), 3u);
  EXPECT_EQ(ReadSummary(files[files.size() - 3])->subject, "first");
  EXPECT_EQ(ReadSummary(files.back())->subject, "third");

  m.recipients.clear();
  EXPECT_EQ(store().Send(m, true, system_clock::now()).error, errors::kInvalidParameter);
  EXPECT_FALSE(fs::exists(Folder("pelttest", "Sent Items")));
}

TEST_F(StoreTest, SendReportsADiskErrorAndLeavesNoHalfMessage) {
  // An Inbox that is a file, not a folder, cannot take a message.
  const fs::path inbox = Folder("jsmith", "Inbox");
  fs::remove_all(inbox);
  std::ofstream(inbox) << "in the way";
  OutgoingMessage m;
  m.sender = MailboxOf("pelttest");
  m.recipients.push_back(*store().Resolve("jsmith").recipient);
  EXPECT_EQ(store().Send(m, true, system_clock::now()).error, errors::kDiskError);
  EXPECT_EQ(StrayFiles(), std::vector<fs::path>{inbox});
}

TEST(Errors, DescriptionsHaveTheFormCdoGives) {
  EXPECT_EQ(errors::kLogonFailed, -2147221231);
  EXPECT_EQ(errors::kNotFound, -2147221233);
  EXPECT_EQ(errors::kNetworkError, -2147221227);
  EXPECT_EQ(errors::kNotInitialized, -2147219963);
  EXPECT_EQ(errors::Describe("Collaboration Data Objects", errors::kLogonFailed),
            "[Collaboration Data Objects - [MAPI_E_LOGON_FAILED(80040111)]]");
  EXPECT_EQ(errors::Tag(errors::kNotInitialized), "MAPI_E_NOT_INITIALIZED(80040605)");
  EXPECT_EQ(errors::Tag(0x12345678), "E_UNKNOWN(12345678)");
}

}  // namespace
}  // namespace standin::store
