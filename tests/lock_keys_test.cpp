#include "host/auth/lock_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mandeldive {
namespace {

using State = LockFeedback::State;
using Clock = LockKeys::Clock;
using std::chrono::milliseconds;

// Keysyms the locker sees, as xkbcommon-keysyms.h numbers them.
constexpr std::uint32_t kReturn = 0xff0d, kKpEnter = 0xff8d,
                        kBackSpace = 0xff08, kEscape = 0xff1b, kU = 0x75,
                        kUpperU = 0x55, kShiftL = 0xffe1, kA = 0x61;

TEST(ClassifyKey, Table) {
  struct {
    std::uint32_t keysym;
    bool ctrl, hasText;
    KeyAction action;
  } const cases[] = {
      {kReturn, false, true, KeyAction::Submit},
      {kKpEnter, false, true, KeyAction::Submit},
      {kBackSpace, false, true, KeyAction::Backspace},
      {kEscape, false, true, KeyAction::Clear},
      {kU, true, true, KeyAction::Clear},
      {kUpperU, true, true, KeyAction::Clear},
      {kU, false, true, KeyAction::Text},
      {kA, false, true, KeyAction::Text},
      {kShiftL, false, false, KeyAction::None},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyKey(c.keysym, c.ctrl, c.hasText), c.action)
        << std::hex << c.keysym << " ctrl " << c.ctrl;
  }
}

// One key: what it does, its text, and how long after the previous one.
struct Key {
  KeyAction action;
  const char* text;
  int afterMs;
};
constexpr KeyAction T = KeyAction::Text, B = KeyAction::Backspace,
                    C = KeyAction::Clear, S = KeyAction::Submit;

TEST(LockKeys, SequencesSubmitWhatWasTyped) {
  struct {
    const char* what;
    std::vector<Key> keys;
    const char* submitted;  // null: nothing submitted
    State state;
    std::size_t count;
  } const cases[] = {
      {"typed",
       {{T, "p", 0}, {T, "w", 100}, {S, nullptr, 100}},
       "pw",
       State::Checking,
       2},
      {"backspace",
       {{T, "a", 0}, {T, "\xc3\xa9", 1}, {B, nullptr, 1}},
       nullptr,
       State::Typing,
       1},
      {"escape clears",
       {{T, "a", 0}, {C, nullptr, 1}, {T, "b", 1}, {S, 0, 1}},
       "b",
       State::Checking,
       1},
      {"empty is submitted", {{S, nullptr, 0}}, "", State::Checking, 0},
      {"cleared", {{T, "a", 0}, {C, nullptr, 1}}, nullptr, State::Cleared, 0},
      {"idle wipe",
       {{T, "a", 0}, {T, "b", 10000}, {S, nullptr, 1}},
       "b",
       State::Checking,
       1},
      {"just before the idle wipe",
       {{T, "a", 0}, {T, "b", 9999}, {S, nullptr, 0}},
       "ab",
       State::Checking,
       2},
  };
  for (const auto& c : cases) {
    PasswordBuffer password;
    LockKeys keys(&password);
    Clock::time_point now{};
    const char* submitted = nullptr;
    std::string sent;
    for (const Key& key : c.keys) {
      now += milliseconds(key.afterMs);
      keys.OnTime(now);
      if (keys.OnKey(key.action, key.text, now)) {
        sent.assign(password.data(), password.size());
        submitted = sent.c_str();
      }
    }
    if (c.submitted == nullptr) {
      EXPECT_EQ(submitted, nullptr) << c.what;
    } else {
      EXPECT_STREQ(submitted, c.submitted) << c.what;
    }
    EXPECT_EQ(keys.feedback().state, c.state) << c.what;
    EXPECT_EQ(keys.feedback().count, c.count) << c.what;
  }
}

TEST(LockKeys, WhileCheckingKeysAreIgnoredAndTheAnswerWipes) {
  PasswordBuffer password;
  LockKeys keys(&password);
  const Clock::time_point start{};
  keys.OnKey(KeyAction::Text, "pw", start);
  ASSERT_TRUE(keys.OnKey(KeyAction::Submit, nullptr, start));
  EXPECT_TRUE(keys.checking());
  for (KeyAction ignored : {S, T, B, C}) {
    EXPECT_FALSE(keys.OnKey(ignored, "x", start)) << int(ignored);
  }
  EXPECT_EQ(std::string(password.data()), "pw");

  keys.OnAnswer(false, start + milliseconds(500));
  EXPECT_FALSE(keys.checking());
  EXPECT_EQ(password.size(), 0u);
  EXPECT_EQ(password.data()[0], 0);
  EXPECT_EQ(keys.feedback().state, State::Wrong);
  // "Wrong password" stays its time, then goes.
  const Clock::time_point gone =
      start + milliseconds(500) + LockKeys::kMessageShown;
  EXPECT_EQ(keys.nextDeadline(), gone);
  EXPECT_FALSE(keys.OnTime(gone - milliseconds(1)));
  EXPECT_TRUE(keys.OnTime(gone));
  EXPECT_EQ(keys.feedback().state, State::Hidden);
  EXPECT_EQ(keys.nextDeadline(), Clock::time_point::max());

  keys.OnKey(KeyAction::Text, "right", gone);
  ASSERT_TRUE(keys.OnKey(KeyAction::Submit, nullptr, gone));
  keys.OnAnswer(true, gone);
  EXPECT_EQ(password.size(), 0u);
  EXPECT_EQ(password.data()[0], 0);
}

TEST(LockKeys, IdleWipeAtItsDeadline) {
  PasswordBuffer password;
  LockKeys keys(&password);
  const Clock::time_point start{};
  keys.SetCapsLock(true);
  keys.OnKey(KeyAction::Text, "secret", start);
  EXPECT_TRUE(keys.feedback().capsLock);
  EXPECT_EQ(keys.nextDeadline(), start + LockKeys::kIdleWipe);
  EXPECT_FALSE(keys.OnTime(start + LockKeys::kIdleWipe - milliseconds(1)));
  EXPECT_EQ(password.size(), 6u);
  EXPECT_TRUE(keys.OnTime(start + LockKeys::kIdleWipe));
  EXPECT_EQ(password.size(), 0u);
  EXPECT_EQ(password.data()[0], 0);
  EXPECT_EQ(keys.feedback().state, State::Hidden);
  EXPECT_EQ(keys.nextDeadline(), Clock::time_point::max());
}

}  // namespace
}  // namespace mandeldive
