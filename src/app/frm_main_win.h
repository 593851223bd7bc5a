#pragma once
#include <windows.h>

#include <functional>
#include <future>
#include <memory>

#include "common/action_record.h"
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
  // The support page, below the restore points.
  static constexpr UINT kSupportCommand = 0x0120;
  static constexpr wchar_t kSupportCaption[] = L"지원 정보(&I)...";

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
  void showSupportPage();
  // Runs a command as one entry of the action record.
  void runCommand(const std::wstring& caption, const std::function<void()>& command);
  int commandDepth_ = 0;
  bool quitPending_ = false;
  // Every message box of the commands passes the record on its way.
  ActionRecord record_;
  const Services services_;
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
