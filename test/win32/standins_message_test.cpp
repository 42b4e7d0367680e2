// Sending through the MAPI.Session stand-in, as the send test does.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "standins_client.h"
#include "store/mime.h"
#include "support/files.h"
#include "support/store_fixture.h"

namespace standins_test {
namespace {

using pelterwyn::testing::Mail;
using pelterwyn::testing::ReadFileBytes;
using pelterwyn::testing::ReadMail;
using pelterwyn::testing::StoreFixture;

constexpr const char* kPeltInbox = "EXCHANGE1\\pelttest\\Inbox";
constexpr const char* kSmithSent = "EXCHANGE1\\jsmith\\Sent Items";
constexpr const char* kSmithOutbox = "EXCHANGE1\\jsmith\\Outbox";

// Calls a member by its DISPID or, late-bound, by its name.
struct Caller {
  bool byName;
  Result Get(IDispatch* o, DISPID id, const wchar_t* name) const {
    return byName ? ByName(o, name, DISPATCH_PROPERTYGET) : standins_test::Get(o, id);
  }
  Result Put(IDispatch* o, DISPID id, const wchar_t* name, Variant v) const {
    std::vector<Variant> args;
    args.push_back(std::move(v));
    return byName ? ByName(o, name, DISPATCH_PROPERTYPUT, std::move(args))
                  : standins_test::Put(o, id, std::move(args[0]));
  }
  Result Call(IDispatch* o, DISPID id, const wchar_t* name, std::vector<Variant> args = {}) const {
    return byName ? ByName(o, name, DISPATCH_METHOD, std::move(args))
                  : standins_test::Call(o, id, std::move(args));
  }
};

class StandinMessage : public ::testing::Test {
 protected:
  void SetUp() override {
    session_ = Create(L"MAPI.Session");
    ASSERT_TRUE(Call(session_.Get(), kLogon, AllLogonArgs(L"EXCHANGE1\njsmith")).ok());
    attachment_ = std::filesystem::path(store_.Root()) / L"Test.txt";
    std::ofstream(attachment_, std::ios::binary).write("Test\r\n\0\xFF\x80 data", 15);
  }
  void TearDown() override {
    session_ = nullptr;
    lastAttach_ = Result{};
    const auto journal = store_.ReadJournal();
    EXPECT_TRUE(journal.AllReleased()) << ::testing::PrintToString(journal.Unreleased());
    EXPECT_TRUE(journal.Malformed().empty());
  }

  // The send test's pass, from the Outbox's message collection to Send.
  Result SendOne(const Caller& c, const wchar_t* address, const wchar_t* subject,
                 const std::wstring& source, bool saveCopy = true) {
    auto outbox = c.Get(session_.Get(), kOutbox, L"Outbox").object();
    auto messages = c.Get(outbox.Get(), kMessages, L"Messages").object();
    auto message = ByName(messages.Get(), L"Add", DISPATCH_METHOD).object();
    EXPECT_TRUE(message);
    auto recipients = c.Get(message.Get(), kRecipients, L"Recipients").object();
    auto recipient = ByName(recipients.Get(), L"Add", DISPATCH_METHOD).object();
    EXPECT_TRUE(c.Put(recipient.Get(), kAddress, L"Address", Str(address)).ok());
    c.Call(recipient.Get(), kResolve, L"Resolve");
    EXPECT_TRUE(c.Put(message.Get(), kSubject, L"Subject", Str(subject)).ok());
    EXPECT_TRUE(c.Put(message.Get(), kText, L"Text", Str(L"S:1R:")).ok());
    auto attachments = c.Get(message.Get(), kAttachments, L"Attachments").object();
    std::vector<Variant> add;
    add.push_back(Str(L"Test.txt"));
    add.push_back(I2(1));
    add.push_back(I4(1));
    add.push_back(Str(source.c_str()));
    lastAttach_ = ByName(attachments.Get(), L"Add", DISPATCH_METHOD, std::move(add));
    std::vector<Variant> save;
    save.push_back(Bool(saveCopy));
    return c.Call(message.Get(), kSend, L"Send", std::move(save));
  }

