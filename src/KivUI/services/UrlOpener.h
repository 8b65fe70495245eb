#pragma once

#include <QUrl>

#include <functional>

// Hands a URL to the system's default handler for it (web browser, mail
// client). Windows take one, so tests can record what would have opened.
using UrlOpener = std::function<void(const QUrl&)>;

// QDesktopServices.
UrlOpener systemUrlOpener();
