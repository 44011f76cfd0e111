// The renderer's --frames directory: made and proved writable before the
// first tick, written a picture per tick, and on a failed run left as it
// was found.
#ifndef MANDELDIVE_TOOLS_FRAME_DIRECTORY_H_
#define MANDELDIVE_TOOLS_FRAME_DIRECTORY_H_

#include <cstdint>
#include <string>
#include <vector>

#include "surface/pixel_view.h"

namespace mandeldive {

class FrameDirectory {
 public:
  // Makes dir and its missing parents and checks that a file can be made
  // in it; false with a one-line reason in *error.
  bool Prepare(const std::string& dir, std::string* error);

  // Writes DIR/tick-NN.png.
  bool Write(std::int64_t tick, const PixelView& picture, std::string* error);

  // Undoes a failed run: removes the frames this run created and the
  // directories it made. A frame that replaced a file of the same name
  // stays, a whole picture.
  void RemoveCreated();

  static std::string FramePath(const std::string& dir, std::int64_t tick);

 private:
  std::string dir_;
  std::vector<std::string> createdDirectories_;
  std::vector<std::string> createdFiles_;
};

}  // namespace mandeldive

#endif  // MANDELDIVE_TOOLS_FRAME_DIRECTORY_H_
