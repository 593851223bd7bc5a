#pragma once
#include "platform/handle_win.h"
#include "ui/kit.h"

namespace doumteo {

// Shows one of the two help pictures: at its natural size, centred, or
// stretched over the window when the window is smaller in both directions.
class FrmZoom_Image final : public ui::Form {
 public:
  FrmZoom_Image();
  // The opener marks its choice before showing: the chosen element visible,
  // the other invisible and disabled.
  void choosePicture(int index);

 protected:
  void onLoad() override;
  void onResize() override;
  void onCancel() override { close(); }
  void onDpiChanged() override;

 private:
  int activeIndex() const;
  UniqueBitmap pictures_[2];
  ui::Picture picBig_[2];
  ui::Picture image1_;
  bool image1Loaded_ = false;
};

}  // namespace doumteo
