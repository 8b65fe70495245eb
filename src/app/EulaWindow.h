#pragma once

#include <QWidget>

class QTextBrowser;

// The licence agreement: the "eula" text of the resources in a read-only
// view. GUI thread.
class EulaWindow final : public QWidget {
public:
    EulaWindow();

    // On the primary screen's centre.
    void centre();

private:
    QTextBrowser* _eulaText;
};
