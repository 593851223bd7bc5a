#pragma once
#include <windows.h>

namespace doumteo::ui {

// Decodes a PNG picture kept as RCDATA into a bitmap the caller owns. The
// image decoder is loaded only here, when a picture is first shown.
HBITMAP loadPicture(int resourceId);

}  // namespace doumteo::ui
