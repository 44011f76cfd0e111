#include "host/wayland/wayland_saver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/posix/signal_wake.h"
#include "host/wayland/lock_keyboard.h"
#include "host/wayland/output_dive.h"
#include "host/wayland/session_lock.h"
#include "host/wayland/wayland_display.h"
#include "host/wayland/wayland_lock.h"

namespace mandeldive {

namespace {

using Clock = OutputDive::Clock;

const char* DisplayName() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  return name != nullptr && name[0] != '\0' ? name : "wayland-0";
}

// One seat's pointer: a button on any of our surfaces ends the saver. The
// locker takes the seat's keyboard instead, and no pointer.
struct Seat {
  std::uint32_t name = 0;
  wl_seat* seat = nullptr;
  wl_pointer* pointer = nullptr;
  bool* stop = nullptr;
  SessionLock* lock = nullptr;
  std::unique_ptr<LockKeyboard> keyboard;

  ~Seat() {
    DropPointer();
    DropKeyboard();
    if (wl_seat_get_version(seat) >= WL_SEAT_RELEASE_SINCE_VERSION)
      wl_seat_release(seat);
    else
      wl_seat_destroy(seat);
  }
  void DropKeyboard() {
    if (keyboard == nullptr) return;
    lock->ForgetKeyboard(keyboard.get());
    keyboard.reset();
  }
  void DropPointer() {
    if (pointer == nullptr) return;
    if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
      wl_pointer_release(pointer);
    else
      wl_pointer_destroy(pointer);
    pointer = nullptr;
  }
};

const wl_pointer_listener kPointerListener = {
    // enter: no cursor over the saver
    [](void*, wl_pointer* pointer, std::uint32_t serial, wl_surface*,
       wl_fixed_t,
       wl_fixed_t) { wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0); },
    [](void*, wl_pointer*, std::uint32_t, wl_surface*) {},  // leave
    [](void*, wl_pointer*, std::uint32_t, wl_fixed_t, wl_fixed_t) {},
    // button
    [](void* self, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
       std::uint32_t state) {
      if (state == WL_POINTER_BUTTON_STATE_PRESSED)
        *static_cast<Seat*>(self)->stop = true;
    },
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    [](void*, wl_pointer*) {},                                // frame
    [](void*, wl_pointer*, std::uint32_t) {},                 // axis_source
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},  // axis_stop
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},   // discrete
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},   // value120
};

// A pointer plugged in while the saver runs (or a virtual one made) is
// bound at once; one taken away is let go.
const wl_seat_listener kSeatListener = {
    [](void* self, wl_seat* seat, std::uint32_t capabilities) {
      auto* s = static_cast<Seat*>(self);
      if (s->lock != nullptr) {
        // A keyboard taken away and brought back is a new one, with the
        // keymap the compositor sends it.
        const bool keys = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
        if (keys && s->keyboard == nullptr)
          s->keyboard = s->lock->MakeKeyboard(seat);
        else if (!keys)
          s->DropKeyboard();
        return;
      }
      const bool has = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
      if (has && s->pointer == nullptr) {
        s->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(s->pointer, &kPointerListener, s);
      } else if (!has) {
        s->DropPointer();
      }
    },
    [](void*, wl_seat*, const char*) {},  // name
};

const xdg_wm_base_listener kWmBaseListener = {
    [](void*, xdg_wm_base* base, std::uint32_t serial) {
      xdg_wm_base_pong(base, serial);
    },
};

class Saver {
 public:
  Saver(wl_display* display, SessionLock* lock) : lock_(lock) {
    wl_.display = display;
  }
  ~Saver() {
    dives_.clear();
    seats_.clear();
    if (wl_.fractionalScale != nullptr)
      wp_fractional_scale_manager_v1_destroy(wl_.fractionalScale);
    if (wl_.viewporter != nullptr) wp_viewporter_destroy(wl_.viewporter);
    if (wl_.layerShell != nullptr) {
      if (zwlr_layer_shell_v1_get_version(wl_.layerShell) >=
          ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
        zwlr_layer_shell_v1_destroy(wl_.layerShell);
      else
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(wl_.layerShell));
    }
    if (wl_.wmBase != nullptr) xdg_wm_base_destroy(wl_.wmBase);
    if (wl_.shm != nullptr) wl_shm_destroy(wl_.shm);
    if (wl_.compositor != nullptr) wl_compositor_destroy(wl_.compositor);
    if (registry_ != nullptr) wl_registry_destroy(registry_);
  }

