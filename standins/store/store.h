#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/mime.h"

// The file mail store: a root folder, one folder per server, one per mailbox
// (with its mailbox.ini), mail folders as directories, messages as .eml files.
// Errors are the signed numbers of the real libraries (store/errors.h).
namespace standin::store {

struct Mailbox {
  std::string alias;
  std::string displayName;
  std::string smtp;
  std::string legacyDn;
  std::filesystem::path dir;
};

enum class DefaultFolder { Inbox, Outbox, SentItems };

struct LogonResult {
  std::int32_t error = 0;
  std::optional<Mailbox> mailbox;
};

struct Recipient {
  std::string displayName;
  std::string address;             // the SMTP address mail goes to
  std::optional<Mailbox> mailbox;  // set when the address is a mailbox of the store
};

struct ResolveResult {
  std::int32_t error = 0;
  std::optional<Recipient> recipient;
};

// What the contents table shows of a message.
struct MessageSummary {
  std::string subject;
  std::string senderName;
};

struct OutgoingMessage {
  Mailbox sender;
  std::string subject;
  std::string text;
  std::vector<Recipient> recipients;
  std::vector<mime::Attachment> attachments;
};

struct SendResult {
  std::int32_t error = 0;
  std::vector<std::filesystem::path> written;  // every file delivered, the saved copy last
};

class Store {
 public:
  explicit Store(std::filesystem::path root) : root_(std::move(root)) {}

  // The server folder whose name matches without regard to case.
  std::optional<std::filesystem::path> FindServer(std::string_view name) const;
  std::vector<Mailbox> Mailboxes(const std::filesystem::path& serverDir) const;
  std::vector<Mailbox> AllMailboxes() const;

  // profileInfo: server, line feed, mailbox (alias, legacyExchangeDN, or
  // "SMTP:" and the address). An unknown server is a network error, an
  // unknown mailbox a logon failure.
  LogonResult Logon(std::string_view profileInfo) const;

  // A recipient address as CDO takes it: "SMTP:" and an address (a one-off
  // address, always resolvable), "EX:" and a legacyExchangeDN, or a name
  // looked up by alias, display name or legacyExchangeDN.
  ResolveResult Resolve(std::string_view address) const;

  // Writes a MIME message into the Inbox of every recipient that is a
  // mailbox of the store and, with saveCopy, into the sender's Sent Items.
  SendResult Send(const OutgoingMessage& message, bool saveCopy,
                  std::chrono::system_clock::time_point now) const;

 private:
  std::filesystem::path root_;
};

// Reads dir/mailbox.ini; nullopt when the folder is not a mailbox.
std::optional<Mailbox> LoadMailbox(const std::filesystem::path& dir);

// The folder of the mailbox, created when missing.
std::filesystem::path DefaultFolderPath(const Mailbox& mailbox, DefaultFolder folder);
// The subfolder whose name matches without regard to case.
std::optional<std::filesystem::path> FindSubfolder(const std::filesystem::path& folder,
                                                   std::string_view name);

// The .eml files directly in the folder, by file name.
std::vector<std::filesystem::path> MessageFiles(const std::filesystem::path& folder);
std::size_t CountMessages(const std::filesystem::path& folder);
// Reads the header section only, and no more than this of it.
inline constexpr std::size_t kMaxHeaderSection = 1 << 20;
std::optional<MessageSummary> ReadSummary(const std::filesystem::path& file);
// Writes a new message file with a unique name, atomically.
std::optional<std::filesystem::path> WriteMessage(const std::filesystem::path& folder,
                                                  std::string_view content,
                                                  std::chrono::system_clock::time_point now);

}  // namespace standin::store
