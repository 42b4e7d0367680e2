// This folder holds the tool's own diagnostic tests, the ones its buttons run.
#pragma once

#include "tests/context.h"

// The diagnostic tests, one per button.
namespace pelterwyn {

void LogonTest(Context& ctx);             // cmdLogon
void ServiceLogonSequence(Context& ctx);  // cmdTest2
void SendTest(Context& ctx);              // cmdSend
void GetRowTest(Context& ctx);            // cmdGetRow
void GetRowsTest(Context& ctx);           // cmdGetRows

}  // namespace pelterwyn
