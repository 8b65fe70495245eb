#pragma once

#include <QImage>
#include <QWidget>

// Two images cross-faded over the whole view: fade value 1 shows the image,
// 0 the alternate image. GUI thread only.
class TavTabDragView final : public QWidget {
public:
    explicit TavTabDragView(QWidget* parent = nullptr);

    const QImage& image() const { return _image; }
    void setImage(const QImage& image);
    const QImage& alternateImage() const { return _alternateImage; }
    void setAlternateImage(const QImage& image);
    double fadeValue() const { return _alpha; }
    void setFadeValue(double value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage _image;
    QImage _alternateImage;
    double _alpha = 1.0;
};
