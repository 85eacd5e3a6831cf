// The Win32 window system on real windows: controls keep what the core puts
// in them, the dispatching during a download reaches the buttons, a window
// closed in the middle leaves a harmless Window behind and still ends the
// loop, the keyboard shortcut and the red captions.
#include "platform/win32/window_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/win32.h"
// clang-format off
#include <commctrl.h>
// clang-format on

namespace {

using namespace platform;
using platform::win32::Win32Window;
using platform::win32::Win32WindowSystem;

constexpr int kStaticId = 10;
constexpr int kEditId = 11;
constexpr int kComboId = 12;
constexpr int kCheckId = 13;
constexpr int kRadioId = 14;
constexpr int kButtonId = 15;  // two buttons share it, as the two Exit buttons do
constexpr int kProgressId = 16;
constexpr int kLinkId = 17;
constexpr int kListId = 18;
constexpr int kOtherButtonId = 19;

const ControlSpec kControls[] = {
    {kStaticId, ControlClass::kStatic, kWsVisible, 200, 20, L"Static text", ControlFont::kTitle},
    {kEditId, ControlClass::kEdit, kWsVisible | kWsBorder | kEsAutoHScroll, 200, 24,
     L"C:\\Program Files\\Valdorine", ControlFont::kControl},
    {kComboId, ControlClass::kComboBox, kWsVisible | kCbsDropDownList, 200, 120, nullptr,
     ControlFont::kControl},
    {kCheckId, ControlClass::kButton, kWsVisible | kBsAutoCheckBox, 200, 15, L"Check",
     ControlFont::kControl},
    {kRadioId, ControlClass::kButton, kWsVisible | kBsAutoRadioButton, 200, 15, L"Radio",
     ControlFont::kControl, nullptr, 0, 0, L"Red"},
    {kButtonId, ControlClass::kButton, kWsVisible | kBsPushButton, 80, 25, L"First",
     ControlFont::kDefault},
    {kButtonId, ControlClass::kButton, 0, 80, 25, L"Second", ControlFont::kDefault},
    {kProgressId, ControlClass::kProgress, 0, 200, 10, nullptr, ControlFont::kDefault},
    {kLinkId, ControlClass::kLink, kWsVisible, 80, 15, L"<a href=\"x\">Link</a>",
     ControlFont::kControl},
    {kListId, ControlClass::kListView, kLvsReport, 200, 100, nullptr, ControlFont::kDefault,
     nullptr, 0, kWsExClientEdge},
    {kOtherButtonId, ControlClass::kButton, kWsVisible | kBsCommandLink, 300, 55, L"Install",
     ControlFont::kDefault, L"The note"},
};

// The core's side, reduced to recording and to what a test asks of it.
class Events : public WindowEvents {
 public:
  struct Command {
    int id, code;
  };
  void OnCreate(Window* window) override {
    for (const ControlSpec& desc : kControls) {
      Control* control = window->CreateControl(desc);
      controls.push_back(control);
      window->Move(control, 10, 10 + 30 * static_cast<int>(controls.size() - 1));
    }
  }
  intptr_t OnCommand(Window* window, int id, int code) override {
    commands.push_back({id, code});
    if (onCommand) onCommand(window, id);
    return 1;
  }
  void OnLinkClick(Window* window, int id) override { links.push_back(id); }
  void OnDeviceChange(Window* window, uint32_t event) override { devices.push_back(event); }
  void OnClose(Window* window) override { ++closes; }

  std::vector<Control*> controls;
  std::vector<Command> commands;
  std::vector<int> links;
  std::vector<uint32_t> devices;
  int closes = 0;
  std::function<void(Window*, int)> onCommand;
};

// The setup runs with version 6 of the common controls (its manifest); the
// test program has no manifest, so the fixture activates the same dependency.
class WindowSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    manifest_ = std::wstring(temp) + L"vd_window_system_test.manifest";
    std::ofstream(std::filesystem::path(manifest_))
        << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
           "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"
           "<dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
           "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
           "processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>"
           "</dependentAssembly></dependency></assembly>";
    ACTCTXW context = {};
    context.cbSize = sizeof context;
    context.lpSource = manifest_.c_str();
    actctx_ = CreateActCtxW(&context);
    ASSERT_NE(actctx_, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(ActivateActCtx(actctx_, &cookie_));

    system_ = std::make_unique<Win32WindowSystem>(GetModuleHandleW(nullptr));
    system_->InitCommonControls();
    ASSERT_TRUE(system_->RegisterMainWindowClass());
    window_ = static_cast<Win32Window*>(
        system_->CreateMainWindow(L"Window system test", 572, 720, &events_));
    ASSERT_NE(window_, nullptr);
    ASSERT_EQ(events_.controls.size(), std::size(kControls));
  }

