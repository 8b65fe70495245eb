#pragma once

#include "KivUI/outline/KivOutlineViewEntry.h"

#include <QColor>
#include <QPixmap>
#include <QRect>

#include <vector>

class KivOutlineLiveRows;
class KivOutlineView;
class QPainter;

// The colours of the outline's rows and the painting of them: grounds,
// dividing lines, the stamp row view drawn into every row not live, and the
// faded picture of rows a drag carries. GUI thread only.
class KivOutlinePainter {
public:
    using Entry = KivOutlineViewEntry::Ptr;

    KivOutlinePainter(KivOutlineView& view, const KivOutlineLiveRows& liveRows);

    QColor backgroundColor() const { return _backgroundColor; }
    void setBackgroundColor(const QColor& colour) { _backgroundColor = colour; }
    QColor alternatingRowColor() const { return _alternatingRowColor; }
    void setAlternatingRowColor(const QColor& colour) { _alternatingRowColor = colour; }
    QColor dividingLineColor() const { return _dividingLineColor; }
    void setDividingLineColor(const QColor& colour) { _dividingLineColor = colour; }
    QColor secondDividingLineColor() const { return _secondDividingLineColor; }
    void setSecondDividingLineColor(const QColor& colour) { _secondDividingLineColor = colour; }
    QColor selectedColor() const { return _selectedColor; }
    void setSelectedColor(const QColor& colour) { _selectedColor = colour; }
    QColor selectedButNotMainColor() const { return _selectedButNotMainColor; }
    void setSelectedButNotMainColor(const QColor& colour) { _selectedButNotMainColor = colour; }

    // A selected row is in the main colour while the outline or its live row
    // has the focus.
    QColor colorForEntry(const KivOutlineViewEntry& entry, int row) const;
    // Onto the view, from inside its paint event.
    void paint(const QRect& dirty);
    QPixmap dragImage(const std::vector<Entry>& entries) const;

private:
    void paintGrounds(QPainter& painter, int first, int last) const;
    void paintRows(QPainter& painter, const QRect& dirty, int first, int last) const;

    KivOutlineView& _view;
    const KivOutlineLiveRows& _liveRows;
    QColor _backgroundColor;
    QColor _alternatingRowColor;
    QColor _dividingLineColor;
    QColor _secondDividingLineColor;
    QColor _selectedColor;
    QColor _selectedButNotMainColor;
};
