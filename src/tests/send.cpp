#include "tests/constants.h"
#include "tests/handlers.h"
#include "text/text.h"

namespace pelterwyn {

namespace {
constexpr std::int16_t kDefaultMessageCount = 500;
constexpr std::int16_t kAttachmentPosition = 1;
constexpr std::int32_t kAttachmentFileData = 1;
}  // namespace

// A load test: numbered messages with a file attachment to the test mailbox.
void SendTest(Context& ctx) {
  Window& window = ctx.window;
  Services& services = ctx.services;
  const auto replace = [&](const std::string& text) { window.SetText(ControlId::txtResult, text); };
  const auto append = [&](const std::string& message) {
    window.AppendText(ControlId::txtResult, kCrLf + message);
  };

  ErrorState err;
  std::unique_ptr<mail::Session> session;
  mail::AssignIfOk(session, services.mail.CreateSession(mail::Binding::ByDispid, err));
  if (err.IsSet() || !session) {
    replace("Error instantiating CDO: " + err.Description());
    return;
  }
  replace("Instantiated CDO");

  session->LogonWithProfileInfo(
      window.Text(ControlId::txtServer) + "\n" + window.Text(ControlId::txtAlias), err);
  if (err.IsSet()) {
    append("Logon error: " + err.Description());
    return;
  }

  std::unique_ptr<mail::Folder> outbox;
  mail::AssignIfOk(outbox, session->Outbox(err));
  if (err.IsSet() || !outbox) {
    append("Error accessing outbox: " + err.Description());
    return;
  }

  std::int16_t count = services.locale.TextToInt16(window.Text(ControlId::txtCount)).value_or(0);
  if (count == 0) count = kDefaultMessageCount;

  // A failed step leaves the previous pass's object in place, as the
  // statement it belonged to was skipped.
  std::unique_ptr<mail::Message> message;
  std::unique_ptr<mail::Recipient> recipient;
  // Wider than the count, so that a count of 32767 ends the loop.
  for (std::int32_t pass = 1; pass <= count; ++pass) {
    mail::AssignIfOk(message, mail::Then(outbox->GetMessages(err), err,
                                         [&](mail::Messages& m) { return m.Add(err); }));
    mail::AssignIfOk(
        recipient, mail::Then(mail::CallOn(message.get(), err,
                                           [&](mail::Message& m) { return m.GetRecipients(err); }),
                              err, [&](mail::Recipients& r) { return r.Add(err); }));
    mail::CallOn(recipient.get(), err,
                 [&](mail::Recipient& r) { return r.SetAddress(kTestRecipientAddress, err); });
    mail::CallOn(recipient.get(), err, [&](mail::Recipient& r) { return r.Resolve(err); });
    mail::CallOn(message.get(), err, [&](mail::Message& m) {
      return m.SetSubject("Test message " + std::to_string(pass), err);
    });
    mail::CallOn(message.get(), err, [&](mail::Message& m) { return m.SetText("S:1R:", err); });
    const std::wstring attachment = services.files.PathBesideExe("Test.txt");
    mail::Then(
        mail::CallOn(message.get(), err, [&](mail::Message& m) { return m.GetAttachments(err); }),
        err, [&](mail::Attachments& a) {
          return a.Add("Test.txt", kAttachmentPosition, kAttachmentFileData, attachment, err);
        });
    replace("Sending message " + std::to_string(pass));
    window.RefreshControl(ControlId::txtResult);
    mail::CallOn(message.get(), err, [&](mail::Message& m) { return m.Send(true, err); });
  }

  session->Logoff(err);
  // Children before the session that made them; the recipient alone is left to
  // go at return, after the session, as the tool has always let it go.
  message.reset();
  outbox.reset();
  session.reset();
}

}  // namespace pelterwyn
