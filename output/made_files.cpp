#include "output/made_files.h"

#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace mandeldive {

namespace {

struct Record {
  std::recursive_mutex mutex;
  std::vector<std::pair<Made, std::string>> made;  // oldest first
  bool kept = false;
};

// Never destroyed: the signal watcher may take the lock while the program
// exits.
Record& TheRecord() {
  static Record* const record = new Record;
  return *record;
}

}  // namespace

MadeLock::MadeLock() { TheRecord().mutex.lock(); }

MadeLock::~MadeLock() { TheRecord().mutex.unlock(); }

bool NoteMade(Made kind, const std::string& path) {
  Record& record = TheRecord();
  if (record.kept) return true;
  try {
    record.made.emplace_back(kind, path);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void ForgetMade(const std::string& path) {
  auto& made = TheRecord().made;
  // The newest first: what is forgotten was mostly made a moment ago.
  const auto found =
      std::find_if(made.rbegin(), made.rend(),
                   [&](const auto& m) { return m.second == path; });
  if (found != made.rend()) made.erase(std::next(found).base());
}

void TakeBackMade() {
  MadeLock lock;
  auto& made = TheRecord().made;
  for (auto m = made.rbegin(); m != made.rend(); ++m) {
    if (m->first == Made::kDirectory) {
      rmdir(m->second.c_str());
    } else {
      unlink(m->second.c_str());
    }
  }
  made.clear();
}

void KeepMade() {
  MadeLock lock;
  TheRecord().made.clear();
  TheRecord().kept = true;
}

bool MadeIsKept() {
  MadeLock lock;
  return TheRecord().kept;
}

}  // namespace mandeldive
