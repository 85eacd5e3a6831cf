// The install sequence: from the choices on the main page to an installed
// product.
#ifndef VALDORINE_INSTALL_INSTALL_SEQUENCE_H
#define VALDORINE_INSTALL_INSTALL_SEQUENCE_H

namespace platform {
class Window;
}

namespace install {

// Runs once per press of the install button. The outcome shows in the window:
// the add-on page after a completed run; the main page with both install
// buttons enabled after a refusal or a failed download; the main page with
// them disabled after a folder that cannot be created; the end of the process
// after a fatal error.
void RunInstallSequence(platform::Window* window);

}  // namespace install

#endif  // VALDORINE_INSTALL_INSTALL_SEQUENCE_H
