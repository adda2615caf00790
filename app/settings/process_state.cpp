#include "settings/process_state.h"

namespace trelm {

ProcessState &processState() {
    static ProcessState state;
    return state;
}

} // namespace trelm
