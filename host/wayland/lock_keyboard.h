// One seat's keyboard for the locker: the compositor's keymap through
// xkbcommon, each key press turned into its keysym, Ctrl and its text, and
// Caps Lock followed. The keyboard is made when the seat gains the
// capability and dropped when it loses it, so one unplugged and plugged
// back in while locked still types.
#ifndef MANDELDIVE_HOST_WAYLAND_LOCK_KEYBOARD_H_
#define MANDELDIVE_HOST_WAYLAND_LOCK_KEYBOARD_H_

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdint>

namespace mandeldive {

class LockKeyboard {
 public:
  // Where the keys go. `utf8` is the key's text, NUL-terminated, or empty;
  // the keyboard wipes it once the call returns.
  class Sink {
   public:
    virtual void OnKey(std::uint32_t keysym, bool ctrl, const char* utf8) = 0;
    virtual void OnCapsLock(bool on) = 0;
    // The keyboard's focus came to one of our surfaces, or left it.
    virtual void OnFocus(bool focused) = 0;

   protected:
    ~Sink() = default;
  };

  // Takes over `keyboard`.
  LockKeyboard(wl_keyboard* keyboard, xkb_context* xkb, Sink* sink);
  ~LockKeyboard();
  LockKeyboard(const LockKeyboard&) = delete;
  LockKeyboard& operator=(const LockKeyboard&) = delete;

  bool focused() const { return focused_; }

 private:
  static const wl_keyboard_listener kListener;
  void OnKeymap(std::uint32_t format, int fd, std::uint32_t size);
  void OnKey(std::uint32_t key, std::uint32_t state);
  void OnModifiers(std::uint32_t depressed, std::uint32_t latched,
                   std::uint32_t locked, std::uint32_t group);

  wl_keyboard* keyboard_;
  xkb_context* xkb_;
  Sink* sink_;
  xkb_keymap* keymap_ = nullptr;
  xkb_state* state_ = nullptr;
  bool focused_ = false;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WAYLAND_LOCK_KEYBOARD_H_
