#include "dialogs/frm_zoom_image_win.h"

#include "dialogs/zoom_layout.h"
#include "platform/dpi_win.h"
#include "resource_ids.h"
#include "ui/picture_win.h"

namespace doumteo {

namespace {

// The picture box's outer size in pixels: the picture as the box draws it
// (its natural size scaled for the DPI) inside the box's own border, so that
// no pixel of it is cut off. Without a picture the box keeps its size.
SIZE pictureBoxSize(HWND box, HBITMAP picture) {
  RECT r{};
  BITMAP bm{};
  if (picture && GetObjectW(picture, sizeof bm, &bm)) {
    const UINT dpi = ui::windowDpi(box);
    r = RECT{0, 0, MulDiv(bm.bmWidth, static_cast<int>(dpi), 96), MulDiv(bm.bmHeight, static_cast<int>(dpi), 96)};
    dpi::adjustWindowRect(r, static_cast<DWORD>(GetWindowLongW(box, GWL_STYLE)),
                          static_cast<DWORD>(GetWindowLongW(box, GWL_EXSTYLE)), dpi);
  } else {
    GetWindowRect(box, &r);
  }
  return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace

FrmZoom_Image::FrmZoom_Image() : ui::Form(L"FrmZoom_Image", L"이미지확대", 14700, 10065) {
  const ui::Panel form;
  picBig_[0] = addPicture(L"picBig(0)", form, {3330, 1845, 6330, 9765}, false);
  picBig_[1] = addPicture(L"picBig(1)", form, {0, 0, 13275, 4770}, false);
  image1_ = addPicture(L"Image1", form, {0, 0, 14700, 10065}, true);
  image1_.onDoubleClick([this] { close(); });
}

void FrmZoom_Image::choosePicture(int index) {
  HWND chosen = picBig_[index == 0 ? 0 : 1].hwnd();
  HWND other = picBig_[index == 0 ? 1 : 0].hwnd();
  ShowWindow(chosen, SW_SHOWNA);
  EnableWindow(chosen, TRUE);
  ShowWindow(other, SW_HIDE);
  EnableWindow(other, FALSE);
}

int FrmZoom_Image::activeIndex() const {
  HWND p0 = picBig_[0].hwnd();
  return (IsWindowVisible(p0) || IsWindowEnabled(p0)) ? 0 : 1;
}

void FrmZoom_Image::onLoad() {
  // The main window's icon.
  if (HWND owner = GetWindow(hwnd(), GW_OWNER)) {
    for (WPARAM kind : {ICON_BIG, ICON_SMALL})
      SendMessageW(hwnd(), WM_SETICON, kind, SendMessageW(owner, WM_GETICON, kind, 0));
  }
  pictures_[0] = ui::loadPicture(IDR_PICTURE_PC_BACK);
  pictures_[1] = ui::loadPicture(IDR_PICTURE_KEYBOARD);
  picBig_[0].setPicture(pictures_[0].get());
  picBig_[1].setPicture(pictures_[1].get());
  SetWindowPos(image1_.hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void FrmZoom_Image::onResize() {
  RECT rc;
  GetClientRect(hwnd(), &rc);
  const UINT d = dpi();
  const int index = activeIndex();
  HWND box = picBig_[index].hwnd();
  HWND image = image1_.hwnd();
  if (!box || !image) return;
  const SIZE size = pictureBoxSize(box, pictures_[index].get());
  const double toTwips = 1440.0 / d;
  const auto layout = LayoutZoom(rc.right * toTwips, rc.bottom * toTwips, size.cx * toTwips, size.cy * toTwips,
                                 IsIconic(hwnd()) != FALSE);
  if (!layout) return;
  SetWindowPos(image, nullptr, 0, 0, rc.right, rc.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  if (layout->stretched) {
    if (!image1Loaded_) {
      image1_.setPicture(pictures_[index].get());
      image1Loaded_ = true;
    }
    ShowWindow(box, SW_HIDE);
    ShowWindow(image, SW_SHOWNA);
  } else {
    ShowWindow(image, SW_HIDE);
    const int left = static_cast<int>(layout->pictureLeft / toTwips + (layout->pictureLeft < 0 ? -0.5 : 0.5));
    const int top = static_cast<int>(layout->pictureTop / toTwips + (layout->pictureTop < 0 ? -0.5 : 0.5));
    SetWindowPos(box, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(box, SW_SHOWNA);
  }
}

void FrmZoom_Image::onDpiChanged() {
  // The kit has put every control back at its design place for the new DPI;
  // the picture box goes where the layout rule puts it, at its new size.
  onResize();
}

}  // namespace doumteo
