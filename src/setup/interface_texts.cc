#include "setup/interface_texts.h"

#include "platform/window.h"
#include "setup/control_ids.h"
#include "setup/main_window.h"
#include "setup/setup_state.h"

namespace setup {
namespace {

enum class Target {
  kWindowTitle,
  kText,
  kNote,
  kMainExitText,
  kMainExitNote,
  kAddonExitText,
  kAddonExitNote
};

struct TextRow {
  Target target;
  int id;
  const wchar_t* english;
  const wchar_t* french;  // null: the French set leaves the control alone
};

// Both sets, in the order they are applied.
constexpr TextRow kTexts[] = {
    {Target::kWindowTitle, 0, L"Valdorine setup", L"Installation de Valdorine"},
    {Target::kText, IDC_TITLE, L"Welcome to the Valdorine Setup", L"Installation de Valdorine"},
    {Target::kText, IDC_INSTALL_FOLDER_LABEL, L"Install Valdorine to the following folder:",
     L"Installer Valdorine dans le dossier suivant:"},
    {Target::kText, IDC_START_FOLDER_LABEL, L"Start Valdorine from the following folder:",
     L"Lancer Valdorine \u00e0 partir du dossier suivant:"},
    {Target::kText, IDC_INSTALL_NOW, L"Install the program Now",
     L"Installer le programme maintenant"},
    {Target::kNote, IDC_INSTALL_NOW,
     L"(Or click the button below if you just want to install one or several optional addons)",
     L"(Ou cliquez Suivant si vous d\u00e9sirez seulement installer les addons optionnels)"},
    {Target::kText, IDC_GOTO_ADDONS, L"Install the Optional AddOns", L"Suivant"},
    {Target::kNote, IDC_GOTO_ADDONS, L"(Direct access to the optional addons install Setup)",
     L"(Acc\u00e8s direct \u00e0 l'installation des addons optionnels)"},
    {Target::kMainExitText, 0, L"Exit", L"Quitter"},
    {Target::kMainExitNote, 0, L"(Close the install program)",
     L"(Ferme le programme d'installation)"},
    {Target::kText, IDC_USB_DRIVE_LABEL, L"Insert a USB key", L"Ins\u00e9rez une clef USB"},
    {Target::kText, IDC_USB_FOLDER_LABEL, L"Folder:", L"Dossier:"},
    {Target::kText, IDC_DESKTOP_SHORTCUT, L"Create a shortcut on the desktop (icon)",
     L"Cr\u00e9er un raccourci sur le Bureau (ic\u00f4ne)"},
    {Target::kText, IDC_START_MENU_SHORTCUT, L"Add Valdorine to the Start menu",
     L"Ajouter Valdorine au menu D\u00e9marrer"},
    {Target::kText, IDC_PROGRAM_MENU_SHORTCUT, L"Add Valdorine to the Program menu",
     L"Ajouter Valdorine au menu Programmes"},
    {Target::kText, IDC_LAUNCH_AT_EXIT, L"Launch Valdorine once installed",
     L"D\u00e9marrer Valdorine une fois l'installation termin\u00e9e"},
    {Target::kText, IDC_USB, L"Portable Installation (eg: ona USB key)", nullptr},
    {Target::kText, IDC_ADDONS_TITLE, L"Optional AddOns.", L"Installation des Modules Optionnels."},
    {Target::kText, IDC_ADDONS_HINT,
     L"To install, check items then click Install\nElse click the button below.",
     L"S\u00e9lectionnez puis cliquez 'Installer'\nOu cliquez Suivant pour terminer "
     L"l'installation."},
    {Target::kText, IDC_INSTALL_ADDONS, L"Install Now", L"Installer"},
    {Target::kNote, IDC_INSTALL_ADDONS, L"(Install the selected AddOns then exit the Setup)",
     L"(Installe les AddOns s\u00e9lectionn\u00e9s puis ferme le programme d'installation.)"},
    {Target::kText, IDC_CHECK_ALL, L"All", L"Tous"},
    {Target::kText, IDC_CHECK_NONE, L"None", L"Aucun"},
    {Target::kText, IDC_BACK, L"Back to the Previous Window", L"Pr\u00e9c\u00e9dent"},
    {Target::kNote, IDC_BACK, L"(Return to the previous window.)",
     L"(Retourne \u00e0 la fen\u00eatre pr\u00e9c\u00e9dente.)"},
    {Target::kAddonExitText, 0, L"Exit", L"Quitter"},
    {Target::kAddonExitNote, 0, L"(Close the install program)",
     L"(Ferme le programme d'installation)"},
};

void ApplyTexts(platform::Window* window, bool french) {
  for (const TextRow& row : kTexts) {
    const wchar_t* text = french ? row.french : row.english;
    if (!text) continue;
    switch (row.target) {
      case Target::kWindowTitle:
        window->SetTitle(text);
        break;
      case Target::kText:
        window->SetText(window->FindControl(row.id), text);
        break;
      case Target::kNote:
        window->SetNote(window->FindControl(row.id), text);
        break;
      case Target::kMainExitText:
        window->SetText(MainPageExitButton(), text);
        break;
      case Target::kMainExitNote:
        window->SetNote(MainPageExitButton(), text);
        break;
      case Target::kAddonExitText:
        window->SetText(AddonPageExitButton(), text);
        break;
      case Target::kAddonExitNote:
        window->SetNote(AddonPageExitButton(), text);
        break;
    }
  }
}

}  // namespace

void ApplyEnglishTexts(platform::Window* window) {
  ApplyTexts(window, false);
}
void ApplyFrenchTexts(platform::Window* window) {
  ApplyTexts(window, true);
}

intptr_t ConfirmExit(platform::Window* window) {
  bool french = state.language == kLanguageFrench;
  return state.instance->ConfirmExit(
      window,
      french ? L"Voulez-vous quitter le programme d'installation de Valdorine ?"
             : L"Do you want to close the Valdorine installation Setup?",
      french ? L"Oui" : L"Yes", french ? L"Non" : L"No");
}

}  // namespace setup
