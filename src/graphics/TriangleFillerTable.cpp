#include "graphics/TriangleFillerTable.h"

#include "graphics/SoftwareTriangleFillers.h"

#include <cstdio>
#include <cstdlib>

namespace ravix {

TriangleFillerTable& TriangleFillerTable::Instance() {
    static TriangleFillerTable table = [] {
        TriangleFillerTable t;
        RegisterSoftwareTriangleFillers(t);
        return t;
    }();
    return table;
}

void TriangleFillerTable::Register(int index, TriangleFiller filler) {
    if (index < 0 || index >= kSize) {
        std::fprintf(stderr, "TriangleFillerTable::Register: index %d out of range\n", index);
        std::abort();
    }
    mFillers[index] = filler;
}

TriangleFiller TriangleFillerTable::Get(int index) const {
    return index >= 0 && index < kSize ? mFillers[index] : nullptr;
}

} // namespace ravix
