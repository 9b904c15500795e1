#include "app/Random.h"

namespace ravix {

Random gRandom;

} // namespace ravix
