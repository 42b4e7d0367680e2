#include "store/files.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>

namespace standin::store {
namespace fs = std::filesystem;

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  std::u8string u8(utf8.size(), u8'\0');
  for (std::size_t i = 0; i < utf8.size(); ++i) u8[i] = static_cast<char8_t>(utf8[i]);
  return std::filesystem::path(u8);
}

std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

std::string UniqueToken() {
  static std::atomic<unsigned> counter{0};
  static const unsigned seed = [] {
    std::random_device device;
    return static_cast<unsigned>(device()) ^
           static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
  }();
  std::mt19937 mix(seed + counter.fetch_add(1) * 2654435761u);
  char buffer[17];
  std::snprintf(buffer, sizeof buffer, "%08x%08x", static_cast<unsigned>(mix()),
                static_cast<unsigned>(mix()));
  return buffer;
}

namespace {

bool WriteAll(const fs::path& file, std::string_view content) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  out.close();
  return static_cast<bool>(out);
}

fs::path TemporaryBeside(const fs::path& file) {
  return file.parent_path() / PathFromUtf8(".~" + UniqueToken() + ".tmp");
}

}  // namespace

bool WriteFileAtomically(const fs::path& file, std::string_view content) {
  const fs::path temp = TemporaryBeside(file);
  if (!WriteAll(temp, content)) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return false;
  }
  std::error_code ec;
  fs::rename(temp, file, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

std::optional<fs::path> WriteNewFile(const fs::path& folder, std::string_view stem,
                                     std::string_view extension, std::string_view content) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string name =
        std::string(stem) + "-" + UniqueToken().substr(0, 8) + "." + std::string(extension);
    const fs::path target = folder / PathFromUtf8(name);
    std::error_code ec;
    if (fs::exists(target, ec)) continue;
    if (!WriteFileAtomically(target, content)) return std::nullopt;
    return target;
  }
  return std::nullopt;
}

std::optional<std::string> ReadFileUpTo(const fs::path& file, std::size_t limit) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string content(limit + 1, '\0');
  in.read(content.data(), static_cast<std::streamsize>(content.size()));
  if (in.bad()) return std::nullopt;
  const auto got = static_cast<std::size_t>(in.gcount());
  if (got > limit) return std::nullopt;
  content.resize(got);
  return content;
}

namespace {

// Where the empty line that ends a header section ends, searching from the
// given place on; npos when it has not come yet.
std::size_t EndOfHeaderSection(std::string_view text, std::size_t from) {
  if (text.starts_with("\n")) return 1;
  if (text.starts_with("\r\n")) return 2;
  const auto lf = text.find("\n\n", from);
  const auto crlf = text.find("\n\r\n", from);
  if (lf == std::string_view::npos && crlf == std::string_view::npos) return std::string_view::npos;
  return lf < crlf ? lf + 2 : crlf + 3;
}

}  // namespace

std::optional<std::string> ReadHeaderSection(const fs::path& file, std::size_t limit) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string content;
  char chunk[4096];
  while (in && content.size() < limit) {
    in.read(chunk, static_cast<std::streamsize>(std::min(sizeof chunk, limit - content.size())));
    if (in.bad()) return std::nullopt;
    // An empty line may straddle two chunks.
    const std::size_t from = content.size() < 2 ? 0 : content.size() - 2;
    content.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (const auto end = EndOfHeaderSection(content, from); end != std::string::npos) {
      content.resize(end);
      break;
    }
  }
  return content;
}

}  // namespace standin::store
