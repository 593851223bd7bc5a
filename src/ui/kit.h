#pragma once
// A small widget kit over Win32. Forms are declared as tables of controls
// with positions in twips; one builder creates them and one function turns
// twips into pixels for the window's DPI, so text and layout stay sharp on
// every monitor. Every control carries its caption as its window text.
#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace doumteo::ui {

enum class Kind { Panel3D, Label, ImageButton, PushButton, DropDownList, TextBox, PasswordBox, PictureBox, Image };
enum class Font { Gulim, GulimChe };

struct ControlSpec {
  Kind kind;
  std::wstring name;             // e.g. L"btnClose", L"btnHomePage(4)"
  std::wstring parent;           // name of the enclosing panel; empty for the form
  int left, top, width, height;  // twips, relative to the parent
  std::wstring caption;
  Font font = Font::Gulim;
  int icon = 0;  // resource id of the button's icon, 0 for none
  int id = 0;    // control id, 0 = assigned by the builder
  bool tabStop = true;
};

inline int twipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }
inline int pixelsToTwips(int pixels, UINT dpi) { return MulDiv(pixels, 1440, static_cast<int>(dpi)); }

struct MouseEvent {
  int button;  // 1 left, 2 right, 4 middle
  int shift;   // 1 Shift, 2 Ctrl, 4 Alt
};

// A top-level window built from a control table.
class Form {
 public:
  Form(std::wstring formName, std::wstring title, int clientWidthTwips, int clientHeightTwips);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Creates the window (hidden) and its controls; runs onLoad().
  void create(HWND owner, DWORD style, DWORD exStyle = 0);
  HWND hwnd() const { return hwnd_; }
  const std::wstring& formName() const { return formName_; }
  HWND control(const std::wstring& name) const;
  std::wstring text(const std::wstring& name) const;
  void setText(const std::wstring& name, const std::wstring& text);
  UINT dpi() const { return dpi_; }
  void show(int cmd = SW_SHOWNORMAL);
  // Shows the form modally: the owner (or, without one, the given window to
  // block) is disabled until the form closes. Returns when it is closed.
  void showModal(HWND owner, HWND alsoDisable = nullptr);
  void close();  // unloads the form
  bool isOpen() const { return hwnd_ != nullptr; }

  // Handlers, set by the form's own code.
  std::map<std::wstring, std::function<void()>> onClick;
  std::map<std::wstring, std::function<void(const MouseEvent&)>> onMouseUp;
  std::map<std::wstring, std::function<void()>> onDoubleClick;

  // Pictures: a picture box shows its bitmap at its natural size (scaled for
  // the DPI); an image stretches it over its whole client area. The form does
  // not own the bitmap.
  void setPicture(const std::wstring& name, HBITMAP bitmap);
  // The title bar's and the taskbar's icon, at the sizes of the form's DPI.
  void setWindowIcon(int id);

  static Form* fromHwnd(HWND hwnd);
  // Routes keyboard navigation (Tab, mnemonics, Enter, Esc) for the form that
  // owns msg's window. True when the message was handled.
  static bool preTranslate(MSG& msg);

 protected:
  virtual void onLoad() {}
  virtual void onResize() {}
  virtual void onClosing() {}
  // Enter / Esc (IDOK / IDCANCEL from the dialog manager).
  virtual void onOk() {}
  virtual void onCancel() {}
  virtual bool onKeyDown(WPARAM) { return false; }
  virtual LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void addControls(std::vector<ControlSpec> specs);
  void relayout();
  RECT controlRectPixels(const ControlSpec& item) const;
  HICON icon(int id, int sizePx) const;
  int clientWidthTwips_, clientHeightTwips_;
  std::vector<ControlSpec> specs_;
  bool resizable_ = false;

 private:
  static LRESULT CALLBACK wndProc(HWND, UINT, WPARAM, LPARAM);
  // Names the handler that runs, for the message of a failure that escapes
  // it. The name stays when the handler is left by an exception.
  class Procedure {
   public:
    Procedure(Form& form, std::wstring name);
    ~Procedure();
    Procedure(const Procedure&) = delete;
    Procedure& operator=(const Procedure&) = delete;

   private:
    Form& form_;
    std::wstring saved_;
    int exceptions_;
  };
  void runHandler(const std::wstring& controlName, const wchar_t* event, const std::function<void()>& handler);
  // Runs body; what escapes it is reported in the program's error format.
  // False when something did.
  bool guarded(HWND h, const std::function<void()>& body) noexcept;
  static LRESULT CALLBACK panelProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK pictureProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK buttonSubclass(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  void createControl(const ControlSpec& item);
  void makeFonts();
  void drawImageButton(const DRAWITEMSTRUCT& dis);
  const ControlSpec* specById(int id) const;
  void fireClick(int id);

  std::wstring formName_, title_;
  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
  HFONT gulim_ = nullptr, gulimChe_ = nullptr;
  std::map<std::wstring, HWND> controls_;
  std::map<int, std::wstring> idToName_;
  mutable std::map<std::pair<int, int>, HICON> icons_;
  bool modalDone_ = false;
  bool created_ = false;
  std::wstring procedure_;
};

// Shows what escaped a procedure in the program's error format, OK only, no
// icon, with the program's title.
void reportUnexpected(HWND owner, const std::wstring& procedure, const std::wstring& ownerName,
                      std::exception_ptr error);

UINT windowDpi(HWND hwnd);
void registerClasses(HINSTANCE instance);
// Runs the message loop until WM_QUIT; returns its exit code.
int runMessageLoop();

}  // namespace doumteo::ui
