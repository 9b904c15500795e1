#include "base/Random.h"

namespace ravix {

Random gRandom;

} // namespace ravix
