#include "probes/com_server.h"
#include "probes/version.h"
#include "tests/handlers.h"
#include "tests/logon_probes.h"
#include "text/text.h"

namespace pelterwyn {

namespace {

void ProbeBothWays(Context& ctx, mail::Session& session, const std::string& profileInfo) {
  ErrorState ignored;
  if (AttemptLogonWithAllArgs(ctx, session, profileInfo)) session.Logoff(ignored);
  if (AttemptLogonWithProfileInfo(ctx, session, profileInfo)) session.Logoff(ignored);
}

// The session, created while the pre-loaded mapi32 is held when the check box
// asks for it; null when none was made, with the reason traced.
std::unique_ptr<mail::Session> InstantiateCdo(Context& ctx) {
  Trace& trace = ctx.trace;
  LibraryApi& libraries = ctx.services.libraries;
  const bool preload = ctx.window.CheckValue(ControlId::chkLoad) == 1;
  if (preload) trace.LogTrace("Calling LoadLibrary\r\n", false);
  // Freed as this returns: once the session exists, or when it could not be made.
  const LoadedLibrary preloaded(libraries, preload ? libraries.Load("mapi32.dll") : 0);

  ErrorState err;
  std::unique_ptr<mail::Session> session;
  mail::AssignIfOk(session, ctx.services.mail.CreateSession(mail::Binding::ByDispid, err));
  if (err.IsSet() || !session) {
    trace.LogTrace("Error instantiating CDO: " + NumberAndDescription(err), false);
    // The commonest misuse: nothing else would tell the user which exe to run.
    if (IsCdoRegisteredFor32BitOnly(ctx.services.registry)) {
      trace.LogTrace("CDO is registered for 32-bit programs only: run the 32-bit Pelterwyn.exe",
                     false);
    }
    return nullptr;
  }
  trace.LogTrace("Instantiated CDO", false);
  return session;
}

}  // namespace

void LogonTest(Context& ctx) {
  Window& window = ctx.window;
  if (window.Text(ControlId::txtServer).empty()) {
    window.ShowMessage("You must enter the Server name!", kMbOk | kMbIconStop);
    window.SetFocus(ControlId::txtServer);
    return;
  }
  if (window.Text(ControlId::txtAlias).empty()) {
    window.ShowMessage("You must enter the Alias!", kMbOk | kMbIconStop);
    window.SetFocus(ControlId::txtAlias);
    return;
  }

  Trace& trace = ctx.trace;
  RegistryApi& registry = ctx.services.registry;
  VersionApi& versions = ctx.services.versions;

  trace.LogTrace("", true);
  trace.LogTrace("CDO=" + GetCdoVersion(registry, versions) + " @" + GetCdoPath(registry), false);
  trace.LogTrace("MAPI32=" + GetFileVersion(versions, "mapi32.dll") + " @%PATH%", false);
  if (const std::string beside = GetMapiInCdoPath(registry, versions); !beside.empty()) {
    trace.LogTrace(
        "MAPI32=" + beside + " @" + ReplaceNoCase(GetCdoPath(registry), "cdo.dll", "MAPI32.DLL"),
        false);
  }

  const std::string mailbox = window.Text(ControlId::txtAlias);
  const std::unique_ptr<mail::Session> session = InstantiateCdo(ctx);
  if (!session) return;

  const std::string asEntered = window.Text(ControlId::txtServer) + "\n" + mailbox;
  ProbeBothWays(ctx, *session, asEntered);

  // An address is tried once more with its "SMTP:" prefix added or removed.
  if (ContainsNoCase(mailbox, "@")) {
    std::string again = asEntered;
    if (!ContainsNoCase(mailbox, "SMTP:")) {
      again = window.Text(ControlId::txtServer) + "\nSMTP:" + mailbox;
    } else if (StartsWithNoCase(mailbox, "SMTP:")) {
      again = window.Text(ControlId::txtServer) + "\n" + mailbox.substr(5);
    }
    ProbeBothWays(ctx, *session, again);
  }

  trace.LogTrace("", true);
}

}  // namespace pelterwyn
