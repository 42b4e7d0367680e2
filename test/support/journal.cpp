#include "support/journal.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>

#include "store/ascii.h"
#include "support/files.h"

namespace pelterwyn::testing {
Journal Journal::Read(const std::string& windowsPath) { return Parse(ReadFileBytes(windowsPath)); }

Journal Journal::Parse(std::string_view text) {
  Journal journal;
  for (std::size_t start = 0; start < text.size();) {
    const auto end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty()) continue;
    if (auto event = standin::journal::Parse(line)) {
      journal.events_.push_back(std::move(*event));
    } else {
      journal.malformed_.emplace_back(line);
    }
  }
  return journal;
}

std::vector<JournalEvent> Journal::Where(
    const std::function<bool(const JournalEvent&)>& keep) const {
  std::vector<JournalEvent> kept;
  std::copy_if(events_.begin(), events_.end(), std::back_inserter(kept), keep);
  return kept;
}

std::vector<JournalEvent> Journal::Invocations() const {
  return Where([](const JournalEvent& e) { return e.IsInvocation(); });
}

std::vector<JournalEvent> Journal::Calls(std::string_view member) const {
  return Where([&](const JournalEvent& e) {
    return e.IsInvocation() && standin::ascii::EqualsNoCase(e.member, member);
  });
}

std::vector<JournalEvent> Journal::Calls(std::string_view type, std::string_view member) const {
  return Where([&](const JournalEvent& e) {
    return e.IsInvocation() && standin::ascii::EqualsNoCase(e.type, type) &&
           standin::ascii::EqualsNoCase(e.member, member);
  });
}

int Journal::Count(std::string_view type, std::string_view member) const {
  return static_cast<int>(Calls(type, member).size());
}

int Journal::CountCreated(std::string_view type) const {
  return static_cast<int>(Where([&](const JournalEvent& e) {
                            return e.kind == JournalEvent::Kind::Created && e.type == type;
                          }).size());
}

std::vector<JournalEvent> Journal::FailedLookups() const {
  return Where([](const JournalEvent& e) {
    return e.kind == JournalEvent::Kind::Call && e.flags == "lookup";
  });
}

std::vector<std::string> Journal::Story() const {
  std::vector<std::string> story;
  for (const JournalEvent& e : events_) {
    if (e.kind == JournalEvent::Kind::Created) {
      story.push_back("created " + e.type);
    } else if (e.kind == JournalEvent::Kind::Released) {
      story.push_back("released " + e.type);
    } else if (e.IsInvocation()) {
      story.push_back(e.type + "." + e.member);
    }
  }
  return story;
}

std::vector<std::string> Journal::CallSequence() const {
  std::vector<std::string> sequence;
  for (const JournalEvent& e : Invocations()) sequence.push_back(e.type + "." + e.member);
  return sequence;
}

std::vector<std::string> Journal::Ids(JournalEvent::Kind kind) const {
  std::vector<std::string> ids;
  for (const JournalEvent& e : events_) {
    if (e.kind == kind) ids.push_back(std::to_string(e.pid) + ":" + e.object);
  }
  return ids;
}

std::vector<std::string> Journal::Unreleased() const {
  std::map<std::string, int> balance;
  for (const std::string& id : Created()) ++balance[id];
  for (const std::string& id : Released()) --balance[id];
  std::vector<std::string> open;
  for (const auto& [id, n] : balance) {
    if (n != 0) open.push_back(id);
  }
  return open;
}

bool Journal::AllReleased() const { return Unreleased().empty(); }

JournalMark::JournalMark(std::string windowsPath)
    : path_(std::move(windowsPath)), from_(ReadFileBytes(path_).size()) {}

Journal JournalMark::Take() const {
  const std::string text = ReadFileBytes(path_);
  return Journal::Parse(std::string_view(text).substr(std::min(from_, text.size())));
}

std::ptrdiff_t IndexOf(const std::vector<std::string>& story, std::string_view entry,
                       std::ptrdiff_t from) {
  const auto it = std::find(story.begin() + std::min<std::ptrdiff_t>(from, std::ssize(story)),
                            story.end(), entry);
  return it == story.end() ? -1 : it - story.begin();
}

std::ptrdiff_t LastIndexOf(const std::vector<std::string>& story, std::string_view entry) {
  const auto it = std::find(story.rbegin(), story.rend(), entry);
  return it == story.rend() ? -1 : std::distance(it, story.rend()) - 1;
}

}  // namespace pelterwyn::testing
