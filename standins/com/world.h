#pragma once

#include <windows.h>

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "com/handles.h"
#include "store/faults.h"
#include "store/store.h"

// Everything the objects of one session (or one table object) share: the
// store they read, the faults switched on, the journal they write. Read from
// the environment when the session or table object is created.
namespace standin::com {

class World {
 public:
  // PELTERWYN_STORE, else "store" beside this DLL; PELTERWYN_JOURNAL, else no journal.
  static std::shared_ptr<World> FromEnvironment(std::wstring errorSource);

  World(std::filesystem::path root, std::wstring journalPath, std::wstring errorSource);

  const store::Store& Store() const { return store_; }
  const store::Faults& Faults() const { return faults_; }
  // "Collaboration Data Objects" or "Redemption": the source of every error raised.
  const std::wstring& ErrorSource() const { return errorSource_; }

  // Counts a call of Type.Member and gives the fault switched on for it, if any.
  const store::Fault* CountCall(const std::string& type, const std::string& member);

  // Appends one journal line; nothing when there is no journal.
  void Journal(const std::string& line);

 private:
  store::Store store_;
  store::Faults faults_;
  std::wstring errorSource_;
  std::mutex mutex_;
  UniqueFile journal_;
  std::map<std::string, int> calls_;
};

}  // namespace standin::com
