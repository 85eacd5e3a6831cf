// Win32 only code.
#include "platform/win32/window_system.h"

#include <algorithm>
#include <cwchar>

// clang-format off
#include "platform/win32/win32.h"
#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>
// clang-format on

namespace platform::win32 {
namespace {

// The structure size the system expects for SPI_GETNONCLIENTMETRICS since
// Vista (with iPaddedBorderWidth). It holds no pointers, so 32-bit and 64-bit
// builds agree.
static_assert(sizeof(NONCLIENTMETRICSW) == 504);

constexpr wchar_t kBlankLine[] =
    L"                                                                     ";
static_assert(std::size(kBlankLine) - 1 == 69);

// The red of the two installation kinds' frame captions.
constexpr COLORREF kCaptionRed = RGB(255, 0, 0);

const wchar_t* ClassName(ControlClass controlClass) {
  switch (controlClass) {
    case ControlClass::kStatic:
      return L"Static";
    case ControlClass::kEdit:
      return L"Edit";
    case ControlClass::kComboBox:
      return L"ComboBox";
    case ControlClass::kButton:
      return L"Button";
    case ControlClass::kProgress:
      return PROGRESS_CLASSW;
    case ControlClass::kLink:
      return WC_LINK;
    case ControlClass::kListView:
      return WC_LISTVIEWW;
  }
  return L"Static";
}

HWND HwndOf(Window* window) {
  return window ? static_cast<Win32Window*>(window)->hwnd() : nullptr;
}

void CopyCut(const wchar_t* text, size_t length, wchar_t* buffer, int capacity) {
  if (capacity <= 0) return;
  size_t n = std::min(length, static_cast<size_t>(capacity - 1));
  std::copy_n(text, n, buffer);
  buffer[n] = L'\0';
}

// A logical font taken from a stock font, made bold at |height|.
HFONT BoldFontFrom(int stockFont, LONG height) {
  LOGFONTW logFont = {};
  if (!::GetObjectW(::GetStockObject(stockFont), sizeof logFont, &logFont)) return nullptr;
  logFont.lfHeight = height;
  logFont.lfWeight = FW_BOLD;
  return ::CreateFontIndirectW(&logFont);
}

// Skipping the button's own drawing skips its radio circle or check box too,
// which would leave the chosen installation kind unseen: draw it here, left
// of the caption.
void DrawButtonGlyph(HWND button, HDC dc) {
  LONG_PTR type = ::GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK;
  bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
  bool check = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX;
  if (!radio && !check) return;
  bool checked = ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
  bool enabled = ::IsWindowEnabled(button);
  RECT client;
  ::GetClientRect(button, &client);
  constexpr int kGlyph = 13;
  int top = std::max(0, (static_cast<int>(client.bottom) - kGlyph) / 2);
  RECT box = {0, top, kGlyph, top + kGlyph};
  if (HTHEME theme = ::OpenThemeData(button, L"BUTTON")) {
    int part = radio ? BP_RADIOBUTTON : BP_CHECKBOX;
    int state;
    if (radio)
      state = checked ? (enabled ? RBS_CHECKEDNORMAL : RBS_CHECKEDDISABLED)
                      : (enabled ? RBS_UNCHECKEDNORMAL : RBS_UNCHECKEDDISABLED);
    else
      state = checked ? (enabled ? CBS_CHECKEDNORMAL : CBS_CHECKEDDISABLED)
                      : (enabled ? CBS_UNCHECKEDNORMAL : CBS_UNCHECKEDDISABLED);
    ::DrawThemeBackground(theme, dc, part, state, &box, nullptr);
    ::CloseThemeData(theme);
    return;
  }
  UINT flags = (radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK) | (checked ? DFCS_CHECKED : 0) |
               (enabled ? 0 : DFCS_INACTIVE);
  ::DrawFrameControl(dc, &box, DFC_BUTTON, flags);
}

struct ConfirmTexts {
  const wchar_t* question;
  const wchar_t* yes;
  const wchar_t* no;
};

INT_PTR CALLBACK ConfirmExitProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* texts = reinterpret_cast<const ConfirmTexts*>(lParam);
      ::SetDlgItemTextW(dialog, IDCANCEL, texts->no);
      ::SetDlgItemTextW(dialog, IDOK, texts->yes);
      ::SetDlgItemTextW(dialog, kConfirmExitQuestion, texts->question);
      return TRUE;  // focus on the first control, the Yes button
    }
    case WM_COMMAND:
      // Escape and the close box send IDCANCEL, so they answer No.
      if (LOWORD(wParam) == IDOK) {
        ::EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    case WM_CTLCOLORSTATIC:
      ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(::GetStockObject(WHITE_BRUSH));
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(::GetStockObject(WHITE_BRUSH));
  }
  return FALSE;
}

}  // namespace

