#include "window/warnings/BrokenCueView.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/outline/KivTableView.h"
#include "window/warnings/BrokenCueTableModel.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QVBoxLayout>

BrokenCueView::BrokenCueView(QWidget* parent)
    : QWidget(parent)
    , _label(new QLabel(this))
    , _table(new KivTableView(this))
    , _model(new BrokenCueTableModel(this)) {
    setObjectName(QStringLiteral("brokenCueView"));
    _label->setObjectName(QStringLiteral("brokenCueLabel"));
    _table->setObjectName(QStringLiteral("brokenCueTableView"));
    QPalette colours = _label->palette();
    colours.setColor(QPalette::WindowText, KivColors::textFieldText());
    _label->setPalette(colours);
    QFont bold = _label->font();
    bold.setBold(true);
    _label->setFont(bold);
    _table->setModel(_model);
    _table->setSelectionMode(QAbstractItemView::SingleSelection);
    _table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    _table->setColumnWidth(BrokenCueTableModel::kCueName, 170);
    _table->setColumnWidth(BrokenCueTableModel::kCartName, 100);
    _table->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(_label);
    layout->addWidget(_table, 1);
    // Given the keyboard, the list hands it to its table: arrows pick a warning.
    setFocusProxy(_table);
    connect(_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { selectionChanged(); });
    setConcerns({});
}

BrokenCueView::~BrokenCueView() = default;

QString BrokenCueView::countText(std::size_t count) {
    return count == 1 ? QStringLiteral("1 Warning") : QStringLiteral("%1 Warnings").arg(count);
}

void BrokenCueView::setConcerns(std::vector<SafetyConcern> concerns) {
    _label->setText(countText(concerns.size()));
    _model->setConcerns(std::move(concerns));
}

const std::vector<SafetyConcern>& BrokenCueView::concerns() const {
    return _model->concerns();
}

void BrokenCueView::selectionChanged() {
    const QModelIndexList rows = _table->selectionModel()->selectedRows();
    if (rows.isEmpty() || !_cueSelected) {
        return;
    }
    const int row = rows.front().row();
    if (row < 0 || row >= static_cast<int>(concerns().size())) {
        return;
    }
    if (auto cue = concerns()[static_cast<std::size_t>(row)].cue()) {
        _cueSelected(cue);
    }
}
