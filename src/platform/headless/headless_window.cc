#include "platform/headless/headless_window.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace platform::headless {
namespace {

void CopyCut(const std::wstring& text, wchar_t* buffer, int capacity) {
  if (capacity <= 0) return;
  size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
  std::copy_n(text.data(), n, buffer);
  buffer[n] = L'\0';
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

bool IsRadio(const ControlState& c) {
  return c.controlClass == ControlClass::kButton && (c.style & 0xF) == kBsAutoRadioButton;
}
bool IsCheckBox(const ControlState& c) {
  return c.controlClass == ControlClass::kButton && (c.style & 0xF) == kBsAutoCheckBox;
}

}  // namespace

// --- HeadlessWindow ---------------------------------------------------------

ControlState* HeadlessWindow::StateOf(Control* control) const {
  if (!control || destroyed_) return nullptr;
  return reinterpret_cast<ControlState*>(control);
}

Control* HeadlessWindow::HandleOf(const ControlState* state) const {
  return reinterpret_cast<Control*>(const_cast<ControlState*>(state));
}

Control* HeadlessWindow::CreateControl(const ControlSpec& desc) {
  if (destroyed_) return nullptr;
  auto c = std::make_unique<ControlState>();
  c->id = desc.id;
  c->controlClass = desc.controlClass;
  c->style = desc.style;
  c->font = desc.font;
  c->bitmap = desc.bitmap;
  c->text = desc.text ? desc.text : L"";
  c->note = desc.note ? desc.note : L"";
  c->width = desc.width;
  c->height = desc.height;
  c->visible = (desc.style & kWsVisible) != 0;
  controls_.push_back(std::move(c));
  return HandleOf(controls_.back().get());
}

Control* HeadlessWindow::FindControl(int id) {
  ControlState* c = Find(id);
  return c ? HandleOf(c) : nullptr;
}

ControlState* HeadlessWindow::Find(int id, int index) {
  for (auto& c : controls_)
    if (c->id == id && index-- == 0) return c.get();
  return nullptr;
}

void HeadlessWindow::SetText(Control* control, const wchar_t* text) {
  if (auto* c = StateOf(control)) c->text = text ? text : L"";
}
void HeadlessWindow::GetText(Control* control, wchar_t* buffer, int capacity) {
  auto* c = StateOf(control);
  CopyCut(c ? c->text : std::wstring(), buffer, capacity);
}
void HeadlessWindow::SetNote(Control* control, const wchar_t* note) {
  if (auto* c = StateOf(control)) c->note = note ? note : L"";
}
void HeadlessWindow::Move(Control* control, int x, int y) {
  if (auto* c = StateOf(control)) c->x = x, c->y = y;
}
void HeadlessWindow::SetBounds(Control* control, int x, int y, int width, int height) {
  if (auto* c = StateOf(control)) c->x = x, c->y = y, c->width = width, c->height = height;
}
Rect HeadlessWindow::GetBounds(Control* control) {
  auto* c = StateOf(control);
  if (!c) return {0, 0, 0, 0};
  return {c->x, c->y, c->x + c->width, c->y + c->height};
}
void HeadlessWindow::Show(Control* control, ShowCommand show) {
  if (auto* c = StateOf(control)) c->visible = show != kShowHide;
}
bool HeadlessWindow::IsVisible(Control* control) {
  auto* c = StateOf(control);
  return c && c->visible && visible_;
}
void HeadlessWindow::Enable(Control* control, bool enabled) {
  if (auto* c = StateOf(control)) c->enabled = enabled;
}
bool HeadlessWindow::IsEnabled(Control* control) {
  auto* c = StateOf(control);
  return c && c->enabled;
}
bool HeadlessWindow::IsChecked(Control* control) {
  auto* c = StateOf(control);
  return c && c->checked;
}
void HeadlessWindow::SetChecked(Control* control, bool checked) {
  if (auto* c = StateOf(control)) c->checked = checked;
}
void HeadlessWindow::SetFocus(Control* control) {
  auto* target = StateOf(control);
  if (!target) return;
  for (auto& c : controls_) c->focused = false;
  target->focused = true;
}
void HeadlessWindow::Redraw(Control* control) {
  if (destroyed_) return;
  if (!control) {
    for (auto& c : controls_) c->painted.clear(), ++c->redraws;
    return;
  }
  if (auto* c = StateOf(control)) c->painted.clear(), ++c->redraws;
}
void HeadlessWindow::Update(Control* control) {}

void HeadlessWindow::AddComboItem(Control* combo, const wchar_t* text) {
  if (auto* c = StateOf(combo)) c->items.push_back(text ? text : L"");
}
void HeadlessWindow::ClearCombo(Control* combo) {
  if (auto* c = StateOf(combo)) c->items.clear(), c->selection = -1;
}
int HeadlessWindow::ComboCount(Control* combo) {
  auto* c = StateOf(combo);
  return c ? static_cast<int>(c->items.size()) : 0;
}
int HeadlessWindow::ComboSelection(Control* combo) {
  auto* c = StateOf(combo);
  return c ? c->selection : -1;
}
void HeadlessWindow::SetComboSelection(Control* combo, int index) {
  auto* c = StateOf(combo);
  if (!c) return;
  c->selection = (index >= 0 && index < static_cast<int>(c->items.size())) ? index : -1;
}
void HeadlessWindow::GetComboItemText(Control* combo, int index, wchar_t* buffer, int capacity) {
  auto* c = StateOf(combo);
  bool valid = c && index >= 0 && index < static_cast<int>(c->items.size());
  CopyCut(valid ? c->items[static_cast<size_t>(index)] : std::wstring(), buffer, capacity);
}

void HeadlessWindow::SetProgressRange(Control* bar, int low, int high) {
  if (auto* c = StateOf(bar)) c->rangeLow = low, c->rangeHigh = high;
}
void HeadlessWindow::SetProgressStep(Control* bar, int step) {
  if (auto* c = StateOf(bar)) c->step = step;
}
void HeadlessWindow::SetProgressPosition(Control* bar, int position) {
  if (auto* c = StateOf(bar)) {
    c->position = std::clamp(position, c->rangeLow, c->rangeHigh);
    c->positionLog.push_back(c->position);
  }
}
void HeadlessWindow::PaintText(Control* control, const wchar_t* text, bool useControlFont) {
  auto* c = StateOf(control);
  if (!c) return;
  c->painted = text ? text : L"";
  c->paintLog.push_back(c->painted);
  c->paintedWithControlFont = useControlFont;
}

void HeadlessWindow::SetTitle(const wchar_t* title) {
  if (!destroyed_) title_ = title ? title : L"";
}
Rect HeadlessWindow::GetWindowBounds() { return {x_, y_, x_ + width_, y_ + height_}; }
Rect HeadlessWindow::GetClientBounds() {
  return {0, 0, width_ - system_->frameWidth, height_ - system_->frameHeight};
}
void HeadlessWindow::SetPosition(int x, int y) {
  if (!destroyed_) x_ = x, y_ = y;
}
void HeadlessWindow::ShowWindow(ShowCommand show) {
  if (!destroyed_) visible_ = show != kShowHide;
}
intptr_t HeadlessWindow::SendCommand(int id) {
  if (destroyed_ || !events_) return 0;
  return events_->OnCommand(this, id, 0);
}
void HeadlessWindow::Close() { system_->CloseWindow(); }

// --- HeadlessWindowSystem ---------------------------------------------------

HeadlessWindowSystem::HeadlessWindowSystem() = default;
HeadlessWindowSystem::~HeadlessWindowSystem() = default;

bool HeadlessWindowSystem::RegisterMainWindowClass() { return !failRegisterClass; }

Window* HeadlessWindowSystem::CreateMainWindow(const wchar_t* title, int width, int height,
                                               WindowEvents* events) {
  if (failCreateWindow) return nullptr;
  window_ = std::make_unique<HeadlessWindow>(this);
  window_->title_ = title;
  window_->width_ = width;
  window_->height_ = height;
  window_->events_ = events;
  events->OnCreate(window_.get());
  return window_.get();
}

void HeadlessWindowSystem::RunMessageLoop() {
  while (window_ && !window_->destroyed_) {
    if (queue_.empty()) {
      closedByHarness = true;
      CloseWindow();
      break;
    }
    auto action = std::move(queue_.front());
    queue_.pop_front();
    action();
  }
}

void HeadlessWindowSystem::PumpMessages(Window* window) {
  ++pumps_;
  auto range = atPump_.equal_range(pumps_);
  std::vector<std::function<void()>> due;
  for (auto it = range.first; it != range.second; ++it) due.push_back(std::move(it->second));
  atPump_.erase(range.first, range.second);
  for (auto& action : due) action();
  // Each action may schedule more; run them until they say they are done.
  auto during = std::move(duringPumps_);
  duringPumps_.clear();
  for (auto& action : during)
    if (!action()) duringPumps_.push_back(std::move(action));
}

int HeadlessWindowSystem::ShowMessage(Window* owner, const wchar_t* text, const wchar_t* caption,
                                      MessageIcon icon) {
  messages.push_back({owner != nullptr, text ? text : L"", caption ? caption : L"", icon});
  // Also on stderr, so that a test of a process that ends can match it.
  static const char* const kIcons[] = {"error", "warning", "information"};
  std::fprintf(stderr, "[message box, %s, %s] %s: %s\n", owner ? "owned" : "no owner",
               kIcons[static_cast<int>(icon)], Narrow(messages.back().caption).c_str(),
               Narrow(messages.back().text).c_str());
  return 1;
}

intptr_t HeadlessWindowSystem::ConfirmExit(Window* owner, const wchar_t* question,
                                           const wchar_t* yes, const wchar_t* no) {
  bool answer = false;
  if (answers_.empty()) {
    ++unansweredConfirmations;
  } else {
    answer = answers_.front();
    answers_.pop_front();
  }
  confirmations.push_back({question, yes, no, owner != nullptr, answer});
  return answer ? 1 : 0;
}

void HeadlessWindowSystem::Then(std::function<void()> action) {
  queue_.push_back(std::move(action));
}
void HeadlessWindowSystem::AtPump(int n, std::function<void()> action) {
  atPump_.emplace(n, std::move(action));
}
void HeadlessWindowSystem::DuringPumps(std::function<bool()> action) {
  duringPumps_.push_back(std::move(action));
}

bool HeadlessWindowSystem::Press(int id, int index) {
  HeadlessWindow* w = window_.get();
  if (!w || w->destroyed_) return false;
  ControlState* c = w->Find(id, index);
  if (!c || !c->visible || !c->enabled) return false;
  if (IsRadio(*c)) {
    for (auto& other : w->controls_)
      if (IsRadio(*other)) other->checked = false;
    c->checked = true;
  } else if (IsCheckBox(*c)) {
    c->checked = !c->checked;
  }
  w->events_->OnCommand(w, id, 0);
  return true;
}

bool HeadlessWindowSystem::Type(int id, const std::wstring& text) {
  HeadlessWindow* w = window_.get();
  if (!w || w->destroyed_) return false;
  ControlState* c = w->Find(id);
  if (!c || !c->visible || !c->enabled) return false;
  c->text = text;
  w->events_->OnCommand(w, id, 0x300);  // EN_CHANGE
  return true;
}

bool HeadlessWindowSystem::Select(int id, int item) {
  HeadlessWindow* w = window_.get();
  if (!w || w->destroyed_) return false;
  ControlState* c = w->Find(id);
  if (!c || !c->visible || !c->enabled || item < 0 || item >= static_cast<int>(c->items.size()))
    return false;
  c->selection = item;
  w->events_->OnCommand(w, id, 1);  // CBN_SELCHANGE
  return true;
}

bool HeadlessWindowSystem::ClickLink(int id) {
  HeadlessWindow* w = window_.get();
  if (!w || w->destroyed_) return false;
  ControlState* c = w->Find(id);
  if (!c || !c->visible || !c->enabled) return false;
  w->events_->OnLinkClick(w, id);
  return true;
}

void HeadlessWindowSystem::DeviceChange(uint32_t event) {
  if (window_ && !window_->destroyed_) window_->events_->OnDeviceChange(window_.get(), event);
}

void HeadlessWindowSystem::CloseBox() { CloseWindow(); }

void HeadlessWindowSystem::CloseWindow() {
  HeadlessWindow* w = window_.get();
  if (!w || w->destroyed_) return;
  w->events_->OnClose(w);
  w->destroyed_ = true;
  w->visible_ = false;
}

}  // namespace platform::headless
