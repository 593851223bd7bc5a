#pragma once
#include <windows.h>

#include <functional>
#include <future>
#include <memory>

#include "common/product_profile.h"
#include "common/window_port.h"
#include "platform/ports.h"
#include "registry/backup_list.h"
#include "ui/kit.h"

namespace doumteo {

struct MainState;

// The program's only non-modal window: the command buttons, the list of
// settings backup files, the product's name and the maker's contacts.
class FrmMain final : public ui::Form, public WindowPort {
 public:
  FrmMain(const Services& services, const ProductProfile& profile, bool prevInstance);
  ~FrmMain() override;

  // WindowPort
  void minimizeMain() override;
  void closeMain() override;
  void showLogin() override;
  void showClock() override;
  void showImage(int index) override;
  std::vector<std::wstring> openFormNames() override;
  void unloadForm(const std::wstring& name) override;

  void FillBackupList();
  static std::wstring windowTitle();
  // The system menu's command that opens the restore points.
  static constexpr UINT kRestorePointsCommand = 0x0110;
  // P: R is the system menu's own Restore, which takes the key first.
  static constexpr wchar_t kRestorePointsCaption[] = L"복원 지점(&P)...";

 protected:
  void onLoad() override;
  void onClosing() override;
  void onUnexpectedReported() noexcept override;
  LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void buildControls();
  void wireCommands();
  BackupList listBackups() const;
  void centreOnMain(HWND dialog) const;
  void addRestorePointsToSystemMenu();
  void showRestorePoints();
  void runCommand(const std::function<void()>& command);
  int commandDepth_ = 0;
  bool quitPending_ = false;
  const Services& services_;
  const ProductProfile& profile_;
  bool prevInstance_;
  std::unique_ptr<MainState> state_;
  std::vector<ui::Form*> openDialogs_;
  // The first listing of the backup folder, started with the window.
  std::future<BackupList> pendingBackups_;

  ui::Button btnHomePage_[9];  // in the order they are stacked
  ui::Panel pnlName_;
  ui::Button btnRemote_, btnInstall_, btnAS_, btnADO_, btnTime_, btnTask_, btnReDelDB_, btnRegedit_;
  ui::Button btnRegBackup_, btnCom_, DoumteoUp_, AS119_, btnKeyBoard_, btnClose_;
  ui::DropDownList cmbReg_;
};

}  // namespace doumteo
