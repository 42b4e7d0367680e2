#pragma once

#include <string>

#include "tests/mail.h"

namespace pelterwyn::win32 {

// The mail contract over IDispatch: objects created by ProgID, members invoked
// by DISPID or by name. COM must be initialised on the calling thread.
class DispatchMailFactory final : public mail::MailFactory {
 public:
  explicit DispatchMailFactory(std::string sessionProgId = "MAPI.Session",
                               std::string tableProgId = "Redemption.MAPITable");

  mail::ObjectResult<mail::Session> CreateSession(mail::Binding binding, ErrorState& err) override;
  mail::ObjectResult<mail::MapiTable> CreateTable(ErrorState& err) override;

 private:
  std::string sessionProgId_;
  std::string tableProgId_;
};

}  // namespace pelterwyn::win32
