// Win32 only code.
// The window system on real windows and common controls: the main window's
// class and procedure, its child controls, the message loop, the dispatching
// during downloads, message boxes and the exit confirmation dialog.
#ifndef VALDORINE_PLATFORM_WIN32_WINDOW_SYSTEM_H
#define VALDORINE_PLATFORM_WIN32_WINDOW_SYSTEM_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win32.h"
#include "platform/window.h"

namespace platform::win32 {

inline constexpr wchar_t kMainWindowClass[] = L"ValdorineSetupClass";

// Resources of the program (resources/setup.rc).
inline constexpr int kClassIconResource = 1;
inline constexpr int kProductIconResource = 199;
inline constexpr int kConfirmExitDialog = 103;  // IDD_CONFIRM_EXIT
inline constexpr int kConfirmExitQuestion = 1089;

// The command the keyboard shortcut (Ctrl+Q) sends: the exit confirmation.
inline constexpr int kConfirmExitCommand = 2;

class Win32WindowSystem;

class Win32Window : public Window {
 public:
  Win32Window(Win32WindowSystem* system, WindowEvents* events);
  ~Win32Window() override;

  Control* CreateControl(const ControlSpec& desc) override;
  Control* FindControl(int id) override;
  void SetText(Control* control, const wchar_t* text) override;
  void GetText(Control* control, wchar_t* buffer, int capacity) override;
  void SetNote(Control* control, const wchar_t* note) override;
  void Move(Control* control, int x, int y) override;
  void SetBounds(Control* control, int x, int y, int width, int height) override;
  Rect GetBounds(Control* control) override;
  void Show(Control* control, ShowCommand show) override;
  bool IsVisible(Control* control) override;
  void Enable(Control* control, bool enabled) override;
  bool IsEnabled(Control* control) override;
  bool IsChecked(Control* control) override;
  void SetChecked(Control* control, bool checked) override;
  void SetFocus(Control* control) override;
  void Redraw(Control* control) override;
  void Update(Control* control) override;
  void AddComboItem(Control* combo, const wchar_t* text) override;
  void ClearCombo(Control* combo) override;
  int ComboCount(Control* combo) override;
  int ComboSelection(Control* combo) override;
  void SetComboSelection(Control* combo, int index) override;
  void GetComboItemText(Control* combo, int index, wchar_t* buffer, int capacity) override;
  void SetProgressRange(Control* bar, int low, int high) override;
  void SetProgressStep(Control* bar, int step) override;
  void SetProgressPosition(Control* bar, int position) override;
  void PaintText(Control* control, const wchar_t* text, bool useControlFont) override;
  void SetTitle(const wchar_t* title) override;
  Rect GetWindowBounds() override;
  Rect GetClientBounds() override;
  void SetPosition(int x, int y) override;
  void ShowWindow(ShowCommand show) override;
  intptr_t SendCommand(int id) override;
  void Close() override;

  // The window, or null once it has been destroyed.
  HWND hwnd() const { return hwnd_; }
  // The control's window, or null when it is missing or the main window is gone.
  HWND ControlWindow(Control* control) const;

 private:
  friend class Win32WindowSystem;

  struct ControlRecord {
    HWND hwnd;
    int id;
    ControlClass controlClass;
    std::wstring redCaption;  // empty: the button draws its own text
  };
  const ControlRecord* RecordOf(HWND hwnd) const;

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleNotify(WPARAM wParam, LPARAM lParam);
  void Destroyed();

  Win32WindowSystem* system_;
  WindowEvents* events_;
  HWND hwnd_ = nullptr;
  ScopedIcon productIcon_;
  std::vector<ControlRecord> controls_;
};

class Win32WindowSystem : public WindowSystem {
 public:
  // |instance| holds the resources (icons, bitmaps, dialog) and owns the class.
  explicit Win32WindowSystem(HINSTANCE instance);
  ~Win32WindowSystem() override;

  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  void InitCommonControls() override;
  bool RegisterMainWindowClass() override;
  Window* CreateMainWindow(const wchar_t* title, int width, int height,
                           WindowEvents* events) override;
  void RunMessageLoop() override;
  void PumpMessages(Window* window) override;
  void ReleaseWindowResources() override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  int ShowMessage(Window* owner, const wchar_t* text, const wchar_t* caption,
                  MessageIcon icon) override;
  void Beep() override;
  intptr_t ConfirmExit(Window* owner, const wchar_t* question, const wchar_t* yes,
                       const wchar_t* no) override;

  HINSTANCE instance() const { return instance_; }

 private:
  friend class Win32Window;

  // The shared font of |font|, made on first use; null for kDefault or when
  // the system gives no font.
  HFONT FontFor(ControlFont font);
  // Bitmap resource |id|, loaded once and shared by every button showing it.
  HBITMAP Bitmap(int id);
  HWND MainWindow() const;

  HINSTANCE instance_;
  bool classRegistered_ = false;
  ScopedIcon classIcon_;
  ScopedIcon classSmallIcon_;
  ScopedFont controlFont_;
  ScopedFont titleFont_;
  ScopedFont subtitleFont_;
  std::map<int, ScopedBitmap> bitmaps_;
  // Every window made, kept until the system goes so that a Window* held by a
  // download unwinding below the message that closed it stays valid.
  std::vector<std::unique_ptr<Win32Window>> windows_;
  bool tearingDown_ = false;
};

}  // namespace platform::win32

#endif  // VALDORINE_PLATFORM_WIN32_WINDOW_SYSTEM_H
