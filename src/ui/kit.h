#pragma once
// A small widget kit over Win32. A form declares its controls in its
// constructor with positions in twips, and keeps the typed handle each one
// gives back; one builder creates the windows and one function turns twips
// into pixels for the window's DPI, so text and layout stay sharp on every
// monitor. Every control carries its caption as its window text.
#include <windows.h>

#include <cstddef>
#include <exception>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/handle_win.h"

namespace doumteo::ui {

enum class Kind {
  Panel3D,
  Label,
  ImageButton,
  PushButton,
  DropDownList,
  ListBox,
  TextBox,
  PasswordBox,
  TextView,
  StatusLine,
  PictureBox,
  Image
};
enum class Font { Gulim, GulimChe };

// Left, top, width and height in twips, relative to the enclosing panel (or
// the form).
struct Place {
  int left, top, width, height;
};

inline int twipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }
inline int pixelsToTwips(int pixels, UINT dpi) { return MulDiv(pixels, 1440, static_cast<int>(dpi)); }

struct MouseEvent {
  int button;  // 1 left, 2 right, 4 middle
  int shift;   // 1 Shift, 2 Ctrl, 4 Alt
};

class Form;

// A control of a form. The handles are small values that the form's code
// keeps as members; a control it does not have cannot be named.
class Control {
 public:
  Control() = default;
  HWND hwnd() const;  // nullptr before the form is created and after it closes
  std::wstring text() const;
  void setText(const std::wstring& text) const;
  void setEnabled(bool enabled) const;
  void focus() const;

 protected:
  Control(Form* form, std::size_t index) : form_(form), index_(index) {}
  Form* form_ = nullptr;
  std::size_t index_ = 0;
  friend class Form;
};

// A 3-D panel: raised edge, optional centred caption, parent of controls.
class Panel : public Control {
  using Control::Control;
  friend class Form;
};

class Label : public Control {
  using Control::Control;
  friend class Form;
};

class Button : public Control {
 public:
  Button() = default;
  void onClick(std::function<void()> handler) const;
  // The mouse button's release, with the button and the modifier keys; a
  // click from the keyboard comes as the left button with the keys held.
  void onMouseUp(std::function<void(const MouseEvent&)> handler) const;

 private:
  using Control::Control;
  friend class Form;
};

class DropDownList : public Control {
 public:
  DropDownList() = default;
  // Replaces the entries and selects preset (nothing when it is not one).
  void fill(const std::vector<std::wstring>& entries, const std::wstring& preset) const;

 private:
  using Control::Control;
  friend class Form;
};

// A list of lines in a sunken box; the arrows move the selection.
class ListBox : public Control {
 public:
  ListBox() = default;
  // Replaces the lines and selects the one at selected (none when it is -1).
  void fill(const std::vector<std::wstring>& lines, int selected) const;
  int selectedIndex() const;  // -1 when none is selected
  void onDoubleClick(std::function<void()> handler) const;

 private:
  using Control::Control;
  friend class Form;
};

class TextBox : public Control {
  using Control::Control;
  friend class Form;
};

// A read-only text of many lines in a sunken box with a vertical scroll bar;
// its text can be selected and copied. Tab, Enter and Esc stay the form's.
class TextView : public Control {
 public:
  TextView() = default;
  void selectAll() const;

 private:
  using Control::Control;
  friend class Form;
};

// One line of text that says what has just happened.
class StatusLine : public Control {
  using Control::Control;
  friend class Form;
};

// A picture box shows its bitmap at its natural size (scaled for the DPI);
// an image stretches it over its whole client area. The form does not own
// the bitmap.
class Picture : public Control {
 public:
  Picture() = default;
  void setPicture(HBITMAP bitmap) const;
  void onDoubleClick(std::function<void()> handler) const;

 private:
  using Control::Control;
  friend class Form;
};

// A top-level window built from the controls its constructor declares.
class Form {
 public:
  Form(std::wstring formName, std::wstring title, int clientWidthTwips, int clientHeightTwips);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Creates the window (hidden) and its controls; runs onLoad(). Throws
  // Failure when the system cannot make a window.
  void create(HWND owner, DWORD style, DWORD exStyle = 0);
  HWND hwnd() const { return hwnd_; }
  const std::wstring& formName() const { return formName_; }
  UINT dpi() const { return dpi_; }
  void show(int cmd = SW_SHOWNORMAL);
  // Shows the form modally: the owner (or, without one, the given window to
  // block) is disabled until the form closes. Returns when it is closed.
  void showModal(HWND owner, HWND alsoDisable = nullptr);
  void close();  // unloads the form
  bool isOpen() const { return hwnd_ != nullptr; }

