#include "audio/effects/KivComponentCatalogue.h"

#include <mutex>

namespace {
std::mutex gMutex;
std::shared_ptr<const KivComponentCatalogue> gCatalogue;
} // namespace

void setComponentCatalogue(std::shared_ptr<const KivComponentCatalogue> catalogue) {
    std::lock_guard lock(gMutex);
    gCatalogue = std::move(catalogue);
}

std::shared_ptr<const KivComponentCatalogue> componentCatalogue() {
    std::lock_guard lock(gMutex);
    return gCatalogue;
}
