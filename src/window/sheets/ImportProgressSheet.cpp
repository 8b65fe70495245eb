#include "window/sheets/ImportProgressSheet.h"

#include "KivUI/controls/VornButton.h"

#include <QLabel>
#include <QProgressBar>

ImportProgressSheet::ImportProgressSheet(QWidget* window)
    : PondraProgressSheet(window)
    , _cancel(new VornButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("importProgress"));
    _cancel->setObjectName(QStringLiteral("cancelImport"));
    _cancel->setControlSize(KivControlSize::Small);
    // The bar gives the Cancel button room at its right.
    const QSize cancel = _cancel->sizeHint();
    const int barRight = kSize.width() - 20 - cancel.width() - 8;
    progressIndicator()->setGeometry(20, 60, barRight - 20, 20);
    _cancel->setGeometry(kSize.width() - 20 - cancel.width(), 70 - cancel.height() / 2,
                         cancel.width(), cancel.height());
    connect(_cancel, &QPushButton::clicked, this, [this] {
        if (onCancel) {
            onCancel();
        }
    });
}

void ImportProgressSheet::begin(const QString& text, int total) {
    textField()->setText(text);
    progressIndicator()->setRange(0, total);
    progressIndicator()->setValue(0);
    showOnWindow();
}

void ImportProgressSheet::setDone(int done) {
    progressIndicator()->setValue(done);
}

void ImportProgressSheet::end() {
    hide();
}
