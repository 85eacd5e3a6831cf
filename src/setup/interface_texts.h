// The window's texts in English and French, and the exit confirmation.
#ifndef VALDORINE_SETUP_INTERFACE_TEXTS_H
#define VALDORINE_SETUP_INTERFACE_TEXTS_H

#include <cstdint>

namespace platform {
class Window;
}

namespace setup {

void ApplyEnglishTexts(platform::Window* window);
void ApplyFrenchTexts(platform::Window* window);

// Asks whether to close the setup, in the current language. Returns non-zero
// for Yes.
intptr_t ConfirmExit(platform::Window* window);

}  // namespace setup

#endif  // VALDORINE_SETUP_INTERFACE_TEXTS_H