  void TearDown() override {
    system_.reset();
    // Whatever a test left behind must not reach the next one.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    if (cookie_) DeactivateActCtx(0, cookie_);
    if (actctx_ != INVALID_HANDLE_VALUE) ReleaseActCtx(actctx_);
    std::filesystem::remove(std::filesystem::path(manifest_));
  }

  Control* control(size_t index) { return events_.controls[index]; }
  HWND hwnd(size_t index) { return reinterpret_cast<HWND>(events_.controls[index]); }

  // Runs the message loop; a loop still running after five seconds is ended
  // by a timer and reported.
  void RunLoopWithDeadline() {
    static bool timedOut;
    timedOut = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) {
      timedOut = true;
      PostQuitMessage(0);
    });
    system_->RunMessageLoop();
    KillTimer(nullptr, timer);
    EXPECT_FALSE(timedOut) << "the message loop did not end";
  }

  std::wstring manifest_;
  HANDLE actctx_ = INVALID_HANDLE_VALUE;
  ULONG_PTR cookie_ = 0;
  Events events_;
  std::unique_ptr<Win32WindowSystem> system_;
  Win32Window* window_ = nullptr;
};

std::wstring TextOf(Window* window, Control* control, int capacity = 260) {
  std::vector<wchar_t> buffer(static_cast<size_t>(capacity), L'#');
  window->GetText(control, buffer.data(), capacity);
  return buffer.data();
}

TEST_F(WindowSystemTest, ControlsKeepWhatTheCorePutsInThem) {
  Window* w = window_;
  // Every kind of control exists, with its identifier and its text.
  for (size_t i = 0; i < std::size(kControls); ++i) {
    SCOPED_TRACE(i);
    ASSERT_NE(control(i), nullptr);
    EXPECT_EQ(GetDlgCtrlID(hwnd(i)), kControls[i].id);
  }
  EXPECT_EQ(TextOf(w, control(1)), L"C:\\Program Files\\Valdorine");
  // Cut to capacity - 1 and terminated, as GetDlgItemTextW does.
  EXPECT_EQ(TextOf(w, control(1), 6), L"C:\\Pr");
  w->SetText(control(0), L"Changed");
  EXPECT_EQ(TextOf(w, control(0)), L"Changed");
  // The first of two controls sharing an identifier.
  EXPECT_EQ(w->FindControl(kButtonId), control(5));
  EXPECT_EQ(w->FindControl(999), nullptr);
  // The note of a command link.
  EXPECT_EQ(SendMessageW(hwnd(10), BCM_GETNOTELENGTH, 0, 0), 8);
  w->SetNote(control(10), L"Other");
  EXPECT_EQ(SendMessageW(hwnd(10), BCM_GETNOTELENGTH, 0, 0), 5);

  w->SetChecked(control(3), true);
  EXPECT_TRUE(w->IsChecked(control(3)));
  w->SetChecked(control(3), false);
  EXPECT_FALSE(w->IsChecked(control(3)));

  Control* combo = control(2);
  EXPECT_EQ(w->ComboSelection(combo), -1);
  w->AddComboItem(combo, L"In English");
  w->AddComboItem(combo, L"En Fran\u00e7ais");
  w->SetComboSelection(combo, 1);
  EXPECT_EQ(w->ComboCount(combo), 2);
  EXPECT_EQ(w->ComboSelection(combo), 1);
  wchar_t item[5];
  w->GetComboItemText(combo, 1, item, 5);
  EXPECT_STREQ(item, L"En F");
  w->GetComboItemText(combo, 7, item, 5);
  EXPECT_STREQ(item, L"");
  w->ClearCombo(combo);
  EXPECT_EQ(w->ComboCount(combo), 0);
  EXPECT_EQ(w->ComboSelection(combo), -1);

  w->SetProgressRange(control(7), 0, 40);
  w->SetProgressPosition(control(7), 12);
  EXPECT_EQ(SendMessageW(hwnd(7), PBM_GETPOS, 0, 0), 12);
  EXPECT_EQ(SendMessageW(hwnd(7), PBM_GETRANGE, FALSE, 0), 40);

  w->SetBounds(control(9), 2, 110, 300, 200);
  Rect bounds = w->GetBounds(control(9));
  EXPECT_EQ(bounds.left, 2);
  EXPECT_EQ(bounds.top, 110);
  EXPECT_EQ(bounds.right, 302);
  EXPECT_EQ(bounds.bottom, 310);

  // A control is visible only while the window is.
  EXPECT_FALSE(w->IsVisible(control(0)));
  w->ShowWindow(kShowShow);
  EXPECT_TRUE(w->IsVisible(control(0)));
  EXPECT_FALSE(w->IsVisible(control(6)));
  w->Show(control(6), kShowShow);
  EXPECT_TRUE(w->IsVisible(control(6)));
  w->Enable(control(6), false);
  EXPECT_FALSE(w->IsEnabled(control(6)));

  Rect outer = w->GetWindowBounds();
  EXPECT_EQ(outer.right - outer.left, 572);
  EXPECT_EQ(outer.bottom - outer.top, 720);
  Rect client = w->GetClientBounds();
  EXPECT_GT(client.right, 500);
  EXPECT_LT(client.right, 572);
  EXPECT_LT(client.bottom, 720);

  // A missing control: nothing happens, nothing is found.
  w->SetText(nullptr, L"x");
  EXPECT_EQ(TextOf(w, nullptr), L"");
  EXPECT_FALSE(w->IsChecked(nullptr));
  EXPECT_EQ(w->ComboSelection(nullptr), -1);
}

