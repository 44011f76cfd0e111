// The dive on X11, in xscreensaver's manner.
// The same engine and tick cycle as the Windows saver: the first tick 10 ms
// after start, then one --delay seconds (5 by default) after the end of each
// tick. A mouse button, the window going away, SIGTERM or SIGINT end it with
// exit code 0; so do q and Escape in its own window. A lost connection to
// the X server ends it with 1 and one line on stderr. A window that changes
// size is attached again, so the next tick fills the new size.
#include "host/x11/x11_saver.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/saver_engine.h"
#include "engine/tick_timing.h"
#include "host/posix/signal_wake.h"
#include "host/x11/x11_surface.h"
#include "surface/freetype_text.h"

namespace mandeldive {
namespace {

bool windowGone = false;
// Our window once the dive runs: from then on its going away ends the
// program at the very request that finds it gone, even in the middle of a
// tick, which on a slow machine and a large window can take seconds.
Window drawnWindow = None;
const char* displayName = "";
// The server went away (killed, or its connection broken): one line, and
// out at once, since Xlib cannot go on after this handler returns.
int OnXIOError(Display*) {
  std::fprintf(stderr,
               "mandeldive: lost the connection to the X display '%s'\n",
               displayName);
  std::fflush(stderr);
  _exit(kExitFailed);
}

// A window that disappears under us ends the program instead of aborting
// it; other errors (a button grab someone else holds) are not fatal either.
int OnXError(Display*, XErrorEvent* event) {
  if (event->error_code == BadWindow || event->error_code == BadDrawable) {
    windowGone = true;
    // Nothing is left to draw on or to tidy: the server cleans up after
    // a closed connection itself.
    if (drawnWindow != None && event->resourceid == drawnWindow) _exit(kExitOk);
  }
  return 0;
}

Window OwnWindow(Display* display) {
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes;
  attributes.background_pixel =
      WhitePixel(display, screen);  // uncovered areas show white
  Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0, 800,
                                600, 0, CopyFromParent, InputOutput,
                                CopyFromParent, CWBackPixel, &attributes);
  XStoreName(display, window, "mandeldive");
  XClassHint hint = {const_cast<char*>("mandeldive"),
                     const_cast<char*>("Mandeldive")};
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
      if (fromSaver != nullptr && ParseWindowId(fromSaver, &id))
        return static_cast<Window>(id);
      return DefaultRootWindow(display);
    }
    case X11Target::OwnWindow:
    case X11Target::Wayland:  // not ours: the program sends them elsewhere
    case X11Target::Lock:
      break;
  }
  *own = true;
  return OwnWindow(display);
}

enum class Next { Run, Stop, Resize };

// Handles the queued events: Stop when one of them ends the program, Resize
// when the window's size is no longer `size`.
Next HandleEvents(Display* display, Window window, bool own, Atom deleteWindow,
                  const Rect& size) {
  Next next = Next::Run;
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    switch (event.type) {
      case ButtonPress:
        if (event.xbutton.button >= Button1 && event.xbutton.button <= Button3)
          return Next::Stop;
        break;
      case KeyPress: {
        if (!own) break;
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        if (key == XK_q || key == XK_Q || key == XK_Escape) return Next::Stop;
        break;
      }
      case DestroyNotify:
        if (event.xdestroywindow.window == window) return Next::Stop;
        break;
      case ConfigureNotify:
        if (event.xconfigure.window == window &&
            (event.xconfigure.width != size.right ||
             event.xconfigure.height != size.bottom)) {
          next = Next::Resize;
        }
        break;
      case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
          return Next::Stop;
        break;
      default:
        break;
    }
  }
  return windowGone ? Next::Stop : next;
}

int RunOn(const X11Options& options) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(
        stderr, "mandeldive: cannot open the X display '%s'\n",
        std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "");
    return kExitFailed;
  }
  displayName = DisplayString(display);
  XSetErrorHandler(OnXError);
  XSetIOErrorHandler(OnXIOError);
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
  X11Surface surface(display, window, MakeFreeTypeText());
  if (windowGone || !surface.problem().empty()) {
    std::fprintf(stderr, "mandeldive: window 0x%lx: %s\n",
                 static_cast<unsigned long>(window),
                 windowGone ? "it does not exist" : surface.problem().c_str());
    XCloseDisplay(display);
    return kExitFailed;
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
  const auto interval = std::chrono::milliseconds(options.delaySeconds * 1000);
  auto nextTick = Clock::now() + std::chrono::milliseconds(kFirstTickDelayMs);
  std::int64_t ticks = 0;
  drawnWindow = window;
  for (;;) {
    const Next next =
        HandleEvents(display, window, own, deleteWindow, engine.client);
    if (next == Next::Stop) break;
    // The engine's own rule: the grid and the view follow the new size,
    // the zoom starts again from level 1, the phase is kept.
    if (next == Next::Resize) engine.Attach(&surface);
    const auto now = Clock::now();
    if (now >= nextTick) {
      if (options.ticks >= 0 && ticks == options.ticks) break;
      engine.Tick();
      ++ticks;
      XSync(display, False);
      nextTick = Clock::now() + interval;
      continue;
    }
    const auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - now);
    pollfd fds[1] = {{ConnectionNumber(display), POLLIN, 0}};
    int ready = 0;
    if (PollUntilSignal(fds, 1, static_cast<int>(wait.count()) + 1, &ready)) {
      // Signalled: leave without a word to the server, which may be
      // stopped; it cleans up after a closed connection itself. Nothing of
      // ours needs more than the process's end.
      close(ConnectionNumber(display));
      _exit(kExitOk);
    }
    if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR)) != 0)
      OnXIOError(display);
  }
  drawnWindow = None;
  engine.Detach();
  if (own && !windowGone) XDestroyWindow(display, window);
  XCloseDisplay(display);
  return kExitOk;
}

}  // namespace

int RunX11Saver(const X11Options& options) {
  if (!InstallSignalWake()) {
    std::perror("mandeldive: pipe");
    return kExitFailed;
  }
  return RunOn(options);
}

}  // namespace mandeldive
