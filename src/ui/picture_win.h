#pragma once
#include <windows.h>

#include "platform/handle_win.h"

namespace doumteo::ui {

// Decodes a PNG picture kept as RCDATA into a bitmap; null when it cannot.
// The image decoder is loaded only here, when a picture is first shown.
UniqueBitmap loadPicture(int resourceId);

}  // namespace doumteo::ui
