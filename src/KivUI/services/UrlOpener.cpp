#include "KivUI/services/UrlOpener.h"

#include <QDesktopServices>

UrlOpener systemUrlOpener() {
    return [](const QUrl& url) { QDesktopServices::openUrl(url); };
}
