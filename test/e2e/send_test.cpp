// "Send Messages" through the revealed window: what the box shows, how many
// messages the count text gives, the messages as they land in the store, and
// the calls the journal saw.
#include <gtest/gtest.h>

#include <set>

#include "e2e/driver/harness.h"

namespace pelterwyn::e2e {
namespace {

using testing::Mail;
using testing::ReadMail;

constexpr const char* kEarlier = "earlier text";
constexpr const char* kTestInbox = "EXCHANGE1\\pelttest\\Inbox";
constexpr const char* kSenderSent = "EXCHANGE1\\jsmith\\Sent Items";

class SendTest : public EndToEnd {
 protected:
  explicit SendTest(bool withTestTxt = true) : withTestTxt_(withTestTxt) {}

  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Start({.withTestTxt = withTestTxt_}));
    ASSERT_NO_FATAL_FAILURE(Reveal());
    Fill({.server = "EXCHANGE1", .mailbox = "jsmith"});
  }

  // One click of Send Messages with the count text given, from a box holding kEarlier.
  Outcome Send(const std::string& count) {
    Fill({.count = count});
    app.SetText(ControlId::txtResult, kEarlier);
    const Outcome run = Click(ControlId::cmdSend);
    ExpectIdle(run);
    return run;
  }

 private:
  const bool withTestTxt_;
};

TEST_F(SendTest, MessagesReachTheTestMailboxWithTheAttachmentBesideTheExe) {
  const int before = store.CountMessages(kTestInbox);
  const Outcome run = Send("12");
  EXPECT_EQ(run.BoxAfter(), "Sending message 12");

  // Pass after pass, in the order of the steps.
  std::vector<std::string> expected = {"Session.Logon", "Session.Outbox"};
  for (int pass = 1; pass <= 12; ++pass) {
    for (const char* call :
         {"Folder.Messages", "Messages.Add", "Message.Recipients", "Recipients.Add",
          "Recipient.Address", "Recipient.Resolve", "Message.Subject", "Message.Text",
          "Message.Attachments", "Attachments.Add", "Message.Send"}) {
      expected.push_back(call);
    }
  }
  expected.push_back("Session.Logoff");
  std::vector<std::string> calls;
  for (const JournalEvent& call : run.journal.Invocations()) {
    calls.push_back(call.type + "." + call.member);
    EXPECT_FALSE(call.byName && call.type != "Messages" && call.type != "Recipients" &&
                 call.type != "Attachments")
        << "bound by name although it has a DISPID: " << call.line;
    EXPECT_TRUE(call.ok) << call.line;
  }
  EXPECT_EQ(Joined(calls), Joined(expected));

  const auto logon = run.journal.Calls("Session", "Logon");
  ASSERT_EQ(logon.size(), 1u);
  EXPECT_EQ(logon[0].dispid, 119);
  EXPECT_EQ(logon[0].named, std::vector<long>{6}) << "ProfileInfo alone, by its id";
  ASSERT_EQ(logon[0].args.size(), 1u);
  EXPECT_EQ(logon[0].args[0].Base(), VT_BSTR) << logon[0].args[0].type;
  EXPECT_EQ(logon[0].args[0].text, "EXCHANGE1\njsmith");

  for (const JournalEvent& send : run.journal.Calls("Message", "Send")) {
    EXPECT_EQ(send.dispid, 131);
    EXPECT_TRUE(send.named.empty()) << send.line;
    ASSERT_EQ(send.args.size(), 1u) << send.line;
    EXPECT_EQ(send.args[0].type, "VT_BOOL");
    EXPECT_EQ(send.args[0].text, "true");
  }
  const std::string attachmentPath = app.Folder() + "\\Test.txt";
  for (const JournalEvent& add : run.journal.Calls("Attachments", "Add")) {
    ASSERT_EQ(add.args.size(), 4u) << add.line;
    EXPECT_EQ(add.args[0].type + ":" + add.args[0].text, "VT_BSTR:Test.txt");
    EXPECT_EQ(add.args[1].type + ":" + add.args[1].text, "VT_I2:1");
    EXPECT_EQ(add.args[2].type + ":" + add.args[2].text, "VT_I4:1");
    EXPECT_EQ(add.args[3].type + ":" + add.args[3].text, "VT_BSTR:" + attachmentPath);
  }
  const auto subjects = run.journal.Calls("Message", "Subject");
  ASSERT_EQ(subjects.size(), 12u);
  EXPECT_EQ(subjects[0].args.at(0).text, "Test message 1");
  EXPECT_EQ(subjects[11].args.at(0).text, "Test message 12");
  for (const JournalEvent& address : run.journal.Calls("Recipient", "Address")) {
    EXPECT_EQ(address.args.at(0).text, "SMTP:pelttest@example.com");
  }
  for (const JournalEvent& resolve : run.journal.Calls("Recipient", "Resolve")) {
    EXPECT_TRUE(resolve.args.empty()) << resolve.line;
  }

  // After the logoff the last message, the outbox and the session go, in that
  // order, and the last recipient with the handler.
  const auto story = run.journal.Story();
  const auto logoff = IndexOf(story, "Session.Logoff");
  ASSERT_GE(logoff, 0);
  EXPECT_EQ(Joined({story.begin() + logoff, story.end()}),
            Joined({"Session.Logoff", "released Message", "released Folder", "released Session",
                    "released Recipient"}));
  EXPECT_EQ(run.journal.Unreleased(), std::vector<std::string>{});

  // The store: twelve new messages for the test mailbox, and a copy of each
  // in the sender's Sent Items.
  const std::string attachment = testing::ReadFileBytes(attachmentPath);
  ASSERT_FALSE(attachment.empty());
  const auto delivered = store.MessageFiles(kTestInbox);
  EXPECT_EQ(static_cast<int>(delivered.size()), before + 12);
  const auto saved = store.MessageFiles(kSenderSent);
  EXPECT_EQ(saved.size(), 12u);
  std::set<std::string> wanted;
  for (int pass = 1; pass <= 12; ++pass) wanted.insert("Test message " + std::to_string(pass));
  for (const auto* files : {&delivered, &saved}) {
    std::set<std::string> seen;
    for (const std::string& file : *files) {
      const Mail mail = ReadMail(file);
      if (!mail.subject.starts_with("Test message ")) continue;  // the demo's own
      SCOPED_TRACE(file);
      seen.insert(mail.subject);
      EXPECT_EQ(mail.from, "jsmith@example.com");
      EXPECT_EQ(mail.to, "pelttest@example.com");
      EXPECT_EQ(mail.body, "S:1R:");
      ASSERT_EQ(mail.attachments.size(), 1u);
      EXPECT_EQ(mail.attachments[0].name, "Test.txt");
      EXPECT_EQ(mail.attachments[0].data, attachment);
    }
    EXPECT_EQ(seen, wanted);
  }
  EXPECT_FALSE(testing::FileExists(app.LogPath())) << "the send test writes no trace log";
}

