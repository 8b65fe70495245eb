#pragma once

#include "foundation/KivHotKey.h"

#include <QWidget>

#include <functional>

// The field that captures one hot key: the next key pressed while it has the
// focus becomes its key. Tab and Backtab move the focus on, Return and Enter
// end the capture, and Escape is handed to `cancel` (the panic) rather than
// recorded; the field sees these before the window's focus handling and
// shortcuts do. Drawn as the skinned text field, the key centred in white.
class VornHotKeyTextView : public QWidget {
public:
    explicit VornHotKeyTextView(QWidget* parent = nullptr);

    const KivHotKey& key() const { return _key; }
    void setKey(const KivHotKey& key);

    // After each key pressed to be captured, so the owner can record it.
    std::function<void()> hotKeyDidChange;
    // Escape.
    std::function<void()> cancel;

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // True when the key press was the field's to take.
    bool keyDown(const QKeyEvent& event);

    KivHotKey _key;
};
