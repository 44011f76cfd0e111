// SIGTERM and SIGINT for a saver that sleeps in poll between its steps.
// While it waits, a signal wakes the wait through a pipe, and the saver
// leaves without a word to its display server, which may be stopped. At
// any other time the saver may be drawing, or inside a display library
// writing to a server that has stopped reading, so the handler ends the
// program at once with exit code 0.
//
// The locker takes SIGHUP as well and ends with 128 + the signal's number
// instead, never with the 0 that means unlocked; outside the wait its
// handler writes one line first. Either way it sends the compositor
// nothing, so the session stays locked.
#ifndef MANDELDIVE_HOST_POSIX_SIGNAL_WAKE_H_
#define MANDELDIVE_HOST_POSIX_SIGNAL_WAKE_H_

#include <poll.h>

namespace mandeldive {

// Makes the pipe and installs the handlers; false, with errno set, when
// the pipe cannot be made.
bool InstallSignalWake();
bool InstallLockerSignalWake();

// The line the locker ends with on a signal, newline included.
extern const char kLockerSignalLine[];

// Blocks SIGTERM, SIGINT and SIGHUP for the rest of the run: the locker
// does so just before it unlocks.
void BlockEndingSignals();

// The signal that came, or 0.
int WakeSignal();

// poll(2) on fds[0..count), count at most 3, and the wake, for up to
// timeoutMs (-1: no bound): true when a signal came, before or during the
// wait. Otherwise *ready and each fds[i].revents are poll's.
bool PollUntilSignal(pollfd* fds, nfds_t count, int timeoutMs, int* ready);

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_POSIX_SIGNAL_WAKE_H_
