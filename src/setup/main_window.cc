#include "setup/main_window.h"

#include "install/removable_drives.h"
#include "install/web_pages.h"
#include "setup/bounded_format.h"
#include "setup/command_handler.h"
#include "setup/control_ids.h"
#include "setup/interface_texts.h"
#include "setup/setup_state.h"
#include "setup/startup.h"
#include "vendor_host.h"

namespace setup {
namespace {

using platform::ControlClass;
using platform::ControlFont;
using platform::ControlSpec;
using platform::ShowCommand;
using platform::Window;

enum class Page { kMain, kAddon, kBoth };

// Positions relative to the bottom or right edge of the client area.
constexpr int kFromBottom = -17;      // y = H - 17
constexpr int kSetupVersionX = -180;  // x = W - 180 on the main page

struct ControlRow {
  ControlSpec desc;
  Page page;
  int x, y;
};

constexpr uint32_t kVisible = platform::kWsVisible;
constexpr uint32_t kTab = platform::kWsTabStop;
constexpr uint32_t kEdit = platform::kWsBorder | kTab | platform::kEsAutoHScroll;
constexpr uint32_t kCheckBox = platform::kBsAutoCheckBox | kTab;
constexpr uint32_t kCommandLink = platform::kBsCommandLink | kTab;

#define VD_PAGE(path) L"<a href=\"http://" VALDORINE_VENDOR_HOST path L"\">"

// Every control in creation order, which is also the tab order. The add-on
// list comes between the hint and the add-on page's buttons.
constexpr ControlRow kControls[] = {
    {{IDC_TITLE, ControlClass::kStatic, 0, 450, 25, L"Welcome to the Valdorine setup",
      ControlFont::kTitle},
     Page::kMain,
     150,
     15},
    {{IDC_PRODUCT_VERSION, ControlClass::kStatic, 0, 450, 20, L"v 5.04 Build 16 - Freeware",
      ControlFont::kSubtitle},
     Page::kMain,
     150,
     40},
    {{IDC_LANGUAGE, ControlClass::kComboBox, platform::kCbsDropDownList, 300, 120, nullptr,
      ControlFont::kControl},
     Page::kMain,
     150,
     70},
    {{IDC_STANDARD_GROUP, ControlClass::kButton, platform::kBsGroupBox, 534, 210, L"",
      ControlFont::kDefault},
     Page::kMain,
     20,
     110},
    {{IDC_STANDARD, ControlClass::kButton, platform::kBsAutoRadioButton | kTab, 70, 15, L"Standard",
      ControlFont::kControl, nullptr, 0, 0, L"Standard"},
     Page::kMain,
     30,
     110},
    {{IDC_INSTALL_FOLDER_LABEL, ControlClass::kStatic, 0, 434, 22,
      L"Install Valdorine to the following folder:", ControlFont::kControl},
     Page::kMain,
     35,
     135},
    {{IDC_INSTALL_FOLDER, ControlClass::kEdit, kEdit, 434, 24, nullptr, ControlFont::kControl},
     Page::kMain,
     50,
     158},
    {{IDC_INSTALL_FOLDER_BROWSE, ControlClass::kButton, platform::kBsPushButton | kTab, 34, 24,
      L"...", ControlFont::kControl},
     Page::kMain,
     485,
     158},
    {{IDC_START_FOLDER_LABEL, ControlClass::kStatic, 0, 434, 22,
      L"Start Valdorine from the following folder:", ControlFont::kControl},
     Page::kMain,
     35,
     195},
    {{IDC_START_FOLDER, ControlClass::kEdit, kEdit, 434, 24, nullptr, ControlFont::kControl},
     Page::kMain,
     50,
     218},
    {{IDC_START_FOLDER_BROWSE, ControlClass::kButton, platform::kBsPushButton | kTab, 34, 24,
      L"...", ControlFont::kControl},
     Page::kMain,
     485,
     218},
    {{IDC_DESKTOP_SHORTCUT, ControlClass::kButton, kCheckBox, 260, 15,
      L"Create a shortcut on the desktop (icon)", ControlFont::kControl},
     Page::kMain,
     50,
     255},
    {{IDC_START_MENU_SHORTCUT, ControlClass::kButton, kCheckBox, 260, 15,
      L"Add Valdorine to the 'Start' menu", ControlFont::kControl},
     Page::kMain,
     50,
     275},
    {{IDC_PROGRAM_MENU_SHORTCUT, ControlClass::kButton, kCheckBox, 260, 15,
      L"Add Valdorine to the 'Program' menu", ControlFont::kControl},
     Page::kMain,
     50,
     295},
    {{IDC_USB_GROUP, ControlClass::kButton, platform::kBsGroupBox, 534, 85, L"",
      ControlFont::kDefault},
     Page::kMain,
     20,
     325},
    {{IDC_USB, ControlClass::kButton, platform::kBsAutoRadioButton | kTab, 50, 15, L"To USB",
      ControlFont::kControl, nullptr, 0, 0, L"USB"},
     Page::kMain,
     30,
     325},
    {{IDC_USB_DRIVE_LABEL, ControlClass::kStatic, 0, 100, 20, L"Insert a USB key:",
      ControlFont::kControl},
     Page::kMain,
     30,
     345},
    {{IDC_USB_DRIVE, ControlClass::kComboBox, platform::kCbsDropDownList, 100, 62, nullptr,
      ControlFont::kControl},
     Page::kMain,
     130,
     343},
    {{IDC_USB_FOLDER_LABEL, ControlClass::kStatic, 0, 64, 22, L"Folder:", ControlFont::kControl},
     Page::kMain,
     30,
     371},
    {{IDC_USB_FOLDER, ControlClass::kEdit, kEdit, 354, 24, L"", ControlFont::kControl},
     Page::kMain,
     130,
     371},
    {{IDC_USB_FOLDER_BROWSE, ControlClass::kButton, platform::kBsPushButton | kTab, 34, 24, L"...",
      ControlFont::kControl},
     Page::kMain,
     485,
     371},
    {{IDC_LAUNCH_AT_EXIT, ControlClass::kButton, kCheckBox, 360, 15,
      L"Launch Valdorine once installed", ControlFont::kControl},
     Page::kMain,
     30,
     420},
    {{IDC_INSTALL_NOW, ControlClass::kButton, kCommandLink | platform::kBsBitmap, 520, 55,
      L"Install the program Now", ControlFont::kDefault,
      L"(Or click the button below if you just want to install one or several optional addons)",
      204},
     Page::kMain,
     20,
     445},
    {{IDC_GOTO_ADDONS, ControlClass::kButton, kCommandLink, 520, 55, L"Install the Optional AddOns",
      ControlFont::kDefault, L"(Direct access to the optional addons install Setup)", 205},
     Page::kMain,
     20,
     504},
    {{IDC_EXIT, ControlClass::kButton, kCommandLink, 520, 55, L"Exit", ControlFont::kDefault,
      L"(Exit the Install program)", 203},
     Page::kMain,
     20,
     564},
    {{IDC_PROGRESS, ControlClass::kProgress, 0, 520, 10, nullptr, ControlFont::kDefault},
     Page::kBoth,
     20,
     640},
    {{IDC_PROGRESS_FILE, ControlClass::kStatic, 0, 100, 15, L"", ControlFont::kControl},
     Page::kBoth,
     20,
     620},
    {{IDC_PROGRESS_COUNT, ControlClass::kStatic, platform::kSsRight, 100, 15, L"",
      ControlFont::kControl},
     Page::kBoth,
     285,
     620},
    {{IDC_EULA_PREFIX, ControlClass::kStatic, 0, 50, 15, L"Read the", ControlFont::kControl},
     Page::kMain,
     10,
     kFromBottom},
    {{IDC_EULA_LINK, ControlClass::kLink, kTab, 80, 15,
      VD_PAGE(L"/eula_en.htm") L"Quarnell Eula</a>", ControlFont::kControl},
     Page::kMain,
     60,
     kFromBottom},
    {{IDC_EULA_SUFFIX, ControlClass::kStatic, 0, 60, 15, L"agreement", ControlFont::kControl},
     Page::kMain,
     138,
     kFromBottom},
    {{IDC_WHATSNEW_LINK, ControlClass::kLink, kTab | kVisible, 80, 15,
      VD_PAGE(L"/devureruzir_whatsnew_en.htm") L"What's New?</a>", ControlFont::kControl},
     Page::kMain,
     224,
     kFromBottom},
    {{IDC_SETUP_VERSION, ControlClass::kStatic, platform::kSsRight | kVisible, 150, 15,
      L"Setup version: 1.19.5", ControlFont::kControl},
     Page::kMain,
     kSetupVersionX,
     kFromBottom},
    {{IDC_ADDONS_TITLE, ControlClass::kStatic, 0, 370, 40, L"Optional AddOns.",
      ControlFont::kTitle},
     Page::kAddon,
     150,
     15},
    {{IDC_ADDONS_HINT, ControlClass::kStatic, 0, 370, 50,
      L"To install, check items then click Install.", ControlFont::kSubtitle},
     Page::kAddon,
     150,
     50},
};

constexpr ControlRow kAddonButtons[] = {
    {{IDC_CHECK_ALL, ControlClass::kButton, platform::kBsPushButton, 70, 25, L"All",
      ControlFont::kControl},
     Page::kAddon,
     0,
     0},
    {{IDC_CHECK_NONE, ControlClass::kButton, platform::kBsPushButton, 70, 25, L"None",
      ControlFont::kControl},
     Page::kAddon,
     0,
     0},
    {{IDC_INSTALL_ADDONS, ControlClass::kButton, kCommandLink, 520, 55,
      L"Install the selected AddOns", ControlFont::kControl,
      L"(Or click the button below to ggo back to the prvious window)", 204},
     Page::kAddon,
     20,
     445},
    {{IDC_BACK, ControlClass::kButton, kCommandLink, 520, 55, L"Back to the Previous Window",
      ControlFont::kDefault, L"(Returns to the main Install window)", 206},
     Page::kAddon,
     20,
     504},
    {{IDC_EXIT, ControlClass::kButton, kCommandLink, 520, 55, L"Exit", ControlFont::kDefault,
      L"(Exit the Install program)", 203},
     Page::kAddon,
     20,
     564},
};

constexpr ControlSpec kAddonList = {
    IDC_ADDON_LIST,
    ControlClass::kListView,
    kTab | platform::kLvsReport | platform::kLvsShowSelAlways | platform::kLvsNoColumnHeader,
    300,
    300,
    nullptr,
    ControlFont::kDefault,
    nullptr,
    0,
    platform::kWsExClientEdge};

// The two Exit buttons share an identifier, so they are kept by handle.
struct Handles {
  platform::Control* mainExit = nullptr;
  platform::Control* addonExit = nullptr;
  int clientWidth = 0;
  int clientHeight = 0;
} handles;

// The controls that ShowMainPage gives its show command to.
constexpr int kMainPageShown[] = {
    IDC_TITLE,
    IDC_PRODUCT_VERSION,
    IDC_LANGUAGE,
    IDC_EULA_PREFIX,
    IDC_EULA_LINK,
    IDC_EULA_SUFFIX,
    IDC_SETUP_VERSION,
    IDC_INSTALL_FOLDER_LABEL,
    IDC_INSTALL_FOLDER,
    IDC_INSTALL_FOLDER_BROWSE,
    IDC_STANDARD_GROUP,
    IDC_USB_GROUP,
    IDC_START_FOLDER_LABEL,
    IDC_START_FOLDER,
    IDC_START_FOLDER_BROWSE,
    IDC_USB_DRIVE_LABEL,
    IDC_USB_DRIVE,
    IDC_USB_FOLDER_LABEL,
    IDC_USB_FOLDER,
    IDC_USB_FOLDER_BROWSE,
    IDC_PROGRESS_FILE,
    IDC_PROGRESS_COUNT,
    IDC_INSTALL_NOW,
    IDC_DESKTOP_SHORTCUT,
    IDC_START_MENU_SHORTCUT,
    IDC_PROGRAM_MENU_SHORTCUT,
    IDC_LAUNCH_AT_EXIT,
    IDC_USB,
    IDC_STANDARD,
    IDC_GOTO_ADDONS,
};

constexpr int kAddonPageShown[] = {
    IDC_ADDONS_TITLE,  IDC_ADDONS_HINT,    IDC_ADDON_LIST,     IDC_CHECK_ALL, IDC_CHECK_NONE,
    IDC_PROGRESS_FILE, IDC_PROGRESS_COUNT, IDC_INSTALL_ADDONS, IDC_BACK,
};

constexpr int kStandardControls[] = {
    IDC_INSTALL_FOLDER_LABEL, IDC_INSTALL_FOLDER,      IDC_INSTALL_FOLDER_BROWSE,
    IDC_START_FOLDER_LABEL,   IDC_START_FOLDER,        IDC_START_FOLDER_BROWSE,
    IDC_DESKTOP_SHORTCUT,     IDC_START_MENU_SHORTCUT, IDC_PROGRAM_MENU_SHORTCUT,
};

constexpr int kPortableControls[] = {
    IDC_USB_DRIVE,
    IDC_USB_FOLDER_LABEL,
    IDC_USB_FOLDER,
    IDC_USB_FOLDER_BROWSE,
};

void OpenPage(Window* window, const wchar_t* english, const wchar_t* french) {
  bool isFrench = window->ComboSelection(window->FindControl(IDC_LANGUAGE)) == 1;
  install::OpenWebPage(isFrench ? french : english, platform::kShowShow);
}

}  // namespace

int CreateControls(Window* window) {
  auto create = [window](const ControlRow& row) { return window->CreateControl(row.desc); };
  for (const ControlRow& row : kControls) {
    platform::Control* c = create(row);
    switch (row.desc.id) {
      case IDC_LANGUAGE:
        window->AddComboItem(c, L"In English");
        window->AddComboItem(c, L"En Fran\u00e7ais");
        window->SetComboSelection(c, 0);
        break;
      case IDC_INSTALL_FOLDER:
        FormatInto(state.installFolder, L"%s\\Valdorine", state.programFilesFolder);
        window->SetText(c, state.installFolder);
        break;
      case IDC_START_FOLDER:
        window->SetText(c, state.documentsFolder);
        break;
      case IDC_LAUNCH_AT_EXIT:
        window->SetChecked(c, true);
        break;
      case IDC_EXIT:
        handles.mainExit = c;
        break;
      default:
        break;
    }
  }
  // The catalogue is filled here once the add-on installation lands; a list
  // that could not be created is simply missing.
  window->CreateControl(kAddonList);
  for (const ControlRow& row : kAddonButtons) {
    platform::Control* c = create(row);
    if (row.desc.id == IDC_EXIT) handles.addonExit = c;
  }
  return 1;
}

void ShowMainPage(Window* window, ShowCommand show) {
  platform::Rect client = window->GetClientBounds();
  handles.clientWidth = client.right - client.left;
  handles.clientHeight = client.bottom - client.top;
  for (const ControlRow& row : kControls) {
    if (row.page == Page::kAddon) continue;
    int x = row.x == kSetupVersionX ? handles.clientWidth - 180 : row.x;
    int y = row.y == kFromBottom ? handles.clientHeight - 17 : row.y;
    if (row.desc.id == IDC_USB_DRIVE) x = state.language == kLanguageEnglish ? 130 : 180;
    window->Move(window->FindControl(row.desc.id), x, y);
  }
  for (int id : kMainPageShown) window->Show(window->FindControl(id), show);
  window->Show(handles.mainExit, show);
}

void ShowAddonPage(Window* window, ShowCommand show) {
  const int w = handles.clientWidth;
  const int h = handles.clientHeight;
  auto control = [window](int id) { return window->FindControl(id); };
  platform::Rect all = window->GetBounds(control(IDC_CHECK_ALL));
  const int a = all.right - all.left;
  window->Move(control(IDC_ADDONS_TITLE), 150, 15);
  window->Move(control(IDC_ADDONS_HINT), 150, 50);
  platform::Control* list = control(IDC_ADDON_LIST);
  window->SetBounds(list, 2, 110, w - 4, 300);
  const int l = window->GetBounds(list).bottom + 3;
  window->Move(control(IDC_CHECK_NONE), w - a - 4, l);
  window->Move(control(IDC_CHECK_ALL), w - 2 * a - 6, l);
  window->Move(control(IDC_INSTALL_ADDONS), 20, 445);
  window->Move(control(IDC_BACK), 20, 504);
  window->Move(handles.addonExit, 20, 564);
  window->Move(control(IDC_PROGRESS_FILE), 20, 620);
  window->Move(control(IDC_PROGRESS_COUNT), 285, 620);
  window->Move(control(IDC_PROGRESS), 20, 640);
  window->Move(control(IDC_SETUP_VERSION), w - 200, h - 17);
  for (int id : kAddonPageShown) window->Show(control(id), show);
  window->Show(handles.addonExit, show);
}

void UpdateInstallKindControls(Window* window) {
  auto control = [window](int id) { return window->FindControl(id); };
  bool portable = window->IsChecked(control(IDC_USB));
  bool haveDrive = window->ComboCount(control(IDC_USB_DRIVE)) > 0;
  for (int id : kStandardControls) window->Enable(control(id), !portable);
  window->Enable(control(IDC_USB_DRIVE_LABEL), portable);
  for (int id : kPortableControls) window->Enable(control(id), portable && haveDrive);
}

platform::Control* MainPageExitButton() {
  return handles.mainExit;
}
platform::Control* AddonPageExitButton() {
  return handles.addonExit;
}

void FillDriveList(Window* window) {
  platform::Control* combo = window->FindControl(IDC_USB_DRIVE);
  window->ClearCombo(combo);
  for (wchar_t& letter : state.driveLetters) letter = L'\0';
  int count = install::FindRemovableDrives();
  for (int i = 0; i < count; ++i) {
    wchar_t root[5];
    FormatInto(root, L"%c:\\", state.driveLetters[i]);
    window->AddComboItem(combo, root);
  }
  window->SetComboSelection(combo, 0);
}

void MainWindow::OnCreate(Window* window) {
  state.mainWindow = window;
  CreateControls(window);
  window->SetChecked(window->FindControl(IDC_STANDARD), true);
  UpdateInstallKindControls(window);
  FillDriveList(window);
  CenterWindow(window);
  window->ShowWindow(platform::kShowShow);
  ShowMainPage(window, platform::kShowShow);
}

intptr_t MainWindow::OnCommand(Window* window, int id, int code) {
  if (code == 1 /* CBN_SELCHANGE */) {
    if (id != IDC_LANGUAGE) return 0;
    state.language = window->ComboSelection(window->FindControl(IDC_LANGUAGE)) == 1
                         ? kLanguageFrench
                         : kLanguageEnglish;
    ShowMainPage(window, platform::kShowNormal);
    if (state.language == kLanguageEnglish)
      ApplyEnglishTexts(window);
    else
      ApplyFrenchTexts(window);
    return 0;
  }
  intptr_t result = HandleCommand(window, static_cast<uint32_t>(id));
  if (result == CLOSE_REQUESTED) window->Close();
  return result;
}

void MainWindow::OnLinkClick(Window* window, int id) {
  if (id == IDC_EULA_LINK) {
    OpenPage(window, L"http://" VALDORINE_VENDOR_HOST L"/eula_en.htm",
             L"http://" VALDORINE_VENDOR_HOST L"/eula_fr.htm");
  } else if (id == IDC_WHATSNEW_LINK) {
    OpenPage(window, L"http://" VALDORINE_VENDOR_HOST L"/devureruzir_whatsnew_en.htm",
             L"http://" VALDORINE_VENDOR_HOST L"/devureruzir_whatsnew_fr.htm");
  }
}

void MainWindow::OnDeviceChange(Window* window, uint32_t event) {
  // The enabled state follows the next click on an installation kind.
  if (event == platform::kDeviceArrival || event == platform::kDeviceRemoveComplete)
    FillDriveList(window);
}

void MainWindow::OnClose(Window* window) {
  // A download below this message stops at its next block.
  state.keepGoing = 0;
}

}  // namespace setup
