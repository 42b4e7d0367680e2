#include "support/store_fixture.h"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "store/files.h"
#include "store/ini.h"
#include "store/mime.h"
#include "store/store.h"
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
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  base_ = (fs::path(temp) / ("pelterwyn-store-" + standin::store::UniqueToken())).string();
  root_ = base_ + "\\store";
  fs::create_directories(root_);
  fs::copy(SourceDir() + "\\standins\\demo", root_, fs::copy_options::recursive);
  SetEnvironmentVariableA("PELTERWYN_STORE", root_.c_str());
  if (withJournal) {
    journal_ = base_ + "\\journal.log";
    SetEnvironmentVariableA("PELTERWYN_JOURNAL", journal_.c_str());
  } else {
    SetEnvironmentVariableA("PELTERWYN_JOURNAL", nullptr);
  }
}

StoreFixture::~StoreFixture() {
  SetEnvironmentVariableA("PELTERWYN_STORE", nullptr);
  SetEnvironmentVariableA("PELTERWYN_JOURNAL", nullptr);
  std::error_code ignored;
  fs::remove_all(base_, ignored);
}

void StoreFixture::SetFault(const std::string& key, const std::string& value) {
  SetIni("faults.ini", "faults", key, value);
}

void StoreFixture::SetIni(const std::string& relativeFile, const std::string& section,
                          const std::string& key, const std::string& value) {
  const fs::path file = fs::path(root_) / relativeFile;
  auto ini = standin::store::IniFile::Load(file).value_or(standin::store::IniFile{});
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

}  // namespace pelterwyn::testing