// --- Win32Window ------------------------------------------------------------

Win32Window::Win32Window(Win32WindowSystem* system, WindowEvents* events)
    : system_(system), events_(events) {}

Win32Window::~Win32Window() = default;

HWND Win32Window::ControlWindow(Control* control) const {
  if (!hwnd_ || !control) return nullptr;
  HWND child = reinterpret_cast<HWND>(control);
  return ::IsChild(hwnd_, child) ? child : nullptr;
}

const Win32Window::ControlRecord* Win32Window::RecordOf(HWND hwnd) const {
  for (const ControlRecord& record : controls_)
    if (record.hwnd == hwnd) return &record;
  return nullptr;
}

Control* Win32Window::CreateControl(const ControlSpec& desc) {
  if (!hwnd_) return nullptr;
  // Placed at 0, 0: the page functions move every control before it is seen.
  HWND control = ::CreateWindowExW(desc.exStyle, ClassName(desc.controlClass), desc.text,
                                   WS_CHILD | desc.style, 0, 0, desc.width, desc.height, hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(desc.id)),
                                   system_->instance_, nullptr);
  if (!control) return nullptr;
  HFONT font = system_->FontFor(desc.font);
  if (font) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (desc.note) ::SendMessageW(control, BCM_SETNOTE, 0, reinterpret_cast<LPARAM>(desc.note));
  if (desc.bitmap) {
    if (HBITMAP bitmap = system_->Bitmap(desc.bitmap))
      ::SendMessageW(control, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
  }
  if (desc.controlClass == ControlClass::kListView) ::SetWindowTheme(control, L"Explorer", nullptr);
  controls_.push_back(
      {control, desc.id, desc.controlClass, desc.redCaption ? desc.redCaption : L""});
  return reinterpret_cast<Control*>(control);
}

Control* Win32Window::FindControl(int id) {
  if (!hwnd_) return nullptr;
  // The first made, not whichever the system finds first: two controls share
  // an identifier.
  for (const ControlRecord& record : controls_)
    if (record.id == id) return reinterpret_cast<Control*>(record.hwnd);
  return nullptr;
}

void Win32Window::SetText(Control* control, const wchar_t* text) {
  if (HWND h = ControlWindow(control)) ::SetWindowTextW(h, text ? text : L"");
}

void Win32Window::GetText(Control* control, wchar_t* buffer, int capacity) {
  if (capacity <= 0) return;
  buffer[0] = L'\0';
  if (HWND h = ControlWindow(control)) ::GetWindowTextW(h, buffer, capacity);
}

void Win32Window::SetNote(Control* control, const wchar_t* note) {
  if (HWND h = ControlWindow(control))
    ::SendMessageW(h, BCM_SETNOTE, 0, reinterpret_cast<LPARAM>(note ? note : L""));
}

