#pragma once

#include "foundation/Signal.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

class QMimeData;
class X11ClipboardReader;

// The general pasteboard (the desktop's clipboard) as the windows use it,
// without ever waiting on the program that holds it. What it offers is known
// from the clipboard's change notices: the formats of the program's own data
// at once, another X client's asked for once per change, off the GUI thread,
// and kept. Contents another client holds are read off the GUI thread too,
// and a read its owner does not answer within kAnswerTime ends unanswered.
// GUI thread only.
class KivPasteboard final : public QObject {
public:
    static constexpr std::chrono::milliseconds kAnswerTime{1000};

    struct Contents {
        enum class Status { Read, Empty, NoAnswer, TooLarge, Failed };
        Status status = Status::Empty;
        QByteArray bytes;
    };
    using ReadDone = std::function<void(const Contents&)>;

    KivPasteboard();
    ~KivPasteboard() override;
    KivPasteboard(const KivPasteboard&) = delete;
    KivPasteboard& operator=(const KivPasteboard&) = delete;

    // Whether the clipboard offered the format when last told: false while
    // its holder has not said yet, true once it has failed to say in time
    // (it may offer it: a read asks it again, within the time).
    bool offers(const QString& format) const;
    // The formats offered changed (or were learnt).
    Signal<> changed;

    // Puts the data on the clipboard, which takes it.
    void write(QMimeData* data);
    // The contents in the format, at most `limit` bytes. `done` runs once,
    // on the GUI thread: at once when the program holds the data itself,
    // else when the holder has answered or the time is up, unless `context`
    // has gone by then.
    void read(const QString& format, std::size_t limit, QObject* context, ReadDone done);

private:
    void clipboardChanged();
    void learnFormats(const QStringList& formats, bool unanswered, unsigned generation);

    // Another X client's data is read through this; null off X11.
    std::unique_ptr<X11ClipboardReader> _reader;
    QStringList _formats;
    bool _unanswered = false;
    // Counts the change notices: an answer for an older one is dropped.
    unsigned _generation = 0;
};
