#include "KivUI/drawing/KivMenuTheme.h"

#include "KivUI/drawing/KivColors.h"

#include <QApplication>

void installDarkMenuTheme() {
    // Qt hands a class's palette to every widget of that class (and its
    // subclasses) as it is made: the one place all menus pass through.
    QApplication::setPalette(KivColors::darkMenuPalette(QApplication::palette("QMenu")), "QMenu");
}
