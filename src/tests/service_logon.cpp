#include "probes/com_server.h"
#include "probes/messaging_check.h"
#include "tests/handlers.h"
#include "text/text.h"

namespace pelterwyn {

// What a mail-enabled service does when it starts, in the foreground. Every
// member is bound late, by name, as the service binds them.
void ServiceLogonSequence(Context& ctx) {
  Window& window = ctx.window;
  Services& services = ctx.services;
  const auto append = [&](const std::string& message) {
    window.AppendText(ControlId::txtResult, kCrLf + message);
  };

  if (!CheckMessagingSubsystem(window, services.registry, services.versions, services.locale)) {
    return;
  }

  ErrorState err;
  std::unique_ptr<mail::Session> session;
  mail::AssignIfOk(session, services.mail.CreateSession(mail::Binding::ByName, err));
  if (!session) {
    append("Logon: unable to create CDO object " + NumberAndDescription(err));
    return;
  }
  append("Logon: CDO Version: " + GetCdoVersion(services.registry, services.versions));

  std::string sessionName;
  if (auto name = session->Name(err)) sessionName = std::move(*name);
  err.Clear();
  // A session that already has a name counts as logged on.
  if (sessionName.empty()) {
    const std::string server = window.Text(ControlId::txtServer);
    const std::string mailbox = window.Text(ControlId::txtAlias);
    session->LogonWithAllArgs(server + "\n" + mailbox, err);
    if (err.IsSet()) {
      append("Logon: failure using dynamic profile " + server + " " + mailbox + ": " +
             NumberAndDescription(err, "-"));
      return;
    }
    append("Logon: created session using dynamic profile " + server + " " + mailbox);
  }

  err.Clear();
  std::unique_ptr<mail::Folder> inbox;
  mail::AssignIfOk(inbox, session->GetDefaultFolder(mail::kFolderInbox, err));
  if (err.IsSet() || !inbox) {
    append("Logon: unable to retrieve application Inbox folder " + NumberAndDescription(err));
    return;
  }
  append("Logon: successfully retrieved Inbox.");
  // The session stays logged on: a service keeps it; releasing it is enough here.
}

}  // namespace pelterwyn