TEST_F(WindowSystemTest, AButtonClickedDuringADownloadClosesTheWindowSafely) {
  // The "download" runs inside the first button's command and pumps between
  // blocks; the second click (the Exit button) arrives during a pump and
  // closes the window. The download then keeps using the Window it holds.
  Window* w = window_;
  w->ShowWindow(kShowShow);
  w->Show(control(6), kShowShow);
  int pumpsAfterClose = 0;
  std::wstring textAfterClose = L"unset";
  events_.onCommand = [&](Window* window, int id) {
    if (id == kOtherButtonId) {
      PostMessageW(hwnd(6), BM_CLICK, 0, 0);
      for (int block = 0; block < 50; ++block) {
        system_->PumpMessages(window);
        if (events_.closes) ++pumpsAfterClose;
      }
      window->SetText(control(0), L"after");
      textAfterClose = TextOf(window, control(0));
      window->SetProgressPosition(control(7), 3);
      window->PaintText(control(0), L"Copying", true);
      window->Redraw(nullptr);
    } else if (id == kButtonId) {
      window->Close();
    }
  };
  PostMessageW(hwnd(10), BM_CLICK, 0, 0);
  RunLoopWithDeadline();

  ASSERT_EQ(events_.commands.size(), 2u);
  EXPECT_EQ(events_.commands[0].id, kOtherButtonId);
  EXPECT_EQ(events_.commands[0].code, BN_CLICKED);
  EXPECT_EQ(events_.commands[1].id, kButtonId);
  EXPECT_EQ(events_.closes, 1);
  EXPECT_GT(pumpsAfterClose, 0);
  EXPECT_EQ(textAfterClose, L"");
  EXPECT_EQ(window_->hwnd(), nullptr);
  EXPECT_EQ(w->FindControl(kButtonId), nullptr);
  EXPECT_FALSE(w->IsVisible(control(0)));
  EXPECT_EQ(w->SendCommand(2), 0);
}

TEST_F(WindowSystemTest, PumpingLeavesTheQuitMessageForTheLoop) {
  window_->ShowWindow(kShowShow);
  window_->Close();
  EXPECT_EQ(events_.closes, 1);
  // The pump takes the quit message out of the queue; it must go back.
  system_->PumpMessages(window_);
  system_->PumpMessages(window_);
  RunLoopWithDeadline();
}

