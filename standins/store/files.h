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

// The whole file, when it holds no more than limit bytes; nullopt when it is
// larger or cannot be read.
std::optional<std::string> ReadFileUpTo(const std::filesystem::path& file, std::size_t limit);

// The file's header section: its bytes up to and including the empty line
// that ends the section, or the whole file when it has none, but no more than
// limit bytes. The body is never read.
std::optional<std::string> ReadHeaderSection(const std::filesystem::path& file, std::size_t limit);

// Paths hold UTF-8 text in the store's API on every platform.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

// A short random hex token, different on every call in the process.
std::string UniqueToken();

}  // namespace standin::store
