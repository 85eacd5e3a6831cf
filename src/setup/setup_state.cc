#include "setup/setup_state.h"

namespace setup {

SetupState state;

void ResetSetupStateForTesting() {
  state = SetupState{};
}

}  // namespace setup
