// Another X client that puts a file's bytes on the clipboard under a type of
// the caller's choosing and answers for them as any Qt program does. It
// prints "owning" once the clipboard is its own and exits when another client
// takes it (or, at the latest, after two minutes).
//
//     e2e_clipboard_owner TYPE FILE

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: e2e_clipboard_owner TYPE FILE\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 2;
    }
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(argv[1]), file.readAll());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(data);
    if (!clipboard->ownsClipboard()) {
        std::fprintf(stderr, "the clipboard stayed another client's\n");
        return 2;
    }
    std::printf("owning\n");
    std::fflush(stdout);
    QObject::connect(clipboard, &QClipboard::dataChanged, &application, [clipboard] {
        if (!clipboard->ownsClipboard()) {
            QApplication::quit();
        }
    });
    QTimer::singleShot(120000, &application, &QApplication::quit);
    return application.exec();
}
