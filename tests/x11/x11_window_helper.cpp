// Makes a white window of W x H at the screen's top-left, prints its id in
// decimal and keeps it until killed (or two minutes have passed): the
// window a test hands to mandeldive with -window-id or XSCREENSAVER_WINDOW.
// With "buttons" it takes the window's button presses itself first, as a
// screen saver daemon does with its own window.
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: x11_window_helper W H [buttons]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes;
  attributes.background_pixel = WhitePixel(display, screen);
  attributes.override_redirect = True;
  Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0,
                                static_cast<unsigned>(std::atoi(argv[1])),
                                static_cast<unsigned>(std::atoi(argv[2])), 0,
                                CopyFromParent, InputOutput, CopyFromParent,
                                CWBackPixel | CWOverrideRedirect, &attributes);
  XStoreName(display, window, "mandeldive test host");
  if (argc == 4) XSelectInput(display, window, ButtonPressMask);
  XMapWindow(display, window);
  XSync(display, False);
  std::printf("%lu\n", static_cast<unsigned long>(window));
  std::fflush(stdout);
  for (int i = 0; i < 1200; ++i) usleep(100000);
  return 0;
}
