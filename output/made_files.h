// What a run has made on disk and not yet kept: its temporary files, the
// files it created and the directories it made, in the order it made them.
// A failed run takes them back with TakeBackMade; so does an interrupted
// one, from the thread that waits for signals (interrupt_cleanup.h). A
// thread makes a file or directory and notes it while it holds a MadeLock,
// so that the taking back finds either both done or neither.
#ifndef MANDELDIVE_OUTPUT_MADE_FILES_H_
#define MANDELDIVE_OUTPUT_MADE_FILES_H_

#include <string>

namespace mandeldive {

enum class Made { kFile, kDirectory };

// Holds the record for as long as it lives. A thread that holds one may
// take another (a commit inside a block that keeps the run, say).
class MadeLock {
 public:
  MadeLock();
  ~MadeLock();
  MadeLock(const MadeLock&) = delete;
  MadeLock& operator=(const MadeLock&) = delete;
};

// Notes a path this run has just made; with a MadeLock held. False when
// it cannot be noted (no memory): the caller then removes what it made and
// fails, since a path that is not noted would outlive a failed run.
bool NoteMade(Made kind, const std::string& path);

// Forgets a noted path, renamed or removed since; with a MadeLock held.
void ForgetMade(const std::string& path);

// Removes every noted path, newest first (so a directory's files before
// it; a directory that holds anything else stays), and forgets them. Does
// nothing once the run is kept.
void TakeBackMade();

// The run is done: forgets every noted path, and from now on nothing is
// taken back.
void KeepMade();
bool MadeIsKept();

}  // namespace mandeldive

#endif  // MANDELDIVE_OUTPUT_MADE_FILES_H_
