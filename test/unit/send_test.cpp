#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tool_on_fakes.h"

namespace pelterwyn {
namespace {

using ::testing::ElementsAre;

struct SendTestRun : ::testing::Test {
  fakes::ToolOnFakes h;
  void SetUp() override {
    h.Type(ControlId::txtServer, "EXCHANGE1");
    h.Type(ControlId::txtAlias, "jsmith");
  }
  int Sends() const { return h.world.Count("Message.Send("); }
};

TEST_F(SendTestRun, CountTextThatIsNoNumberOrZeroSendsFiveHundred) {
  for (const char* text : {"", "0", "abc", "40000"}) {
    fakes::ToolOnFakes run;
    run.Type(ControlId::txtCount, text);
    run.Click(ControlId::cmdSend);
    EXPECT_EQ(run.world.Count("Message.Send("), 500) << '"' << text << '"';
    EXPECT_EQ(run.Result(), "Sending message 500");
  }
}

TEST_F(SendTestRun, NegativeCountSendsNothingButLogsOnAndOff) {
  h.Type(ControlId::txtCount, "-3");
  h.Click(ControlId::cmdSend);
  EXPECT_EQ(Sends(), 0);
  EXPECT_EQ(h.world.Count("Session.Logon[named](EXCHANGE1\njsmith)"), 1);
  EXPECT_EQ(h.world.Count("Session.Outbox("), 1);
  EXPECT_EQ(h.world.Count("Session.Logoff("), 1);
  EXPECT_EQ(h.Result(), "Instantiated CDO");
}

TEST_F(SendTestRun, EachPassRunsItsStepsInOrderAndShowsProgressBeforeSending) {
  h.Type(ControlId::txtCount, "2");
  h.Click(ControlId::cmdSend);
  const std::string attachment = "Test.txt,1,1,C:\\Tools\\Test.txt";
  const std::vector<std::string> pass = {
      "Session.Outbox()",
      "Folder.Messages()",
      "Messages.Add()",
      "release Messages",
      "Message.Recipients()",
      "Recipients.Add()",
      "release Recipients",
      "Recipient.Address(SMTP:pelttest@example.com)",
      "Recipient.Resolve()",
      "Message.Subject(Test message 1)",
      "Message.Text(S:1R:)",
      "Message.Attachments()",
      "Attachments.Add(" + attachment + ")",
      "release Attachments",
      "set txtResult",
      "refresh txtResult: Sending message 1",
      "Message.Send(true)",
      "Folder.Messages()",
  };
  auto& j = h.world.journal;
  const auto start = std::find(j.begin(), j.end(), "Session.Outbox()");
  ASSERT_NE(start, j.end());
  EXPECT_EQ(std::vector<std::string>(start, start + static_cast<long>(pass.size())), pass);
  EXPECT_EQ(h.world.Calls("Message.Subject"),
            (std::vector<std::string>{"Message.Subject(Test message 1)",
                                      "Message.Subject(Test message 2)"}));
  EXPECT_EQ(h.Result(), "Sending message 2");
}

TEST_F(SendTestRun, EndsWithLogoffAndReleasesMessageOutboxSessionThenRecipient) {
  h.Type(ControlId::txtCount, "1");
  h.Click(ControlId::cmdSend);
  auto& j = h.world.journal;
  const auto logoff = std::find(j.begin(), j.end(), "Session.Logoff()");
  ASSERT_NE(logoff, j.end());
  EXPECT_EQ(std::vector<std::string>(logoff, j.end()),
            (std::vector<std::string>{"Session.Logoff()", "release Message", "release Folder",
                                      "release Session", "release Recipient"}));
  EXPECT_EQ(h.world.live, 0);
}

TEST_F(SendTestRun, TwelfthSubjectAndBoxAfterThreeMessages) {
  h.Type(ControlId::txtCount, "12");
  h.Click(ControlId::cmdSend);
  EXPECT_EQ(h.world.Calls("Message.Subject").back(), "Message.Subject(Test message 12)");
  fakes::ToolOnFakes three;
  three.Type(ControlId::txtCount, "3");
  three.Click(ControlId::cmdSend);
  EXPECT_EQ(three.Result(), "Sending message 3");
}

TEST_F(SendTestRun, LargestCountEndsTheLoopAndLogsOff) {
  h.Type(ControlId::txtCount, "32767");
  h.Click(ControlId::cmdSend);
  EXPECT_EQ(Sends(), 32767);
  EXPECT_EQ(h.world.Calls("Message.Subject").back(), "Message.Subject(Test message 32767)");
  EXPECT_EQ(h.world.Count("Session.Logoff("), 1);
}

TEST_F(SendTestRun, FailuresBeforeSendingReportTheirDescriptionAndEnd) {
  {
    fakes::ToolOnFakes run;
    run.world.faults["CreateSession"] = {-2147221005, "Invalid class string"};
    run.Result() = "earlier";
    run.Click(ControlId::cmdSend);
    EXPECT_EQ(run.Result(), "Error instantiating CDO: Invalid class string");
  }
  {
    fakes::ToolOnFakes run;
    run.world.faults["Session.Logon[named]"] = {-2147221231, "[logon failed]"};
    run.Result() = "earlier";
    run.Click(ControlId::cmdSend);
    EXPECT_EQ(run.Result(), "Instantiated CDO\r\nLogon error: [logon failed]");
    EXPECT_EQ(run.world.Count("Session.Outbox("), 0);
    EXPECT_EQ(run.world.Count("Session.Logoff("), 0);
    EXPECT_EQ(run.world.live, 0);
  }
  {
    fakes::ToolOnFakes run;
    run.world.faults["Session.Outbox"] = {-2147221233, "[not found]"};
    run.Click(ControlId::cmdSend);
    EXPECT_EQ(run.Result(), "Instantiated CDO\r\nError accessing outbox: [not found]");
    EXPECT_EQ(run.world.Count("Messages.Add("), 0);
  }
  {
    fakes::ToolOnFakes run;
    run.world.noObject.insert("Session.Outbox");
    run.Click(ControlId::cmdSend);
    EXPECT_EQ(run.Result(), "Instantiated CDO\r\nError accessing outbox: ");
    EXPECT_EQ(run.world.Count("Session.Logoff("), 0);
  }
}

TEST_F(SendTestRun, AFailedAttachmentIsNotReportedAndTheMessageIsStillSent) {
  h.world.faults["Attachments.Add"] = {-2147024894, "file not found"};
  h.Type(ControlId::txtCount, "2");
  h.Click(ControlId::cmdSend);
  EXPECT_EQ(Sends(), 2);
  EXPECT_EQ(h.Result(), "Sending message 2");
}

TEST_F(SendTestRun, WhenNoMessageCanBeAddedNothingIsSentAndTheRunStillEnds) {
  h.Type(ControlId::txtCount, "2");
  h.world.faults["Messages.Add"] = {-2147221233, "no"};
  h.Click(ControlId::cmdSend);
  // No message ever: every member call on it fails with error 91, and nothing is sent.
  EXPECT_EQ(Sends(), 0);
  EXPECT_EQ(h.world.Count("Session.Logoff("), 1);
  EXPECT_EQ(h.Result(), "Sending message 2");
}

}  // namespace
}  // namespace pelterwyn
