#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/services.h"

namespace pelterwyn::fakes {

inline FixedFileVersion MakeVersion(std::uint16_t major, std::uint16_t minor, std::uint16_t build,
                                    std::uint16_t revision) {
  return {static_cast<std::uint32_t>(major) << 16 | minor,
          static_cast<std::uint32_t>(build) << 16 | revision};
}

// Version resources by file name (matched without regard to case, as file
// names are); a file not listed has none.
class FakeVersions final : public VersionApi {
 public:
  void Add(const std::string& fileName, FixedFileVersion version) {
    files_[Lower(fileName)] = version;
  }

  std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string& fileName) override {
    queries.push_back(fileName);
    const auto found = files_.find(Lower(fileName));
    if (found == files_.end()) return std::nullopt;
    return found->second;
  }

  std::vector<std::string> queries;  // as passed

 private:
  static std::string Lower(std::string text) {
    for (char& c : text)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
  }

  std::map<std::string, FixedFileVersion> files_;
};

}  // namespace pelterwyn::fakes
