#pragma once

#include <QDialog>

class PondraBackgroundView;

// A sheet over a workspace window: a dialog modal to that window alone, on
// the dark gradient ground, laid out by the subclass in `ground()`.
class PondraSheet : public QDialog {
public:
    PondraSheet(QWidget* window, const QString& title);

    PondraBackgroundView* ground() const { return _ground; }
    // Shown without waiting: the show goes on in the other windows.
    void begin();

private:
    PondraBackgroundView* _ground;
};
