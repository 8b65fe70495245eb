#include "window/grid/CueCellPainter.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivDrawing.h"
#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/drawing/KivPainterRatio.h"
#include "KivUI/drawing/KivShadow.h"
#include "model/AudioCue.h"
#include "model/DeviceRGBColor.h"
#include "window/grid/CueNameLines.h"
#include "window/grid/CueTextColors.h"
#include "window/grid/GridView.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <chrono>

namespace {

QColor deviceColor(const DeviceRGBColor& color) {
    return QColor::fromRgbF(color.red, color.green, color.blue, color.alpha);
}

QColor white(qreal alpha) {
    return QColor::fromRgbF(1, 1, 1, alpha);
}

QColor black(qreal alpha) {
    return QColor::fromRgbF(0, 0, 0, alpha);
}

QPainterPath roundedPath(const QRectF& rect, qreal radius) {
    QPainterPath path;
    KivDrawing::addRoundedRectToPath(path, rect, radius);
    return path;
}

// How much of a broken cue's colour is veiled: it reads as switched off, and
// its texts stand out of the veil.
constexpr qreal kBrokenVeil = 0.7;
// A cue that plays or is paused is ringed in its state's colour, which also
// glows around it.
constexpr qreal kRingWidth = 4.0;
constexpr qreal kGlowBlur = 8.0;
// The smallest a time is drawn, to fit a narrow cell.
constexpr int kSmallestTime = 9;

// The colour of a running cue's mark, ring and bar.
QColor stateColor(CueState state) {
    return state == CueState::Paused ? KivColors::paused() : KivColors::playing();
}

// A picture is kept for each of the last few looks of a cell.
constexpr std::size_t kKeptPictures = 4;

// Everything the fixed parts of a cell are drawn from.
struct Look {
    QSize size;
    qreal ratio = 1;
    bool selected = false;
    bool highlighted = false;
    bool locked = false;
    bool pressed = false;
    // The empty slot's default hot key, while the grid shows it.
    std::string defaultHotkey;
    bool cue = false;
    CueState state = CueState::Stopped;
    DeviceRGBColor start;
    DeviceRGBColor end;
    std::string hotkey;
    // As far as the cell could show it: a name may be megabytes long.
    QString name;
    bool hold = false;
    bool loops = false;
    bool solo = false;
    bool ducking = false;
    bool missing = false;

    bool operator==(const Look&) const = default;
};

} // namespace

struct CueCellPainter::Picture {
    Look look;
    QImage image;
};

CueCellPainter::CueCellPainter(const CueCellView& cell)
    : _cell(cell) {}

CueCellPainter::~CueCellPainter() = default;

QFont CueCellPainter::cellFont(qreal pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(static_cast<int>(pixelSize));
    font.setBold(bold);
    return font;
}

bool CueCellPainter::isRunning(CueState state) {
    return state == CueState::Playing || state == CueState::Paused || state == CueState::Fading;
}

std::vector<std::pair<bool, const char*>> CueCellPainter::marks(const AudioCue& cue) {
    // Right to left.
    return {{cue.hold(), "hold_icon_cell"},
            {cue.loops(), "loop_icon_cell"},
            {cue.solo(), "solo_icon_cell"},
            {cue.ducking(), "ducking_icon_cell"}};
}

void CueCellPainter::paint(QPainter& painter) {
    painter.drawImage(QPointF(0, 0), picture(KivPainterRatio(painter)));
    if (_cell.cue()) {
        drawCue(painter, _cell.layout(), false);
    }
}

std::size_t CueCellPainter::pictureBytes() const {
    std::size_t bytes = 0;
    for (const Picture& kept : _pictures) {
        bytes += static_cast<std::size_t>(kept.image.sizeInBytes());
    }
    return bytes;
}

void CueCellPainter::dropPictures() {
    _pictures.clear();
    _pictures.shrink_to_fit();
}

