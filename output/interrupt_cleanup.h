// How the renderer ends on SIGINT, SIGTERM and SIGHUP, whatever its
// threads are doing: a thread of its own waits for them, takes back what
// the run made (made_files.h), as a failed run does, says so in one line
// and ends the process by the same signal (status 128+n). A signal that
// was ignored when the program started stays ignored (as under nohup), and
// one that comes once the run is kept changes nothing.
//
// SIGXFSZ is ignored instead, so that a file that outgrows `ulimit -f` is
// a failed write (EFBIG), reported and taken back like a full disk.
#ifndef MANDELDIVE_OUTPUT_INTERRUPT_CLEANUP_H_
#define MANDELDIVE_OUTPUT_INTERRUPT_CLEANUP_H_

#include <string>

namespace mandeldive {

// Blocks the signals in this thread and starts the watcher. Call it before
// any other thread starts, so that every thread inherits the blocked
// signals and only the watcher receives them. False with a one-line reason
// when the watcher cannot start; the signals are then as they were.
// `program` begins the watcher's line.
bool InstallInterruptCleanup(const char* program, std::string* error);

}  // namespace mandeldive

#endif  // MANDELDIVE_OUTPUT_INTERRUPT_CLEANUP_H_