  int Run(const CommonOptions& options, std::int64_t delaySeconds);

 private:
  static const wl_registry_listener kRegistryListener;
  static void Pump(void* self);

  void OnGlobal(std::uint32_t name, const char* interface,
                std::uint32_t version);
  void OnGlobalRemove(std::uint32_t name);
  // A dive for the output bound under the registry name.
  void AddOutput(std::uint32_t name, std::uint32_t version);
  // The connection failed or the compositor ended it: one line, exit 1.
  [[noreturn]] void Lost();
  bool Finished() const;
  // A button or a closed window ends the saver; nothing but the unlock
  // ends the locker.
  bool Stopped() const { return stop_ && lock_ == nullptr; }
  void Wait(int timeoutMs);
  // The locker: what its lock, keys and checker call for now; -1 to go on.
  int LockOutcome();
  // Unlocks, and waits (bounded) until the compositor has seen it.
  int Unlock();

  WaylandDisplay wl_;
  SessionLock* lock_;
  wl_registry* registry_ = nullptr;
  std::vector<std::unique_ptr<OutputDive>> dives_;
  std::vector<std::unique_ptr<Seat>> seats_;
  // Outputs announced before the shells were known.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> waitingOutputs_;
  // Outputs whose dives were dropped for new lock surfaces: bound again
  // once the old dives are gone.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> rebind_;
  bool globalsKnown_ = false;
  bool stop_ = false;
  bool unlocked_ = false;
};

