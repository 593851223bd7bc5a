#include "ui/kit.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/dpi_win.h"
#include "platform/failure.h"
#include "platform/handle_win.h"
#include "ui/controls.h"
#include "ui/paint.h"

namespace doumteo::ui {

namespace {

constexpr UINT kMsgMouseUp = WM_APP + 1;
constexpr int kFirstControlId = 1000;

HINSTANCE g_instance = nullptr;

HWND rootOf(HWND h) { return h ? GetAncestor(h, GA_ROOT) : nullptr; }

int modifierState() {
  int s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= 1;
  if (GetKeyState(VK_CONTROL) < 0) s |= 2;
  if (GetKeyState(VK_MENU) < 0) s |= 4;
  return s;
}

[[noreturn]] void failNoWindow() { throw Failure(err::kOutOfMemory, L"Out of memory"); }

}  // namespace

UINT windowDpi(HWND hwnd) { return dpi::forWindow(hwnd); }

void registerClasses(HINSTANCE instance) {
  g_instance = instance;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);

  wc.style = CS_DBLCLKS;
  wc.lpszClassName = kFormClass;
  wc.lpfnWndProc = &Form::wndProc;
  RegisterClassExW(&wc);

  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpszClassName = kPanelClass;
  wc.lpfnWndProc = &Form::panelProc;
  RegisterClassExW(&wc);

  wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  wc.lpszClassName = kPictureClass;
  wc.lpfnWndProc = &Form::pictureProc;
  wc.hbrBackground = nullptr;
  RegisterClassExW(&wc);

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
}

Form::Form(std::wstring formName, std::wstring title, int clientWidthTwips, int clientHeightTwips)
    : clientWidthTwips_(clientWidthTwips),
      clientHeightTwips_(clientHeightTwips),
      formName_(std::move(formName)),
      title_(std::move(title)) {}

Form::~Form() {
  // The window goes before the fonts and icons it shows.
  if (hwnd_) DestroyWindow(hwnd_);
}

