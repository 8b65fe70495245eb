#include "foundation/KivNSCoder.h"

#include <atomic>

namespace KivNSCoder {

namespace {
std::atomic<int> sharedVersion{0};
}

void setVersion(int version) {
    sharedVersion.store(version, std::memory_order_relaxed);
}

int version() {
    return sharedVersion.load(std::memory_order_relaxed);
}

} // namespace KivNSCoder
