// Build tool: the program's icon at the sizes of the desktop's icon theme,
// written as <folder>/<n>x<n>/apps/<name>.png.
//
//     pondra_icon_sizes SOURCE.png NAME FOLDER SIZE...
#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s SOURCE.png NAME FOLDER SIZE...\n", argv[0]);
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const QString name = QString::fromLocal8Bit(argv[2]);
    const QString folder = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size <= 0 || size > source.width() || size > source.height()) {
            std::fprintf(stderr, "%s: no %s-pixel icon from a %dx%d source\n", argv[0], argv[i],
                         source.width(), source.height());
            return 1;
        }
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(apps, name);
        // Scaled from the full source each time: no size inherits another's blur.
        const QImage scaled =
            source.convertToFormat(QImage::Format_ARGB32)
                .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!QDir().mkpath(apps) || !scaled.save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
