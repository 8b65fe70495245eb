#include "window/sheets/RenameCartWindowController.h"

#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornTextField.h"
#include "KivUI/views/PondraBackgroundView.h"
#include "model/Cart.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

RenameCartWindowController::RenameCartWindowController(std::shared_ptr<Cart> cart, QWidget* window)
    : PondraSheet(window, QStringLiteral("Rename Cart"))
    , _cart(std::move(cart))
    , _name(new VornTextField(QString::fromStdString(_cart->name()), ground()))
    , _rename(new VornButton(QStringLiteral("Rename"), ground())) {
    setObjectName(QStringLiteral("renameCart"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* label = new QLabel(QStringLiteral("Cart name:"), ground());
    label->setStyleSheet(QStringLiteral("color: #c8c8c8; font-size: 12px;"));
    _name->setObjectName(QStringLiteral("name"));
    _name->selectAll();
    _rename->setObjectName(QStringLiteral("didRenameCart"));
    _rename->setDefault(true);
    auto* cancel = new VornButton(QStringLiteral("Cancel"), ground());
    cancel->setObjectName(QStringLiteral("closeWindow"));
    cancel->setAutoDefault(false);
    connect(_rename, &QPushButton::clicked, this, [this] { didRenameCart(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(_name, &QLineEdit::textChanged, this,
            [this](const QString& text) { _rename->setEnabled(!text.trimmed().isEmpty()); });
    auto* field = new QHBoxLayout;
    field->setSpacing(10);
    field->addWidget(label);
    field->addWidget(_name, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(_rename);
    auto* layout = new QVBoxLayout(ground());
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(16);
    layout->addLayout(field);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(340, 0)));
    _name->setFocus();
}

void RenameCartWindowController::didRenameCart() {
    const QString name = _name->text().trimmed();
    if (name.isEmpty()) {
        return;
    }
    _cart->setName(name.toStdString());
    accept();
}
