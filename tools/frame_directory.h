// The renderer's --frames directory: made and proved writable before the
// first tick, written a picture per tick, and on a failed run left as it
// was found. In the background, a frame is encoded on a thread of its own
// while the next tick renders: one frame at a time, from a copy of the
// picture, into a file opened and later committed by the caller's thread.
#ifndef MANDELDIVE_TOOLS_FRAME_DIRECTORY_H_
#define MANDELDIVE_TOOLS_FRAME_DIRECTORY_H_

#include <cstdint>
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
  // in it; false with a one-line reason in *error.
  bool Prepare(const std::string& dir, std::string* error);

  // Whether Write encodes in the background (off: each frame is whole on
  // disk when Write returns).
  void SetBackground(bool on) { background_ = on; }

  // Writes DIR/tick-NN.png, or starts to once the frame before it is in
  // place. False with a one-line reason when this frame or the one before
  // cannot be written.
  bool Write(std::int64_t tick, const PixelView& picture, std::string* error);

  // Puts the last frame in place; false as Write.
  bool Finish(std::string* error);

  // Undoes a failed run: drops the frame in progress, removes the frames
  // this run created and the directories it made. A frame that replaced a
  // file of the same name stays, a whole picture.
  void RemoveCreated();

  static std::string FramePath(const std::string& dir, std::int64_t tick);

 private:
  struct Pending;
  // Waits for the frame in progress and commits it.
  bool Settle(std::string* error);

  std::unique_ptr<Pending> pending_;
  std::vector<ColorRef> copy_;  // the picture the background encodes
  bool background_ = false;
  std::string dir_;
  std::vector<std::string> createdDirectories_;
  std::vector<std::string> createdFiles_;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_TOOLS_FRAME_DIRECTORY_H_
