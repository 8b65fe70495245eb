#include "window/sheets/PondraSheet.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/views/PondraBackgroundView.h"

#include <QVBoxLayout>

PondraSheet::PondraSheet(QWidget* window, const QString& title)
    : QDialog(window)
    , _ground(new PondraBackgroundView(this)) {
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, PondraBackgroundView::topColor());
    colours.setColor(QPalette::WindowText, KivColors::textFieldText());
    setPalette(colours);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(_ground);
}

void PondraSheet::begin() {
    open();
    raise();
    activateWindow();
}
