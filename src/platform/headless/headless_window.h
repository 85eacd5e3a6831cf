// A window system without a display, for tests. It records everything a person
// could see (texts, notes, positions, visibility, enabled and checked states,
// combo items, painted progress lines, the progress bar, message boxes) and
// lets a test act as the user, also from inside a download: actions scheduled
// at the Nth PumpMessages run inside that call, as a real click would.
#ifndef VALDORINE_PLATFORM_HEADLESS_HEADLESS_WINDOW_H
#define VALDORINE_PLATFORM_HEADLESS_HEADLESS_WINDOW_H

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform::headless {

struct ControlState {
  int id = 0;
  ControlClass controlClass = ControlClass::kStatic;
  uint32_t style = 0;
  ControlFont font = ControlFont::kDefault;
  int bitmap = 0;
  std::wstring text;
  std::wstring note;
  int x = 0, y = 0, width = 0, height = 0;
  bool visible = false;
  bool enabled = true;
  bool checked = false;
  bool focused = false;
  std::vector<std::wstring> items;
  int selection = -1;
  // The line painted on the control's surface; cleared by a repaint.
  std::wstring painted;
  // Every line painted, in order, for tests that follow a whole download.
  std::vector<std::wstring> paintLog;
  bool paintedWithControlFont = false;
  int rangeLow = 0, rangeHigh = 100, step = 10, position = 0;
  std::vector<int> positionLog;
  int redraws = 0;
};

struct MessageRecord {
  bool owned;  // owned by the main window
  std::wstring text;
  std::wstring caption;
  MessageIcon icon;
};

struct ConfirmationRecord {
  std::wstring question, yes, no;
  bool owned;
  bool answeredYes;
};

class HeadlessWindowSystem;

class HeadlessWindow : public Window {
 public:
  explicit HeadlessWindow(HeadlessWindowSystem* system) : system_(system) {}

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

  // What a person sees.
  const std::wstring& title() const { return title_; }
  bool visible() const { return visible_; }
  bool destroyed() const { return destroyed_; }
  int x() const { return x_; }
  int y() const { return y_; }
  // The |index|th control created with |id| (the two Exit buttons share one),
  // or null.
  ControlState* Find(int id, int index = 0);
  const std::vector<std::unique_ptr<ControlState>>& controls() const { return controls_; }
  Control* HandleOf(const ControlState* state) const;

 private:
  friend class HeadlessWindowSystem;
  ControlState* StateOf(Control* control) const;

  HeadlessWindowSystem* system_;
  WindowEvents* events_ = nullptr;
  std::vector<std::unique_ptr<ControlState>> controls_;
  std::wstring title_;
  int x_ = 0, y_ = 0, width_ = 0, height_ = 0;
  bool visible_ = false;
  bool destroyed_ = false;
};

class HeadlessWindowSystem : public WindowSystem {
 public:
  HeadlessWindowSystem();
  ~HeadlessWindowSystem() override;

  void InitCommonControls() override { commonControlsInitialized = true; }
  bool RegisterMainWindowClass() override;
  Window* CreateMainWindow(const wchar_t* title, int width, int height,
                           WindowEvents* events) override;
  void RunMessageLoop() override;
  void PumpMessages(Window* window) override;
  void ReleaseWindowResources() override { resourcesReleased = true; }
  int ScreenWidth() override { return screenWidth; }
  int ScreenHeight() override { return screenHeight; }
  int ShowMessage(Window* owner, const wchar_t* text, const wchar_t* caption,
                  MessageIcon icon) override;
  void Beep() override { ++beeps; }
  intptr_t ConfirmExit(Window* owner, const wchar_t* question, const wchar_t* yes,
                       const wchar_t* no) override;

  // Switches and settings a test may change before the setup starts.
  bool failRegisterClass = false;
  bool failCreateWindow = false;
  int screenWidth = 1920;
  int screenHeight = 1080;
  // The frame of a window with a caption and a close box.
  int frameWidth = 6;
  int frameHeight = 29;

  // The user. Actions queued with Then run one after another in the message
  // loop; when none is left the loop closes the window, as a person leaving
  // with the close box would.
  void Then(std::function<void()> action);
  // Runs |action| inside the |n|th call of PumpMessages since the start.
  void AtPump(int n, std::function<void()> action);
  // Runs |action| inside every PumpMessages call until it returns true.
  void DuringPumps(std::function<bool()> action);
  // Answers the next exit confirmation.
  void AnswerExitConfirmation(bool yes) { answers_.push_back(yes); }

  // Acting on the main window as a person would. Each returns false (and does
  // nothing) when the control is missing, hidden or disabled.
  bool Press(int id, int index = 0);
  bool Type(int id, const std::wstring& text);
  bool Select(int id, int item);
  bool ClickLink(int id);
  void DeviceChange(uint32_t event);
  // The close box of the title bar.
  void CloseBox();

  HeadlessWindow* window() const { return window_.get(); }
  int pumpCount() const { return pumps_; }

  // What happened.
  bool commonControlsInitialized = false;
  bool resourcesReleased = false;
  bool closedByHarness = false;
  int beeps = 0;
  int unansweredConfirmations = 0;
  std::vector<MessageRecord> messages;
  std::vector<ConfirmationRecord> confirmations;

 private:
  friend class HeadlessWindow;
  void CloseWindow();

  std::unique_ptr<HeadlessWindow> window_;
  std::deque<std::function<void()>> queue_;
  std::multimap<int, std::function<void()>> atPump_;
  std::vector<std::function<bool()>> duringPumps_;
  std::deque<bool> answers_;
  int pumps_ = 0;
};

}  // namespace platform::headless

#endif  // VALDORINE_PLATFORM_HEADLESS_HEADLESS_WINDOW_H
