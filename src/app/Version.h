#pragma once

namespace ravix {

// The product version, compiled in from the build's project version.
const char* ProductVersionText();

} // namespace ravix
