#pragma once
// The layout rule of FrmZoom_Image as a function of sizes (twips), so that
// the window only applies the result.
#include <optional>

namespace doumteo {

struct ZoomLayout {
  // True: hide the picture box and show Image1, stretched over the client
  // area. False: hide Image1 and show the picture box at (left, top).
  bool stretched = false;
  double imageWidth = 0, imageHeight = 0;  // Image1, always the client size
  double pictureLeft = 0, pictureTop = 0;  // the picture box; may be negative
};

// pictureWidth and pictureHeight are the picture box's outer size: the
// picture with the box's border around it. nullopt when minimised: the
// window keeps the layout it had.
std::optional<ZoomLayout> LayoutZoom(double clientWidth, double clientHeight, double pictureWidth, double pictureHeight,
                                     bool minimised);

}  // namespace doumteo
