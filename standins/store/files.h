#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace standin::store {

// Writes the whole content to a temporary file in the target's folder, then
// renames it over the target: a reader sees the old file or the new one,
// never half of it.
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view content);

// Writes a new file "<stem>.<extension>" with a name not yet taken in the
// folder (the stem gets a unique suffix), atomically. nullopt on failure.
std::optional<std::filesystem::path> WriteNewFile(const std::filesystem::path& folder,
                                                  std::string_view stem, std::string_view extension,
                                                  std::string_view content);

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

// A short random hex token, different on every call in the process.
std::string UniqueToken();

}  // namespace standin::store
