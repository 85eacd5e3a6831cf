// The window system: the one main window, its child controls, message boxes,
// the message loop and the dispatching of pending messages during downloads.
//
// The core decides what the window shows; an implementation only carries it
// out (win32: real windows and common controls; headless: a recording model
// for tests). Controls are reached by handle, because two controls (the Exit
// buttons of the two pages) share one identifier.
#ifndef VALDORINE_PLATFORM_WINDOW_H
#define VALDORINE_PLATFORM_WINDOW_H

#include <cstdint>

#include "platform/process.h"

namespace platform {

enum class ControlClass { kStatic, kEdit, kComboBox, kButton, kProgress, kLink, kListView };
enum class ControlFont { kDefault, kControl, kTitle, kSubtitle };

// Window style bits, with the system's values, for the control table.
inline constexpr uint32_t kWsVisible = 0x10000000;
inline constexpr uint32_t kWsBorder = 0x00800000;
inline constexpr uint32_t kWsGroup = 0x00020000;
inline constexpr uint32_t kWsTabStop = 0x00010000;
inline constexpr uint32_t kWsExClientEdge = 0x00000200;
inline constexpr uint32_t kSsRight = 0x2;
inline constexpr uint32_t kEsAutoHScroll = 0x80;
inline constexpr uint32_t kCbsDropDownList = 0x3;
inline constexpr uint32_t kBsPushButton = 0x0;
inline constexpr uint32_t kBsAutoCheckBox = 0x3;
inline constexpr uint32_t kBsGroupBox = 0x7;
inline constexpr uint32_t kBsAutoRadioButton = 0x9;
inline constexpr uint32_t kBsCommandLink = 0xE;
inline constexpr uint32_t kBsBitmap = 0x80;
inline constexpr uint32_t kLvsReport = 0x1;
inline constexpr uint32_t kLvsShowSelAlways = 0x8;
inline constexpr uint32_t kLvsNoColumnHeader = 0x4000;

// One row of the control table.
struct ControlSpec {
  int id;
  ControlClass controlClass;
  uint32_t style;  // beyond WS_CHILD; kWsVisible when visible at creation
  int width;
  int height;
  const wchar_t* text;  // initial window text (null: none)
  ControlFont font;
  const wchar_t* note = nullptr;  // second line of a command link
  int bitmap = 0;                 // bitmap resource of a command link, 0 for none
  uint32_t exStyle = 0;
  // A caption the window paints itself in red at (15, 0) of a button instead
  // of the button's own text (the two installation kinds' frame captions).
  const wchar_t* redCaption = nullptr;
};

struct Rect {
  int left, top, right, bottom;
};

enum class MessageIcon { kError, kWarning, kInformation };

// Device-change events that refill the drive list.
inline constexpr uint32_t kDeviceArrival = 0x8000;
inline constexpr uint32_t kDeviceRemoveComplete = 0x8004;

class Control;  // Opaque; null stands for a control that does not exist.

class Window {
 public:
  virtual ~Window() = default;

  // Creates a child control. Returns null when the system refuses.
  virtual Control* CreateControl(const ControlSpec& desc) = 0;
  // The first control created with |id|, or null.
  virtual Control* FindControl(int id) = 0;

  // Every call below does nothing (or answers empty, 0, false) for a null
  // control, as the system's calls do for a missing child.
  virtual void SetText(Control* control, const wchar_t* text) = 0;
  // Copies the control's text into |buffer|, cut to |capacity| - 1 characters
  // and terminated (GetDlgItemTextW).
  virtual void GetText(Control* control, wchar_t* buffer, int capacity) = 0;
  virtual void SetNote(Control* control, const wchar_t* note) = 0;
  virtual void Move(Control* control, int x, int y) = 0;
  virtual void SetBounds(Control* control, int x, int y, int width, int height) = 0;
  // The control's rectangle in the main window's client coordinates.
  virtual Rect GetBounds(Control* control) = 0;
  virtual void Show(Control* control, ShowCommand show) = 0;
  virtual bool IsVisible(Control* control) = 0;
  virtual void Enable(Control* control, bool enabled) = 0;
  virtual bool IsEnabled(Control* control) = 0;
  virtual bool IsChecked(Control* control) = 0;
  virtual void SetChecked(Control* control, bool checked) = 0;
  virtual void SetFocus(Control* control) = 0;
  // Invalidates, erases and repaints (RedrawWindow); null: the whole window.
  virtual void Redraw(Control* control) = 0;
  // Repaints at once what is invalid (UpdateWindow); null: the whole window.
  virtual void Update(Control* control) = 0;

