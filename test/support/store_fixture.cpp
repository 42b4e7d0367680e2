#include "support/store_fixture.h"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "store/files.h"
#include "store/mime.h"
#include "store/store.h"
#include "support/ini_edit.h"
#include "support/wine_paths.h"

namespace pelterwyn::testing {
namespace fs = std::filesystem;

namespace {

std::string AddressFor(const std::string& name) {
  std::string local;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      local += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return (local.empty() ? std::string("sender") : local) + "@example.com";
}

}  // namespace

StoreFixture::StoreFixture(bool withJournal) {
  if (base_.Path().empty()) throw std::runtime_error("cannot make a folder in the temp directory");
  root_ = base_.Path() + "\\store";
  fs::create_directories(root_);
  fs::copy(SourceDir() + "\\standins\\demo", root_, fs::copy_options::recursive);
  SetEnvironmentVariableA("PELTERWYN_STORE", root_.c_str());
  if (withJournal) {
    journal_ = base_.Path() + "\\journal.log";
    SetEnvironmentVariableA("PELTERWYN_JOURNAL", journal_.c_str());
  } else {
    SetEnvironmentVariableA("PELTERWYN_JOURNAL", nullptr);
  }
}

StoreFixture::~StoreFixture() {
  SetEnvironmentVariableA("PELTERWYN_STORE", nullptr);
  SetEnvironmentVariableA("PELTERWYN_JOURNAL", nullptr);
}

void StoreFixture::SetFault(const std::string& key, const std::string& value) {
  SetIni("faults.ini", "faults", key, value);
}

void StoreFixture::ClearFaults() { fs::remove(fs::path(root_) / "faults.ini"); }

void StoreFixture::SetIni(const std::string& relativeFile, const std::string& section,
                          const std::string& key, const std::string& value) {
  const fs::path file = fs::path(root_) / relativeFile;
  IniEdit ini = IniEdit::Load(file);
  ini.Set(section, key, value);
  if (!ini.Save(file)) throw std::runtime_error("cannot write " + file.string());
}

std::string StoreFixture::FolderPath(const std::string& folder) const {
  return (fs::path(root_) / folder).string();
}

std::string StoreFixture::AddMessage(const std::string& folder, const std::string& subject,
                                     const std::string& senderName) {
  standin::mime::Composition mail;
  mail.from = standin::mime::FormatAddress(senderName, AddressFor(senderName));
  mail.to = {"Pelterwyn Test <pelttest@example.com>"};
  mail.subject = subject;
  mail.text = "Added by a test.";
  const auto now = std::chrono::system_clock::now();
  mail.date = standin::mime::FormatDate(now);
  mail.messageId = standin::store::UniqueToken() + "@example.com";
  fs::create_directories(FolderPath(folder));
  const auto file =
      standin::store::WriteMessage(FolderPath(folder), standin::mime::Compose(mail), now);
  if (!file) throw std::runtime_error("cannot write a message into " + folder);
  return file->string();
}

std::vector<std::string> StoreFixture::MessageFiles(const std::string& folder) const {
  std::vector<std::string> files;
  for (const fs::path& p : standin::store::MessageFiles(FolderPath(folder)))
    files.push_back(p.string());
  return files;
}

int StoreFixture::CountMessages(const std::string& folder) const {
  return static_cast<int>(MessageFiles(folder).size());
}

void StoreFixture::RemoveFolder(const std::string& folder) { fs::remove_all(FolderPath(folder)); }

void StoreFixture::EmptyFolder(const std::string& folder) {
  for (const std::string& file : MessageFiles(folder)) fs::remove(file);
}

namespace {

std::string Parameter(const std::string& field, const std::string& name) {
  const auto at = field.find(name + "=\"");
  if (at == std::string::npos) return {};
  const auto start = at + name.size() + 2;
  return field.substr(start, field.find('"', start) - start);
}

std::string BodyOf(const std::string& part) {
  const auto blank = part.find("\r\n\r\n");
  return blank == std::string::npos ? std::string() : part.substr(blank + 4);
}

}  // namespace

Mail ReadMail(const std::string& file) {
  namespace mime = standin::mime;
  const std::string content = ReadFileBytes(file);
  const auto headers = mime::Headers::Parse(content);
  Mail mail;
  mail.from = mime::ParseAddress(headers.Get("From").value_or("")).address;
  mail.to = mime::ParseAddress(headers.Get("To").value_or("")).address;
  mail.subject = mime::DecodeHeaderText(headers.Get("Subject").value_or(""));
  const std::string type = headers.Get("Content-Type").value_or("");
  if (type.find("multipart/mixed") == std::string::npos) {
    // The line end of the last line belongs to the body's form, not its text.
    mail.body = BodyOf(content);
    if (mail.body.ends_with("\r\n")) mail.body.resize(mail.body.size() - 2);
    return mail;
  }
  mail.multipart = true;
  const std::string delimiter = "\r\n--" + Parameter(type, "boundary");
  std::size_t at = content.find(delimiter);
  bool first = true;
  while (at != std::string::npos) {
    const std::size_t start = at + delimiter.size();
    if (content.compare(start, 2, "--") == 0) break;
    const std::size_t next = content.find(delimiter, start);
    const std::string part = content.substr(start + 2, next - start - 2);
    const auto partHeaders = mime::Headers::Parse(part);
    const std::string disposition = partHeaders.Get("Content-Disposition").value_or("");
    if (first) {
      mail.body = BodyOf(part);
    } else if (disposition.starts_with("attachment")) {
      const auto data = mime::Base64Decode(BodyOf(part)).value_or(mime::Bytes{});
      mail.attachments.push_back(
          {Parameter(disposition, "filename"), std::string(data.begin(), data.end())});
    }
    first = false;
    at = next;
  }
  return mail;
}

}  // namespace pelterwyn::testing
