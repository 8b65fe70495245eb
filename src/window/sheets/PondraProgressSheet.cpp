#include "window/sheets/PondraProgressSheet.h"

#include "KivUI/drawing/KivColors.h"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>

PondraProgressSheet::PondraProgressSheet(QWidget* window, const QString& text)
    : QWidget(window)
    , _textField(new QLabel(text, this))
    , _progressIndicator(new QProgressBar(this)) {
    setObjectName(QStringLiteral("progressSheet"));
    resize(kSize);
    _textField->setGeometry(20, 20, 260, 20);
    _textField->setAlignment(Qt::AlignCenter);
    _textField->setStyleSheet(QStringLiteral("color: white; font-size: 14px;"));
    _progressIndicator->setGeometry(38, 60, 225, 20);
    _progressIndicator->setRange(0, 0);
    _progressIndicator->setTextVisible(false);
    _progressIndicator->setStyleSheet(QStringLiteral(
        "QProgressBar { background: #141414; border: 1px solid #0d0d0d; border-radius: 4px; "
        "margin: 5px 0; }"
        "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
        "stop:0 #5b9fd0, stop:1 #3a77a3); border-radius: 3px; }"));
    hide();
}

void PondraProgressSheet::showOnWindow() {
    placeInWindow();
    show();
    raise();
}

void PondraProgressSheet::placeInWindow() {
    move((parentWidget()->width() - width()) / 2, 0);
}

void PondraProgressSheet::beginProgress(const std::string& text) {
    _textField->setText(QString::fromStdString(text));
    showOnWindow();
}

void PondraProgressSheet::endProgress() {
    hide();
}

void PondraProgressSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), KivColors::inspectorTop());
    painter.setPen(KivColors::lineDark());
    painter.drawRect(rect().adjusted(0, -1, -1, -1));
}
