// mandeldive: the Linux saver. One program for both of the desktops' ways
// of drawing: on X11 in xscreensaver's manner, and with --wayland on every
// output of a Wayland compositor, and with --lock its session locker. The
// command line is read once, here.
#include <csignal>
#include <string>

#include "host/posix/standard_streams.h"
#include "host/wayland/wayland_lock.h"
#include "host/wayland/wayland_saver.h"
#include "host/x11/x11_options.h"
#include "host/x11/x11_saver.h"

int main(int argc, char** argv) {
  using namespace mandeldive;
  // Before anything is opened: no pipe, socket or display connection of
  // ours may take the number of a closed stdin, stdout or stderr.
  if (!OpenClosedStandardStreams()) return kExitFailed;
  X11Options options;
  std::string error;
  const bool parsed = ParseX11Args(argc, argv, &options, &error);
  const int answer = AnswerCommandLine("mandeldive", "-help", parsed, error,
                                       options, X11Usage());
  if (answer >= 0) return answer;
  // A display server that dies under us must end the saver through its
  // connection's error (one line, exit 1), not by the SIGPIPE of the next
  // write to its socket.
  signal(SIGPIPE, SIG_IGN);
  if (options.target == X11Target::Lock)
    return RunWaylandLock(options, options.delaySeconds, options.daemonize);
  if (options.target == X11Target::Wayland)
    return RunWaylandSaver(options, options.delaySeconds);
  return RunX11Saver(options);
}
