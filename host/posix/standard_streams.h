// Standard input, output and error as a program starts. Started with any
// of fds 0-2 closed, the first descriptors it makes (an output file, the
// --daemonize pipe, the checker's socket, the display's) would take their
// numbers, and what was meant for a standard stream would go into them.
// So each that is closed gets /dev/null first, as daemons do.
#ifndef MANDELDIVE_HOST_POSIX_STANDARD_STREAMS_H_
#define MANDELDIVE_HOST_POSIX_STANDARD_STREAMS_H_

namespace mandeldive {

// Which of fds 0, 1 and 2 were closed at start.
struct ClosedStreams {
  bool input = false;
  bool output = false;
  bool error = false;
};

// Opens /dev/null on each of fds 0, 1 and 2 that is closed, and says which
// were in *closed (when not null). False when /dev/null cannot be opened.
bool OpenClosedStandardStreams(ClosedStreams* closed = nullptr);

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_POSIX_STANDARD_STREAMS_H_
