// What the locker shows over the dive while it is useful: that keys arrive
// (as many stars as characters typed, never the characters), "checking",
// "wrong password", "cleared", and that Caps Lock is on. A dimmed box
// in the middle of each output with a line or two in the caption's font,
// scaled with the output; drawn over the buffers only, so the dive's
// pictures, and every pixel outside the box, stay the renderer's.
#ifndef MANDELDIVE_HOST_WAYLAND_LOCK_FEEDBACK_H_
#define MANDELDIVE_HOST_WAYLAND_LOCK_FEEDBACK_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/auth/lock_keys.h"
#include "host/wayland/buffer_overlay.h"
#include "surface/text_rasteriser.h"

namespace mandeldive {

// The lines shown for a state of the keys; none while it is hidden.
std::vector<std::string> FeedbackLines(const LockFeedback& feedback);

class LockFeedbackOverlay final : public BufferOverlay {
 public:
  // True when what is shown changed.
  bool Set(const LockFeedback& feedback);

  Rect Area(std::int32_t width, std::int32_t height,
            std::int32_t scale) const override;
  void Draw(std::uint32_t* pixels, std::int32_t stride, std::int32_t width,
            std::int32_t height, std::int32_t scale) const override;

 private:
  TextRasteriser* Text(std::int32_t scale) const;

  std::vector<std::string> lines_;
  // The caption's font at each scale asked for, opened once.
  mutable std::map<std::int32_t, std::unique_ptr<TextRasteriser>> text_;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_HOST_WAYLAND_LOCK_FEEDBACK_H_
