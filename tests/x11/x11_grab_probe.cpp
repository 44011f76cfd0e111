// Asks the X server whether another client holds the keyboard and the
// pointer, as a screen locker must: it tries to grab both on the root
// window and lets go of whatever it got at once. Exit code 0 when both
// grabs were refused as already held, 1 when either was free, 2 when there
// is no display. Tests use it to tell a locked screen from a picture of one.
#include <X11/Xlib.h>

#include <cstdio>

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "x11_grab_probe: no display\n");
    return 2;
  }
  const Window root = DefaultRootWindow(display);
  const int keyboard = XGrabKeyboard(display, root, False, GrabModeAsync,
                                     GrabModeAsync, CurrentTime);
  const int pointer =
      XGrabPointer(display, root, False, ButtonPressMask, GrabModeAsync,
                   GrabModeAsync, None, None, CurrentTime);
  if (keyboard == GrabSuccess) XUngrabKeyboard(display, CurrentTime);
  if (pointer == GrabSuccess) XUngrabPointer(display, CurrentTime);
  XCloseDisplay(display);
  return keyboard == AlreadyGrabbed && pointer == AlreadyGrabbed ? 0 : 1;
}
