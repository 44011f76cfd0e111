// The renderer's --animation file: every tick's picture as one frame of an
// animated, lossless WebP, each shown for the same time, looping.
#ifndef MANDELDIVE_OUTPUT_WEBP_ANIMATION_H_
#define MANDELDIVE_OUTPUT_WEBP_ANIMATION_H_

#include <cstdint>
#include <memory>
#include <string>

#include "surface/pixel_view.h"

namespace mandeldive {

// WebP's limit on each side of a picture.
constexpr std::int32_t kMaxWebpSide = 16383;

class WebpAnimation {
 public:
  WebpAnimation();
  ~WebpAnimation();
  WebpAnimation(const WebpAnimation&) = delete;
  WebpAnimation& operator=(const WebpAnimation&) = delete;

  // A width x height animation whose frames last frameMs each; false with a
  // one-line reason when the size is beyond WebP's or memory runs out.
  bool Start(std::int32_t width, std::int32_t height, std::int32_t frameMs,
             std::string* error);

  // Adds a frame of the size given to Start.
  bool Add(const PixelView& picture, std::string* error);

  // Assembles the frames added (at least one) and writes them to fd; the
  // reason of a failure names `name`.
  bool Finish(int fd, const std::string& name, std::string* error);

 private:
  struct Encoder;
  std::unique_ptr<Encoder> encoder_;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_OUTPUT_WEBP_ANIMATION_H_
