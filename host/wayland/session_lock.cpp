#include "host/wayland/session_lock.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace mandeldive {

const ext_session_lock_v1_listener SessionLock::kLockListener = {
    [](void* self, ext_session_lock_v1*) {
      static_cast<SessionLock*>(self)->OnLocked();
    },
    [](void* self, ext_session_lock_v1*) {
      static_cast<SessionLock*>(self)->finished_ = true;
    },
};

const wl_callback_listener SessionLock::kFocusCheck = {
    [](void* self, wl_callback* callback, std::uint32_t) {
      auto* lock = static_cast<SessionLock*>(self);
      wl_callback_destroy(callback);
      lock->focusCheck_ = nullptr;
      lock->CheckFocus();
    },
};

SessionLock::SessionLock(PasswordChecker* checker, int readyFd)
    : checker_(checker), readyFd_(readyFd) {
  xkb_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
}

SessionLock::~SessionLock() {
  // Only a lock the compositor never granted is destroyed (destroying a
  // granted one is a protocol error); a granted one ends with
  // unlock_and_destroy, or with our connection, which leaves the session
  // locked.
  if (lock_ != nullptr && !locked_) ext_session_lock_v1_destroy(lock_);
  if (focusCheck_ != nullptr) wl_callback_destroy(focusCheck_);
  if (manager_ != nullptr) ext_session_lock_manager_v1_destroy(manager_);
  if (xkb_ != nullptr) xkb_context_unref(xkb_);
  if (readyFd_ >= 0) close(readyFd_);
}

bool SessionLock::Bind(wl_registry* registry, std::uint32_t name,
                       const char* interface, std::uint32_t version) {
  if (std::strcmp(interface, ext_session_lock_manager_v1_interface.name) != 0)
    return false;
  manager_ = static_cast<ext_session_lock_manager_v1*>(
      wl_registry_bind(registry, name, &ext_session_lock_manager_v1_interface,
                       std::min<std::uint32_t>(version, 1)));
  return true;
}

void SessionLock::Begin(WaylandDisplay* wl) {
  wl_ = wl;
  lock_ = ext_session_lock_manager_v1_lock(manager_);
  ext_session_lock_v1_add_listener(lock_, &kLockListener, this);
  wl->lock = lock_;
  wl->overlay = &feedback_;
}

std::unique_ptr<LockKeyboard> SessionLock::MakeKeyboard(wl_seat* seat) {
  if (xkb_ == nullptr) return nullptr;
  auto keyboard =
      std::make_unique<LockKeyboard>(wl_seat_get_keyboard(seat), xkb_, this);
  keyboards_.push_back(keyboard.get());
  // A new keyboard is told the focus at once, if there is one.
  CheckFocusSoon();
  return keyboard;
}

void SessionLock::OnLocked() {
  locked_ = true;
  CheckFocusSoon();
  if (readyFd_ < 0) return;
  const char byte = 'L';
  const ssize_t ignored = write(readyFd_, &byte, 1);
  (void)ignored;
  close(readyFd_);
  readyFd_ = -1;
}

void SessionLock::OnKey(std::uint32_t keysym, bool ctrl, const char* utf8) {
  const KeyAction action = ClassifyKey(keysym, ctrl, utf8[0] != '\0');
  if (keys_.OnKey(action, utf8, Clock::now())) {
    if (!checker_->Submit(password_)) checkerGone_ = true;
  }
  Refresh();
}

void SessionLock::OnCapsLock(bool on) {
  keys_.SetCapsLock(on);
  Refresh();
}

void SessionLock::ForgetKeyboard(const LockKeyboard* keyboard) {
  keyboards_.erase(std::remove(keyboards_.begin(), keyboards_.end(), keyboard),
                   keyboards_.end());
}

void SessionLock::OnFocus(bool focused) {
  if (!focused) CheckFocusSoon();
}

void SessionLock::CheckFocusSoon() {
  if (wl_ == nullptr || focusCheck_ != nullptr) return;
  focusCheck_ = wl_display_sync(wl_->display);
  wl_callback_add_listener(focusCheck_, &kFocusCheck, this);
}

// sway 1.10 takes the keyboard's focus from the lock surfaces for a
// layer surface mapped while locked (a saver an idle daemon starts), and a
// keyboard plugged in then has no focus at all: no key would reach the
// lock again. The compositor focuses a lock surface when the focused one
// goes or a new one maps, so the outputs get new ones; at most every 2 s,
// and a loss within those 2 s is looked at again when they are over.
void SessionLock::CheckFocus() {
  if (!locked_ || keyboards_.empty()) return;
  for (const LockKeyboard* k : keyboards_) {
    if (k->focused()) return;
  }
  const Clock::time_point now = Clock::now();
  if (now - lastRefocus_ < kRefocusEvery) {
    // Too soon: again once the time is up (OnTime), so a focus taken
    // right after a refocus is not kept for good.
    refocusDue_ = lastRefocus_ + kRefocusEvery;
    return;
  }
  refocusDue_ = Clock::time_point::max();
  lastRefocus_ = now;
  refocus_ = true;
}

bool SessionLock::TakeRefocus() {
  const bool refocus = refocus_;
  refocus_ = false;
  return refocus;
}

void SessionLock::OnCheckerReadable() {
  switch (checker_->ReadAnswer()) {
    case PasswordChecker::Answer::Yes:
      correct_ = true;
      keys_.OnAnswer(true, Clock::now());
      break;
    case PasswordChecker::Answer::No:
      keys_.OnAnswer(false, Clock::now());
      break;
    case PasswordChecker::Answer::Gone:
      checkerGone_ = true;
      break;
  }
  Refresh();
}

void SessionLock::OnTime(Clock::time_point now) {
  if (keys_.OnTime(now)) Refresh();
  // A PAM module that blocks costs the checker, never the lock.
  if (checker_->KillIfLate(now)) checkerGone_ = checkerLate_ = true;
  if (now >= refocusDue_) {
    refocusDue_ = Clock::time_point::max();
    CheckFocus();
  }
}

SessionLock::Clock::time_point SessionLock::nextDeadline() const {
  return std::min({keys_.nextDeadline(), checker_->deadline(), refocusDue_});
}

void SessionLock::Refresh() {
  if (feedback_.Set(keys_.feedback())) feedbackChanged_ = true;
}

bool SessionLock::TakeFeedbackChange() {
  const bool changed = feedbackChanged_;
  feedbackChanged_ = false;
  return changed;
}

SessionLock::Outcome SessionLock::outcome() const {
  // `finished` first: whatever else happened, it is never an unlock.
  if (finished_) return Outcome::Finished;
  if (correct_ && locked_) return Outcome::Unlock;
  if (checkerGone_) return Outcome::CheckerGone;
  return Outcome::Running;
}

void SessionLock::UnlockAndDestroy() {
  if (outcome() != Outcome::Unlock) return;
  ext_session_lock_v1_unlock_and_destroy(lock_);
  lock_ = nullptr;
}

}  // namespace mandeldive
