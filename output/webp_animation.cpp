#include "output/webp_animation.h"

#include <unistd.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace mandeldive {

struct WebpAnimation::Encoder {
  WebPAnimEncoder* anim = nullptr;
  WebPConfig config;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t frameMs = 0;
  std::int64_t frames = 0;
  std::vector<std::uint8_t> rgb;

  ~Encoder() {
    if (anim != nullptr) WebPAnimEncoderDelete(anim);
  }
};

WebpAnimation::WebpAnimation() = default;
WebpAnimation::~WebpAnimation() = default;

bool WebpAnimation::Start(std::int32_t width, std::int32_t height,
                          std::int32_t frameMs, std::string* error) {
  if (width < 1 || height < 1 || width > kMaxWebpSide ||
      height > kMaxWebpSide) {
    *error = "a WebP animation is 1.." + std::to_string(kMaxWebpSide) +
             " pixels on each side";
    return false;
  }
  auto encoder = std::make_unique<Encoder>();
  WebPAnimEncoderOptions options;
  if (!WebPAnimEncoderOptionsInit(&options) ||
      !WebPConfigInit(&encoder->config) ||
      // The fastest lossless level: the frames are large and many, and
      // the dive's flat areas compress well at any level.
      !WebPConfigLosslessPreset(&encoder->config, 0)) {
    *error = "cannot start the WebP encoder (library version mismatch)";
    return false;
  }
  options.anim_params.loop_count = 0;  // forever
  encoder->anim = WebPAnimEncoderNew(width, height, &options);
  if (encoder->anim == nullptr) {
    *error = "cannot start the WebP encoder: out of memory";
    return false;
  }
  encoder->width = width;
  encoder->height = height;
  encoder->frameMs = frameMs;
  encoder->rgb.resize(static_cast<std::size_t>(width) * height * 3);
  encoder_ = std::move(encoder);
  return true;
}

bool WebpAnimation::Add(const PixelView& picture, std::string* error) {
  Encoder& e = *encoder_;
  std::uint8_t* out = e.rgb.data();
  for (std::int32_t y = 0; y < e.height; ++y) {
    for (std::int32_t x = 0; x < e.width; ++x, out += 3) {
      const ColorRef c = picture.At(x, y);
      out[0] = static_cast<std::uint8_t>(RedOf(c));
      out[1] = static_cast<std::uint8_t>(GreenOf(c));
      out[2] = static_cast<std::uint8_t>(BlueOf(c));
    }
  }
  WebPPicture frame;
  if (!WebPPictureInit(&frame)) {
    *error = "cannot start the WebP encoder (library version mismatch)";
    return false;
  }
  frame.use_argb = 1;  // lossless
  frame.width = e.width;
  frame.height = e.height;
  const bool added =
      WebPPictureImportRGB(&frame, e.rgb.data(), e.width * 3) &&
      WebPAnimEncoderAdd(e.anim, &frame, static_cast<int>(e.frames * e.frameMs),
                         &e.config);
  WebPPictureFree(&frame);
  if (!added) {
    const char* why = WebPAnimEncoderGetError(e.anim);
    *error = std::string("cannot encode a WebP frame: ") +
             (why != nullptr && *why != '\0' ? why : "out of memory");
    return false;
  }
  ++e.frames;
  return true;
}

bool WebpAnimation::Finish(int fd, const std::string& name,
                           std::string* error) {
  Encoder& e = *encoder_;
  WebPData data;
  WebPDataInit(&data);
  if (e.frames == 0) {
    *error = "cannot write " + name + ": an animation needs a tick";
    return false;
  }
  if (!WebPAnimEncoderAdd(e.anim, nullptr,
                          static_cast<int>(e.frames * e.frameMs), nullptr) ||
      !WebPAnimEncoderAssemble(e.anim, &data)) {
    const char* why = WebPAnimEncoderGetError(e.anim);
    *error = "cannot write " + name + ": " +
             (why != nullptr && *why != '\0' ? why : "out of memory");
    WebPDataClear(&data);
    return false;
  }
  std::size_t done = 0;
  while (done < data.size) {
    const ssize_t n = write(fd, data.bytes + done, data.size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *error =
          "cannot write " + name + ": " + std::strerror(n < 0 ? errno : EIO);
      WebPDataClear(&data);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  WebPDataClear(&data);
  return true;
}

}  // namespace mandeldive
