#include "host/wayland/lock_keyboard.h"

#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

namespace mandeldive {

namespace {

// No keymap the compositor sends is near this; a larger one is refused
// rather than mapped.
constexpr std::uint32_t kMostKeymapBytes = 1u << 24;

}  // namespace

const wl_keyboard_listener LockKeyboard::kListener = {
    [](void* self, wl_keyboard*, std::uint32_t format, int fd,
       std::uint32_t size) {
      static_cast<LockKeyboard*>(self)->OnKeymap(format, fd, size);
    },
    // enter: the keys already down are not typed
    [](void* self, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {
      auto* keyboard = static_cast<LockKeyboard*>(self);
      keyboard->focused_ = true;
      keyboard->sink_->OnFocus(true);
    },
    [](void* self, wl_keyboard*, std::uint32_t, wl_surface*) {
      auto* keyboard = static_cast<LockKeyboard*>(self);
      keyboard->focused_ = false;
      keyboard->sink_->OnFocus(false);
    },
    [](void* self, wl_keyboard*, std::uint32_t, std::uint32_t,
       std::uint32_t key, std::uint32_t state) {
      static_cast<LockKeyboard*>(self)->OnKey(key, state);
    },
    [](void* self, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
       std::uint32_t latched, std::uint32_t locked, std::uint32_t group) {
      static_cast<LockKeyboard*>(self)->OnModifiers(depressed, latched, locked,
                                                    group);
    },
    // repeat_info: keys do not repeat here
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
};

LockKeyboard::LockKeyboard(wl_keyboard* keyboard, xkb_context* xkb, Sink* sink)
    : keyboard_(keyboard), xkb_(xkb), sink_(sink) {
  wl_keyboard_add_listener(keyboard_, &kListener, this);
}

LockKeyboard::~LockKeyboard() {
  if (state_ != nullptr) xkb_state_unref(state_);
  if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
  if (wl_keyboard_get_version(keyboard_) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
    wl_keyboard_release(keyboard_);
  else
    wl_keyboard_destroy(keyboard_);
}

void LockKeyboard::OnKeymap(std::uint32_t format, int fd, std::uint32_t size) {
  if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || size == 0 ||
      size > kMostKeymapBytes) {
    close(fd);
    return;
  }
  void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  close(fd);
  if (map == MAP_FAILED) return;
  // The text ends with a NUL within size; a buffer of size - 1 bytes is it.
  xkb_keymap* keymap = xkb_keymap_new_from_buffer(
      xkb_, static_cast<const char*>(map), size - 1, XKB_KEYMAP_FORMAT_TEXT_V1,
      XKB_KEYMAP_COMPILE_NO_FLAGS);
  munmap(map, size);
  if (keymap == nullptr) return;
  xkb_state* state = xkb_state_new(keymap);
  if (state == nullptr) {
    xkb_keymap_unref(keymap);
    return;
  }
  if (state_ != nullptr) xkb_state_unref(state_);
  if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
  keymap_ = keymap;
  state_ = state;
}

void LockKeyboard::OnKey(std::uint32_t key, std::uint32_t state) {
  if (state_ == nullptr || state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
  // Evdev codes are xkb keycodes less 8.
  const xkb_keycode_t code = key + 8;
  const xkb_keysym_t keysym = xkb_state_key_get_one_sym(state_, code);
  const bool ctrl = xkb_state_mod_name_is_active(state_, XKB_MOD_NAME_CTRL,
                                                 XKB_STATE_MODS_EFFECTIVE) > 0;
  // A key's text, when it has one: control characters (Ctrl-U's 0x15,
  // Return's CR, Backspace's 0x08) are not text.
  char text[64];
  xkb_state_key_get_utf8(state_, code, text, sizeof text);
  const auto first = static_cast<unsigned char>(text[0]);
  if (first < 0x20 || first == 0x7f) text[0] = '\0';
  sink_->OnKey(keysym, ctrl, text);
  explicit_bzero(text, sizeof text);
}

void LockKeyboard::OnModifiers(std::uint32_t depressed, std::uint32_t latched,
                               std::uint32_t locked, std::uint32_t group) {
  if (state_ == nullptr) return;
  xkb_state_update_mask(state_, depressed, latched, locked, 0, 0, group);
  sink_->OnCapsLock(xkb_state_mod_name_is_active(state_, XKB_MOD_NAME_CAPS,
                                                 XKB_STATE_MODS_LOCKED) > 0);
}

}  // namespace mandeldive
