#include "store/store.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "store/ascii.h"
#include "store/errors.h"
#include "store/files.h"
#include "store/ini.h"

namespace standin::store {
namespace fs = std::filesystem;

namespace {

std::vector<fs::path> SubdirectoriesOf(const fs::path& dir) {
  std::vector<fs::path> dirs;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    const std::string name = PathToUtf8(it->path().filename());
    if (name.empty() || name.front() == '.') continue;
    dirs.push_back(it->path());
  }
  std::sort(dirs.begin(), dirs.end());
  return dirs;
}

std::optional<fs::path> FindChildNoCase(const fs::path& dir, std::string_view name) {
  if (name.empty()) return std::nullopt;
  for (const fs::path& child : SubdirectoriesOf(dir)) {
    if (ascii::EqualsNoCase(PathToUtf8(child.filename()), name)) return child;
  }
  return std::nullopt;
}

bool IsAddressSpec(std::string_view s) {
  const auto at = s.find('@');
  if (at == std::string_view::npos || at == 0 || at + 1 >= s.size()) return false;
  if (s.find('@', at + 1) != std::string_view::npos) return false;
  for (char c : s) {
    if (c == ' ' || c == '\t' || c == '<' || c == '>' || c == ',' || c == ';' || c == '"' ||
        static_cast<unsigned char>(c) < 0x20) {
      return false;
    }
  }
  return true;
}

std::string DomainOf(std::string_view address) {
  const auto at = address.rfind('@');
  return at == std::string_view::npos ? std::string("localhost")
                                      : std::string(address.substr(at + 1));
}

// Names that sort in the order messages were written, within a process at least.
std::string FileStem(std::chrono::system_clock::time_point now) {
  using namespace std::chrono;
  static std::atomic<unsigned> sequence{0};
  const auto ms = floor<milliseconds>(now);
  const auto day = floor<days>(ms);
  const year_month_day ymd{day};
  const hh_mm_ss hms{ms - day};
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04d%02u%02u-%02d%02d%02d-%03d-%06u",
                static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()), static_cast<int>(hms.hours().count()),
                static_cast<int>(hms.minutes().count()), static_cast<int>(hms.seconds().count()),
                static_cast<int>(hms.subseconds().count()), (++sequence) % 1000000u);
  return buffer;
}

Recipient RecipientOf(const Mailbox& mailbox) {
  return {mailbox.displayName.empty() ? mailbox.alias : mailbox.displayName, mailbox.smtp, mailbox};
}

// How the mailbox part of the profile information picks a mailbox. A bare
// SMTP address does not match: mailboxes carry their address as "SMTP:".
bool MailboxMatches(const Mailbox& mailbox, std::string_view text) {
  if (text.empty()) return false;
  if (!mailbox.alias.empty() && ascii::EqualsNoCase(text, mailbox.alias)) return true;
  if (!mailbox.legacyDn.empty() && ascii::EqualsNoCase(text, mailbox.legacyDn)) return true;
  return ascii::StartsWithNoCase(text, "SMTP:") && !mailbox.smtp.empty() &&
         ascii::EqualsNoCase(text.substr(5), mailbox.smtp);
}

std::string_view DefaultFolderName(DefaultFolder folder) {
  switch (folder) {
    case DefaultFolder::Inbox:
      return "Inbox";
    case DefaultFolder::Outbox:
      return "Outbox";
    case DefaultFolder::SentItems:
      return "Sent Items";
  }
  return "Inbox";
}

}  // namespace

std::optional<fs::path> Store::FindServer(std::string_view name) const {
  return FindChildNoCase(root_, name);
}

std::vector<Mailbox> Store::Mailboxes(const fs::path& serverDir) const {
  std::vector<Mailbox> mailboxes;
  for (const fs::path& dir : SubdirectoriesOf(serverDir)) {
    if (auto mailbox = LoadMailbox(dir)) mailboxes.push_back(std::move(*mailbox));
  }
  return mailboxes;
}

std::vector<Mailbox> Store::AllMailboxes() const {
  std::vector<Mailbox> all;
  for (const fs::path& server : SubdirectoriesOf(root_)) {
    for (Mailbox& mailbox : Mailboxes(server)) all.push_back(std::move(mailbox));
  }
  return all;
}

LogonResult Store::Logon(std::string_view profileInfo) const {
  const auto lf = profileInfo.find('\n');
  const std::string_view serverName = profileInfo.substr(0, lf);
  const std::string_view mailboxText =
      lf == std::string_view::npos ? std::string_view() : profileInfo.substr(lf + 1);
  const auto server = FindServer(serverName);
  if (!server) return {errors::kNetworkError, std::nullopt};
  for (Mailbox& mailbox : Mailboxes(*server)) {
    if (MailboxMatches(mailbox, mailboxText)) return {0, std::move(mailbox)};
  }
  return {errors::kLogonFailed, std::nullopt};
}

