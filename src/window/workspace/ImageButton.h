#pragma once

#include <QAbstractButton>

// A button drawn as one of two named images: the normal one, or the
// highlighted one while it is on or held down.
class ImageButton final : public QAbstractButton {
public:
    ImageButton(const QString& normal, const QString& highlighted, QWidget* parent = nullptr);

    // Shows the highlighted image whatever the mouse does.
    void setHighlighted(bool highlighted);
    bool isHighlighted() const { return _highlighted; }
    const QString& currentImage() const { return _highlighted ? _highlightedName : _normal; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString _normal;
    QString _highlightedName;
    bool _highlighted = false;
};
