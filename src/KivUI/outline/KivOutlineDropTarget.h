#pragma once

#include "KivUI/outline/KivOutlineViewEntry.h"

// Where a drop would go: into parent (nullptr = top level) at childIndex, or
// onto parent itself when childIndex is -1; depth is parent's depth + 1.
struct KivOutlineDropTarget {
    KivOutlineViewEntry::Ptr parent;
    int childIndex = -1;
    int depth = 0;
};
