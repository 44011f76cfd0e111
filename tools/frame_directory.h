// The renderer's --frames directory: made and proved writable before the
// first tick, written a picture per tick. The directories it makes and the
// frames it creates are noted as made (output/made_files.h), so that a
// failed or interrupted run leaves it as it was found. In the background, each
// frame is encoded from a copy of the picture on a thread of its own while the
// next ticks render, a few frames at a time, into files that the caller's
// thread opens and later commits in tick order.
#ifndef MANDELDIVE_TOOLS_FRAME_DIRECTORY_H_
#define MANDELDIVE_TOOLS_FRAME_DIRECTORY_H_

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "surface/pixel_view.h"

namespace mandeldive {

class FrameDirectory {
 public:
  FrameDirectory();
  ~FrameDirectory();
  FrameDirectory(const FrameDirectory&) = delete;
  FrameDirectory& operator=(const FrameDirectory&) = delete;

  // Makes dir and its missing parents and checks that a file can be made
  // in it, that its links may be followed and, in someone else's sticky
  // directory, that each of the ticks' frames may be written; false with a
  // one-line reason in *error, and what it made taken back. Comes before
  // any other output is opened.
  bool Prepare(const std::string& dir, std::int64_t ticks, std::string* error);

  // How many frames Write may leave encoding in the background; 0, as
  // before the first call, encodes each before Write returns.
  void SetBackground(std::int32_t frames) { inFlight_ = frames; }

  // Writes DIR/tick-NN.png, or starts to. False with a one-line reason
  // when this frame or one before it cannot be written.
  bool Write(std::int64_t tick, const PixelView& picture, std::string* error);

  // Puts the last frame in place; false as Write.
  bool Finish(std::string* error);

  // Waits for every frame in progress; their temporary files go. What
  // was committed stays for TakeBackMade: a frame that replaced a file of
  // the same name stays, a whole picture.
  void DropPending();

  static std::string FramePath(const std::string& dir, std::int64_t tick);

 private:
  struct Pending;
  // Waits for the oldest frame in progress and commits it.
  bool SettleOldest(std::string* error);

  std::deque<std::unique_ptr<Pending>> pending_;  // oldest first
  std::vector<std::vector<ColorRef>> spare_;      // pictures to reuse
  std::int32_t inFlight_ = 0;
  std::string dir_;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_TOOLS_FRAME_DIRECTORY_H_