Form* Form::fromHwnd(HWND hwnd) {
  if (!hwnd) return nullptr;
  wchar_t cls[32] = {};
  GetClassNameW(hwnd, cls, 32);
  if (wcscmp(cls, kFormClass) != 0) return nullptr;
  return reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Form::create(HWND owner, DWORD style, DWORD exStyle) {
  dpi_ = windowDpi(owner);
  RECT r{0, 0, twipsToPixels(clientWidthTwips_, dpi_), twipsToPixels(clientHeightTwips_, dpi_)};
  dpi::adjustWindowRect(r, style, exStyle, dpi_);
  // The window procedure attaches this object at WM_NCCREATE, so the form
  // sees every message of its creation.
  if (!CreateWindowExW(exStyle | WS_EX_CONTROLPARENT, kFormClass, title_.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                       r.right - r.left, r.bottom - r.top, owner, nullptr, g_instance, this)) {
    hwnd_ = nullptr;
    failNoWindow();
  }
  const UINT actual = windowDpi(hwnd_);
  if (actual != dpi_) {
    dpi_ = actual;
    RECT r2{0, 0, twipsToPixels(clientWidthTwips_, dpi_), twipsToPixels(clientHeightTwips_, dpi_)};
    dpi::adjustWindowRect(r2, style, exStyle, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, r2.right - r2.left, r2.bottom - r2.top, SWP_NOMOVE | SWP_NOZORDER);
  }
  makeFonts();
  for (std::size_t i = 0; i < items_.size(); ++i) createControl(i);
  created_ = true;
  const Procedure procedure(*this, L"Form_Load");
  onLoad();
}

int Form::idOf(std::size_t index) { return kFirstControlId + static_cast<int>(index); }

Form::Item* Form::itemById(int id) {
  const int index = id - kFirstControlId;
  return index >= 0 && static_cast<std::size_t>(index) < items_.size() ? &items_[static_cast<std::size_t>(index)]
                                                                       : nullptr;
}

std::size_t Form::addItem(Item item) {
  items_.push_back(std::move(item));
  return items_.size() - 1;
}

int Form::parentIndex(const Panel& parent) { return parent.form_ ? static_cast<int>(parent.index_) : -1; }

Panel Form::addPanel(std::wstring name, const Panel& parent, Place place, std::wstring caption) {
  return Panel(this, addItem({Kind::Panel3D, std::move(name), parentIndex(parent), place, std::move(caption),
                              Font::Gulim, 0, false}));
}

Label Form::addLabel(std::wstring name, const Panel& parent, Place place, std::wstring caption, Font font) {
  return Label(this,
               addItem({Kind::Label, std::move(name), parentIndex(parent), place, std::move(caption), font, 0, false}));
}

Button Form::addImageButton(std::wstring name, const Panel& parent, Place place, std::wstring caption, int icon,
                            bool tabStop) {
  return Button(this, addItem({Kind::ImageButton, std::move(name), parentIndex(parent), place, std::move(caption),
                               Font::Gulim, icon, tabStop}));
}

Button Form::addPushButton(std::wstring name, const Panel& parent, Place place, std::wstring caption) {
  return Button(this, addItem({Kind::PushButton, std::move(name), parentIndex(parent), place, std::move(caption),
                               Font::Gulim, 0, true}));
}

DropDownList Form::addDropDownList(std::wstring name, const Panel& parent, Place place) {
  return DropDownList(
      this, addItem({Kind::DropDownList, std::move(name), parentIndex(parent), place, L"", Font::Gulim, 0, true}));
}

TextBox Form::addTextBox(std::wstring name, const Panel& parent, Place place, bool password) {
  return TextBox(this, addItem({password ? Kind::PasswordBox : Kind::TextBox, std::move(name), parentIndex(parent),
                                place, L"", Font::Gulim, 0, true}));
}

ListBox Form::addListBox(std::wstring name, const Panel& parent, Place place, Font font) {
  return ListBox(this, addItem({Kind::ListBox, std::move(name), parentIndex(parent), place, L"", font, 0, true}));
}

Picture Form::addPicture(std::wstring name, const Panel& parent, Place place, bool stretch) {
  return Picture(this, addItem({stretch ? Kind::Image : Kind::PictureBox, std::move(name), parentIndex(parent), place,
                                L"", Font::Gulim, 0, false}));
}

void Form::makeFonts() {
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(9, static_cast<int>(dpi_), 72);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = HANGUL_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  wcscpy(lf.lfFaceName, L"굴림");
  gulim_.reset(CreateFontIndirectW(&lf));
  lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  wcscpy(lf.lfFaceName, L"굴림체");
  gulimChe_.reset(CreateFontIndirectW(&lf));
}

HFONT Form::fontOf(const Item& item) const { return (item.font == Font::GulimChe ? gulimChe_ : gulim_).get(); }

RECT Form::controlRectPixels(std::size_t index) const {
  const Item& item = items_[index];
  const int x = twipsToPixels(item.place.left, dpi_), y = twipsToPixels(item.place.top, dpi_);
  int w = twipsToPixels(item.place.width, dpi_), h = twipsToPixels(item.place.height, dpi_);
  if (item.kind == Kind::DropDownList) h = twipsToPixels(4000, dpi_);  // room for the list
  return RECT{x, y, x + w, y + h};
}

void Form::createControl(std::size_t index) {
  Item& item = items_[index];
  HWND parent = item.parent < 0 ? hwnd_ : items_[static_cast<std::size_t>(item.parent)].hwnd;
  const RECT r = controlRectPixels(index);
  const WindowKind k = windowKindOf(item.kind, item.tabStop);
  HWND h = CreateWindowExW(k.exStyle, k.windowClass, item.caption.c_str(), k.style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(idOf(index))),
                           g_instance, nullptr);
  if (!h) failNoWindow();
  item.hwnd = h;
  if (item.kind == Kind::PasswordBox) SendMessageW(h, EM_SETPASSWORDCHAR, L'*', 0);
  if (item.kind == Kind::Image) SetPropW(h, L"stretch", reinterpret_cast<HANDLE>(1));
  if (item.kind == Kind::TextView) keepKeysForForm(h);
  subclassForMouse(item);
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(item)), FALSE);
}

void Form::subclassForMouse(const Item& item) {
  // Only buttons with a mouse-button event need their messages seen first;
  // every subclassed message costs a property lookup.
  if (item.hwnd && item.mouseUp)
    SetWindowSubclass(item.hwnd, &Form::buttonSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
}

void Form::relayout() {
  makeFonts();
  for (std::size_t i = 0; i < items_.size(); ++i) {
    HWND h = items_[i].hwnd;
    if (!h) continue;
    const RECT r = controlRectPixels(i);
    SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(items_[i])), TRUE);
  }
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::show(int cmd) { ShowWindow(hwnd_, cmd); }

