// Identifiers of the main window's controls and of the internal commands.
#ifndef VALDORINE_SETUP_CONTROL_IDS_H
#define VALDORINE_SETUP_CONTROL_IDS_H

namespace setup {

// Internal commands, sent to the main window as WM_COMMAND.
inline constexpr int CMD_CONFIRM_EXIT = 2;
inline constexpr int CMD_SHOW_MAIN_PAGE = 4;
inline constexpr int CMD_SHOW_ADDON_PAGE = 6;

// HandleCommand's answer when the main window is to be closed.
inline constexpr int CLOSE_REQUESTED = 128;

// Main page.
inline constexpr int IDC_TITLE = 1071;
inline constexpr int IDC_PRODUCT_VERSION = 1072;
inline constexpr int IDC_LANGUAGE = 1065;
inline constexpr int IDC_STANDARD_GROUP = 1079;
inline constexpr int IDC_STANDARD = 1032;
inline constexpr int IDC_INSTALL_FOLDER_LABEL = 1058;
inline constexpr int IDC_INSTALL_FOLDER = 1011;
inline constexpr int IDC_INSTALL_FOLDER_BROWSE = 1010;
inline constexpr int IDC_START_FOLDER_LABEL = 1078;
inline constexpr int IDC_START_FOLDER = 1013;
inline constexpr int IDC_START_FOLDER_BROWSE = 1005;
inline constexpr int IDC_DESKTOP_SHORTCUT = 1042;
inline constexpr int IDC_START_MENU_SHORTCUT = 1043;
inline constexpr int IDC_PROGRAM_MENU_SHORTCUT = 1045;
inline constexpr int IDC_USB_GROUP = 1080;
inline constexpr int IDC_USB = 1031;
inline constexpr int IDC_USB_DRIVE_LABEL = 1000;
inline constexpr int IDC_USB_DRIVE = 1001;
inline constexpr int IDC_USB_FOLDER_LABEL = 1002;
inline constexpr int IDC_USB_FOLDER = 1015;
inline constexpr int IDC_USB_FOLDER_BROWSE = 1014;
inline constexpr int IDC_LAUNCH_AT_EXIT = 1030;
inline constexpr int IDC_INSTALL_NOW = 1087;
inline constexpr int IDC_GOTO_ADDONS = 171;
inline constexpr int IDC_BACK = 172;
inline constexpr int IDC_EXIT = 173;
inline constexpr int IDC_EULA_LINK = 174;
inline constexpr int IDC_WHATSNEW_LINK = 175;
// Both pages.
inline constexpr int IDC_PROGRESS = 1003;
inline constexpr int IDC_PROGRESS_FILE = 1047;
inline constexpr int IDC_PROGRESS_COUNT = 1048;
inline constexpr int IDC_EULA_PREFIX = 1012;
inline constexpr int IDC_EULA_SUFFIX = 1035;
inline constexpr int IDC_SETUP_VERSION = 1036;
// Add-on page.
inline constexpr int IDC_ADDONS_TITLE = 1006;
inline constexpr int IDC_ADDONS_HINT = 1008;
inline constexpr int IDC_ADDON_LIST = 1049;
inline constexpr int IDC_CHECK_ALL = 1054;
inline constexpr int IDC_CHECK_NONE = 1055;
inline constexpr int IDC_INSTALL_ADDONS = 1056;

// Resources.
inline constexpr int IDD_CONFIRM_EXIT = 103;

}  // namespace setup

#endif  // VALDORINE_SETUP_CONTROL_IDS_H
