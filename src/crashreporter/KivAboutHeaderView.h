#pragma once

#include <QImage>
#include <QWidget>

// The about window's header: the application icon and "<name> <version>",
// centred as one group, the icon as tall as the view.
class KivAboutHeaderView final : public QWidget {
public:
    // The icon named by "CFBundleIconFile", the name by "CFBundleName" and the
    // version of the application.
    explicit KivAboutHeaderView(QWidget* parent = nullptr);

    QString text() const { return _text; }
    // The icon's square and the text's rectangle in the view, as drawn.
    QRectF iconRect() const;
    QRectF textRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage _icon;
    QString _text;
    QFont _font;
};
