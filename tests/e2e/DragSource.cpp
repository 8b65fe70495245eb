// Another X client that the end-to-end cases drag files from, as a file
// manager would: a small window at the given place whose first drag carries
// the given files as a text/uri-list, written byte for byte as given. It
// prints the action the drop took and exits.
//
//     e2e_drag_source X Y FILE...

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class Source final : public QWidget {
public:
    explicit Source(QByteArray uris)
        : _uris(std::move(uris)) {
        setWindowTitle(QStringLiteral("Pondra e2e drag source"));
        setFixedSize(120, 80);
        setAutoFillBackground(true);
        setPalette(QPalette(Qt::darkGreen));
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { _pressedAt = event->position(); }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (_dragged || !(event->buttons() & Qt::LeftButton) ||
            (event->position() - _pressedAt).manhattanLength() < 4) {
            return;
        }
        _dragged = true;
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        mime->setData(QStringLiteral("text/uri-list"), _uris);
        drag->setMimeData(mime);
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
        std::printf("drop: %d\n", static_cast<int>(action));
        std::fflush(stdout);
        // The target asks for the files only once it has the drop: the source
        // stays to answer.
        QTimer::singleShot(3000, qApp, &QApplication::quit);
    }

private:
    QByteArray _uris;
    QPointF _pressedAt;
    bool _dragged = false;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: e2e_drag_source X Y FILE...\n");
        return 2;
    }
    QByteArray uris;
    for (int i = 3; i < argc; ++i) {
        uris += "file://" + QUrl::toPercentEncoding(QByteArray(argv[i]), "/") + "\r\n";
    }
    Source source(uris);
    source.move(QString::fromLatin1(argv[1]).toInt(), QString::fromLatin1(argv[2]).toInt());
    source.show();
    // A drag that never comes ends the helper rather than the case.
    QTimer::singleShot(60000, &application, &QApplication::quit);
    return application.exec();
}
