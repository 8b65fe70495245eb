#include "effecteditor/KivEffectPresetRowView.h"

#include "KivUI/controls/VornTextField.h"

#include <QKeyEvent>

namespace {

// Escape drops the edit instead of passing up to the sheet.
class NameField : public VornTextField {
public:
    NameField(const QString& text, QWidget* parent, std::function<void()> escape)
        : VornTextField(text, parent)
        , _escape(std::move(escape)) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            _escape();
            return;
        }
        VornTextField::keyPressEvent(event);
    }

private:
    std::function<void()> _escape;
};

} // namespace

KivEffectPresetRowView::KivEffectPresetRowView(Title title, Editable editable, Commit commit)
    : KivOutlineTextRowView(std::move(title))
    , _editable(std::move(editable))
    , _commit(std::move(commit)) {}

KivOutlineRowClass KivEffectPresetRowView::rowClass(Title title, Editable editable, Commit commit) {
    return {QStringLiteral("KivEffectPresetRowView"), [title, editable, commit] {
                return new KivEffectPresetRowView(title, editable, commit);
            }};
}

void KivEffectPresetRowView::editValueForKey(const QString& key) {
    if (key != QLatin1String("name") || _field || !entry() || !_editable(entry()->item())) {
        return;
    }
    const QRectF title = titleRect();
    auto* field = new NameField(QString(), this, [this] { finishEditing(false); });
    field->setText(titleFor(entry()->item()));
    field->setGeometry(title.adjusted(-3, 1, 0, -1).toRect());
    field->show();
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    QObject::connect(field, &QLineEdit::editingFinished, this, [this] { finishEditing(true); });
    _field = field;
}

void KivEffectPresetRowView::abortEditing() {
    finishEditing(false);
}

void KivEffectPresetRowView::finishEditing(bool keep) {
    QLineEdit* field = _field;
    if (!field) {
        return;
    }
    _field = nullptr;
    const QString text = field->text();
    field->hide();
    field->deleteLater();
    makeOutlineViewFirstResponder();
    if (keep && entry() && _commit) {
        _commit(entry()->item(), text);
    }
}
