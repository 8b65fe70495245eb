#pragma once

#include "model/CartGrid.h"

#include <QWidget>

#include <cstddef>
#include <string>
#include <vector>

class CellPictureBudget;
class CueCellView;
class GridViewDelegate;

// The grid of one cart: one cell per slot, laid out on whole points with
// 4-point margins and 2-point gaps, the selection, and the hover state of
// file drags. Takes the focus, so keys reach the window through it.
class GridView final : public QWidget {
public:
    static constexpr std::size_t kNoSelection = CartGrid::kNotFound;

    explicit GridView(QWidget* parent = nullptr);
    ~GridView() override;

    GridViewDelegate* delegate() const { return _delegate; }
    void setDelegate(GridViewDelegate* delegate) { _delegate = delegate; }
    // The window's budget for its cells' pictures, told each time the grid
    // shows; it must outlive the grid.
    void setPictureBudget(CellPictureBudget* budget) { _pictureBudget = budget; }
    std::size_t pictureBytes() const;
    void dropPictures();

    // Rebuilds the cells from the delegate's size and cues; during a cell's
    // drag, once the drag has returned.
    void reloadData();
    // A cell's drag runs a nested event loop in which its own drop may ask
    // for a rebuild: the dragged cell must outlive it.
    void beginCellDrag() { _cellDragging = true; }
    void endCellDrag();
    // Frames every cell for the current size.
    void layoutCues();
    int rows() const { return _rows; }
    int columns() const { return _columns; }
    const std::vector<CueCellView*>& cells() const { return _cells; }
    CueCellView* cellAt(std::size_t index) const;
    // Null when no cell shows the cue.
    CueCellView* cellForCue(const void* cue) const;

    std::size_t selectedIndex() const { return _selectedIndex; }
    // Tells the delegate, even when the index stays.
    void setSelectedIndex(std::size_t index);
    // A click on a cell: selects it when the delegate agrees, else clears
    // the selection.
    void cellClicked(std::size_t index);

    bool showsDefaultHotkeys() const { return _showDefaultHotkeys; }
    void setShowDefaultHotkeys(bool show);
    // Files dropped on a cell (with default triggers) or imported into it.
    // File system paths, as bytes: a name need not be UTF-8.
    void droppedFiles(const std::vector<std::string>& paths, std::size_t index);
    void importFiles(const std::vector<std::string>& paths, std::size_t index);
    // From a cell whose cue became broken or was mended.
    void cueBrokenChanged();
    // From a cell whose cue changed state, or that shows another cue.
    void cueStateChanged();
    // The cells whose cues play or fade out.
    int playingCount() const { return _playing; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void reset();

    GridViewDelegate* _delegate = nullptr;
    CellPictureBudget* _pictureBudget = nullptr;
    int _rows = 0;
    int _columns = 0;
    std::size_t _selectedIndex = kNoSelection;
    std::vector<CueCellView*> _cells;
    bool _showDefaultHotkeys = false;
    bool _cellDragging = false;
    bool _reloadAfterDrag = false;
    int _playing = 0;
};
