#include "host/auth/lock_keys.h"

#include <algorithm>
#include <cstring>

namespace mandeldive {

namespace {

// Keysym values from xkbcommon-keysyms.h.
constexpr std::uint32_t kReturn = 0xff0d;
constexpr std::uint32_t kKpEnter = 0xff8d;
constexpr std::uint32_t kBackSpace = 0xff08;
constexpr std::uint32_t kEscape = 0xff1b;
constexpr std::uint32_t kLowerU = 0x0075;
constexpr std::uint32_t kUpperU = 0x0055;

using State = LockFeedback::State;

}  // namespace

KeyAction ClassifyKey(std::uint32_t keysym, bool ctrl, bool hasText) {
  switch (keysym) {
    case kReturn:
    case kKpEnter:
      return KeyAction::Submit;
    case kBackSpace:
      return KeyAction::Backspace;
    case kEscape:
      return KeyAction::Clear;
    case kLowerU:
    case kUpperU:
      if (ctrl) return KeyAction::Clear;
      break;
    default:
      break;
  }
  return hasText ? KeyAction::Text : KeyAction::None;
}

LockKeys::LockKeys(PasswordBuffer* password) : password_(password) {}

void LockKeys::Show(State state, Clock::time_point now) {
  state_ = state;
  messageUntil_ = now + kMessageShown;
}

bool LockKeys::OnKey(KeyAction action, const char* utf8,
                     Clock::time_point now) {
  if (checking() || action == KeyAction::None) return false;
  lastKey_ = now;
  switch (action) {
    case KeyAction::Text:
      if (utf8 != nullptr) password_->Append(utf8, std::strlen(utf8));
      state_ = State::Typing;
      return false;
    case KeyAction::Backspace:
      password_->Backspace();
      state_ = State::Typing;
      return false;
    case KeyAction::Clear:
      password_->Clear();
      Show(State::Cleared, now);
      return false;
    case KeyAction::Submit:
      state_ = State::Checking;
      return true;
    case KeyAction::None:
      break;
  }
  return false;
}

void LockKeys::OnAnswer(bool correct, Clock::time_point now) {
  password_->Clear();
  if (correct) {
    state_ = State::Hidden;
  } else {
    Show(State::Wrong, now);
  }
}

bool LockKeys::OnTime(Clock::time_point now) {
  const State before = state_;
  if (now >= lastKey_ + kIdleWipe) {
    password_->Clear();
    if (state_ == State::Typing) state_ = State::Hidden;
  }
  if ((state_ == State::Wrong || state_ == State::Cleared) &&
      now >= messageUntil_) {
    state_ = State::Hidden;
  }
  return state_ != before;
}

LockKeys::Clock::time_point LockKeys::nextDeadline() const {
  Clock::time_point next = Clock::time_point::max();
  if (password_->size() > 0 || state_ == State::Typing) {
    next = lastKey_ + kIdleWipe;
  }
  if (state_ == State::Wrong || state_ == State::Cleared) {
    next = std::min(next, messageUntil_);
  }
  return next;
}

LockFeedback LockKeys::feedback() const {
  return {state_, password_->codePoints(), capsLock_};
}

}  // namespace mandeldive
