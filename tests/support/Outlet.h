#pragma once

#include <QObject>
#include <QString>

// The widget of `type` that a window or sheet names `name` (every outlet
// carries its name as its object name), among its descendants; null when
// there is none.
template <class T>
T* outlet(const QObject* window, const char* name) {
    return window->findChild<T*>(QString::fromLatin1(name));
}
