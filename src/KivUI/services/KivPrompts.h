#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// One alert: its message, its informative text and its buttons, the first
// being the default. The answer is the index of the chosen button.
struct KivAlert {
    enum class Style { Warning, Informational, Critical };

    QString messageText;
    QString informativeText;
    QStringList buttons;
    Style style = Style::Warning;
};

struct KivOpenPanelOptions {
    QString title;
    QString directory;
    // Name filters such as "Audio files (*.wav *.aiff)"; empty takes any file.
    QStringList nameFilters;
    bool allowsMultipleSelection = false;
    // Folders whose names end so (".pondra") are packages: picked whole as
    // one item, never entered.
    QString packageExtension;
};

struct KivSavePanelOptions {
    QString title;
    QString directory;
    QString fileName;
    QStringList nameFilters;
};

// Every alert, sheet, file panel and beep of the windows goes through this
// interface, so tests answer them with a scripted double. GUI thread only.
class KivPrompts {
public:
    virtual ~KivPrompts() = default;

    // Application-modal; returns the index of the chosen button.
    virtual int runAlert(const KivAlert& alert) = 0;
    // Window-modal: returns at once; `done` gets the chosen button's index
    // when the sheet ends.
    virtual void beginSheet(QWidget* window, const KivAlert& alert,
                            std::function<void(int)> done) = 0;
    // Ends the sheet up on `window` as if its button at `answer` was chosen,
    // `done` included; nothing when no sheet is up there.
    virtual void endSheet(QWidget* window, int answer) = 0;
    virtual void beep() = 0;
    // The chosen files, or none when cancelled.
    virtual QStringList runOpenPanel(const KivOpenPanelOptions& options) = 0;
    // The chosen path, or empty when cancelled.
    virtual QString runSavePanel(const KivSavePanelOptions& options) = 0;
};