std::vector<CueCellView::CellText> CueCellPainter::texts() const {
    if (!_cell.cue()) {
        return {};
    }
    const CueCellLayout parts = _cell.layout();
    std::vector<CellText> all = nameTexts(parts);
    for (CellText& time : timeTexts(parts)) {
        all.push_back(std::move(time));
    }
    return all;
}

const QImage& CueCellPainter::picture(qreal ratio) {
    Look look;
    look.size = _cell.size();
    look.ratio = ratio;
    look.selected = _cell.isSelected();
    look.highlighted = _cell.isHighlighted();
    look.locked = _cell.isLocked();
    look.pressed = _cell.isPressed();
    if (!_cell.cue() && _cell.grid().showsDefaultHotkeys()) {
        look.defaultHotkey = _cell.defaultHotkey();
    }
    if (_cell.cue()) {
        look.cue = true;
        look.state = _cell.cue()->state();
        look.start = _cell.cue()->color().startColor();
        look.end = _cell.cue()->color().endColor();
        look.hotkey = _cell.cue()->hotkey();
        // Apart, so a named cue's name is cut in place, never copied whole.
        look.name = _cell.cue()->name().empty()
                        ? KivDrawing::boundedText(_cell.cue()->displayName(), _cell.width())
                        : KivDrawing::boundedText(_cell.cue()->name(), _cell.width());
        look.hold = _cell.cue()->hold();
        look.loops = _cell.cue()->loops();
        look.solo = _cell.cue()->solo();
        look.ducking = _cell.cue()->ducking();
        look.missing = _cell.cue()->isMediaMissing();
    }
    const auto found = std::find_if(_pictures.begin(), _pictures.end(),
                                    [&](const Picture& kept) { return kept.look == look; });
    if (found != _pictures.end()) {
        std::rotate(_pictures.begin(), found, std::next(found));
        return _pictures.front().image;
    }
    QImage image((QSizeF(_cell.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        drawFixed(painter);
    }
    if (_pictures.size() == kKeptPictures) {
        _pictures.pop_back();
    }
    _pictures.insert(_pictures.begin(), Picture{std::move(look), std::move(image)});
    ++_picturesDrawn;
    return _pictures.front().image;
}

void CueCellPainter::drawFixed(QPainter& painter) {
    const QRectF r = _cell.cellRect();
    if (_cell.isSelected()) {
        const QColor ring = QColor::fromRgbF(0.227, 0.467, 0.639, 1.0);
        KivShadow::withColor(ring, 4, {0, 0}).paint(painter, _cell.rect(), [&](QPainter& p) {
            p.setPen(QPen(ring, 5));
            p.setBrush(Qt::NoBrush);
            p.drawPath(roundedPath(r, 5));
        });
    }
    if (_cell.cue()) {
        drawCue(painter, _cell.layout(), true);
    } else {
        drawEmpty(painter, r);
    }
}

void CueCellPainter::drawEmpty(QPainter& painter, const QRectF& r) {
    const QPainterPath body = roundedPath(r, 5);
    painter.fillPath(body, white(_cell.isHighlighted() ? 0.1 : 0.05));
    if (!_cell.isSelected()) {
        painter.save();
        painter.setClipPath(body);
        painter.setPen(QPen(black(0.35), 1));
        painter.drawPath(roundedPath(r.adjusted(0.5, 0.5, -0.5, -0.5), 5));
        painter.restore();
    }
    if (_cell.grid().showsDefaultHotkeys() && !_cell.defaultHotkey().empty()) {
        painter.setFont(cellFont(72, true));
        painter.setPen(white(0.08));
        painter.drawText(r, Qt::AlignCenter, QString::fromStdString(_cell.defaultHotkey()));
    }
    // The bevel: a faint light edge along the bottom.
    painter.save();
    painter.setClipRect(QRectF(r.left() + 0.5, r.bottom() - 5, r.width() - 1, 6));
    painter.setPen(QPen(white(0.05), 1));
    painter.drawPath(roundedPath(r.adjusted(-0.5, -0.5, 0.5, 0.5), 6));
    painter.restore();
}

CueTextColors CueCellPainter::textColorsFor(const QRectF& text) const {
    const QRectF r = _cell.cellRect();
    if (_cell.cue()->state() == CueState::Broken) {
        return {white(0.85), black(0.45), QColor()};
    }
    // Where the text lies along the colour's gradient, turned over while pressed.
    double top = (text.top() - r.top()) / r.height();
    double bottom = (text.bottom() - r.top()) / r.height();
    if (_cell.isPressed()) {
        top = 1 - top;
        bottom = 1 - bottom;
    }
    return CueTextColors::over(_cell.cue()->color(), top, bottom);
}

void CueCellPainter::drawBody(QPainter& painter, const QRectF& r, CueState state) {
    const PondraColor& color = _cell.cue()->color();
    const QPainterPath body = roundedPath(r, 5);
    if (!_cell.isPressed() && !_cell.isSelected()) {
        KivShadow::withColor(black(0.25), 8, {0, -2})
            .paint(painter, _cell.rect(), [&](QPainter& p) { p.fillPath(body, Qt::black); });
    }
    // The colour: start at the top, turned over while pressed.
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(_cell.isPressed() ? 1 : 0, deviceColor(color.startColor()));
    gradient.setColorAt(_cell.isPressed() ? 0 : 1, deviceColor(color.endColor()));
    painter.fillPath(body, gradient);
    if (state == CueState::Broken) {
        painter.fillPath(body, black(kBrokenVeil));
    }
    if (isRunning(state)) {
        // A glowing ring, seen from the desk before anything in the cell is read.
        const QColor ring = stateColor(state);
        const qreal in = 1 + kRingWidth / 2;
        const QPainterPath path = roundedPath(r.adjusted(in, in, -in, -in), 4);
        KivShadow::withColor(ring, kGlowBlur, {0, 0})
            .paint(painter, _cell.rect(), [&](QPainter& p) {
                p.setPen(QPen(ring, kRingWidth));
                p.setBrush(Qt::NoBrush);
                p.drawPath(path);
            });
    }
    painter.setPen(QPen(black(0.6), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedPath(r.adjusted(0.5, 0.5, -0.5, -0.5), 4.5));
    painter.save();
    if (_cell.isPressed()) {
        painter.setClipRect(QRectF(r.left() + 0.5, r.bottom() - 5, r.width() - 1, 6));
        painter.setPen(QPen(white(0.05), 1));
        painter.drawPath(roundedPath(r.adjusted(-0.5, -0.5, 0.5, 0.5), 6));
    } else {
        painter.setClipRect(QRectF(r.left(), r.top(), r.width(), 5));
        painter.setPen(QPen(white(0.3), 1));
        painter.drawPath(roundedPath(r.adjusted(1.5, 1.5, -1.5, -1.5), 4.5));
    }
    painter.restore();
}

void CueCellPainter::drawCue(QPainter& painter, const CueCellLayout& parts, bool fixed) {
    const CueState state = _cell.cue()->state();
    const bool broken = state == CueState::Broken;
    const bool running = isRunning(state);
    const qreal ratio = KivPainterRatio(painter);
    const QRectF& r = parts.cell;
    if (fixed) {
        drawBody(painter, r, state);
        drawHotkey(painter, parts);
        // Hold, loop, solo, ducking: those that are on, right to left.
        QRectF mark = parts.firstMark;
        for (const auto& [on, name] : marks(*_cell.cue())) {
            if (!on) {
                continue;
            }
            // On a dark badge, as the hot key's: the light marks read on light colours too.
            painter.fillPath(roundedPath(mark.adjusted(-2, -2, 2, 2), 4), black(0.55));
            painter.drawImage(mark, KivNamedImages::named(QString::fromLatin1(name), ratio));
            mark.translate(-CueCellLayout::kMarkStep, 0);
        }
        if (running) {
            drawStatus(painter, parts, state, true);
        } else if (broken) {
            drawBrokenMark(painter, parts);
        }
        drawTexts(painter, nameTexts(parts));
        if (broken) {
            // Where the progress bar would run, why nothing will.
            painter.setFont(cellFont(12, true));
            painter.setPen(QColor::fromRgbF(1.0, 0.8, 0.76));
            painter.drawText(parts.progress.adjusted(0, -3, 0, 3), Qt::AlignCenter,
                             _cell.cue()->isMediaMissing() ? QStringLiteral("File missing")
                                                           : QStringLiteral("Cannot play"));
        }
        return;
    }
    if (state == CueState::Fading) {
        drawStatus(painter, parts, state, false);
    }
    drawTexts(painter, timeTexts(parts));
}

void CueCellPainter::drawHotkey(QPainter& painter, const CueCellLayout& parts) {
    const QString key = QString::fromStdString(_cell.cue()->hotkey());
    if (key.isEmpty()) {
        return;
    }
    if (_cell.isLocked()) {
        painter.setFont(cellFont(24, false));
        const CueTextColors colors = textColorsFor(parts.hotkey);
        painter.setPen(colors.shadow);
        painter.drawText(parts.hotkey.translated(0, 1), Qt::AlignLeft | Qt::AlignVCenter, key);
        painter.setPen(colors.text);
        painter.drawText(parts.hotkey, Qt::AlignLeft | Qt::AlignVCenter, key);
        return;
    }
    // Edit mode: the hot key sits in a dark badge at the top right.
    painter.fillPath(roundedPath(parts.hotkey, 4), black(0.55));
    painter.setFont(cellFont(12, true));
    painter.setPen(Qt::white);
    painter.drawText(parts.hotkey, Qt::AlignCenter, key);
}

std::vector<CueCellView::CellText> CueCellPainter::nameTexts(const CueCellLayout& parts) const {
    std::vector<CellText> texts;
    QFont font = CueCellLayout::nameFont(_cell.isLocked());
    font.setStrikeOut(_cell.cue()->state() == CueState::Broken);
    const QFontMetricsF metrics(font);
    // Cut before it is laid out: a name from a document may be megabytes long.
    const QString name = _cell.cue()->name().empty()
                             ? KivDrawing::boundedText(_cell.cue()->displayName(), _cell.width())
                             : KivDrawing::boundedText(_cell.cue()->name(), _cell.width());
    std::vector<QRectF> boxes{parts.nameLine};
    if (metrics.horizontalAdvance(name.simplified()) > parts.nameLine.width() &&
        !parts.nameSecondOfTwo.isEmpty()) {
        boxes = {parts.nameFirstOfTwo, parts.nameSecondOfTwo};
    }
    std::vector<qreal> widths;
    for (const QRectF& box : boxes) {
        widths.push_back(box.width());
    }
    const QStringList lines = CueNameLines::wrap(name, font, widths);
    if (lines.size() == 1 && boxes.size() == 2) {
        // Laid out on two, it needed one after all.
        boxes = {parts.nameLine};
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRectF& box = boxes[static_cast<std::size_t>(i)];
        // On the cell's middle where the line has room for it there.
        const qreal advance = metrics.horizontalAdvance(lines[i]);
        const qreal x = std::clamp(parts.cell.center().x() - advance / 2, box.left(),
                                   std::max(box.left(), box.right() - advance));
        texts.push_back({CellText::Kind::Name, lines[i], font,
                         QRectF(x, box.top(), std::min(advance, box.width()) + 1, box.height()),
                         Qt::AlignLeft | Qt::AlignVCenter});
    }
    return texts;
}

std::vector<CueCellView::CellText> CueCellPainter::timeTexts(const CueCellLayout& parts) const {
    const CueState state = _cell.cue()->state();
    // Edit mode: both times, always. Show mode: the time left of what plays;
    // a paused cue also tells where Resume takes it up.
    if (state == CueState::Broken || parts.times.isEmpty() ||
        (_cell.isLocked() && !isRunning(state))) {
        return {};
    }
    const QRectF& times = parts.times;
    const QString left = _cell.remainingText();
    const bool withElapsed = (!_cell.isLocked() || state == CueState::Paused) &&
                             parts.height != CueCellLayout::Height::Tiny;
    const QString gone = withElapsed ? _cell.elapsedText() : QString();
    // As large as the cell lets them be.
    QFont bold = CueCellLayout::timeFont(_cell.isLocked());
    QFont regular = bold;
    regular.setBold(false);
    const auto fits = [&](int size, bool both) {
        bold.setPixelSize(size);
        regular.setPixelSize(size);
        const qreal needed = QFontMetricsF(bold).horizontalAdvance(left) +
                             (both ? QFontMetricsF(regular).horizontalAdvance(gone) + 8 : 0);
        return needed <= times.width();
    };
    bool both = withElapsed;
    int size = bold.pixelSize();
    while (size > kSmallestTime && !fits(size, both)) {
        --size;
    }
    if (both && !fits(size, true)) {
        both = false;
        size = bold.pixelSize();
        while (size > kSmallestTime && !fits(size, false)) {
            --size;
        }
    }
    fits(size, both);
    std::vector<CellText> texts{
        {CellText::Kind::Time, left, bold, times, Qt::AlignRight | Qt::AlignVCenter}};
    if (both) {
        texts.push_back(
            {CellText::Kind::Time, gone, regular, times, Qt::AlignLeft | Qt::AlignVCenter});
    }
    return texts;
}

void CueCellPainter::drawTexts(QPainter& painter, const std::vector<CellText>& texts) {
    if (texts.empty()) {
        return;
    }
    // One colour for the lines of a name, or for the times: the one that
    // reads over all of them.
    QRectF block;
    for (const CellText& text : texts) {
        block |= text.box;
    }
    const CueTextColors colors = textColorsFor(block);
    for (const CellText& text : texts) {
        painter.setFont(text.font);
        if (colors.backing.isValid()) {
            const QRectF ink =
                QFontMetricsF(text.font).boundingRect(text.box, text.alignment, text.text);
            painter.fillPath(roundedPath(ink.adjusted(-5, -3, 5, 3), 4), colors.backing);
        }
        if (text.kind == CellText::Kind::Name) {
            painter.setPen(colors.shadow);
            painter.drawText(text.box.translated(0, 1), text.alignment, text.text);
        }
        painter.setPen(colors.text);
        painter.drawText(text.box, text.alignment, text.text);
    }
}

void CueCellPainter::drawStatus(QPainter& painter, const CueCellLayout& parts, CueState state,
                                bool fixed) {
    const qreal ratio = KivPainterRatio(painter);
    const QRectF& target = parts.status;
    if (fixed) {
        // On a dark badge, as the hot key's: the marks read on light colours too.
        painter.fillPath(roundedPath(target.adjusted(-2, -2, 2, 2), 5), black(0.55));
        if (state != CueState::Fading) {
            const QString image = state == CueState::Paused ? QStringLiteral("status_paused")
                                                            : QStringLiteral("status_running");
            painter.drawImage(target, KivNamedImages::named(image, ratio));
        }
        return;
    }
    // One frame of the spinner strip, turning 24 frames a second.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const int frame = static_cast<int>(std::chrono::duration<double>(now).count() * 24) % 12;
    const QImage strip = KivNamedImages::named(QStringLiteral("status_spinner"), ratio);
    const QRectF source(0, 30 * frame * ratio, 30 * ratio, 30 * ratio);
    painter.drawImage(target, strip, source);
}

void CueCellPainter::drawBrokenMark(QPainter& painter, const CueCellLayout& parts) {
    const QString image = _cell.cue()->isMediaMissing() ? QStringLiteral("status_missing")
                                                        : QStringLiteral("status_broken");
    const QSizeF size = KivNamedImages::sizeOf(image);
    // In edit mode the mark takes the play button's place: nothing plays.
    const QRectF target =
        _cell.isLocked()
            ? parts.status
            : QRectF(parts.playButton.center() - QPointF(size.width(), size.height()) / 2, size);
    painter.drawImage(target, KivNamedImages::named(image, KivPainterRatio(painter)));
}
