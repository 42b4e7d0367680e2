#pragma once

#include <string>

#include "tests/context.h"

namespace pelterwyn {

// One logon attempt each, reported through the trace. True: logged on and the
// Inbox read; the session is still logged on and the caller logs it off.
// False: the probe has logged the session off itself.
bool AttemptLogonWithAllArgs(Context& ctx, mail::Session& session, const std::string& profileInfo);
bool AttemptLogonWithProfileInfo(Context& ctx, mail::Session& session,
                                 const std::string& profileInfo);

}  // namespace pelterwyn
