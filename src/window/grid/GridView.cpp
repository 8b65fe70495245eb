#include "window/grid/GridView.h"

#include "model/AudioCue.h"
#include "window/grid/CellPictureBudget.h"
#include "window/grid/CueCellView.h"
#include "window/grid/GridViewDelegate.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cassert>
#include <utility>

GridView::GridView(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("gridView"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 140);
}

GridView::~GridView() {
    if (_pictureBudget) {
        _pictureBudget->gridGone(*this);
    }
}

std::size_t GridView::pictureBytes() const {
    std::size_t bytes = 0;
    for (const CueCellView* cell : _cells) {
        bytes += cell->pictureBytes();
    }
    return bytes;
}

void GridView::dropPictures() {
    for (CueCellView* cell : _cells) {
        cell->dropPictures();
    }
}

void GridView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (_pictureBudget) {
        _pictureBudget->gridShown(*this);
    }
}

void GridView::reset() {
    for (CueCellView* cell : _cells) {
        delete cell;
    }
    _cells.clear();
}

void GridView::reloadData() {
    if (_cellDragging) {
        _reloadAfterDrag = true;
        return;
    }
    if (!_delegate) {
        reset();
        return;
    }
    const CartSize size = _delegate->sizeOfGridView();
    assert((size.width != 0 || size.height != 0) && "Cart size cannot be {0, 0}");
    _columns = size.width;
    _rows = size.height;
    // The cells are kept: a tab shown again redraws its cells, it does not
    // build them anew.
    const auto slots = static_cast<std::size_t>(std::max(_rows * _columns, 0));
    while (_cells.size() > slots) {
        delete _cells.back();
        _cells.pop_back();
    }
    layoutCues();
    for (CueCellView* cell : _cells) {
        cell->setDefaultHotkey(_delegate->defaultHotkeyForIndex(cell->index()));
        cell->setLocked(_delegate->isLocked());
        cell->setCue(_delegate->cueForIndex(cell->index()));
    }
    if (_selectedIndex != kNoSelection && _selectedIndex >= _cells.size()) {
        _selectedIndex = kNoSelection;
    }
    // Cells taken away with the slots they showed.
    cueStateChanged();
    setSelectedIndex(_selectedIndex);
}

void GridView::endCellDrag() {
    _cellDragging = false;
    if (std::exchange(_reloadAfterDrag, false)) {
        // Queued: the dragged cell's own code is still on the stack.
        QMetaObject::invokeMethod(this, &GridView::reloadData, Qt::QueuedConnection);
    }
}

void GridView::layoutCues() {
    if (_columns <= 0 || _rows <= 0) {
        return;
    }
    // Whole-point cells, 4-point margins, 2-point gaps.
    const int cellWidth = (width() - 4 - (2 * _columns + 2)) / _columns;
    const int cellHeight = (height() - 4 - (2 * _rows + 2)) / _rows;
    const auto slots = static_cast<std::size_t>(_rows * _columns);
    int x = 4;
    int y = 4;
    for (std::size_t index = 0; index < slots; ++index) {
        const QRect frame(x, y, std::max(cellWidth, 0), std::max(cellHeight, 0));
        if (index < _cells.size()) {
            _cells[index]->setGeometry(frame);
        } else {
            auto* cell = new CueCellView(*this, index, this);
            cell->setGeometry(frame);
            cell->show();
            _cells.push_back(cell);
        }
        x += cellWidth + 2;
        if ((index + 1) % static_cast<std::size_t>(_columns) == 0) {
            x = 4;
            y += cellHeight + 2;
        }
    }
}

CueCellView* GridView::cellAt(std::size_t index) const {
    return index < _cells.size() ? _cells[index] : nullptr;
}

CueCellView* GridView::cellForCue(const void* cue) const {
    for (CueCellView* cell : _cells) {
        if (cell->cue().get() == cue) {
            return cell;
        }
    }
    return nullptr;
}

void GridView::setSelectedIndex(std::size_t index) {
    _selectedIndex = index;
    if (_delegate) {
        _delegate->gridViewDidSelectItemAtIndex(index);
    }
    for (CueCellView* cell : _cells) {
        cell->update();
    }
}

void GridView::cellClicked(std::size_t index) {
    const bool allowed = _delegate && _delegate->gridViewShouldSelectItemAtIndex(index);
    setSelectedIndex(allowed ? index : kNoSelection);
}

void GridView::setShowDefaultHotkeys(bool show) {
    if (show == _showDefaultHotkeys) {
        return;
    }
    _showDefaultHotkeys = show;
    for (CueCellView* cell : _cells) {
        if (cell->isEmpty()) {
            cell->update();
        }
    }
}

void GridView::droppedFiles(const std::vector<std::string>& paths, std::size_t index) {
    if (_delegate) {
        _delegate->gridViewDroppedFiles(paths, index, true);
    }
}

void GridView::importFiles(const std::vector<std::string>& paths, std::size_t index) {
    if (_delegate) {
        _delegate->gridViewDroppedFiles(paths, index, false);
    }
}

void GridView::cueStateChanged() {
    const int playing =
        static_cast<int>(std::count_if(_cells.begin(), _cells.end(), [](const CueCellView* cell) {
            const CueState state = cell->cue() ? cell->cue()->state() : CueState::Stopped;
            return state == CueState::Playing || state == CueState::Fading;
        }));
    if (playing != _playing) {
        _playing = playing;
        if (_delegate) {
            _delegate->gridViewPlayingCountChanged(playing);
        }
    }
}

void GridView::cueBrokenChanged() {
    if (_delegate) {
        _delegate->gridViewCueBrokenChanged();
    }
}

void GridView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient gradient(0, height(), 0, 0);
    gradient.setColorAt(0, QColor::fromRgbF(0.235, 0.231, 0.231));
    gradient.setColorAt(1, QColor::fromRgbF(0.161, 0.153, 0.153));
    painter.fillRect(rect(), gradient);
}

void GridView::resizeEvent(QResizeEvent*) {
    layoutCues();
}

void GridView::mousePressEvent(QMouseEvent* event) {
    // A click between the cells clears the selection; another button leaves it.
    if (event->button() == Qt::LeftButton) {
        setSelectedIndex(kNoSelection);
    }
    setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}
