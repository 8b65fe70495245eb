#pragma once

#include "KivUI/services/UrlOpener.h"

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

class KivAboutHeaderView;
class QLabel;
class VornButton;
class QTextBrowser;

// The about window ("KivAboutWindow" layout): the header, the copyright and
// tag lines and a credits page that folds out below. The window is made on
// first showing and raised on every later one. GUI thread.
class KivAboutController {
public:
    // The height of the window while the credits are folded away.
    static constexpr int kFoldedHeight = 250;
    // Its width while they show.
    static constexpr int kUnfoldedWidth = 600;

    explicit KivAboutController(UrlOpener openUrl = systemUrlOpener());
    ~KivAboutController();
    KivAboutController(const KivAboutController&) = delete;
    KivAboutController& operator=(const KivAboutController&) = delete;

    // Makes the window when there is none, centred on the screen, with the
    // credits folded away; then brings it to the front.
    void showWindow();

    // Null before the first showWindow() and after the window has closed.
    QWidget* window() const { return _window; }
    QSize originalSize() const { return _originalSize; }
    KivAboutHeaderView* header() const { return _header; }

    // The window's content rectangle on the screen.
    QRect windowContentFrame() const;
    // Same top edge and horizontal centre; only the height stays the user's
    // to change.
    void resizeWindowToSize(QSize size);
    void toggleCredits(bool on);
    // True when the page loads in place (files and resources); anything else
    // goes to the URL opener.
    bool decidePolicyForNavigation(const QUrl& url);

private:
    void buildWindow();
    void awakeFromNib();

    UrlOpener _openUrl;
    QSize _originalSize;
    QPointer<QWidget> _window;
    KivAboutHeaderView* _header = nullptr;
    QLabel* _copyrightField = nullptr;
    QLabel* _tagLineField = nullptr;
    VornButton* _toggle = nullptr;
    QTextBrowser* _credits = nullptr;
};