TEST_F(WindowSystemTest, ControlQOpensTheExitConfirmation) {
  window_->ShowWindow(kShowShow);
  events_.onCommand = [](Window* window, int id) { window->Close(); };
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  BYTE saved[256];
  std::copy(std::begin(keys), std::end(keys), saved);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  PostMessageW(hwnd(1), WM_KEYDOWN, 'Q', 0x00100001);
  RunLoopWithDeadline();
  SetKeyboardState(saved);

  ASSERT_EQ(events_.commands.size(), 1u);
  EXPECT_EQ(events_.commands[0].id, 2);
  EXPECT_EQ(events_.commands[0].code, 0);
}

TEST_F(WindowSystemTest, NotificationsReachTheCore) {
  window_->ShowWindow(kShowShow);
  UpdateWindow(window_->hwnd());
  // A mouse click on the link's text, then Return on it.
  SendMessageW(hwnd(8), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 7));
  SendMessageW(hwnd(8), WM_LBUTTONUP, 0, MAKELPARAM(6, 7));
  NMHDR enter = {hwnd(8), static_cast<UINT_PTR>(kLinkId), static_cast<UINT>(NM_RETURN)};
  SendMessageW(window_->hwnd(), WM_NOTIFY, kLinkId, reinterpret_cast<LPARAM>(&enter));
  // The same code from the list view is no link click.
  NMHDR listClick = {hwnd(9), static_cast<UINT_PTR>(kListId), static_cast<UINT>(NM_CLICK)};
  SendMessageW(window_->hwnd(), WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&listClick));
  EXPECT_EQ(events_.links, (std::vector<int>{kLinkId, kLinkId}));

  // Only the arrival and the removal of a device refill the drive list.
  for (WPARAM event : {WPARAM{0x8000}, WPARAM{0x8004}, WPARAM{0x0007}})
    SendMessageW(window_->hwnd(), WM_DEVICECHANGE, event, 0);
  EXPECT_EQ(events_.devices, (std::vector<uint32_t>{0x8000, 0x8004}));
}

// Counts the pixels of |control| (its first |width| columns when given) that
// are plainly red, dark, or not white.
struct Ink {
  int red = 0, dark = 0, marked = 0;
};
Ink InkOf(HWND control, int width = 0) {
  Ink ink;
  RECT r;
  GetClientRect(control, &r);
  if (width) r.right = width;
  HDC dc = GetDC(control);
  for (int y = 0; y < r.bottom; ++y) {
    for (int x = 0; x < r.right; ++x) {
      COLORREF c = GetPixel(dc, x, y);
      if (GetRValue(c) > 200 && GetGValue(c) < 110 && GetBValue(c) < 110) ++ink.red;
      if (GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128) ++ink.dark;
      if (GetRValue(c) < 0xE0 || GetGValue(c) < 0xE0 || GetBValue(c) < 0xE0) ++ink.marked;
    }
  }
  ReleaseDC(control, dc);
  return ink;
}

TEST_F(WindowSystemTest, RedCaptionsAndPaintedProgressLines) {
  window_->ShowWindow(kShowShow);
  window_->Redraw(nullptr);
  window_->Update(nullptr);
  UpdateWindow(hwnd(4));
  EXPECT_GT(InkOf(hwnd(4)).red, 5) << "the radio button's caption is not red";
  EXPECT_EQ(InkOf(hwnd(3)).red, 0);
  // The radio circle stays, and shows whether it is chosen.
  int unticked = InkOf(hwnd(4), 14).marked;
  EXPECT_GT(unticked, 0);
  window_->SetChecked(control(4), true);
  UpdateWindow(hwnd(4));
  EXPECT_GT(InkOf(hwnd(4), 14).marked, unticked);

  // A line painted onto a static control shows; painting an empty line wipes
  // it with blanks.
  window_->SetText(control(0), L"");
  UpdateWindow(hwnd(0));
  EXPECT_EQ(InkOf(hwnd(0)).dark, 0);
  window_->PaintText(control(0), L"Copying DevureruzIR.exe", true);
  EXPECT_GT(InkOf(hwnd(0)).dark, 10);
  window_->PaintText(control(0), L"", true);
  EXPECT_EQ(InkOf(hwnd(0)).dark, 0);
}

}  // namespace
