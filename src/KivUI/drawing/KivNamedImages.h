#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>

#include <functional>

class QPainter;

// Paints one named image into a painter whose image has the image's size in
// points (the painter is already scaled for the device pixel ratio).
using KivImageGenerator = std::function<void(QPainter&, const QSizeF&)>;

// The images the windows name. A resource ":/images/<name>" wins; otherwise
// the image is drawn by its registered generator. Images are cached by name
// and device pixel ratio for the life of the process. GUI thread only.
class KivNamedImages {
public:
    // An image of the name for the ratio, or a null image for an unknown name.
    static QImage named(const QString& name, qreal devicePixelRatio = 1.0);
    // The size in points that the name has (a resource's own size wins).
    static QSizeF sizeOf(const QString& name);
    // Adds or replaces a generator; drops cached images of that name.
    static void registerGenerator(const QString& name, const QSizeF& size,
                                  KivImageGenerator generator);
};
