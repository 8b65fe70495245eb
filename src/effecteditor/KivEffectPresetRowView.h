#pragma once

#include "KivUI/outline/KivOutlineTextRowView.h"

#include <QLineEdit>
#include <QPointer>

#include <functional>

// A row of the preset manager: a group or a preset by name. Editing the key
// "name" puts a field over a preset's title; Return or leaving the field
// hands the text to `commit`, Escape drops it.
class KivEffectPresetRowView : public KivOutlineTextRowView {
public:
    using Editable = std::function<bool(KivOutlineItem)>;
    using Commit = std::function<void(KivOutlineItem, const QString&)>;

    KivEffectPresetRowView(Title title, Editable editable, Commit commit);

    static KivOutlineRowClass rowClass(Title title, Editable editable, Commit commit);

    void editValueForKey(const QString& key) override;
    void abortEditing() override;
    QLineEdit* field() const { return _field; }

private:
    void finishEditing(bool keep);

    Editable _editable;
    Commit _commit;
    QPointer<QLineEdit> _field;
};
