#pragma once

#include <QPoint>
#include <QRect>

// Where the controls of the window's sheets are, from a sheet's frame, as
// the program lays them out.
namespace SheetMap {

// Edit > Workspace Settings...
struct Settings {
    QRect frame;
    QPoint pauseAllField() const { return at(236, 60); }
    QPoint resumeAllField() const { return at(236, 94); }
    QPoint duckMasterField() const { return at(236, 128); }
    QPoint midiChannelPopUp() const { return at(216, 220); }
    QPoint panicDurationField() const { return at(195, 311); }
    QPoint safetyCheckBox() const { return at(168, 339); }
    QPoint doneButton() const { return at(355, 381); }
    QPoint at(int x, int y) const { return frame.topLeft() + QPoint(x, y); }
};

// Edit > Grid Size...: the button of a size, columns by rows.
inline QPoint gridSizeButton(QRect frame, int columns, int rows) {
    return frame.topLeft() + QPoint(55 + 62 * (columns - 1), 55 + 32 * (rows - 1));
}

} // namespace SheetMap