  void ExpectDelivered(const Caller& c) {
    const Result sent =
        SendOne(c, L"SMTP:pelttest@example.com", L"Test message 1", attachment_.wstring());
    ASSERT_TRUE(sent.ok()) << ToUtf8(sent.description);
    EXPECT_TRUE(lastAttach_.ok());
    ASSERT_EQ(store_.CountMessages(kPeltInbox), 2);
    ASSERT_EQ(store_.CountMessages(kSmithSent), 1);
    EXPECT_EQ(store_.CountMessages(kSmithOutbox), 0);
    const std::string mail = ReadFileBytes(store_.MessageFiles(kSmithSent)[0]);
    EXPECT_NE(mail.find("From: John Smith <jsmith@example.com>\r\n"), std::string::npos);
    EXPECT_NE(mail.find("To: Pelterwyn Test <pelttest@example.com>\r\n"), std::string::npos);
    EXPECT_NE(mail.find("Subject: Test message 1\r\n"), std::string::npos);
    EXPECT_NE(mail.find("\r\n\r\nS:1R:\r\n"), std::string::npos);
    const std::string data = ReadFileBytes(attachment_.string());
    const std::string encoded =
        standin::mime::Base64Encode(standin::mime::Bytes(data.begin(), data.end()));
    EXPECT_NE(mail.find("filename=\"Test.txt\"\r\n\r\n" + encoded + "\r\n"), std::string::npos);
  }

