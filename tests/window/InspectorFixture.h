#pragma once

#include "KivUI/controls/VornTextField.h"
#include "WindowFixture.h"
#include "window/inspector/CueInspectorController.h"
#include "window/inspector/InspectorController.h"

#include <QKeyEvent>

// A workspace window whose inspector jumps instead of sliding, with a cue
// selected in the grid.
class InspectorFixture : public WindowFixture {
protected:
    std::shared_ptr<AudioCue> openWithSelectedCue(double seconds = 2.0) {
        openWindow();
        inspector().setAnimated(false);
        auto cue = placeCue(wav("Storm.wav", 0.25f, seconds), 0, "S");
        cue->setMidiNote(12);
        undo().endTurn();
        grid().gridView()->setSelectedIndex(0);
        QApplication::processEvents();
        return cue;
    }

    InspectorController& inspector() const { return *controller->inspectorController(); }
    CueInspectorController& cueInspector() const { return inspector().cueInspectorController(); }
    UndoManager& undo() const { return workspace->undoManager(); }

    // Keys as the user types them; the field takes each as it comes.
    static void keys(QWidget& field, const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
            QApplication::sendEvent(&field, &press);
        }
    }
    static void pressKey(QWidget& field, int key,
                         Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&field, &press);
    }
    // Replaces the field's text as typed and ends the editing with Return.
    static void type(VornTextField& field, const QString& text) {
        field.selectAll();
        keys(field, text);
        pressKey(field, Qt::Key_Return);
    }
};