void Form::showModal(HWND owner, HWND alsoDisable) {
  HWND blocked = owner ? owner : alsoDisable;
  if (blocked) EnableWindow(blocked, FALSE);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
  modalDone_ = false;
  MSG msg;
  bool quit = false;
  while (!modalDone_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit = true;
      break;
    }
    if (!preTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (blocked) {
    EnableWindow(blocked, TRUE);
    if (IsWindow(blocked)) SetActiveWindow(blocked);
  }
  if (hwnd_) close();
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
}

void Form::close() {
  if (!hwnd_) return;
  onClosing();
  modalDone_ = true;
  HWND h = hwnd_;
  // Give activation back to the owner before the window goes, so that the
  // program keeps the foreground.
  if (HWND owner = GetWindow(h, GW_OWNER)) EnableWindow(owner, TRUE);
  hwnd_ = nullptr;
  for (auto& item : items_) item.hwnd = nullptr;
  DestroyWindow(h);
}

bool Form::preTranslate(MSG& msg) {
  HWND root = rootOf(msg.hwnd);
  Form* f = fromHwnd(root);
  if (!f) return false;
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    // Keys reach the form here, outside its window procedure.
    bool handled = false;
    const bool ok = f->guarded(f->hwnd_, [&] {
      const Procedure procedure(*f, L"Form_KeyDown");
      handled = f->onKeyDown(msg.wParam);
    });
    if (!ok || handled) return true;
  }
  return IsDialogMessageW(root, &msg) != FALSE;
}

Form::Procedure::Procedure(Form& form, std::wstring name)
    : form_(form), saved_(std::move(form.procedure_)), exceptions_(std::uncaught_exceptions()) {
  form_.procedure_ = std::move(name);
}

Form::Procedure::~Procedure() {
  if (std::uncaught_exceptions() <= exceptions_) form_.procedure_ = std::move(saved_);
}

void Form::runHandler(const Item& item, const wchar_t* event, const std::function<void()>& handler) {
  // A control array's members share one handler: btnHomePage(4) runs btnHomePage_Click.
  const Procedure procedure(*this, item.name.substr(0, item.name.find(L'(')) + event);
  handler();
}

void Form::fireClick(int id) {
  const Item* item = itemById(id);
  if (!item) return;
  if (item->click) {
    const auto handler = item->click;
    runHandler(*item, L"_Click", handler);
  } else if (item->mouseUp) {
    // A click from the keyboard carries the left button and the keys held.
    const MouseEvent e{1, modifierState()};
    const auto handler = item->mouseUp;
    runHandler(*item, L"_MouseUp", [&] { handler(e); });
  }
}

HICON Form::icon(int id, int sizePx) const {
  const auto key = std::make_pair(id, sizePx);
  if (auto it = icons_.find(key); it != icons_.end()) return it->second.get();
  auto h = static_cast<HICON>(LoadImageW(g_instance, MAKEINTRESOURCEW(id), IMAGE_ICON, sizePx, sizePx, 0));
  icons_[key].reset(h);
  return h;
}

void Form::drawImageButton(const DRAWITEMSTRUCT& dis) {
  const Item* item = itemById(static_cast<int>(dis.CtlID));
  std::function<HICON(int)> iconOfSize;
  if (item && item->icon) iconOfSize = [this, id = item->icon](int size) { return icon(id, size); };
  paintImageButton(dis, dpi_, iconOfSize);
}

void Form::setWindowIcon(int id) {
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon(id, dpi::systemMetric(SM_CXICON, dpi_))));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon(id, dpi::systemMetric(SM_CXSMICON, dpi_))));
}

LRESULT CALLBACK Form::pictureProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_PAINT:
      paintPicture(h, static_cast<HBITMAP>(GetPropW(h, L"bitmap")), GetPropW(h, L"stretch") != nullptr, windowDpi(h));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      InvalidateRect(h, nullptr, FALSE);
      break;
    case WM_LBUTTONDBLCLK:
      SendMessageW(rootOf(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), STN_DBLCLK), reinterpret_cast<LPARAM>(h));
      return 0;
    case WM_NCDESTROY:
      RemovePropW(h, L"bitmap");
      RemovePropW(h, L"stretch");
      break;
    default:
      break;
  }
  return DefWindowProcW(h, m, w, l);
}

LRESULT CALLBACK Form::panelProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_NOTIFY:
      return SendMessageW(rootOf(h), m, w, l);
    case WM_PAINT:
      paintPanel(h);
      return 0;
    case WM_SETTEXT: {
      const LRESULT res = DefWindowProcW(h, m, w, l);
      InvalidateRect(h, nullptr, TRUE);
      return res;
    }
    case WM_SETFONT:
      // Kept in the window's own data: a property would cost a lookup on
      // every paint.
      SetWindowLongPtrW(h, GWLP_USERDATA, static_cast<LONG_PTR>(w));
      if (l) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return static_cast<LRESULT>(GetWindowLongPtrW(h, GWLP_USERDATA));
    default:
      break;
  }
  return DefWindowProcW(h, m, w, l);
}

