// The locker's keys: what each key does to the password, when the password
// is sent to the checker, when it is wiped, and what the lock screen shows
// over the dive. No compositor and no PAM here, and time is passed in, so
// every rule is tested on its own.
#ifndef MANDELDIVE_HOST_AUTH_LOCK_KEYS_H_
#define MANDELDIVE_HOST_AUTH_LOCK_KEYS_H_

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "host/auth/password_buffer.h"

namespace mandeldive {

enum class KeyAction { None, Text, Backspace, Clear, Submit };

// From xkb keysym values (xkbcommon-keysyms.h): Return and KP_Enter submit;
// BackSpace drops a code point; Escape, and u or U with Ctrl (U with Caps
// Lock on) clear; other keys with text are text; modifiers and the rest do
// nothing.
KeyAction ClassifyKey(std::uint32_t keysym, bool ctrl, bool hasText);

// What the lock screen shows over the dive.
struct LockFeedback {
  enum class State { Hidden, Typing, Checking, Wrong, Cleared } state;
  std::size_t count;  // code points typed, never the characters
  bool capsLock;
};

class LockKeys {
 public:
  using Clock = std::chrono::steady_clock;
  // The password is wiped after this long without a key.
  static constexpr std::chrono::seconds kIdleWipe{10};
  // "Wrong password" and "cleared" are shown this long.
  static constexpr std::chrono::seconds kMessageShown{3};

  explicit LockKeys(PasswordBuffer* password);

  // One key press or repeat; utf8 is the key's text for Text (may be null
  // otherwise). True when the buffer is to be sent to the checker now: a
  // Submit while no check runs (an empty password is submitted too: PAM
  // decides). While a check runs every key is ignored.
  bool OnKey(KeyAction action, const char* utf8, Clock::time_point now);
  // The checker's answer; wipes the buffer either way.
  void OnAnswer(bool correct, Clock::time_point now);
  void SetCapsLock(bool on) { capsLock_ = on; }
  // Wipes after kIdleWipe without a key, hides messages after their time.
  // True when the feedback changed (redraw).
  bool OnTime(Clock::time_point now);
  // The next moment OnTime has something to do, or Clock::time_point::max().
  Clock::time_point nextDeadline() const;

  LockFeedback feedback() const;
  bool checking() const { return state_ == LockFeedback::State::Checking; }

 private:
  void Show(LockFeedback::State state, Clock::time_point now);

  PasswordBuffer* password_;
  LockFeedback::State state_ = LockFeedback::State::Hidden;
  Clock::time_point lastKey_{};
  Clock::time_point messageUntil_{};
  bool capsLock_ = false;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_AUTH_LOCK_KEYS_H_
