// Placeholder until the dispatch adapter lands.
#include "win32/dispatch_mail.h"

namespace pelterwyn::win32 {
mail::ObjectResult<mail::Session> DispatchMailFactory::CreateSession(mail::Binding,
                                                                     ErrorState& err) {
  err.Raise(-2147221005, "Invalid class string");
  return std::nullopt;
}
mail::ObjectResult<mail::MapiTable> DispatchMailFactory::CreateTable(ErrorState& err) {
  err.Raise(-2147221005, "Invalid class string");
  return std::nullopt;
}
}  // namespace pelterwyn::win32
