#pragma once

#include "foundation/Signal.h"
#include "window/grid/CueCellLayout.h"

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class AudioCue;
enum class CueState;
class CueCellController;
class CueCellPainter;
class GridView;
class PondraButton;
class PondraProgressView;

// One slot of a grid: draws its cue (colour, name, hot key, times, progress,
// state icons and play state) or an empty slot, presses and releases the cue
// in show mode, starts drags of its cue in edit mode and takes drops.
class CueCellView final : public QWidget {
public:
    // Drag types: a cue's slot within one grid ({"index": n} as JSON) and
    // the cue itself (its pasteboard form).
    static constexpr const char* kCueIndexType = "com.brenmoor.pondra.cue-index";
    static constexpr const char* kCueType = "com.brenmoor.pondra.cue";
    // A drag starts once the mouse has moved this far from the press.
    static constexpr qreal kDragThreshold = 5.0;

    CueCellView(GridView& grid, std::size_t index, QWidget* parent);
    ~CueCellView() override;

    const std::shared_ptr<AudioCue>& cue() const { return _cue; }
    void setCue(std::shared_ptr<AudioCue> cue);
    std::size_t index() const { return _index; }
    GridView& grid() const { return _grid; }
    bool isEmpty() const { return !_cue; }

    bool isLocked() const { return _locked; }
    // Show mode: an empty cell disappears.
    void setLocked(bool locked);
    bool isHighlighted() const { return _highlighted; }
    void setHighlighted(bool highlighted);
    bool isSelected() const;
    const std::string& defaultHotkey() const { return _defaultHotkey; }
    void setDefaultHotkey(std::string hotkey);

    // Show mode: what a click, a hot key or a MIDI note does when it goes
    // down and when it comes up. Nothing in edit mode.
    void pressCue();
    void releaseCue();
    bool isPressed() const { return _pressed; }

    CueCellController& controller() const { return *_controller; }
    PondraButton* playButton() const { return _play; }
    PondraProgressView* progressView() const { return _progress; }
    // The elapsed and remaining times as the cell shows them.
    QString elapsedText() const;
    QString remainingText() const;
    // Where the cell draws its parts now.
    CueCellLayout layout() const;
    // A line of the name, or a time, as the cell draws it now: the text is
    // drawn in its box with its alignment.
    struct CellText {
        enum class Kind { Name, Time };
        Kind kind;
        QString text;
        QFont font;
        QRectF box;
        int alignment;
    };
    std::vector<CellText> texts() const;

    // The pictures of the cell's fixed parts that it keeps, one for each of
    // its last few looks; the window's budget lets a hidden grid's go.
    std::size_t pictureBytes() const;
    void dropPictures();
    // How many pictures the cell has drawn since it was made.
    std::size_t picturesDrawn() const;
    // The rectangle the cell draws in: its bounds inset by 5 points.
    QRectF cellRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void refreshView();
    // A progress tick: the bar and the times, nothing else.
    void progressTicked();
    void startDrag();
    void endHover();

    GridView& _grid;
    const std::size_t _index;
    std::shared_ptr<AudioCue> _cue;
    std::string _defaultHotkey;
    bool _locked = false;
    bool _highlighted = false;
    bool _pressed = false;
    bool _dragging = false;
    bool _mouseDownInside = false;
    QPointF _lastMouseDown;
    std::unique_ptr<CueCellController> _controller;
    PondraButton* _play;
    PondraProgressView* _progress;
    // The cell's look: its drawing and the pictures it keeps.
    std::unique_ptr<CueCellPainter> _painter;
    Connection _progressObservation;
    Connection _stateObservation;
    Connection _refusalObservation;
    Connection _nameObservation;
};