void Win32Window::Move(Control* control, int x, int y) {
  if (HWND h = ControlWindow(control))
    ::SetWindowPos(h, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void Win32Window::SetBounds(Control* control, int x, int y, int width, int height) {
  if (HWND h = ControlWindow(control))
    ::SetWindowPos(h, nullptr, x, y, width, height, SWP_NOZORDER);
}

Rect Win32Window::GetBounds(Control* control) {
  HWND h = ControlWindow(control);
  RECT r = {};
  if (!h || !::GetWindowRect(h, &r)) return {0, 0, 0, 0};
  ::MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

void Win32Window::Show(Control* control, ShowCommand show) {
  if (HWND h = ControlWindow(control)) ::ShowWindow(h, show);
}

bool Win32Window::IsVisible(Control* control) {
  HWND h = ControlWindow(control);
  return h && ::IsWindowVisible(h);
}

void Win32Window::Enable(Control* control, bool enabled) {
  if (HWND h = ControlWindow(control)) ::EnableWindow(h, enabled);
}

bool Win32Window::IsEnabled(Control* control) {
  HWND h = ControlWindow(control);
  return h && ::IsWindowEnabled(h);
}

bool Win32Window::IsChecked(Control* control) {
  HWND h = ControlWindow(control);
  return h && ::SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Window::SetChecked(Control* control, bool checked) {
  if (HWND h = ControlWindow(control))
    ::SendMessageW(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32Window::SetFocus(Control* control) {
  if (HWND h = ControlWindow(control)) ::SetFocus(h);
}

void Win32Window::Redraw(Control* control) {
  UINT flags = RDW_INVALIDATE | RDW_ERASE | RDW_INTERNALPAINT;
  if (!control) {
    // The whole window, its controls included, so that lines painted onto
    // them go as well.
    if (hwnd_) ::RedrawWindow(hwnd_, nullptr, nullptr, flags | RDW_ALLCHILDREN);
    return;
  }
  if (HWND h = ControlWindow(control)) ::RedrawWindow(h, nullptr, nullptr, flags);
}

void Win32Window::Update(Control* control) {
  if (!control) {
    if (hwnd_) ::UpdateWindow(hwnd_);
    return;
  }
  if (HWND h = ControlWindow(control)) ::UpdateWindow(h);
}

void Win32Window::AddComboItem(Control* combo, const wchar_t* text) {
  if (HWND h = ControlWindow(combo))
    ::SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : L""));
}

void Win32Window::ClearCombo(Control* combo) {
  if (HWND h = ControlWindow(combo)) ::SendMessageW(h, CB_RESETCONTENT, 0, 0);
}

int Win32Window::ComboCount(Control* combo) {
  HWND h = ControlWindow(combo);
  if (!h) return 0;
  LRESULT count = ::SendMessageW(h, CB_GETCOUNT, 0, 0);
  return count < 0 ? 0 : static_cast<int>(count);
}

int Win32Window::ComboSelection(Control* combo) {
  HWND h = ControlWindow(combo);
  return h ? static_cast<int>(::SendMessageW(h, CB_GETCURSEL, 0, 0)) : CB_ERR;
}

void Win32Window::SetComboSelection(Control* combo, int index) {
  if (HWND h = ControlWindow(combo)) ::SendMessageW(h, CB_SETCURSEL, index, 0);
}

void Win32Window::GetComboItemText(Control* combo, int index, wchar_t* buffer, int capacity) {
  if (capacity <= 0) return;
  buffer[0] = L'\0';
  HWND h = ControlWindow(combo);
  if (!h) return;
  LRESULT length = ::SendMessageW(h, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR) return;
  // CB_GETLBTEXT knows no capacity: read whole, then cut.
  std::wstring item(static_cast<size_t>(length) + 1, L'\0');
  length = ::SendMessageW(h, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()));
  if (length == CB_ERR) return;
  CopyCut(item.c_str(), static_cast<size_t>(length), buffer, capacity);
}

void Win32Window::SetProgressRange(Control* bar, int low, int high) {
  if (HWND h = ControlWindow(bar)) ::SendMessageW(h, PBM_SETRANGE, 0, MAKELPARAM(low, high));
}

void Win32Window::SetProgressStep(Control* bar, int step) {
  if (HWND h = ControlWindow(bar)) ::SendMessageW(h, PBM_SETSTEP, step, 0);
}

void Win32Window::SetProgressPosition(Control* bar, int position) {
  if (HWND h = ControlWindow(bar)) ::SendMessageW(h, PBM_SETPOS, position, 0);
}

void Win32Window::PaintText(Control* control, const wchar_t* text, bool useControlFont) {
  HWND h = ControlWindow(control);
  if (!h) return;
  HDC dc = ::GetDC(h);
  if (!dc) return;
  // The device context keeps its opaque white background, so the blanks wipe
  // the previous line on the white static control.
  HGDIOBJ previousFont = nullptr;
  if (useControlFont) {
    if (HFONT font = system_->FontFor(ControlFont::kControl))
      previousFont = ::SelectObject(dc, font);
  }
  ::TextOutW(dc, 2, 2, kBlankLine, static_cast<int>(std::size(kBlankLine) - 1));
  if (text) ::TextOutW(dc, 2, 2, text, static_cast<int>(std::wcslen(text)));
  if (previousFont) ::SelectObject(dc, previousFont);
  ::ReleaseDC(h, dc);
}

void Win32Window::SetTitle(const wchar_t* title) {
  if (hwnd_) ::SetWindowTextW(hwnd_, title ? title : L"");
}

Rect Win32Window::GetWindowBounds() {
  RECT r = {};
  if (!hwnd_ || !::GetWindowRect(hwnd_, &r)) return {0, 0, 0, 0};
  return {r.left, r.top, r.right, r.bottom};
}

Rect Win32Window::GetClientBounds() {
  RECT r = {};
  if (!hwnd_ || !::GetClientRect(hwnd_, &r)) return {0, 0, 0, 0};
  return {r.left, r.top, r.right, r.bottom};
}

void Win32Window::SetPosition(int x, int y) {
  if (hwnd_) ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void Win32Window::ShowWindow(ShowCommand show) {
  if (hwnd_) ::ShowWindow(hwnd_, show);
}

intptr_t Win32Window::SendCommand(int id) {
  if (!hwnd_) return 0;
  return ::SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void Win32Window::Close() {
  if (hwnd_) ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void Win32Window::Destroyed() {
  hwnd_ = nullptr;
  controls_.clear();
  productIcon_.Reset();
}

LRESULT CALLBACK Win32Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* window = static_cast<Win32Window*>(create->lpCreateParams);
    window->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window = reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    window->Destroyed();
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return window->Handle(message, wParam, lParam);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = hwnd_;
  switch (message) {
    case WM_CREATE:
      productIcon_.Reset(static_cast<HICON>(::LoadImageW(system_->instance_,
                                                         MAKEINTRESOURCEW(kProductIconResource),
                                                         IMAGE_ICON, 96, 96, LR_VGACOLOR)));
      if (events_) events_->OnCreate(this);
      break;

    case WM_COMMAND:
      if (events_) {
        // Commands from no control (the keyboard shortcut, SendCommand) carry
        // no notification code for the core to tell apart.
        int code = lParam ? HIWORD(wParam) : 0;
        return events_->OnCommand(this, LOWORD(wParam), code);
      }
      break;

    case WM_NOTIFY:
      return HandleNotify(wParam, lParam);

    case WM_CTLCOLORSTATIC:
      ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));

    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(hwnd, &paint);
      if (productIcon_) ::DrawIconEx(dc, 15, 5, productIcon_.Get(), 96, 96, 0, nullptr, DI_NORMAL);
      ::EndPaint(hwnd, &paint);
      return 0;
    }

    case WM_DEVICECHANGE:
      if ((wParam == kDeviceArrival || wParam == kDeviceRemoveComplete) && events_)
        events_->OnDeviceChange(this, static_cast<uint32_t>(wParam));
      break;

    case WM_CLOSE:
      if (events_) events_->OnClose(this);
      productIcon_.Reset();
      ::DestroyWindow(hwnd);
      return 0;

    case WM_DESTROY:
      if (!system_->tearingDown_) ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Win32Window::HandleNotify(WPARAM wParam, LPARAM lParam) {
  HWND hwnd = hwnd_;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  const ControlRecord* record = RecordOf(header->hwndFrom);
  if (record && record->controlClass == ControlClass::kLink &&
      (header->code == NM_CLICK || header->code == NM_RETURN)) {
    if (events_) events_->OnLinkClick(this, record->id);
    // The handler may have closed the window.
    return hwnd_ ? ::DefWindowProcW(hwnd, WM_NOTIFY, wParam, lParam) : 0;
  }
  if (record && !record->redCaption.empty() && header->code == NM_CUSTOMDRAW) {
    const auto* draw = reinterpret_cast<const NMCUSTOMDRAW*>(lParam);
    if (draw->dwDrawStage == CDDS_PREPAINT) {
      DrawButtonGlyph(header->hwndFrom, draw->hdc);
      ::SetBkMode(draw->hdc, TRANSPARENT);
      ::SetTextColor(draw->hdc, kCaptionRed);
      ::TextOutW(draw->hdc, 15, 0, record->redCaption.c_str(),
                 static_cast<int>(record->redCaption.size()));
      return CDRF_SKIPDEFAULT;
    }
  }
  return ::DefWindowProcW(hwnd, WM_NOTIFY, wParam, lParam);
}

// --- Win32WindowSystem ------------------------------------------------------

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance) : instance_(instance) {}

Win32WindowSystem::~Win32WindowSystem() {
  // A window still open (a test that stopped early) goes without telling the
  // core and without a quit message for whoever pumps next.
  tearingDown_ = true;
  for (auto& window : windows_) {
    window->events_ = nullptr;
    if (window->hwnd_) ::DestroyWindow(window->hwnd_);
  }
  if (classRegistered_) ::UnregisterClassW(kMainWindowClass, instance_);
  classIcon_.Reset();
  classSmallIcon_.Reset();
}

void Win32WindowSystem::InitCommonControls() {
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_LINK_CLASS;
  ::InitCommonControlsEx(&controls);
}

bool Win32WindowSystem::RegisterMainWindowClass() {
  classIcon_.Reset(static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(kClassIconResource),
                                                   IMAGE_ICON, 48, 48, LR_VGACOLOR)));
  classSmallIcon_.Reset(static_cast<HICON>(::LoadImageW(
      instance_, MAKEINTRESOURCEW(kClassIconResource), IMAGE_ICON, 16, 16, LR_VGACOLOR)));
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = &Win32Window::Procedure;
  windowClass.hInstance = instance_;
  windowClass.hIcon = classIcon_.Get();
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kMainWindowClass;
  windowClass.hIconSm = classSmallIcon_.Get();
  if (::RegisterClassExW(&windowClass) == 0) return false;
  classRegistered_ = true;
  return true;
}

Window* Win32WindowSystem::CreateMainWindow(const wchar_t* title, int width, int height,
                                            WindowEvents* events) {
  windows_.push_back(std::make_unique<Win32Window>(this, events));
  Win32Window* window = windows_.back().get();
  HWND hwnd = ::CreateWindowExW(0, kMainWindowClass, title, WS_CAPTION | WS_SYSMENU, 0, 0, width,
                                height, nullptr, nullptr, instance_, window);
  return hwnd ? window : nullptr;
}

HWND Win32WindowSystem::MainWindow() const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
    if ((*it)->hwnd_) return (*it)->hwnd_;
  return nullptr;
}

