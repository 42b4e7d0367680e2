#pragma once

#include <string>
#include <vector>

#include "support/files.h"
#include "support/journal.h"

// A private copy of the demo mail world for one test: made from
// standins\demo of the source tree in a fresh temporary folder, removed when
// the fixture goes. While it lives, PELTERWYN_STORE points at it and
// PELTERWYN_JOURNAL at a journal beside it, in this process's environment
// (so a program the test starts inherits both).
namespace pelterwyn::testing {

class StoreFixture {
 public:
  explicit StoreFixture(bool withJournal = true);
  ~StoreFixture();
  StoreFixture(const StoreFixture&) = delete;
  StoreFixture& operator=(const StoreFixture&) = delete;

  // Windows paths.
  const std::string& Root() const { return root_; }
  const std::string& JournalPath() const { return journal_; }
  Journal ReadJournal() const { return Journal::Read(journal_); }
  JournalMark Mark() const { return JournalMark(journal_); }

  // A line of faults.ini's [faults] section, e.g. SetFault("Session.Logon", "fail -2147221231").
  void SetFault(const std::string& key, const std::string& value);
  // No faults.ini at all.
  void ClearFaults();
  // Any key of any ini file of the store; the file is made when missing.
  // relativeFile: e.g. "faults.ini" or "EXCHANGE1\\pelttest\\mailbox.ini".
  void SetIni(const std::string& relativeFile, const std::string& section, const std::string& key,
              const std::string& value);

  // Folders are named by their path under the root, e.g. "EXCHANGE1\\jsmith\\Inbox\\In Process".
  std::string FolderPath(const std::string& folder) const;
  // Writes a message from senderName into the folder (made when missing); returns its path.
  std::string AddMessage(const std::string& folder, const std::string& subject,
                         const std::string& senderName);
  std::vector<std::string> MessageFiles(const std::string& folder) const;
  int CountMessages(const std::string& folder) const;
  void RemoveFolder(const std::string& folder);
  void EmptyFolder(const std::string& folder);

 private:
  TempFolder base_{"pelterwyn-store"};
  std::string root_;
  std::string journal_;
};

// A message of the store, read back.
struct Mail {
  std::string from;  // addresses
  std::string to;
  std::string subject;
  std::string body;  // the text, without the line end that ends it
  struct Part {
    std::string name;
    std::string data;
  };
  std::vector<Part> attachments;
  bool multipart = false;
};
Mail ReadMail(const std::string& file);

}  // namespace pelterwyn::testing