  virtual void AddComboItem(Control* combo, const wchar_t* text) = 0;
  virtual void ClearCombo(Control* combo) = 0;
  virtual int ComboCount(Control* combo) = 0;
  // The selected item, or -1 (CB_ERR) when none.
  virtual int ComboSelection(Control* combo) = 0;
  virtual void SetComboSelection(Control* combo, int index) = 0;
  // The text of item |index|, cut to |capacity| - 1 characters.
  virtual void GetComboItemText(Control* combo, int index, wchar_t* buffer, int capacity) = 0;

  virtual void SetProgressRange(Control* bar, int low, int high) = 0;
  virtual void SetProgressStep(Control* bar, int step) = 0;
  virtual void SetProgressPosition(Control* bar, int position) = 0;

  // Paints |text| straight onto the control's surface at (2, 2) after wiping
  // the previous text with 69 spaces, without changing its window text; with
  // the control font selected when |useControlFont|. A repaint of the control
  // clears it.
  virtual void PaintText(Control* control, const wchar_t* text, bool useControlFont) = 0;

  // The main window itself.
  virtual void SetTitle(const wchar_t* title) = 0;
  virtual Rect GetWindowBounds() = 0;  // outer rectangle, screen coordinates
  virtual Rect GetClientBounds() = 0;  // 0, 0, W, H
  virtual void SetPosition(int x, int y) = 0;
  virtual void ShowWindow(ShowCommand show) = 0;
  // Sends WM_COMMAND with |id| and no control synchronously; returns the
  // window procedure's result.
  virtual intptr_t SendCommand(int id) = 0;
  // Sends WM_CLOSE: the window is destroyed and the message loop ends.
  virtual void Close() = 0;
};

// What the core does with the main window's messages.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  // WM_CREATE, before the creation call returns.
  virtual void OnCreate(Window* window) = 0;
  // WM_COMMAND: |id| is the low word, |code| the notification code.
  virtual intptr_t OnCommand(Window* window, int id, int code) = 0;
  // A click (or Return) on a link control.
  virtual void OnLinkClick(Window* window, int id) = 0;
  // WM_DEVICECHANGE.
  virtual void OnDeviceChange(Window* window, uint32_t event) = 0;
  // WM_CLOSE (the close box, or Close), before the window is destroyed. The
  // Window object stays valid after destruction, its calls doing nothing, so a
  // download running below the message that closed it can unwind safely.
  virtual void OnClose(Window* window) = 0;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Registers the standard and the link control classes.
  virtual void InitCommonControls() = 0;
  // Registers the main window class. Returns false on failure.
  virtual bool RegisterMainWindowClass() = 0;
  // Creates the main window (caption and close box only, hidden) of the given
  // outer size at 0, 0; |events| handles its messages, OnCreate included,
  // before this returns. Returns null on failure.
  virtual Window* CreateMainWindow(const wchar_t* title, int width, int height,
                                   WindowEvents* events) = 0;
  // Runs the message loop until the main window is destroyed.
  virtual void RunMessageLoop() = 0;
  // Dispatches the main window's pending messages without waiting; keystrokes
  // are not translated.
  virtual void PumpMessages(Window* window) = 0;
  // Releases the fonts and bitmaps the window made (after the loop).
  virtual void ReleaseWindowResources() = 0;

  // The primary screen's size in pixels.
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;

  // A message box with an OK button; |owner| null for none. Returns the
  // button pressed (IDOK, 1).
  virtual int ShowMessage(Window* owner, const wchar_t* text, const wchar_t* caption,
                          MessageIcon icon) = 0;
  // The default beep (MessageBeep(0)).
  virtual void Beep() = 0;
  // The modal exit confirmation (dialog template 103) owned by |owner|, with
  // the given texts. Returns non-zero for Yes, 0 for No; non-zero also when the
  // dialog cannot be shown.
  virtual intptr_t ConfirmExit(Window* owner, const wchar_t* question, const wchar_t* yes,
                               const wchar_t* no) = 0;
};

}  // namespace platform

#endif  // VALDORINE_PLATFORM_WINDOW_H