template <typename T>
T* Bind(wl_registry* registry, std::uint32_t name,
        const wl_interface* interface, std::uint32_t offered,
        std::uint32_t wanted) {
  return static_cast<T*>(
      wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

const wl_registry_listener Saver::kRegistryListener = {
    [](void* self, wl_registry*, std::uint32_t name, const char* interface,
       std::uint32_t version) {
      static_cast<Saver*>(self)->OnGlobal(name, interface, version);
    },
    [](void* self, wl_registry*, std::uint32_t name) {
      static_cast<Saver*>(self)->OnGlobalRemove(name);
    },
};

void Saver::OnGlobal(std::uint32_t name, const char* interface,
                     std::uint32_t version) {
  const std::string is = interface;
  if (lock_ != nullptr && lock_->Bind(registry_, name, interface, version))
    return;
  if (is == wl_compositor_interface.name) {
    wl_.compositor = Bind<wl_compositor>(registry_, name,
                                         &wl_compositor_interface, version, 4);
  } else if (is == wl_shm_interface.name) {
    wl_.shm = Bind<wl_shm>(registry_, name, &wl_shm_interface, version, 1);
  } else if (is == zwlr_layer_shell_v1_interface.name) {
    wl_.layerShell = Bind<zwlr_layer_shell_v1>(
        registry_, name, &zwlr_layer_shell_v1_interface, version, 4);
  } else if (is == xdg_wm_base_interface.name) {
    wl_.wmBase =
        Bind<xdg_wm_base>(registry_, name, &xdg_wm_base_interface, version, 2);
    xdg_wm_base_add_listener(wl_.wmBase, &kWmBaseListener, nullptr);
  } else if (is == wp_viewporter_interface.name) {
    wl_.viewporter = Bind<wp_viewporter>(registry_, name,
                                         &wp_viewporter_interface, version, 1);
  } else if (is == wp_fractional_scale_manager_v1_interface.name) {
    wl_.fractionalScale = Bind<wp_fractional_scale_manager_v1>(
        registry_, name, &wp_fractional_scale_manager_v1_interface, version, 1);
  } else if (is == wl_seat_interface.name) {
    auto seat = std::make_unique<Seat>();
    seat->name = name;
    seat->stop = &stop_;
    seat->lock = lock_;
    seat->seat = Bind<wl_seat>(registry_, name, &wl_seat_interface, version, 5);
    wl_seat_add_listener(seat->seat, &kSeatListener, seat.get());
    seats_.push_back(std::move(seat));
  } else if (is == wl_output_interface.name) {
    if (!globalsKnown_) {
      waitingOutputs_.emplace_back(name, version);
      return;
    }
    AddOutput(name, version);
  }
}

void Saver::AddOutput(std::uint32_t name, std::uint32_t version) {
  if (unlocked_) return;
  dives_.push_back(std::make_unique<OutputDive>(
      &wl_, name,
      Bind<wl_output>(registry_, name, &wl_output_interface, version, 4)));
}

void Saver::OnGlobalRemove(std::uint32_t name) {
  for (auto& dive : dives_) {
    if (dive->name() == name) dive->SetGone();
  }
  seats_.erase(std::remove_if(seats_.begin(), seats_.end(),
                              [name](const std::unique_ptr<Seat>& s) {
                                return s->name == name;
                              }),
               seats_.end());
}

void Saver::Lost() {
  const int error = wl_display_get_error(wl_.display);
  if (error == EPROTO) {
    // The code is what the call returns; the last argument is the id of
    // the object the error is about.
    std::uint32_t id = 0;
    const wl_interface* interface = nullptr;
    const std::uint32_t code =
        wl_display_get_protocol_error(wl_.display, &interface, &id);
    std::fprintf(stderr,
                 "mandeldive: the Wayland display '%s' ended the connection: "
                 "protocol error %u on %s@%u\n",
                 DisplayName(), code,
                 interface != nullptr ? interface->name : "an unknown object",
                 id);
  } else {
    std::fprintf(stderr,
                 "mandeldive: lost the connection to the Wayland display "
                 "'%s'\n",
                 DisplayName());
  }
  std::fflush(stderr);
  _exit(kExitFailed);
}

// Sends what is queued and handles what has arrived, waiting up to
// timeoutMs (0: not at all) for the compositor or a signal.
void Saver::Wait(int timeoutMs) {
  while (wl_display_prepare_read(wl_.display) != 0) {
    if (wl_display_dispatch_pending(wl_.display) < 0) Lost();
  }
  // A compositor that reads nothing fills the socket: then wait for room
  // as well, so the requests go out in order.
  short events = POLLIN;
  if (wl_display_flush(wl_.display) < 0) {
    if (errno != EAGAIN) {
      wl_display_cancel_read(wl_.display);
      Lost();
    }
    events |= POLLOUT;
  }
  pollfd fds[2] = {{wl_display_get_fd(wl_.display), events, 0},
                   {lock_ != nullptr ? lock_->checkerFd() : -1, POLLIN, 0}};
  int ready = 0;
  if (PollUntilSignal(fds, lock_ != nullptr ? 2 : 1, timeoutMs, &ready)) {
    // Leave without a word to the compositor, which may be stopped; it
    // cleans up after a closed connection itself, and keeps a lock locked.
    if (lock_ != nullptr) {
      std::fputs(kLockerSignalLine, stderr);
      _exit(128 + WakeSignal());
    }
    _exit(kExitOk);
  }
  if (lock_ != nullptr && ready > 0 && fds[1].revents != 0)
    lock_->OnCheckerReadable();
  if (ready > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
    if (wl_display_read_events(wl_.display) < 0) Lost();
  } else {
    wl_display_cancel_read(wl_.display);
  }
  if (wl_display_dispatch_pending(wl_.display) < 0) Lost();
}

void Saver::Pump(void* self) {
  auto* saver = static_cast<Saver*>(self);
  saver->Wait(0);
  // A button in the middle of a long pass ends the program now, not when
  // the pass is over; nothing of ours needs more than the process's end.
  // Never the locker's: its 0 means unlocked.
  if (saver->stop_ && saver->lock_ == nullptr) {
    wl_display_flush(saver->wl_.display);
    _exit(kExitOk);
  }
}

// With --ticks: once every output that shows a dive has made its steps.
bool Saver::Finished() const {
  if (wl_.settings.ticks < 0) return false;
  bool any = false;
  for (const auto& d : dives_) {
    if (!d->ticking()) continue;
    if (!d->DoneTicking()) return false;
    any = true;
  }
  return any;
}

int Saver::LockOutcome() {
  lock_->OnTime(Clock::now());
  if (lock_->TakeFeedbackChange()) {
    for (auto& dive : dives_) dive->OverlayChanged();
  }
  if (lock_->TakeRefocus()) {
    // Each output's lock surface goes and a new one comes, on the output
    // bound afresh: the old one is destroyed before the new one is asked
    // for, as one lock surface an output is all the protocol allows.
    for (auto& dive : dives_) {
      if (dive->gone()) continue;
      dive->SetGone();
      rebind_.emplace_back(dive->name(), dive->version());
    }
  }
  switch (lock_->outcome()) {
    case SessionLock::Outcome::Running:
      return -1;
    case SessionLock::Outcome::Unlock:
      return Unlock();
    case SessionLock::Outcome::Finished:
      std::fprintf(stderr,
                   "mandeldive: the compositor ended the lock (another locker "
                   "holds it, or it refused); the session is as it was\n");
      return kExitLockFinished;
    case SessionLock::Outcome::CheckerGone:
      if (lock_->checkerLate()) {
        std::fprintf(
            stderr,
            "mandeldive: the password check took more than %lld s, "
            "so its checker was ended; the session stays locked "
            "(run mandeldive --lock again to unlock it)\n",
            static_cast<long long>(PasswordChecker::kCheckLimit.count()));
      } else {
        std::fprintf(stderr,
                     "mandeldive: the password checker has gone; the session "
                     "stays locked (run mandeldive --lock again to unlock "
                     "it)\n");
      }
      return kExitFailed;
  }
  return -1;
}

// After unlock_and_destroy nothing else may go first: the compositor is
// to have unlocked before the program ends, so it waits for the answer to
// a sync, within a bound (a stopped compositor must not hold it for ever).
int Saver::Unlock() {
  // From here on the session is unlocked: a signal must not end the
  // program saying it stays locked. Blocked, they wait for its end, which
  // comes within the bound below.
  BlockEndingSignals();
  lock_->UnlockAndDestroy();
  // The lock surfaces go with the lock, and no output that comes now gets
  // one: the lock object is gone.
  unlocked_ = true;
  dives_.clear();
  bool done = false;
  wl_callback* sync = wl_display_sync(wl_.display);
  static const wl_callback_listener kDone = {
      [](void* flag, wl_callback* callback, std::uint32_t) {
        wl_callback_destroy(callback);
        *static_cast<bool*>(flag) = true;
      },
  };
  wl_callback_add_listener(sync, &kDone, &done);
  const Clock::time_point until = Clock::now() + std::chrono::seconds(5);
  while (!done && Clock::now() < until) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          until - Clock::now())
                          .count();
    Wait(static_cast<int>(std::max<long long>(left, 0)) + 1);
  }
  if (!done) {
    wl_callback_destroy(sync);
    std::fprintf(stderr,
                 "mandeldive: the compositor did not answer the unlock "
                 "within 5 s\n");
    return kExitFailed;
  }
  return kExitOk;
}