void Win32WindowSystem::RunMessageLoop() {
  // Ctrl+Q opens the exit confirmation (Ctrl+C would take copying away from
  // the edit fields).
  ACCEL shortcut = {FCONTROL | FVIRTKEY, 'Q', kConfirmExitCommand};
  ScopedAccelerator accelerators(::CreateAcceleratorTableW(&shortcut, 1));
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    HWND main = MainWindow();
    if (accelerators && main && (message.hwnd == main || ::IsChild(main, message.hwnd)) &&
        ::TranslateAcceleratorW(main, accelerators.Get(), &message))
      continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void Win32WindowSystem::PumpMessages(Window* window) {
  // Every pending message of the thread, not only those addressed to the main
  // window itself: a click on a button is queued for the button's own window,
  // and the Exit button must work during a download. A quit message is put
  // back, so that the main loop still sees it and ends.
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    ::DispatchMessageW(&message);
  }
}

void Win32WindowSystem::ReleaseWindowResources() {
  controlFont_.Reset();
  titleFont_.Reset();
  subtitleFont_.Reset();
  bitmaps_.clear();
}

int Win32WindowSystem::ScreenWidth() {
  return ::GetSystemMetrics(SM_CXSCREEN);
}

int Win32WindowSystem::ScreenHeight() {
  return ::GetSystemMetrics(SM_CYSCREEN);
}

