#include "tests/logon_probes.h"

#include <algorithm>

namespace pelterwyn {

namespace {

enum class LogonShape { AllArgs, ProfileInfoOnly };

bool AttemptLogon(Context& ctx, mail::Session& session, const std::string& profileInfo,
                  LogonShape shape) {
  Trace& trace = ctx.trace;
  std::string shown = profileInfo;
  std::replace(shown.begin(), shown.end(), '\n', '\\');
  trace.LogTrace(shape == LogonShape::AllArgs
                     ? "Attempting logon using " + shown
                     : "Attempting logon by setting ProfileInfo parameter: " + shown,
                 false);
  // The logon call blocks until the library answers: show the line first.
  ctx.window.Refresh();

  ErrorState err;
  if (shape == LogonShape::AllArgs) {
    session.LogonWithAllArgs(profileInfo, err);
  } else {
    session.LogonWithProfileInfo(profileInfo, err);
  }
  if (err.IsSet()) {
    trace.LogTrace("    Logon error: " + NumberAndDescription(err), false);
    session.Logoff(err);
    return false;
  }

  // Not cleared before the Inbox check: a failed Name read is reported there.
  if (const auto name = session.Name(err)) trace.LogTrace("    Session name: " + *name, false);
  std::unique_ptr<mail::Folder> inbox;
  mail::AssignIfOk(inbox, session.Inbox(err));
  if (err.IsSet() || !inbox) {
    trace.LogTrace("    Error accessing Inbox: " + NumberAndDescription(err), false);
    session.Logoff(err);
    return false;
  }

  const auto count = mail::Then(inbox->GetMessages(err), err,
                                [&](mail::Messages& messages) { return messages.Count(err); });
  if (count) trace.LogTrace("    Message count: " + std::to_string(*count), false);
  return true;
}

}  // namespace

bool AttemptLogonWithAllArgs(Context& ctx, mail::Session& session, const std::string& profileInfo) {
  return AttemptLogon(ctx, session, profileInfo, LogonShape::AllArgs);
}

bool AttemptLogonWithProfileInfo(Context& ctx, mail::Session& session,
                                 const std::string& profileInfo) {
  return AttemptLogon(ctx, session, profileInfo, LogonShape::ProfileInfoOnly);
}

}  // namespace pelterwyn
