#pragma once
// What command flows need of the windows: the main window's state and the
// modal dialogs. Implemented by FrmMain; faked in unit tests.
#include <string>
#include <vector>

namespace doumteo {

class WindowPort {
 public:
  virtual ~WindowPort() = default;
  virtual void minimizeMain() = 0;
  virtual void closeMain() = 0;           // unloads FrmMain; the program ends with it
  virtual void showLogin() = 0;           // FrmLogin, modal, no owner
  virtual void showClock() = 0;           // FrmTimeSet, modal, no owner
  virtual void showImage(int index) = 0;  // FrmZoom_Image, modal, owned by FrmMain
  virtual std::vector<std::wstring> openFormNames() = 0;
  virtual void unloadForm(const std::wstring& name) = 0;
};

}  // namespace doumteo