int Saver::Run(const CommonOptions& options, std::int64_t delaySeconds) {
  wl_.settings.mandelbrotColor = options.mandelbrotColor;
  wl_.settings.backgroundColor = options.backgroundColor;
  wl_.settings.delayMs = delaySeconds * 1000;
  wl_.settings.ticks = options.ticks;
  wl_.pump = &Saver::Pump;
  wl_.pumpContext = this;
  registry_ = wl_display_get_registry(wl_.display);
  wl_registry_add_listener(registry_, &kRegistryListener, this);
  if (wl_display_roundtrip(wl_.display) < 0) Lost();
  if (lock_ != nullptr && !lock_->available()) {
    std::fprintf(stderr,
                 "mandeldive: the compositor cannot lock this way: the "
                 "Wayland display '%s' offers no ext_session_lock_manager_v1\n",
                 DisplayName());
    return kExitFailed;
  }
  const char* missing =
      wl_.compositor == nullptr ? "wl_compositor"
      : wl_.shm == nullptr      ? "wl_shm"
      : lock_ == nullptr && wl_.layerShell == nullptr && wl_.wmBase == nullptr
          ? "zwlr_layer_shell_v1 or xdg_wm_base"
          : nullptr;
  if (missing != nullptr) {
    std::fprintf(stderr, "mandeldive: the Wayland display '%s' offers no %s\n",
                 DisplayName(), missing);
    return kExitFailed;
  }
  globalsKnown_ = true;
  // The lock is asked for before any output has a surface: each then gets
  // a lock surface.
  if (lock_ != nullptr) lock_->Begin(&wl_);
  for (const auto& [name, version] : waitingOutputs_) AddOutput(name, version);
  waitingOutputs_.clear();

  for (;;) {
    if (lock_ != nullptr) {
      const int rc = LockOutcome();
      if (rc >= 0) return rc;
    }
    if (Stopped()) break;
    const Clock::time_point now = Clock::now();
    for (auto& dive : dives_) {
      if (dive->closeRequested()) stop_ = true;
      dive->ApplyConfigure(now);
    }
    if (Stopped()) break;
    // Outputs that went away take their dives with them; one that cannot
    // be drawn on (too large for the memory there is) says so, and the
    // others go on.
    dives_.erase(std::remove_if(dives_.begin(), dives_.end(),
                                [](const std::unique_ptr<OutputDive>& d) {
                                  if (!d->problem().empty()) {
                                    std::fprintf(stderr, "mandeldive: %s\n",
                                                 d->problem().c_str());
                                  }
                                  return d->gone();
                                }),
                 dives_.end());
    for (const auto& [name, version] : rebind_) AddOutput(name, version);
    rebind_.clear();
    // With --ticks the run ends one delay after the last step; with no
    // output left to step on it would never end.
    if (lock_ == nullptr && wl_.settings.ticks >= 0 && dives_.empty()) {
      std::fprintf(stderr,
                   "mandeldive: no output of the Wayland display '%s' can be "
                   "drawn on\n",
                   DisplayName());
      return kExitFailed;
    }
    // The locker stays when its dives have made their steps.
    if (lock_ == nullptr && Finished()) break;
    // By index: a pass lets events in, and an output announced then joins
    // the list while we walk it.
    bool ticked = false;
    for (std::size_t i = 0; i < dives_.size(); ++i) {
      if (!dives_[i]->Due(Clock::now())) continue;
      dives_[i]->Tick();
      ticked = true;
    }
    if (ticked) {
      Wait(0);
      continue;
    }
    // What a pass left unshown (its frame callback or a buffer came back
    // after its last try, or during another output's pass) goes out now:
    // nothing else would wake the sleep below before the next step.
    for (auto& dive : dives_) dive->Present();
    // Asleep until the next tick is due, or the compositor or a signal
    // says something: no timer runs between steps.
    int timeout = -1;
    const Clock::time_point later = Clock::now();
    if (lock_ != nullptr && lock_->nextDeadline() != Clock::time_point::max()) {
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                            lock_->nextDeadline() - later)
                            .count() +
                        1;
      timeout = static_cast<int>(std::clamp<long long>(wait, 0, 3600000));
    }
    for (auto& dive : dives_) {
      if (!dive->ticking() || dive->DoneTicking()) continue;
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                            dive->nextTick() - later)
                            .count() +
                        1;
      const int ms = static_cast<int>(std::clamp<long long>(wait, 0, 3600000));
      timeout = timeout < 0 ? ms : std::min(timeout, ms);
    }
    Wait(timeout);
  }
  dives_.clear();
  // The last requests go out; waiting for an answer could hang on a
  // compositor that has stopped.
  wl_display_flush(wl_.display);
  // The locker leaves the loop only through LockOutcome; should it ever
  // get here, it must not say unlocked.
  return lock_ == nullptr ? kExitOk : kExitFailed;
}

}  // namespace

int RunWaylandSaver(const CommonOptions& options, std::int64_t delaySeconds) {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr,
                 "mandeldive: cannot connect to the Wayland display '%s'\n",
                 DisplayName());
    return kExitFailed;
  }
  if (!InstallSignalWake()) {
    std::perror("mandeldive: pipe");
    wl_display_disconnect(display);
    return kExitFailed;
  }
  const int rc = RunWaylandDives(display, options, delaySeconds, nullptr);
  wl_display_disconnect(display);
  return rc;
}

int RunWaylandDives(wl_display* display, const CommonOptions& options,
                    std::int64_t delaySeconds, SessionLock* lock) {
  Saver saver(display, lock);
  return saver.Run(options, delaySeconds);
}

}  // namespace mandeldive