LRESULT CALLBACK Form::buttonSubclass(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<Form*>(data);
  const int id = GetDlgCtrlID(h);
  const Item* item = self->itemById(id);
  const bool mouseHandler = item && item->mouseUp;
  if (mouseHandler) {
    switch (m) {
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        SetFocus(h);
        return 0;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP: {
        // The modifier state comes with the message, so that a posted
        // message carries it as well as a real click; Alt is not in it.
        const int button = m == WM_LBUTTONUP ? 1 : m == WM_RBUTTONUP ? 2 : 4;
        int shift = 0;
        if (w & MK_SHIFT) shift |= 1;
        if (w & MK_CONTROL) shift |= 2;
        if (GetKeyState(VK_MENU) < 0) shift |= 4;
        PostMessageW(rootOf(h), kMsgMouseUp, static_cast<WPARAM>(id), MAKELPARAM(button, shift));
        return 0;
      }
      default:
        break;
    }
  }
  if (m == WM_NCDESTROY) RemoveWindowSubclass(h, &Form::buttonSubclass, 1);
  return DefSubclassProc(h, m, w, l);
}

LRESULT Form::handleMessage(UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_COMMAND: {
      const int id = LOWORD(w);
      const int code = HIWORD(w);
      if (l == 0 && id == IDOK) {
        const Procedure procedure(*this, L"Form_KeyDown");
        onOk();
        return 0;
      }
      if (l == 0 && id == IDCANCEL) {
        const Procedure procedure(*this, L"Form_KeyDown");
        onCancel();
        return 0;
      }
      const Item* target = itemById(id);
      if (!target) break;
      // The notification codes of the control kinds overlap (a list's
      // selection change is a picture's double-click).
      const bool isList = target->kind == Kind::ListBox;
      if (!isList && code == BN_CLICKED) {
        fireClick(id);
        return 0;
      }
      if ((isList && code == LBN_DBLCLK) || (!isList && code == STN_DBLCLK)) {
        const Item& item = *target;
        if (item.doubleClick) {
          const auto handler = item.doubleClick;
          runHandler(item, L"_DblClick", handler);
        }
        return 0;
      }
      break;
    }
    case kMsgMouseUp: {
      const Item* item = itemById(static_cast<int>(w));
      if (item && item->mouseUp) {
        const MouseEvent e{LOWORD(l), HIWORD(l)};
        const auto handler = item->mouseUp;
        runHandler(*item, L"_MouseUp", [&] { handler(e); });
      }
      return 0;
    }
    case WM_DRAWITEM: {
      const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      if (dis->CtlType == ODT_BUTTON) {
        drawImageButton(*dis);
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(w);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DPICHANGED: {
      dpi_ = HIWORD(w);
      const auto* r = reinterpret_cast<const RECT*>(l);
      SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      relayout();
      onDpiChanged();
      return 0;
    }
    case WM_SIZE:
      if (created_) onResize();
      return 0;
    case WM_CLOSE:
      close();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, m, w, l);
}

LRESULT CALLBACK Form::wndProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_NCCREATE) {
    auto* creating = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
    creating->hwnd_ = h;
  }
  auto* self = reinterpret_cast<Form*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (!self || self->hwnd_ != h) return DefWindowProcW(h, m, w, l);
  LRESULT result = 0;
  self->guarded(h, [&] { result = self->handleMessage(m, w, l); });
  return result;
}

bool Form::guarded(HWND h, const std::function<void()>& body) noexcept {
  // Nothing may unwind into the system's frames: in a 32-bit process that
  // ends the program. What escapes a handler is reported, and the window
  // goes on with its next message.
  try {
    body();
    return true;
  } catch (...) {
    std::wstring procedure;
    procedure.swap(procedure_);
    reportUnexpected(IsWindow(h) ? h : nullptr, procedure.empty() ? L"WindowProc" : procedure, L"Form " + formName_,
                     std::current_exception());
    onUnexpectedReported();
    return false;
  }
}

void reportUnexpected(HWND owner, const std::wstring& procedure, const std::wstring& ownerName,
                      std::exception_ptr error) {
  try {
    const std::wstring text = errorText(failureOf(error), procedure, ownerName);
    MessageBoxW(owner, text.c_str(), kAppTitle, MB_OK);
  } catch (...) {
    // Not even the message could be made (no memory left): say the least.
    MessageBoxW(owner, L"Error 7 (Out of memory)", kAppTitle, MB_OK);
  }
}

int runMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!Form::preTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace doumteo::ui
