#include "window/sheets/GridSelectorController.h"

#include "KivUI/controls/VornButton.h"
#include "KivUI/views/PondraBackgroundView.h"
#include "model/Cart.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int kLargest = 5;

QString sizeTitle(int columns, int rows) {
    return QStringLiteral("%1x%2").arg(columns).arg(rows);
}

} // namespace

GridSelectorController::GridSelectorController(std::shared_ptr<Cart> cart, QWidget* window)
    : PondraSheet(window, QStringLiteral("Grid Size"))
    , _cart(std::move(cart)) {
    setObjectName(QStringLiteral("gridSelector"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* prompt = new QLabel(QStringLiteral("Columns x rows of \u201C%1\u201D:")
                                  .arg(QString::fromStdString(_cart->name())),
                              ground());
    prompt->setStyleSheet(QStringLiteral("color: #e6e6e6; font-size: 12px;"));
    auto* matrix = new QGridLayout;
    matrix->setSpacing(2);
    for (int rows = 1; rows <= kLargest; ++rows) {
        for (int columns = 1; columns <= kLargest; ++columns) {
            auto* cell = new VornButton(sizeTitle(columns, rows), ground());
            cell->setCheckable(true);
            cell->setAutoDefault(false);
            cell->setFixedWidth(64);
            connect(cell, &QPushButton::clicked, this, [this, cell] { updateGrid(*cell); });
            matrix->addWidget(cell, rows - 1, columns - 1);
            _matrix.push_back(cell);
        }
    }
    auto* cancel = new VornButton(QStringLiteral("Cancel"), ground());
    cancel->setObjectName(QStringLiteral("didClickCancel"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(ground());
    layout->setContentsMargins(20, 16, 20, 14);
    layout->setSpacing(12);
    layout->addWidget(prompt);
    layout->addLayout(matrix);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
    selectCurrentSize();
}

void GridSelectorController::selectCurrentSize() {
    // By title: the products of columns and rows repeat (2x3 and 3x2).
    const CartSize size = _cart->size();
    if (VornButton* cell = cellTitled(sizeTitle(size.width, size.height))) {
        cell->setChecked(true);
        cell->setOverlayColor(QColor::fromRgbF(0.227, 0.467, 0.639, 0.6));
        cell->setFocus();
    }
}

VornButton* GridSelectorController::selectedCell() const {
    for (VornButton* cell : _matrix) {
        if (cell->isChecked()) {
            return cell;
        }
    }
    return nullptr;
}

VornButton* GridSelectorController::cellTitled(const QString& title) const {
    for (VornButton* cell : _matrix) {
        if (cell->text() == title) {
            return cell;
        }
    }
    return nullptr;
}

void GridSelectorController::updateGrid(const VornButton& cell) {
    const QStringList parts = cell.text().split(QLatin1Char('x'));
    _cart->setSize({parts.front().toInt(), parts.back().toInt()});
    accept();
}