TEST_F(SendTest, TheCountTextGivesTheNumberOfMessages) {
  struct Case {
    const char* text;
    int messages;
  };
  for (const Case& c : {Case{"3", 3}, Case{"2.5", 2}, Case{"3.5", 4}}) {
    SCOPED_TRACE("count text \"" + std::string(c.text) + "\"");
    const Outcome run = Send(c.text);
    EXPECT_EQ(run.BoxAfter(), "Sending message " + std::to_string(c.messages));
    EXPECT_EQ(run.journal.Count("Message", "Send"), c.messages);
    EXPECT_EQ(run.journal.Count("Session", "Logoff"), 1);
  }
  {
    SCOPED_TRACE("count text \"-3\"");
    const Outcome run = Send("-3");
    EXPECT_EQ(run.BoxAfter(), "Instantiated CDO");
    EXPECT_EQ(Joined(run.journal.Story()),
              Joined({"created Session", "Session.Logon", "created Folder", "Session.Outbox",
                      "Session.Logoff", "released Folder", "released Session"}));
  }
  // Under Wine the repaint of a shown window after each progress text costs
  // tens of milliseconds, the rest of a pass about one: these three runs of
  // 500 go with the window hidden and every Send failing at once. The empty
  // count text has a test of its own, shown and sending for real.
  store.SetFault("Message.Send", "fail 0x80004005");
  ShowWindow(app.Window(), SW_HIDE);
  for (const char* text : {"0", "abc", "40000"}) {
    SCOPED_TRACE("count text \"" + std::string(text) + "\"");
    const Outcome run = Send(text);
    EXPECT_EQ(run.BoxAfter(), "Sending message 500");
    EXPECT_EQ(run.journal.Count("Message", "Send"), 500);
    EXPECT_EQ(run.journal.Count("Session", "Logoff"), 1);
  }
  ShowWindow(app.Window(), SW_SHOWNA);
}

