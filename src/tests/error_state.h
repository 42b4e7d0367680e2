#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "tests/runtime_errors.h"

namespace pelterwyn {

// The pending error of a continue-on-error run: set by a failing step, kept
// until explicitly cleared.
class ErrorState {
 public:
  void Raise(std::int32_t number, std::string description) {
    number_ = number;
    description_ = std::move(description);
  }
  void Raise(const RuntimeError& error) { Raise(error.number, error.text); }
  void Clear() {
    number_ = 0;
    description_.clear();
  }
  [[nodiscard]] bool IsSet() const { return number_ != 0; }
  [[nodiscard]] std::int32_t Number() const { return number_; }
  [[nodiscard]] const std::string& Description() const { return description_; }

 private:
  std::int32_t number_ = 0;
  std::string description_;
};

// "number description", the way the logon tests report a pending error.
inline std::string NumberAndDescription(const ErrorState& err, const char* separator = " ") {
  return std::to_string(err.Number()) + separator + err.Description();
}

}  // namespace pelterwyn
