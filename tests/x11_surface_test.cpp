// The X11 surface in the shared surface suite, on a real window of a virtual
// X display, read back with XGetImage.
#include <unistd.h>

#include <memory>
#include <vector>

#include "engine/saver_engine.h"
#include "tests/surface_suite.h"
// Xlib's macros come last, and the two that collide with GoogleTest's
// names go.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "host/x11/x11_surface.h"
#include "surface/freetype_text.h"
#undef None
#undef Bool

namespace mandeldive {
namespace {

Display* SharedDisplay() {
  static Display* display = XOpenDisplay(nullptr);
  return display;
}

class X11Window final : public SurfaceUnderTest {
 public:
  X11Window(std::int32_t w, std::int32_t h) : display_(SharedDisplay()) {
    XSetWindowAttributes a;
    a.background_pixel = WhitePixel(display_, DefaultScreen(display_));
    a.override_redirect = True;
    window_ = XCreateWindow(display_, DefaultRootWindow(display_), 0, 0, w, h,
                            0, CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixel | CWOverrideRedirect, &a);
    XMapWindow(display_, window_);
    for (int i = 0; i < 200; ++i) {  // bounded wait for the window to show
      XWindowAttributes attributes;
      XGetWindowAttributes(display_, window_, &attributes);
      if (attributes.map_state == IsViewable) break;
      usleep(10000);
    }
    XSync(display_, False);
    surface_ =
        std::make_unique<X11Surface>(display_, window_, MakeFreeTypeText());
  }
  ~X11Window() override {
    surface_.reset();
    XDestroyWindow(display_, window_);
    XSync(display_, False);
  }
  DrawingSurface& surface() override { return *surface_; }
  ColorRef Pixel(std::int32_t x, std::int32_t y) override {
    XSync(display_, False);
    XImage* image =
        XGetImage(display_, window_, x, y, 1, 1, AllPlanes, ZPixmap);
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return MakeColour((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  bool HasText() const override { return true; }

 private:
  Display* display_;
  Window window_;
  std::unique_ptr<X11Surface> surface_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(X11, SurfaceSuite, MakerOf<X11Window>);

TEST(X11Surface, ColumnWiseFrameEqualsThePixelByPixelFrame) {
  X11Window fast(96, 72);
  SaverEngine a;
  a.mandelbrotColor = 8;
  a.backgroundColor = 12;
  a.Attach(&fast.surface());
  a.ResetView();
  a.RenderFrame();
  std::vector<ColorRef> columns;
  for (std::int32_t y = 0; y < 72; ++y) {
    for (std::int32_t x = 0; x < 96; ++x) columns.push_back(fast.Pixel(x, y));
  }
  a.RenderFrameLiteral();
  int differing = 0;
  for (std::int32_t y = 0; y < 72; ++y) {
    for (std::int32_t x = 0; x < 96; ++x)
      differing += fast.Pixel(x, y) != columns[y * 96 + x];
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace mandeldive