  ComScope com_;
  StoreFixture store_;
  ComPtr<IDispatch> session_;
  std::filesystem::path attachment_;
  Result lastAttach_;
};

TEST_F(StandinMessage, SendsByDispidIntoTheInboxAndSentItems) { ExpectDelivered({false}); }

TEST_F(StandinMessage, SendsByName) {
  ExpectDelivered({true});
  const auto journal = store_.ReadJournal();
  for (const char* member : {"Subject", "Text", "Address", "Resolve", "Send", "Recipients"}) {
    ASSERT_EQ(journal.Calls(member).size(), 1u) << member;
    EXPECT_TRUE(journal.Calls(member)[0].byName) << member;
  }
  const auto add = journal.Calls("Attachments", "Add");
  ASSERT_EQ(add.size(), 1u);
  ASSERT_EQ(add[0].args.size(), 4u);
  EXPECT_EQ(add[0].args[1].type, "VT_I2");
  EXPECT_EQ(add[0].args[2].type, "VT_I4");
  const auto send = journal.Calls("Message", "Send");
  EXPECT_EQ(send[0].args[0].type, "VT_BOOL");
  EXPECT_EQ(send[0].args[0].text, "true");
}

TEST_F(StandinMessage, AMessageNeverSentLeavesNoFile) {
  {
    auto outbox = Get(session_.Get(), kOutbox).object();
    auto messages = Get(outbox.Get(), kMessages).object();
    auto message = ByName(messages.Get(), L"Add", DISPATCH_METHOD).object();
    ASSERT_TRUE(Put(message.Get(), kSubject, Str(L"draft")).ok());
    EXPECT_EQ(ByName(messages.Get(), L"Count", DISPATCH_PROPERTYGET).i4(), 0);
  }
  EXPECT_EQ(store_.CountMessages(kSmithOutbox), 0);
  EXPECT_EQ(store_.CountMessages(kSmithSent), 0);
  EXPECT_EQ(store_.CountMessages(kPeltInbox), 1);
}

TEST_F(StandinMessage, RecipientsAndAttachmentsFailAsCdoDoes) {
  const Caller c{false};
  // An address the address book does not know: Resolve and Send fail.
  EXPECT_EQ(SendOne(c, L"nobody", L"s", attachment_.wstring()).number, kNotFound);
  EXPECT_EQ(store_.CountMessages(kSmithSent), 0);
  // A missing attachment file fails Add; the message goes without it.
  ASSERT_TRUE(SendOne(c, L"SMTP:pelttest@example.com", L"s", L"Z:\\nowhere\\Test.txt").ok());
  EXPECT_EQ(lastAttach_.number, kNotFound);
  EXPECT_EQ(ReadFileBytes(store_.MessageFiles(kSmithSent)[0]).find("multipart"), std::string::npos);
  // Outside the store: only the saved copy stays here.
  ASSERT_TRUE(SendOne(c, L"SMTP:someone@elsewhere.test", L"s", attachment_.wstring()).ok());
  EXPECT_EQ(store_.CountMessages(kSmithSent), 2);
  EXPECT_EQ(store_.CountMessages(kPeltInbox), 2);
  // SaveCopy false keeps no copy.
  ASSERT_TRUE(SendOne(c, L"SMTP:pelttest@example.com", L"s", attachment_.wstring(), false).ok());
  EXPECT_EQ(store_.CountMessages(kSmithSent), 2);
  EXPECT_EQ(store_.CountMessages(kPeltInbox), 3);
}

TEST_F(StandinMessage, ObjectsTakeWhatWasSetAndDieWithTheSend) {
  auto outbox = Get(session_.Get(), kOutbox).object();
  auto messages = Get(outbox.Get(), kMessages).object();
  std::vector<Variant> fields;
  fields.push_back(Str(L"subject from Add"));
  fields.push_back(Str(L"text from Add"));
  auto message = ByName(messages.Get(), L"Add", DISPATCH_METHOD, std::move(fields)).object();
  EXPECT_EQ(Call(message.Get(), kSend).number, E_INVALIDARG);  // no recipient yet

  auto recipients = Get(message.Get(), kRecipients).object();
  std::vector<Variant> byAlias;
  byAlias.push_back(Str(L"pelttest"));
  auto recipient = ByName(recipients.Get(), L"Add", DISPATCH_METHOD, std::move(byAlias)).object();
  ASSERT_TRUE(Call(recipient.Get(), kResolve).ok());

  auto attachments = Get(message.Get(), kAttachments).object();
  std::vector<Variant> link;
  link.push_back(Str(L"x"));
  link.push_back(I4(0));
  link.push_back(I4(2));
  EXPECT_EQ(ByName(attachments.Get(), L"Add", DISPATCH_METHOD, std::move(link)).number,
            static_cast<long>(0x80040102));  // only file data is supported
  std::vector<Variant> file;
  file.push_back(Omitted());
  file.push_back(I4(3));
  file.push_back(Omitted());
  file.push_back(Str(attachment_.wstring().c_str()));
  ASSERT_TRUE(ByName(attachments.Get(), L"Add", DISPATCH_METHOD, std::move(file)).ok());

  ASSERT_TRUE(Call(message.Get(), kSend).ok());  // SaveCopy defaults to true
  ASSERT_EQ(store_.CountMessages(kSmithSent), 1);
  const Mail mail = ReadMail(store_.MessageFiles(kSmithSent)[0]);
  EXPECT_EQ(mail.subject, "subject from Add");
  EXPECT_EQ(mail.body, "text from Add");
  EXPECT_EQ(mail.to, "pelttest@example.com");
  ASSERT_EQ(mail.attachments.size(), 1u);
  EXPECT_EQ(mail.attachments[0].name, "Test.txt");  // the source's name when none is given
  const long invalidObject = static_cast<long>(0x80040108);
  EXPECT_EQ(Put(message.Get(), kSubject, Str(L"late")).number, invalidObject);
  EXPECT_EQ(Call(message.Get(), kSend).number, invalidObject);
  EXPECT_EQ(Put(recipient.Get(), kAddress, Str(L"SMTP:late@example.com")).number, invalidObject);
}

}  // namespace
}  // namespace standins_test
