// The saver on an X11 display: its own window, the root window or
// xscreensaver's. Exit codes as the usage text gives them.
#ifndef MANDELDIVE_HOST_X11_X11_SAVER_H_
#define MANDELDIVE_HOST_X11_X11_SAVER_H_

#include "host/x11/x11_options.h"

namespace mandeldive {

// Runs until a mouse button, a signal, the window's end or --ticks; takes
// SIGTERM and SIGINT for its own.
int RunX11Saver(const X11Options& options);

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_X11_X11_SAVER_H_
