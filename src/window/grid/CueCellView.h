#pragma once

#include "foundation/Signal.h"
#include "window/grid/CueCellLayout.h"
#include "window/grid/CueTextColors.h"

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
class GridView;
class PondraButton;
class PondraProgressView;
class QImage;

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
    std::size_t picturesDrawn() const { return _picturesDrawn; }

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
    // The rectangle the cell draws in: its bounds inset by 5 points.
    QRectF cellRect() const;
    // What stays put between ticks (ring, shadow, colour, texts but the
    // times, marks), drawn once into a picture kept for what it shows.
    const QImage& picture(qreal ratio);
    void drawFixed(QPainter& painter);
    void drawEmpty(QPainter& painter, const QRectF& rect);
    // The cue's fixed parts, or else what moves: the times and the spinner.
    void drawCue(QPainter& painter, const CueCellLayout& parts, bool fixed);
    void drawBody(QPainter& painter, const QRectF& rect, CueState state);
    void drawHotkey(QPainter& painter, const CueCellLayout& parts);
    std::vector<CellText> nameTexts(const CueCellLayout& parts) const;
    std::vector<CellText> timeTexts(const CueCellLayout& parts) const;
    // Texts that read as one (a name's lines, the times) in one colour.
    void drawTexts(QPainter& painter, const std::vector<CellText>& texts);
    void drawStatus(QPainter& painter, const CueCellLayout& parts, CueState state, bool fixed);
    void drawBrokenMark(QPainter& painter, const CueCellLayout& parts);
    // The state marks the cue has on, and their images, right to left.
    std::vector<std::pair<bool, const char*>> marks() const;
    // The colours of a text lying over `text` of the cell.
    CueTextColors textColorsFor(const QRectF& text) const;

    struct Picture;

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
    // The latest pictures, newest first: a tab shown again finds its own.
    std::vector<Picture> _pictures;
    std::size_t _picturesDrawn = 0;
    Connection _progressObservation;
    Connection _stateObservation;
    Connection _refusalObservation;
    Connection _nameObservation;
};
