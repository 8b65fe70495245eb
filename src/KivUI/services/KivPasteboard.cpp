#include "KivUI/services/KivPasteboard.h"

#include "platform/pasteboard/X11ClipboardReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>

namespace {

using Status = KivPasteboard::Contents::Status;

Status statusOf(X11ClipboardReader::Result::Status status) {
    switch (status) {
    case X11ClipboardReader::Result::Status::Read:
        return Status::Read;
    case X11ClipboardReader::Result::Status::NoOwner:
    case X11ClipboardReader::Result::Status::NotOffered:
        return Status::Empty;
    case X11ClipboardReader::Result::Status::NoAnswer:
        return Status::NoAnswer;
    case X11ClipboardReader::Result::Status::TooLarge:
        return Status::TooLarge;
    case X11ClipboardReader::Result::Status::Failed:
        break;
    }
    return Status::Failed;
}

// Whether the clipboard's data is at hand without asking anyone: the
// program's own, or a platform whose clipboard is not another X client's.
bool isLocal(const X11ClipboardReader* reader) {
    return reader == nullptr || QGuiApplication::clipboard()->ownsClipboard();
}

} // namespace

KivPasteboard::KivPasteboard() {
    // Qt's own reads of another X client's data wait on it, seconds at a
    // time: those go through a connection of their own.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        _reader = X11ClipboardReader::connect(qgetenv("DISPLAY").toStdString(), kAnswerTime);
    }
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { clipboardChanged(); });
    clipboardChanged();
}

// The reader goes first: no answer comes in after this.
KivPasteboard::~KivPasteboard() = default;

bool KivPasteboard::offers(const QString& format) const {
    return _unanswered || _formats.contains(format);
}

void KivPasteboard::write(QMimeData* data) {
    QGuiApplication::clipboard()->setMimeData(data);
}

void KivPasteboard::clipboardChanged() {
    const unsigned generation = ++_generation;
    if (isLocal(_reader.get())) {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        learnFormats(data ? data->formats() : QStringList(), false, generation);
        return;
    }
    // Nothing can be pasted until the new holder has said what it offers.
    learnFormats({}, false, generation);
    _reader->readTargets([this, generation](const X11ClipboardReader::Result& result) {
        QStringList formats;
        for (const std::string& target : result.targets) {
            formats << QString::fromStdString(target);
        }
        const bool unanswered = result.status == X11ClipboardReader::Result::Status::NoAnswer;
        // Queued on this object: dropped if it has gone.
        QMetaObject::invokeMethod(
            this,
            [this, formats, unanswered, generation] {
                learnFormats(formats, unanswered, generation);
            },
            Qt::QueuedConnection);
    });
}

void KivPasteboard::learnFormats(const QStringList& formats, bool unanswered, unsigned generation) {
    if (generation != _generation || (formats == _formats && unanswered == _unanswered)) {
        return;
    }
    _formats = formats;
    _unanswered = unanswered;
    changed.emit();
}

void KivPasteboard::read(const QString& format, std::size_t limit, QObject* context,
                         ReadDone done) {
    if (isLocal(_reader.get())) {
        Contents contents;
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (data && data->hasFormat(format)) {
            contents.bytes = data->data(format);
            contents.status = Status::Read;
            if (static_cast<std::size_t>(contents.bytes.size()) > limit) {
                contents = {Status::TooLarge, {}};
            }
        }
        done(contents);
        return;
    }
    const QPointer<QObject> guard(context);
    _reader->readContents(
        format.toStdString(), limit,
        [this, guard, done = std::move(done)](const X11ClipboardReader::Result& result) {
            Contents contents{statusOf(result.status), {}};
            if (contents.status == Status::Read) {
                contents.bytes = QByteArray::fromStdString(result.bytes);
            }
            QMetaObject::invokeMethod(
                this,
                [guard, done, contents] {
                    if (guard) {
                        done(contents);
                    }
                },
                Qt::QueuedConnection);
        });
}
