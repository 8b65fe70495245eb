#pragma once

#include <QSplitterHandle>

class VornSplitView;

// One divider of a VornSplitView.
class VornSplitterHandle : public QSplitterHandle {
public:
    VornSplitterHandle(Qt::Orientation orientation, VornSplitView* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    VornSplitView* _splitView;
};
