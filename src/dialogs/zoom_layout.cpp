#include "dialogs/zoom_layout.h"

namespace doumteo {

std::optional<ZoomLayout> LayoutZoom(double clientWidth, double clientHeight, double pictureWidth, double pictureHeight,
                                     bool minimised) {
  if (minimised) return std::nullopt;
  ZoomLayout layout;
  layout.imageWidth = clientWidth;
  layout.imageHeight = clientHeight;
  // Only a picture too large in both directions is scaled; one that fits in
  // either direction stays at its natural size, centred, overflowing evenly.
  layout.stretched = pictureWidth > clientWidth && pictureHeight > clientHeight;
  if (!layout.stretched) {
    layout.pictureLeft = (clientWidth - pictureWidth) / 2;
    layout.pictureTop = (clientHeight - pictureHeight) / 2;
  }
  return layout;
}

}  // namespace doumteo