  // The title bar's and the taskbar's icon, at the sizes of the form's DPI.
  void setWindowIcon(int id);

  static Form* fromHwnd(HWND hwnd);
  // Routes keyboard navigation (Tab, mnemonics, Enter, Esc) for the form that
  // owns msg's window. True when the message was handled.
  static bool preTranslate(MSG& msg);

 protected:
  virtual void onLoad() {}
  virtual void onResize() {}
  virtual void onDpiChanged() {}
  virtual void onClosing() {}
  // Enter / Esc (IDOK / IDCANCEL from the dialog manager).
  virtual void onOk() {}
  virtual void onCancel() {}
  virtual bool onKeyDown(WPARAM) { return false; }
  virtual LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // Runs after what escaped a handler has been reported and dismissed.
  virtual void onUnexpectedReported() noexcept {}

  // The controls, in creation (and tab) order. A default Panel() as parent
  // places the control on the form itself. The name is the control's name in
  // the program's messages ("btnSave" gives btnSave_Click).
  Panel addPanel(std::wstring name, const Panel& parent, Place place, std::wstring caption = L"");
  Label addLabel(std::wstring name, const Panel& parent, Place place, std::wstring caption, Font font = Font::Gulim);
  // An owner-drawn button with an icon beside its caption (icon 0: none).
  Button addImageButton(std::wstring name, const Panel& parent, Place place, std::wstring caption, int icon,
                        bool tabStop = true);
  Button addPushButton(std::wstring name, const Panel& parent, Place place, std::wstring caption);
  DropDownList addDropDownList(std::wstring name, const Panel& parent, Place place);
  ListBox addListBox(std::wstring name, const Panel& parent, Place place, Font font = Font::Gulim);
  TextBox addTextBox(std::wstring name, const Panel& parent, Place place, bool password = false);
  TextView addTextView(std::wstring name, const Panel& parent, Place place, Font font = Font::Gulim);
  StatusLine addStatusLine(std::wstring name, const Panel& parent, Place place);
  // stretch: the bitmap fills the control (an image); otherwise a picture
  // box with a sunken border at the bitmap's natural size.
  Picture addPicture(std::wstring name, const Panel& parent, Place place, bool stretch);

  void relayout();
  RECT controlRectPixels(std::size_t index) const;
  HICON icon(int id, int sizePx) const;
  int clientWidthTwips_, clientHeightTwips_;

 private:
  friend void registerClasses(HINSTANCE instance);
  friend class Control;
  friend class Button;
  friend class DropDownList;
  friend class ListBox;
  friend class Picture;

  struct Item {
    Kind kind;
    std::wstring name;
    int parent;  // index of the enclosing panel, -1 for the form
    Place place;
    std::wstring caption;
    Font font;
    int icon;
    bool tabStop;
    HWND hwnd = nullptr;
    std::function<void()> click{}, doubleClick{};
    std::function<void(const MouseEvent&)> mouseUp{};
  };
  std::size_t addItem(Item item);
  static int parentIndex(const Panel& parent);
  Item* itemById(int id);
  static int idOf(std::size_t index);

  static LRESULT CALLBACK wndProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK panelProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK pictureProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK buttonSubclass(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  void createControl(std::size_t index);
  void subclassForMouse(const Item& item);
  void makeFonts();
  HFONT fontOf(const Item& item) const;
  void drawImageButton(const DRAWITEMSTRUCT& dis);
  void fireClick(int id);
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
  void runHandler(const Item& item, const wchar_t* event, const std::function<void()>& handler);
  // Runs body; what escapes it is reported in the program's error format.
  // False when something did.
  bool guarded(HWND h, const std::function<void()>& body) noexcept;

  std::wstring formName_, title_;
  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
  UniqueFont gulim_, gulimChe_;
  std::vector<Item> items_;
  mutable std::map<std::pair<int, int>, UniqueIcon> icons_;
  bool modalDone_ = false;
  bool created_ = false;
  std::wstring procedure_;
};

UINT windowDpi(HWND hwnd);
void registerClasses(HINSTANCE instance);
// Runs the message loop until WM_QUIT; returns its exit code.
int runMessageLoop();

// Shows what escaped a procedure in the program's error format, OK only, no
// icon, with the program's title.
void reportUnexpected(HWND owner, const std::wstring& procedure, const std::wstring& ownerName,
                      std::exception_ptr error);

}  // namespace doumteo::ui
