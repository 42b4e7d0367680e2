#include "console/form.h"

#include "tests/handlers.h"

namespace pelterwyn {

void Form1::Click(ControlId id) {
  Context ctx{window_, services_, trace_};
  switch (id) {
    case ControlId::cmdLogon:
      return LogonTest(ctx);
    case ControlId::cmdTest2:
      return ServiceLogonSequence(ctx);
    case ControlId::cmdSend:
      return SendTest(ctx);
    case ControlId::cmdGetRow:
      return GetRowTest(ctx);
    case ControlId::cmdGetRows:
      return GetRowsTest(ctx);
    default:
      return;
  }
}

}  // namespace pelterwyn
