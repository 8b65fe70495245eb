#include "audio/effects/KivEffectEditorWindow.h"

namespace {
// Main thread only.
KivEffectEditorFactory gFactory;
} // namespace

void setEffectEditorFactory(KivEffectEditorFactory factory) {
    gFactory = std::move(factory);
}

const KivEffectEditorFactory& effectEditorFactory() {
    return gFactory;
}
