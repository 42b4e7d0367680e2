#include <gtest/gtest.h>

#include "store/mime.h"

namespace standin::mime {
namespace {

Bytes B(std::string_view s) { return Bytes(s.begin(), s.end()); }

TEST(Base64, RoundTripsEveryRemainderAndWrapsLines) {
  EXPECT_EQ(Base64Encode(B("")), "");
  EXPECT_EQ(Base64Encode(B("f")), "Zg==");
  EXPECT_EQ(Base64Encode(B("fo")), "Zm8=");
  EXPECT_EQ(Base64Encode(B("foo")), "Zm9v");
  EXPECT_EQ(Base64Encode(B("foobar")), "Zm9vYmFy");
  Bytes all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<unsigned char>(i));
  const std::string encoded = Base64Encode(all);
  EXPECT_EQ(encoded.find("\r\n"), 76u);
  EXPECT_EQ(Base64Decode(encoded), all);
  EXPECT_EQ(Base64Decode("Zm9v\r\nYmE="), B("fooba"));
  EXPECT_EQ(Base64Decode("Zm9v!"), std::nullopt);
  EXPECT_EQ(Base64Decode("Zg==Zg"), std::nullopt);  // data after the padding
}

TEST(HeaderText, EncodesOnlyWhatPlainAsciiCannotCarry) {
  EXPECT_EQ(EncodeHeaderText("Test message 1"), "Test message 1");
  const std::string encoded = EncodeHeaderText("R\xC3\xA9sum\xC3\xA9");
  EXPECT_EQ(encoded, "=?utf-8?B?UsOpc3Vtw6k=?=");
  EXPECT_EQ(DecodeHeaderText(encoded), "R\xC3\xA9sum\xC3\xA9");
  // Long text becomes several folded words, never splitting a character.
  std::string longText;
  for (int i = 0; i < 40; ++i) longText += "\xC3\xA9t\xC3\xA9 ";
  const std::string folded = EncodeHeaderText(longText);
  EXPECT_NE(folded.find("\r\n "), std::string::npos);
  std::string unfolded = folded;
  for (auto p = unfolded.find("\r\n"); p != std::string::npos; p = unfolded.find("\r\n")) {
    unfolded.erase(p, 2);
  }
  EXPECT_EQ(DecodeHeaderText(unfolded), longText);
  // Line breaks inside a subject cannot go on the wire as they are.
  EXPECT_EQ(DecodeHeaderText(EncodeHeaderText("a\r\nb")), "a\r\nb");
  // Nor can blanks at either end, which reading the header drops.
  const Headers h = Headers::Parse("Subject: " + EncodeHeaderText(" a ") + "\r\n\r\n");
  EXPECT_EQ(DecodeHeaderText(h.Get("Subject").value_or("")), " a ");
}

TEST(HeaderText, DecodesOnlyTheWordsItWrites) {
  EXPECT_EQ(DecodeHeaderText("plain =?utf-8?B?w6k=?= text"), "plain \xC3\xA9 text");
  EXPECT_EQ(DecodeHeaderText("=?koi8-r?B?w6k=?="), "=?koi8-r?B?w6k=?=");  // left as it stands
  EXPECT_EQ(DecodeHeaderText("=?utf-8?X?abc?="), "=?utf-8?X?abc?=");
}

TEST(Addresses, FormatAndParseBackEveryShape) {
  EXPECT_EQ(FormatAddress("John Smith", "jsmith@example.com"), "John Smith <jsmith@example.com>");
  EXPECT_EQ(FormatAddress("Berg, Anna", "a@example.com"), "\"Berg, Anna\" <a@example.com>");
  EXPECT_EQ(FormatAddress("", "a@example.com"), "a@example.com");
  for (const char* name : {"John Smith", "Berg, Anna", "Say \"hi\"", "J\xC3\xB6rg", " padded ",
                           "\"J\xC3\xB6rg\"", "=?utf-8?q?x?= y,", "line\r\n"}) {
    const Address back = ParseAddress(FormatAddress(name, "x@example.com"));
    EXPECT_EQ(back.name, name);
    EXPECT_EQ(back.address, "x@example.com");
  }
  EXPECT_EQ(ParseAddress("<only@example.com>").name, "");
  EXPECT_EQ(ParseAddress("<only@example.com>").address, "only@example.com");
  EXPECT_EQ(ParseAddress("bare@example.com").address, "bare@example.com");
  EXPECT_EQ(ParseAddress("\"Berg, Anna\" <a@example.com>, Carl <c@example.com>").name,
            "Berg, Anna");
}

TEST(Dates, AreRfc5322InUtc) {
  using namespace std::chrono;
  const sys_days day = 2024y / March / 5d;
  EXPECT_EQ(FormatDate(day + 14h + 7min + 9s), "Tue, 05 Mar 2024 14:07:09 +0000");
  EXPECT_EQ(FormatDate(sys_days{2000y / January / 1d}), "Sat, 01 Jan 2000 00:00:00 +0000");
}

TEST(Headers, UnfoldAndStopAtTheBody) {
  const Headers h = Headers::Parse(
      "Subject: a long\r\n\tsubject\r\nFROM: x@example.com\r\nX-Empty:\r\n\r\nSubject: body\r\n");
  EXPECT_EQ(h.Get("subject"), "a long\tsubject");
  EXPECT_EQ(h.Get("From"), "x@example.com");
  EXPECT_EQ(h.Get("x-empty"), "");
  EXPECT_EQ(h.Fields().size(), 3u);
  EXPECT_EQ(Headers::Parse("Subject: lf only\nTo: y\n\nbody").Get("to"), "y");
}

TEST(Compose, WritesASinglePartMessageWithoutAttachments) {
  Composition c;
  c.from = "A <a@example.com>";
  c.to = {"B <b@example.com>", "c@example.com"};
  c.subject = "Hello";
  c.text = "line 1\nline 2";
  c.date = "Tue, 05 Mar 2024 14:07:09 +0000";
  c.messageId = "id1@example.com";
  const std::string m = Compose(c);
  EXPECT_EQ(m.find("multipart"), std::string::npos);
  EXPECT_NE(m.find("To: B <b@example.com>,\r\n c@example.com\r\n"), std::string::npos);
  EXPECT_NE(m.find("Message-ID: <id1@example.com>\r\n"), std::string::npos);
  EXPECT_NE(m.find("\r\n\r\nline 1\r\nline 2\r\n"), std::string::npos);
  // No bare line feed anywhere.
  for (std::size_t i = 0; i < m.size(); ++i) {
    if (m[i] == '\n') {
      ASSERT_TRUE(i > 0 && m[i - 1] == '\r') << "bare LF at " << i;
    }
  }
}

TEST(Compose, EncodesBodiesThatAreNotPlainAscii) {
  Composition c;
  c.from = "a@example.com";
  c.text = "caf\xC3\xA9";
  const std::string m = Compose(c);
  EXPECT_NE(m.find("Content-Transfer-Encoding: base64"), std::string::npos);
  EXPECT_NE(m.find(Base64Encode(B("caf\xC3\xA9"))), std::string::npos);
}

}  // namespace
}  // namespace standin::mime
