#pragma once

#include "KivUI/outline/KivOutlineRowView.h"

#include <functional>

class QAbstractButton;

// An outline row that shows its item's title, indented by depth, after a
// disclosure triangle on expandable rows; the triangle expands and collapses.
class KivOutlineTextRowView : public KivOutlineRowView {
public:
    using Title = std::function<QString(KivOutlineItem)>;

    explicit KivOutlineTextRowView(Title title, QWidget* parent = nullptr);

    // A row class that makes these rows.
    static KivOutlineRowClass rowClass(Title title);

    qreal viewHeight() const override { return 22.0; }
    qreal indentationPerLevel() const override { return 16.0; }
    qreal leftOfMainColumn() const override { return 4.0; }
    qreal tweenerOffsetFromMainColumn() const override { return 12.0; }
    void setEntry(KivOutlineViewEntry::Ptr entry) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Where the title is drawn, and what it says for an item.
    QRectF titleRect() const;
    QString titleFor(KivOutlineItem item) const { return _title ? _title(item) : QString(); }

private:
    void toggle();
    void place();
    qreal indentation() const;

    Title _title;
    QAbstractButton* _disclosure;
};
