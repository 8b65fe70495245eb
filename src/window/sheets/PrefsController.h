#pragma once

#include <QWidget>

class UserDefaults;
class VornPopUpButton;

// The application's preferences window: the log level, kept in the user
// default "LogLevel". Its frame is kept under "PrefsController".
class PrefsController final : public QWidget {
public:
    static constexpr int kLogLevels = 5;

    // The settings must outlive the window.
    explicit PrefsController(UserDefaults& defaults, QWidget* parent = nullptr);

    // From the pop-up: stores the level, applies it and logs it.
    void setLogLevel(int level);
    void done();

protected:
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    UserDefaults& _defaults;
    VornPopUpButton* _logLevelButton;
};
