#pragma once

#include "KivUI/outline/KivOutlineViewEntry.h"

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class KivOutlineView;

// The view of one outline row. The outline draws every row with one stamp
// instance and makes live instances only for rows whose controls are in use.
// A row subclass overrides the hooks. GUI thread.
class KivOutlineRowView : public QWidget {
public:
    explicit KivOutlineRowView(QWidget* parent = nullptr);

    // Colour that overrides the row's colour for the entry.
    virtual std::optional<QColor> customBackgroundColorForEntry(const KivOutlineViewEntry&) const {
        return std::nullopt;
    }
    virtual qreal viewHeight() const { return 25.0; }
    // The least width of the view; 0 follows the scroll view.
    virtual qreal viewWidth() const { return 0; }
    // Drop lines are placed by these three.
    virtual qreal indentationPerLevel() const { return 20.0; }
    virtual qreal leftOfMainColumn() const { return 0; }
    virtual qreal tweenerOffsetFromMainColumn() const { return 0; }
    // Begins editing the value named by key.
    virtual void editValueForKey(const QString&) {}
    // Ends an edit begun here without keeping its value.
    virtual void abortEditing() {}
    // Binds the row to an entry before it is drawn or edited.
    virtual void setEntry(KivOutlineViewEntry::Ptr entry) { _entry = std::move(entry); }

    KivOutlineView* outlineView() const;
    void setOutlineView(KivOutlineView* view);
    int rowIndex() const { return _rowIndex; }
    void setRowIndex(int row) { _rowIndex = row; }
    const KivOutlineViewEntry::Ptr& entry() const { return _entry; }
    QColor backgroundColor() const { return _backgroundColor; }
    void setBackgroundColor(const QColor& colour);
    bool drawingToDragImage() const { return _drawingToDragImage; }
    void setDrawingToDragImage(bool drawing) { _drawingToDragImage = drawing; }
    bool drawingFlipped() const { return _drawingFlipped; }
    void setDrawingFlipped(bool flipped) { _drawingFlipped = flipped; }
    bool lockedActive() const { return _lockedActive; }
    void setLockedActive(bool locked) { _lockedActive = locked; }

    // Locked, or a control inside the row holds the focus.
    bool isActive() const;
    // Hands the focus back to the outline shortly after an edit in the row ends.
    void makeOutlineViewFirstResponder();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<KivOutlineView> _outlineView;
    int _rowIndex = -1;
    KivOutlineViewEntry::Ptr _entry;
    QColor _backgroundColor = Qt::transparent;
    bool _drawingToDragImage = false;
    bool _drawingFlipped = false;
    bool _lockedActive = false;
};

// How an outline makes its rows: the layout's name, for the log, and a maker
// that answers nullptr when the layout cannot be made.
struct KivOutlineRowClass {
    QString nibName;
    std::function<KivOutlineRowView*()> make;

    static KivOutlineRowClass base();
};