ResolveResult Store::Resolve(std::string_view address) const {
  const std::string_view trimmed = ascii::Trim(address);
  if (ascii::StartsWithNoCase(trimmed, "SMTP:")) {
    const std::string_view smtp = trimmed.substr(5);
    if (!IsAddressSpec(smtp)) return {errors::kNotFound, std::nullopt};
    for (const Mailbox& mailbox : AllMailboxes()) {
      if (ascii::EqualsNoCase(mailbox.smtp, smtp)) return {0, RecipientOf(mailbox)};
    }
    return {0, Recipient{std::string(smtp), std::string(smtp), std::nullopt}};
  }
  std::vector<Mailbox> matches;
  const bool byDn = ascii::StartsWithNoCase(trimmed, "EX:");
  const std::string_view key = byDn ? trimmed.substr(3) : trimmed;
  if (!key.empty()) {
    for (Mailbox& mailbox : AllMailboxes()) {
      const bool hit = byDn ? ascii::EqualsNoCase(mailbox.legacyDn, key)
                            : (ascii::EqualsNoCase(mailbox.alias, key) ||
                               ascii::EqualsNoCase(mailbox.displayName, key) ||
                               ascii::EqualsNoCase(mailbox.legacyDn, key));
      if (hit) matches.push_back(std::move(mailbox));
    }
  }
  if (matches.empty()) return {errors::kNotFound, std::nullopt};
  if (matches.size() > 1) return {errors::kAmbiguousRecipient, std::nullopt};
  return {0, RecipientOf(matches.front())};
}

SendResult Store::Send(const OutgoingMessage& message, bool saveCopy,
                       std::chrono::system_clock::time_point now) const {
  if (message.recipients.empty()) return {errors::kInvalidParameter, {}};
  mime::Composition mail;
  mail.from = mime::FormatAddress(message.sender.displayName, message.sender.smtp);
  for (const Recipient& r : message.recipients) {
    mail.to.push_back(mime::FormatAddress(r.displayName, r.address));
  }
  mail.subject = message.subject;
  mail.text = message.text;
  mail.attachments = message.attachments;
  mail.date = mime::FormatDate(now);
  mail.messageId = UniqueToken() + "." + message.sender.alias + "@" + DomainOf(message.sender.smtp);
  mail.boundary = "----=_Part_" + UniqueToken();
  const std::string content = mime::Compose(mail);

  SendResult result;
  std::vector<fs::path> delivered;
  for (const Recipient& r : message.recipients) {
    if (!r.mailbox) continue;  // outside this store: handed on, not kept
    if (std::find(delivered.begin(), delivered.end(), r.mailbox->dir) != delivered.end()) continue;
    delivered.push_back(r.mailbox->dir);
    auto file = WriteMessage(DefaultFolderPath(*r.mailbox, DefaultFolder::Inbox), content, now);
    if (!file) return {errors::kDiskError, std::move(result.written)};
    result.written.push_back(*file);
  }
  if (saveCopy) {
    auto file =
        WriteMessage(DefaultFolderPath(message.sender, DefaultFolder::SentItems), content, now);
    if (!file) return {errors::kDiskError, std::move(result.written)};
    result.written.push_back(*file);
  }
  return result;
}

std::optional<Mailbox> LoadMailbox(const fs::path& dir) {
  const auto ini = IniFile::Load(dir / "mailbox.ini");
  if (!ini) return std::nullopt;
  Mailbox mailbox;
  mailbox.dir = dir;
  mailbox.alias = ini->Get("mailbox", "Alias").value_or(PathToUtf8(dir.filename()));
  mailbox.displayName = ini->Get("mailbox", "DisplayName").value_or(mailbox.alias);
  mailbox.smtp = ini->Get("mailbox", "SMTP").value_or("");
  mailbox.legacyDn = ini->Get("mailbox", "LegacyExchangeDN").value_or("");
  return mailbox;
}

fs::path DefaultFolderPath(const Mailbox& mailbox, DefaultFolder folder) {
  const std::string_view name = DefaultFolderName(folder);
  if (auto existing = FindChildNoCase(mailbox.dir, name)) return *existing;
  const fs::path path = mailbox.dir / PathFromUtf8(name);
  std::error_code ignored;
  fs::create_directories(path, ignored);
  return path;
}

std::optional<fs::path> FindSubfolder(const fs::path& folder, std::string_view name) {
  return FindChildNoCase(folder, name);
}

std::vector<fs::path> MessageFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    if (ascii::EqualsNoCase(PathToUtf8(it->path().extension()), ".eml")) {
      files.push_back(it->path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::size_t CountMessages(const fs::path& folder) { return MessageFiles(folder).size(); }

std::optional<MessageSummary> ReadSummary(const fs::path& file) {
  // The table shows header fields only: a message's body, however large, is
  // never read.
  auto content = ReadHeaderSection(file, kMaxHeaderSection);
  if (!content) return std::nullopt;
  const mime::Headers headers = mime::Headers::Parse(*content);
  MessageSummary summary;
  summary.subject = mime::DecodeHeaderText(headers.Get("Subject").value_or(""));
  const mime::Address from = mime::ParseAddress(headers.Get("From").value_or(""));
  summary.senderName = from.name.empty() ? from.address : from.name;
  return summary;
}

std::optional<fs::path> WriteMessage(const fs::path& folder, std::string_view content,
                                     std::chrono::system_clock::time_point now) {
  return WriteNewFile(folder, FileStem(now), "eml", content);
}

}  // namespace standin::store
