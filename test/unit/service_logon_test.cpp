#include <gtest/gtest.h>

#include "probes/com_server.h"
#include "tool_on_fakes.h"

namespace pelterwyn {
namespace {

using Strings = std::vector<std::string>;

constexpr const char* kCdoPath = "C:\\MSMAPI\\CDO.DLL";

struct ServiceLogonRun : ::testing::Test {
  fakes::ToolOnFakes h;
  void SetUp() override {
    // No Outlook: a registered MAPI.Session server is enough.
    h.registry.SetString(kHkeyLocalMachine, "Software\\Classes\\MAPI.Session\\CLSID", "",
                         "{3FA7DEB3-6438-101B-ACC1-00AA00423326}");
    h.registry.SetString(kHkeyClassesRoot, kCdoInprocServerKey, "", kCdoPath);
    h.versions.Add(kCdoPath, fakes::MakeVersion(6, 5, 7638, 1));
    h.Type(ControlId::txtServer, "EXCHANGE1");
    h.Type(ControlId::txtAlias, "jsmith");
    h.Result() = "earlier text";
  }
};

TEST_F(ServiceLogonRun, SuccessLeavesExactlyFourLinesAndNeverLogsOff) {
  h.Click(ControlId::cmdTest2);
  EXPECT_EQ(h.Result(),
            "Logon: messaging subsystem installed.\r\n"
            "Logon: CDO Version: 6.5.7638.1\r\n"
            "Logon: created session using dynamic profile EXCHANGE1 jsmith\r\n"
            "Logon: successfully retrieved Inbox.");
  EXPECT_EQ(h.mail.bindings, std::vector{mail::Binding::ByName});
  EXPECT_EQ(h.world.Calls("Session.Logon"), Strings{"Session.Logon[all](EXCHANGE1\njsmith)"});
  EXPECT_EQ(h.world.Calls("Session.GetDefaultFolder"), Strings{"Session.GetDefaultFolder(1)"});
  EXPECT_EQ(h.world.Count("Session.Logoff("), 0);
  EXPECT_EQ(h.world.live, 0);
  EXPECT_TRUE(h.files.files.empty());
  EXPECT_TRUE(h.window.boxes.empty());
}

TEST_F(ServiceLogonRun, EmptyFieldsGiveTwoBlanksBeforeTheColonOnFailure) {
  h.Type(ControlId::txtServer, "");
  h.Type(ControlId::txtAlias, "");
  h.world.accepted = {"never"};
  h.Click(ControlId::cmdTest2);
  EXPECT_EQ(h.world.Calls("Session.Logon"), Strings{"Session.Logon[all](\n)"});
  const std::string tail =
      "\r\nLogon: failure using dynamic profile  : -2147221231-[Collaboration Data Objects - "
      "[MAPI_E_LOGON_FAILED(80040111)]]";
  ASSERT_GE(h.Result().size(), tail.size());
  EXPECT_EQ(h.Result().substr(h.Result().size() - tail.size()), tail);
  EXPECT_EQ(h.world.Count("Session.GetDefaultFolder("), 0);
  EXPECT_EQ(h.world.live, 0);
}

TEST_F(ServiceLogonRun, EmptyVersionAndANameBeforeLogonSkipTheirParts) {
  h.versions = fakes::FakeVersions();
  h.world.nameBeforeLogon = "Service Profile";
  h.Click(ControlId::cmdTest2);
  EXPECT_EQ(h.Result(),
            "Logon: messaging subsystem installed.\r\n"
            "Logon: CDO Version: \r\n"
            "Logon: successfully retrieved Inbox.");
  EXPECT_EQ(h.world.Count("Session.Logon"), 0);
}

TEST_F(ServiceLogonRun, AFailingNameReadIsIgnoredAndClearedBeforeLogon) {
  h.world.faults["Session.Name"] = {-2147219963, "[CdoE_NOT_INITIALIZED(80040505)]"};
  h.Click(ControlId::cmdTest2);
  EXPECT_NE(h.Result().find("Logon: created session using dynamic profile EXCHANGE1 jsmith"),
            std::string::npos);
  EXPECT_NE(h.Result().find("Logon: successfully retrieved Inbox."), std::string::npos);
}

TEST_F(ServiceLogonRun, InboxAndCreationFailuresSeparateNumberAndDescriptionByABlank) {
  h.world.noObject.insert("Session.GetDefaultFolder");
  h.Click(ControlId::cmdTest2);
  EXPECT_EQ(h.Result().substr(h.Result().rfind("\r\n")),
            "\r\nLogon: unable to retrieve application Inbox folder 0 ");

  fakes::ToolOnFakes failing;
  failing.registry = h.registry;
  failing.world.faults["Session.GetDefaultFolder"] = {-2147221233, "[MAPI_E_NOT_FOUND(8004010F)]"};
  failing.Click(ControlId::cmdTest2);
  EXPECT_EQ(failing.Result().substr(failing.Result().rfind("\r\n")),
            "\r\nLogon: unable to retrieve application Inbox folder -2147221233 "
            "[MAPI_E_NOT_FOUND(8004010F)]");

  fakes::ToolOnFakes uncreated;
  uncreated.registry = h.registry;
  uncreated.world.faults["CreateSession"] = {-2147221164, "Class not registered"};
  uncreated.Click(ControlId::cmdTest2);
  EXPECT_EQ(uncreated.Result(),
            "Logon: messaging subsystem installed.\r\n"
            "Logon: unable to create CDO object -2147221164 Class not registered");
}

TEST_F(ServiceLogonRun, NoMessagingSubsystemCreatesNothing) {
  fakes::ToolOnFakes bare;
  bare.Result() = "earlier text";
  bare.Click(ControlId::cmdTest2);
  EXPECT_EQ(bare.Result(),
            "earlier text\r\nLogon: fatal error - no messaging subsystem. Service requires "
            "Outlook 98 or above, or Exchange 5.5 SP3 or above.");
  EXPECT_TRUE(bare.world.journal.empty());
}

}  // namespace
}  // namespace pelterwyn
