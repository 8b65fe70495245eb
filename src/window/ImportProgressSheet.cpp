#include "window/ImportProgressSheet.h"

#include "KivUI/KivColors.h"
#include "KivUI/KivSimpleProgress.h"
#include "KivUI/VornButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

ImportProgressSheet::ImportProgressSheet(QWidget* window)
    : QWidget(window)
    , _progress(new KivSimpleProgress(this))
    , _cancel(new VornButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("importProgress"));
    _cancel->setObjectName(QStringLiteral("cancelImport"));
    _progress->label()->setStyleSheet(QStringLiteral("color: white;"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(_progress, 1);
    layout->addWidget(_cancel, 0, Qt::AlignBottom);
    connect(_cancel, &QPushButton::clicked, this, [this] {
        if (onCancel) {
            onCancel();
        }
    });
    hide();
}

void ImportProgressSheet::begin(const QString& text, int total) {
    _progress->setLabel(text);
    _progress->setMinValue(0);
    _progress->setMaxValue(total);
    _progress->setDoubleValue(0);
    placeInWindow();
    show();
    raise();
}

void ImportProgressSheet::setDone(int done) {
    _progress->setDoubleValue(done);
}

void ImportProgressSheet::end() {
    hide();
}

void ImportProgressSheet::placeInWindow() {
    const QWidget* window = parentWidget();
    const int width = std::min(420, window->width() - 40);
    resize(width, sizeHint().height());
    move((window->width() - width) / 2, 0);
}

void ImportProgressSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), KivColors::inspectorTop());
    painter.setPen(KivColors::lineDark());
    painter.drawRect(rect().adjusted(0, -1, -1, -1));
}
