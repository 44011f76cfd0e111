// mandeldive: the dive as a native X11 program, in xscreensaver's manner.
// The same engine and tick cycle as the Windows saver: the first tick 10 ms
// after start, then one 5 s after the end of each tick. A mouse button, the
// window going away, SIGTERM or SIGINT end it with exit code 0; so do q and
// Escape in its own window.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/saver_engine.h"
#include "host/x11/x11_options.h"
#include "host/x11/x11_surface.h"

namespace mandeldive {
namespace {

constexpr int kFirstTickDelayMs = 10;
constexpr int kTickIntervalMs = 5000;

int signalPipe[2] = {-1, -1};
bool windowGone = false;

void OnSignal(int) {
  const char byte = 1;
  const ssize_t ignored = write(signalPipe[1], &byte, 1);
  (void)ignored;
}

// A window that disappears under us ends the program instead of aborting
// it; other errors (a button grab someone else holds) are not fatal either.
int OnXError(Display*, XErrorEvent* event) {
  if (event->error_code == BadWindow || event->error_code == BadDrawable) windowGone = true;
  return 0;
}

Window OwnWindow(Display* display) {
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes;
  attributes.background_pixel = WhitePixel(display, screen);  // uncovered areas show white
  Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0, 800, 600, 0,
                                CopyFromParent, InputOutput, CopyFromParent, CWBackPixel,
                                &attributes);
  XStoreName(display, window, "mandeldive");
  XClassHint hint = {const_cast<char*>("mandeldive"), const_cast<char*>("Mandeldive")};
  XSetClassHint(display, window, &hint);
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &deleteWindow, 1);
  XMapWindow(display, window);
  return window;
}

Window ChooseWindow(Display* display, const X11Options& options, bool* own) {
  *own = false;
  switch (options.target) {
    case X11Target::WindowId:
      return static_cast<Window>(options.windowId);
    case X11Target::Root: {
      std::uint64_t id = 0;
      const char* fromSaver = std::getenv("XSCREENSAVER_WINDOW");
      if (fromSaver != nullptr && ParseWindowId(fromSaver, &id)) return static_cast<Window>(id);
      return DefaultRootWindow(display);
    }
    case X11Target::OwnWindow:
      break;
  }
  *own = true;
  return OwnWindow(display);
}

// Handles the queued events; false when one of them ends the program.
bool HandleEvents(Display* display, Window window, bool own, Atom deleteWindow) {
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    switch (event.type) {
      case ButtonPress:
        if (event.xbutton.button >= Button1 && event.xbutton.button <= Button3) return false;
        break;
      case KeyPress: {
        if (!own) break;
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        if (key == XK_q || key == XK_Q || key == XK_Escape) return false;
        break;
      }
      case DestroyNotify:
        if (event.xdestroywindow.window == window) return false;
        break;
      case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) return false;
        break;
      default:
        break;
    }
  }
  return !windowGone;
}

int Run(const X11Options& options) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "mandeldive: cannot open the X display '%s'\n",
                 std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "");
    return kX11ExitNoDisplay;
  }
  XSetErrorHandler(OnXError);
  bool own = false;
  const Window window = ChooseWindow(display, options, &own);
  // The window's going away first, then its buttons where we may have
  // them: only one client may take a window's button presses, and on the
  // root or a saver's window someone often has. That refusal leaves the
  // first selection standing and is not worth stopping for.
  const long mask = StructureNotifyMask | (own ? KeyPressMask : 0);
  XSelectInput(display, window, mask);
  XSync(display, False);
  XSelectInput(display, window, mask | ButtonPressMask);
  XSync(display, False);
  X11Surface surface(display, window);
  if (windowGone || !surface.problem().empty()) {
    std::fprintf(stderr, "mandeldive: window 0x%lx: %s\n", static_cast<unsigned long>(window),
                 windowGone ? "it does not exist" : surface.problem().c_str());
    XCloseDisplay(display);
    return kX11ExitNoDisplay;
  }
  if (own) {  // wait, bounded, for the window to be on screen
    for (int i = 0; i < 200; ++i) {
      XWindowAttributes a;
      XGetWindowAttributes(display, window, &a);
      if (a.map_state == IsViewable) break;
      usleep(10000);
    }
  }

  SaverEngine engine;
  engine.mandelbrotColor = options.mandelbrotColor;
  engine.backgroundColor = options.backgroundColor;
  engine.Attach(&surface);

  // Asked once: every question to the server is a round trip.
  const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  using Clock = std::chrono::steady_clock;
  auto nextTick = Clock::now() + std::chrono::milliseconds(kFirstTickDelayMs);
  bool running = true;
  while (running) {
    running = HandleEvents(display, window, own, deleteWindow);
    if (!running) break;
    const auto now = Clock::now();
    if (now >= nextTick) {
      engine.Tick();
      XSync(display, False);
      nextTick = Clock::now() + std::chrono::milliseconds(kTickIntervalMs);
      continue;
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - now);
    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {signalPipe[0], POLLIN, 0}};
    const int ready = poll(fds, 2, static_cast<int>(wait.count()) + 1);
    if (ready > 0 && (fds[1].revents & POLLIN) != 0) running = false;
    if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR)) != 0) running = false;
  }
  engine.Detach();
  if (own && !windowGone) XDestroyWindow(display, window);
  XCloseDisplay(display);
  return kX11ExitOk;
}

}  // namespace
}  // namespace mandeldive

int main(int argc, char** argv) {
  using namespace mandeldive;
  X11Options options;
  std::string error;
  if (!ParseX11Args(argc, argv, &options, &error)) {
    std::fprintf(stderr, "mandeldive: %s\n%s", error.c_str(), kX11Usage);
    return kX11ExitBadInput;
  }
  if (options.help) {
    std::fputs(kX11Usage, stdout);
    return kX11ExitOk;
  }
  if (pipe(signalPipe) != 0) return kX11ExitNoDisplay;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  return Run(options);
}
