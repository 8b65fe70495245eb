#pragma once

#include <QSizeF>

class QPainter;

// One named image: its name, its size in points (sizes set the geometry of
// the controls that draw it) and the function that draws it.
struct KivImageEntry {
    const char* name;
    QSizeF size;
    void (*draw)(QPainter&, const QSizeF&);
};

// Every image that the windows name, in one table.
const KivImageEntry* KivImageTableBegin();
const KivImageEntry* KivImageTableEnd();
