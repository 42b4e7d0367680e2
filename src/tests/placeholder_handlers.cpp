// Placeholder until the tests land.
#include "tests/handlers.h"

namespace pelterwyn {
void LogonTest(Context&) {}
void ServiceLogonSequence(Context&) {}
void SendTest(Context&) {}
void GetRowTest(Context&) {}
void GetRowsTest(Context&) {}
}  // namespace pelterwyn