TEST_F(SendTest, AnEmptyCountTextSendsFiveHundredMessages) {
  const int inbox = store.CountMessages(kTestInbox);
  const Outcome run = Send("");
  EXPECT_EQ(run.BoxAfter(), "Sending message 500");
  EXPECT_EQ(run.journal.Count("Message", "Send"), 500);
  EXPECT_EQ(run.journal.Count("Session", "Logoff"), 1);
  EXPECT_EQ(store.CountMessages(kTestInbox), inbox + 500);
  EXPECT_EQ(store.CountMessages(kSenderSent), 500);
}

TEST_F(SendTest, ALogonOrOutboxFailureEndsTheRunWithItsLine) {
  {
    SCOPED_TRACE("a mailbox the server does not know");
    Fill({.mailbox = "nobody"});
    const Outcome run = Send("2");
    const std::string box = run.BoxAfter();
    const auto logon = run.journal.Calls("Session", "Logon");
    ASSERT_EQ(logon.size(), 1u);
    ASSERT_FALSE(logon[0].ok);
    ASSERT_FALSE(logon[0].description.empty());
    EXPECT_EQ(box, "Instantiated CDO\r\nLogon error: " + logon[0].description);
    EXPECT_EQ(Joined(run.journal.Story()),
              Joined({"created Session", "Session.Logon", "released Session"}));
  }
  Fill({.mailbox = "jsmith"});
  const int inbox = store.CountMessages(kTestInbox);
  {
    SCOPED_TRACE("the Outbox fails");
    store.SetFault("Session.Outbox", "fail -2147221233");
    const Outcome run = Send("2");
    const std::string box = run.BoxAfter();
    const auto outbox = run.journal.Calls("Session", "Outbox");
    ASSERT_EQ(outbox.size(), 1u);
    ASSERT_FALSE(outbox[0].description.empty());
    EXPECT_EQ(box, "Instantiated CDO\r\nError accessing outbox: " + outbox[0].description);
    EXPECT_EQ(Joined(run.journal.Story()),
              Joined({"created Session", "Session.Logon", "Session.Outbox", "released Session"}));
  }
  {
    SCOPED_TRACE("the Outbox gives no folder and no error");
    store.SetFault("Session.Outbox", "nothing");
    const Outcome run = Send("2");
    EXPECT_EQ(run.BoxAfter(), "Instantiated CDO\r\nError accessing outbox: ");
    EXPECT_EQ(run.journal.Count("Message", "Send"), 0);
  }
  EXPECT_EQ(store.CountMessages(kTestInbox), inbox) << "nothing was sent";
  {
    SCOPED_TRACE("no MAPI.Session registered");
    ASSERT_NO_FATAL_FAILURE(registry.Hide(HKEY_LOCAL_MACHINE, kSessionProgIdKey));
    const Outcome run = Send("2");
    const std::string box = run.BoxAfter();
    EXPECT_TRUE(box.starts_with("Error instantiating CDO: ")) << box;
    EXPECT_GT(box.size(), std::string("Error instantiating CDO: ").size()) << "a description";
    EXPECT_EQ(box.find("\r\n"), std::string::npos) << box;
    EXPECT_EQ(Joined(run.journal.Story()), "");
  }
}

class SendWithoutTestTxt : public SendTest {
 protected:
  SendWithoutTestTxt() : SendTest(false) {}
};

TEST_F(SendWithoutTestTxt, MessagesGoOutWithoutAttachmentAndNothingIsSaid) {
  ASSERT_FALSE(testing::FileExists(app.Folder() + "\\Test.txt"));
  const Outcome run = Send("2");
  EXPECT_EQ(run.BoxAfter(), "Sending message 2");
  const auto adds = run.journal.Calls("Attachments", "Add");
  ASSERT_EQ(adds.size(), 2u);
  for (const JournalEvent& add : adds) {
    EXPECT_FALSE(add.ok) << add.line;
    EXPECT_EQ(add.args.at(3).text, app.Folder() + "\\Test.txt");
  }
  const auto sends = run.journal.Calls("Message", "Send");
  ASSERT_EQ(sends.size(), 2u);
  for (const JournalEvent& send : sends) EXPECT_TRUE(send.ok) << send.line;
  EXPECT_EQ(run.journal.Unreleased(), std::vector<std::string>{});

  int bare = 0;
  for (const std::string& file : store.MessageFiles(kTestInbox)) {
    const Mail mail = ReadMail(file);
    if (!mail.subject.starts_with("Test message ")) continue;
    ++bare;
    EXPECT_FALSE(mail.multipart) << file;
    EXPECT_EQ(mail.body, "S:1R:");
  }
  EXPECT_EQ(bare, 2);
}

}  // namespace
}  // namespace pelterwyn::e2e
