// The locker's side of the Wayland connection: ext-session-lock-v1's lock,
// the keys of every seat's keyboard fed through LockKeys, the password to
// the checker, and the feedback over the dives. The dives themselves, the
// outputs and the pacing are the saver's (wayland_saver.cpp runs both).
#ifndef MANDELDIVE_HOST_WAYLAND_SESSION_LOCK_H_
#define MANDELDIVE_HOST_WAYLAND_SESSION_LOCK_H_

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/auth/lock_keys.h"
#include "host/auth/password_buffer.h"
#include "host/auth/password_checker.h"
#include "host/wayland/lock_feedback.h"
#include "host/wayland/lock_keyboard.h"
#include "host/wayland/wayland_display.h"

namespace mandeldive {

class SessionLock final : public LockKeyboard::Sink {
 public:
  using Clock = std::chrono::steady_clock;
  enum class Outcome { Running, Unlock, Finished, CheckerGone };

  // `readyFd`: written and closed once `locked` arrives (-1: none).
  SessionLock(PasswordChecker* checker, int readyFd);
  ~SessionLock();
  SessionLock(const SessionLock&) = delete;
  SessionLock& operator=(const SessionLock&) = delete;

  // Binds ext_session_lock_manager_v1; false for any other global.
  bool Bind(wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t version);
  bool available() const { return manager_ != nullptr; }
  // Asks for the lock: from now on the display's outputs get lock surfaces,
  // and the feedback is drawn over them.
  void Begin(WaylandDisplay* wl);
  // A keyboard for a seat that has one; the keys come here. Forget it
  // before it goes.
  std::unique_ptr<LockKeyboard> MakeKeyboard(wl_seat* seat);

  int checkerFd() const { return checker_->fd(); }
  // The checker's socket is readable: its answer, or it is gone.
  void OnCheckerReadable();
  // Wipes and hides as LockKeys says, ends a check past its limit, and
  // looks at the focus again after a refocus held back; nextDeadline is
  // the next moment one of them is due.
  void OnTime(Clock::time_point now);
  Clock::time_point nextDeadline() const;
  // The feedback changed since the last call (the outputs redraw it).
  bool TakeFeedbackChange();
  // A keyboard has been left without focus on any lock surface while
  // locked: the outputs are to get new lock surfaces, whose mapping makes
  // the compositor focus one again. True once per such loss.
  bool TakeRefocus();
  // A keyboard MakeKeyboard made is about to go.
  void ForgetKeyboard(const LockKeyboard* keyboard);

  Outcome outcome() const;
  bool locked() const { return locked_; }
  // The checker was killed for a check past PasswordChecker::kCheckLimit.
  bool checkerLate() const { return checkerLate_; }
  // Unlocks: only when outcome() is Unlock.
  void UnlockAndDestroy();

  void OnKey(std::uint32_t keysym, bool ctrl, const char* utf8) override;
  void OnCapsLock(bool on) override;
  void OnFocus(bool focused) override;

 private:
  static const ext_session_lock_v1_listener kLockListener;
  void OnLocked();
  void Refresh();
  // After the compositor's answer to a sync, so that an enter sent with a
  // leave, or right after a keyboard is made, has arrived.
  void CheckFocusSoon();
  void CheckFocus();

  static const wl_callback_listener kFocusCheck;

  WaylandDisplay* wl_ = nullptr;
  std::vector<LockKeyboard*> keyboards_;
  wl_callback* focusCheck_ = nullptr;
  static constexpr std::chrono::seconds kRefocusEvery{2};
  bool refocus_ = false;
  Clock::time_point lastRefocus_{};
  // A refocus held back by kRefocusEvery: CheckFocus again then.
  Clock::time_point refocusDue_ = Clock::time_point::max();
  PasswordChecker* checker_;
  int readyFd_;
  xkb_context* xkb_ = nullptr;
  ext_session_lock_manager_v1* manager_ = nullptr;
  ext_session_lock_v1* lock_ = nullptr;
  PasswordBuffer password_;
  LockKeys keys_{&password_};
  LockFeedbackOverlay feedback_;
  bool feedbackChanged_ = false;
  bool locked_ = false;
  bool finished_ = false;
  bool correct_ = false;
  bool checkerGone_ = false;
  bool checkerLate_ = false;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WAYLAND_SESSION_LOCK_H_