int Win32WindowSystem::ShowMessage(Window* owner, const wchar_t* text, const wchar_t* caption,
                                   MessageIcon icon) {
  UINT style = MB_OK;
  switch (icon) {
    case MessageIcon::kError:
      style |= MB_ICONERROR;
      break;
    case MessageIcon::kWarning:
      style |= MB_ICONWARNING;
      break;
    case MessageIcon::kInformation:
      style |= MB_ICONINFORMATION;
      break;
  }
  return ::MessageBoxW(HwndOf(owner), text, caption, style);
}

void Win32WindowSystem::Beep() {
  ::MessageBeep(0);
}

intptr_t Win32WindowSystem::ConfirmExit(Window* owner, const wchar_t* question, const wchar_t* yes,
                                        const wchar_t* no) {
  ConfirmTexts texts = {question, yes, no};
  INT_PTR answer = ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(kConfirmExitDialog), HwndOf(owner),
                                     &ConfirmExitProc, reinterpret_cast<LPARAM>(&texts));
  // A dialog that cannot be shown (-1) lets the setup close, as Yes does.
  return answer;
}

HFONT Win32WindowSystem::FontFor(ControlFont font) {
  switch (font) {
    case ControlFont::kDefault:
      return nullptr;
    case ControlFont::kControl:
      if (!controlFont_) {
        NONCLIENTMETRICSW metrics = {};
        metrics.cbSize = sizeof metrics;
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
          controlFont_.Reset(::CreateFontIndirectW(&metrics.lfStatusFont));
      }
      return controlFont_.Get();
    case ControlFont::kTitle:
      if (!titleFont_) titleFont_.Reset(BoldFontFrom(DEFAULT_GUI_FONT, 24));
      return titleFont_.Get();
    case ControlFont::kSubtitle:
      if (!subtitleFont_) subtitleFont_.Reset(BoldFontFrom(SYSTEM_FONT, 20));
      return subtitleFont_.Get();
  }
  return nullptr;
}

HBITMAP Win32WindowSystem::Bitmap(int id) {
  auto found = bitmaps_.find(id);
  if (found != bitmaps_.end()) return found->second.Get();
  HBITMAP bitmap = static_cast<HBITMAP>(
      ::LoadImageW(instance_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_LOADTRANSPARENT));
  if (!bitmap) return nullptr;
  bitmaps_.emplace(id, ScopedBitmap(bitmap));
  return bitmap;
}

}  // namespace platform::win32
