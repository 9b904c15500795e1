#include "app/Version.h"

namespace ravix {

const char* ProductVersionText() {
    return TARNWICK_VERSION;
}

} // namespace ravix
