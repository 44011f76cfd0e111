// wayland_pointer_helper OUTPUT click|move: a pointer for a headless
// compositor's seat, which has none of its own. It makes a virtual pointer
// on the wlroots virtual-pointer protocol, waits for the seat's clients to
// see it, moves it to the middle of OUTPUT and, for click, presses and
// releases the left button there. Exit 0 when it was sent, 1 when the
// display, the protocol or the output is missing.
#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct Output {
  wl_output* output = nullptr;
  std::string name;
};

struct Globals {
  wl_seat* seat = nullptr;
  zwlr_virtual_pointer_manager_v1* manager = nullptr;
  std::vector<Output*> outputs;

  // Released before the display goes, so that the leak checker of a
  // sanitized build sees nothing of ours left.
  ~Globals() {
    for (Output* o : outputs) {
      wl_output_destroy(o->output);
      delete o;
    }
    if (manager != nullptr) zwlr_virtual_pointer_manager_v1_destroy(manager);
    if (seat != nullptr) wl_seat_destroy(seat);
  }
};

const wl_output_listener kOutputListener = {
    [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t,
       const char*, const char*, int32_t) {},
    [](void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {},
    [](void*, wl_output*) {},
    [](void*, wl_output*, int32_t) {},
    [](void* data, wl_output*, const char* name) {
      static_cast<Output*>(data)->name = name;
    },
    [](void*, wl_output*, const char*) {},
};

const wl_registry_listener kRegistryListener = {
    [](void* data, wl_registry* registry, uint32_t name, const char* interface,
       uint32_t version) {
      auto* g = static_cast<Globals*>(data);
      if (std::strcmp(interface, wl_seat_interface.name) == 0 &&
          g->seat == nullptr) {
        g->seat = static_cast<wl_seat*>(
            wl_registry_bind(registry, name, &wl_seat_interface, 1));
      } else if (std::strcmp(interface,
                             zwlr_virtual_pointer_manager_v1_interface.name) ==
                     0 &&
                 version >= 2) {
        g->manager =
            static_cast<zwlr_virtual_pointer_manager_v1*>(wl_registry_bind(
                registry, name, &zwlr_virtual_pointer_manager_v1_interface, 2));
      } else if (std::strcmp(interface, wl_output_interface.name) == 0 &&
                 version >= 4) {
        auto* o = new Output;
        o->output = static_cast<wl_output*>(
            wl_registry_bind(registry, name, &wl_output_interface, 4));
        wl_output_add_listener(o->output, &kOutputListener, o);
        g->outputs.push_back(o);
      }
    },
    [](void*, wl_registry*, uint32_t) {},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[2], "click") != 0 &&
                    std::strcmp(argv[2], "move") != 0)) {
    std::fprintf(stderr, "usage: wayland_pointer_helper OUTPUT click|move\n");
    return 2;
  }
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "wayland_pointer_helper: no Wayland display\n");
    return 1;
  }
  auto g = std::make_unique<Globals>();
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, g.get());
  wl_display_roundtrip(display);
  wl_display_roundtrip(display);
  wl_registry_destroy(registry);
  wl_output* target = nullptr;
  for (Output* o : g->outputs) {
    if (o->name == argv[1]) target = o->output;
  }
  if (g->manager == nullptr || target == nullptr) {
    std::fprintf(stderr, "wayland_pointer_helper: %s\n",
                 g->manager == nullptr ? "no virtual pointers on this display"
                                       : "no such output");
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer_with_output(
          g->manager, g->seat, target);
  wl_display_roundtrip(display);
  // The seat now has a pointer; its clients bind theirs when they hear of
  // it, and only a bound pointer hears the button.
  usleep(300000);
  zwlr_virtual_pointer_v1_motion_absolute(pointer, 1, 50, 50, 100, 100);
  zwlr_virtual_pointer_v1_frame(pointer);
  if (std::strcmp(argv[2], "click") == 0) {
    zwlr_virtual_pointer_v1_button(pointer, 2, BTN_LEFT,
                                   WL_POINTER_BUTTON_STATE_PRESSED);
    zwlr_virtual_pointer_v1_frame(pointer);
    zwlr_virtual_pointer_v1_button(pointer, 3, BTN_LEFT,
                                   WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(pointer);
  }
  wl_display_roundtrip(display);
  usleep(100000);
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  g.reset();
  wl_display_disconnect(display);
  return 0;
}
