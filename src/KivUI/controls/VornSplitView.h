#pragma once

#include <QSplitter>

// The skinned split view. A pane splitter stacking its panes top to bottom
// (Qt::Vertical) gets a 12-point divider drawn from the "vorn_splitter_bar"
// and "vorn_splitter_handle" images; any other divider is a plain dark line.
class VornSplitView : public QSplitter {
public:
    static constexpr int kPaneSplitterThickness = 12;

    explicit VornSplitView(Qt::Orientation orientation = Qt::Vertical, QWidget* parent = nullptr);

    void setPaneSplitter(bool paneSplitter);
    // The divider's thickness: 12 for a vertical pane splitter, else Qt's.
    int dividerThickness() const;
    bool drawsSkinnedDivider() const;

protected:
    QSplitterHandle* createHandle() override;

private:
    void applyThickness();

    bool _paneSplitter = true;
    int _plainThickness;
};
