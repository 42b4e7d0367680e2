#pragma once

#include <string>

#include "platform/services.h"

namespace pelterwyn::win32 {

class Win32Library final : public LibraryApi {
 public:
  Module Load(const std::string& name) override;
  void Free(Module module) override;
};

}  // namespace pelterwyn::win32
