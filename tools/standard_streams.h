// Standard input, output and error as the renderer starts: each that is
// closed gets /dev/null, as daemons do, so that no file the run opens later
// takes its number and gets what was meant for it.
#ifndef MANDELDIVE_TOOLS_STANDARD_STREAMS_H_
#define MANDELDIVE_TOOLS_STANDARD_STREAMS_H_

namespace mandeldive {

struct ClosedStreams {
  bool input = false;
  bool output = false;
  bool error = false;
};

// Opens /dev/null on each of fds 0, 1 and 2 that is closed, and says which
// were. False when /dev/null cannot be opened.
bool OpenClosedStandardStreams(ClosedStreams* closed);

}  // namespace mandeldive

#endif  // MANDELDIVE_TOOLS_STANDARD_STREAMS_H_
