// Standard input, output and error as the program starts. Started with any
// of fds 0-2 closed, the first descriptors it makes (the --daemonize pipe,
// the checker's socket, the display's) would take their numbers, and a
// line meant for stderr would go down a pipe or into the compositor's
// socket. So /dev/null is opened until the descriptor it gets is past 2.
#ifndef MANDELDIVE_HOST_POSIX_STANDARD_STREAMS_H_
#define MANDELDIVE_HOST_POSIX_STANDARD_STREAMS_H_

namespace mandeldive {

// Each of fds 0, 1 and 2 that is closed is /dev/null afterwards. False
// when /dev/null cannot be opened.
bool FillStandardStreams();

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_POSIX_STANDARD_STREAMS_H_
