#pragma once

#include "window/grid/CueCellView.h"
#include "window/grid/CueTextColors.h"

#include <QFont>

#include <cstddef>
#include <utility>
#include <vector>

class AudioCue;
enum class CueState;
class QImage;
class QPainter;

// How a cue cell looks. What stays put between ticks (ring, shadow, colour,
// texts but the times, marks) is drawn once into a picture kept for the look
// it shows, one for each of the cell's last few looks; what moves (the times
// and the spinner) is drawn over it on every paint. GUI thread.
class CueCellPainter {
public:
    using CellText = CueCellView::CellText;

    explicit CueCellPainter(const CueCellView& cell);
    ~CueCellPainter();
    CueCellPainter(const CueCellPainter&) = delete;
    CueCellPainter& operator=(const CueCellPainter&) = delete;

    void paint(QPainter& painter);
    // The name's lines and the times as they are drawn now.
    std::vector<CellText> texts() const;

    std::size_t pictureBytes() const;
    void dropPictures();
    std::size_t picturesDrawn() const { return _picturesDrawn; }

    static QFont cellFont(qreal pixelSize, bool bold);
    // The cue plays, or holds its place to play on.
    static bool isRunning(CueState state);
    // The state marks the cue has on, and their images, right to left.
    static std::vector<std::pair<bool, const char*>> marks(const AudioCue& cue);

private:
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
    // The colours of a text lying over `text` of the cell.
    CueTextColors textColorsFor(const QRectF& text) const;

    struct Picture;

    const CueCellView& _cell;
    // The latest pictures, newest first: a tab shown again finds its own.
    std::vector<Picture> _pictures;
    std::size_t _picturesDrawn = 0;
};
