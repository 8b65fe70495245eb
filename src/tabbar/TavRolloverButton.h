#pragma once

#include <QAbstractButton>
#include <QImage>

// A borderless image button that shows its rollover image while the mouse
// is over it, and its alternate image while pressed: the bar's add-tab
// button. GUI thread only.
class TavRolloverButton final : public QAbstractButton {
public:
    explicit TavRolloverButton(QWidget* parent = nullptr);

    const QImage& usualImage() const { return _usualImage; }
    void setUsualImage(const QImage& image);
    const QImage& rolloverImage() const { return _rolloverImage; }
    void setRolloverImage(const QImage& image) { _rolloverImage = image; }
    const QImage& alternateImage() const { return _alternateImage; }
    void setAlternateImage(const QImage& image) { _alternateImage = image; }
    // The image drawn now.
    const QImage& image() const;

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QImage _usualImage;
    QImage _rolloverImage;
    QImage _alternateImage;
    bool _over = false;
};
