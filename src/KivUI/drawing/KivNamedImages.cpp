#include "KivUI/drawing/KivNamedImages.h"

#include "KivUI/drawing/KivImageTable.h"

#include <QFile>
#include <QHash>
#include <QPainter>

#include <cmath>

namespace {

struct Generator {
    QSizeF size;
    KivImageGenerator draw;
};

struct Registry {
    Registry() {
        for (auto* entry = KivImageTableBegin(); entry != KivImageTableEnd(); ++entry) {
            generators.insert(QString::fromLatin1(entry->name), {entry->size, entry->draw});
        }
    }
    QHash<QString, Generator> generators;
    QHash<QString, QImage> cache; // key: name + '@' + ratio
};

Registry& registry() {
    static Registry instance;
    return instance;
}

QString resourcePath(const QString& name) {
    return QStringLiteral(":/images/") + name;
}

QString cacheKey(const QString& name, qreal ratio) {
    return name + QLatin1Char('@') + QString::number(ratio);
}

} // namespace

QImage KivNamedImages::named(const QString& name, qreal devicePixelRatio) {
    auto& reg = registry();
    const QString key = cacheKey(name, devicePixelRatio);
    if (auto cached = reg.cache.constFind(key); cached != reg.cache.constEnd()) {
        return *cached;
    }
    QImage image;
    if (QFile::exists(resourcePath(name))) {
        image.load(resourcePath(name));
    } else if (auto found = reg.generators.constFind(name); found != reg.generators.constEnd()) {
        const QSize pixels(static_cast<int>(std::ceil(found->size.width() * devicePixelRatio)),
                           static_cast<int>(std::ceil(found->size.height() * devicePixelRatio)));
        image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(devicePixelRatio);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        found->draw(painter, found->size);
    }
    reg.cache.insert(key, image);
    return image;
}

QSizeF KivNamedImages::sizeOf(const QString& name) {
    if (QFile::exists(resourcePath(name))) {
        return named(name).deviceIndependentSize();
    }
    const auto& generators = registry().generators;
    const auto found = generators.constFind(name);
    return found == generators.constEnd() ? QSizeF() : found->size;
}

void KivNamedImages::registerGenerator(const QString& name, const QSizeF& size,
                                       KivImageGenerator generator) {
    auto& reg = registry();
    reg.generators.insert(name, {size, std::move(generator)});
    for (auto it = reg.cache.begin(); it != reg.cache.end();) {
        it = it.key().startsWith(name + QLatin1Char('@')) ? reg.cache.erase(it) : std::next(it);
    }
}
