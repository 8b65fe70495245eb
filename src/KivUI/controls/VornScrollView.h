#pragma once

#include <QScrollArea>

// The skinned scroll view: skinned scrollers and, while both show, the
// corner between them in the scroller background colour.
class VornScrollView : public QScrollArea {
public:
    explicit VornScrollView(QWidget* parent = nullptr);

    // The square between the two scrollers; empty unless both show.
    QRect cornerRect() const;

protected:
    bool event(QEvent* event) override;
};
