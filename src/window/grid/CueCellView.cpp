#include "window/grid/CueCellView.h"

#include "KivUI/controls/PondraProgressView.h"
#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivDrawing.h"
#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/drawing/KivPainterRatio.h"
#include "KivUI/drawing/KivShadow.h"
#include "KivUI/services/KivPrompts.h"
#include "foundation/KivNSString.h"
#include "model/AudioCue.h"
#include "model/DeviceRGBColor.h"
#include "window/grid/CueCellController.h"
#include "window/grid/CueNameLines.h"
#include "window/grid/CueTextColors.h"
#include "window/grid/GridView.h"
#include "window/grid/GridViewDelegate.h"
#include "window/grid/PondraButton.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QFontMetricsF>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <cmath>

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

QFont cellFont(qreal pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(static_cast<int>(pixelSize));
    font.setBold(bold);
    return font;
}

// The file paths of a drag that carries local files only, as the file
// system stores them: the URL's bytes, so a name that is not UTF-8 (Latin-1
// from a file manager of another locale) still names its file.
std::vector<std::string> localFiles(const QMimeData& data) {
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile()) {
            return {};
        }
        paths.push_back(
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
    }
    return paths;
}

constexpr qreal kInset = 5.0;
// How much of a broken cue's colour is veiled: it reads as switched off, and
// its texts stand out of the veil.
constexpr qreal kBrokenVeil = 0.7;
// A cue that plays or is paused is ringed in its state's colour, which also
// glows around it.
constexpr qreal kRingWidth = 4.0;
constexpr qreal kGlowBlur = 8.0;
// The smallest a time is drawn, to fit a narrow cell.
constexpr int kSmallestTime = 9;

// The cue plays, or holds its place to play on.
bool isRunning(CueState state) {
    return state == CueState::Playing || state == CueState::Paused || state == CueState::Fading;
}

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

struct CueCellView::Picture {
    Look look;
    QImage image;
};

CueCellView::CueCellView(GridView& grid, std::size_t index, QWidget* parent)
    : QWidget(parent)
    , _grid(grid)
    , _index(index)
    , _controller(std::make_unique<CueCellController>(*this))
    , _play(new PondraButton(this))
    , _progress(new PondraProgressView(this)) {
    setObjectName(QStringLiteral("cueCell%1").arg(index));
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    _play->setObjectName(QStringLiteral("play"));
    _progress->setObjectName(QStringLiteral("progress"));
    _play->onTriggerDown = [this] {
        if (_cue) {
            _cue->triggerDown();
        }
    };
    _play->onTriggerUp = [this] {
        if (_cue) {
            _cue->triggerUp();
        }
    };
    refreshView();
}

CueCellView::~CueCellView() = default;

void CueCellView::setCue(std::shared_ptr<AudioCue> cue) {
    if (cue == _cue) {
        return;
    }
    _progressObservation.disconnect();
    _stateObservation.disconnect();
    _refusalObservation.disconnect();
    _nameObservation.disconnect();
    _cue = std::move(cue);
    _pressed = false;
    if (_cue) {
        _progressObservation = _cue->progressChanged().connect(
            [this](const float&, const float&) { progressTicked(); });
        _stateObservation =
            _cue->stateChanged().connect([this](const CueState& old, const CueState& state) {
                refreshView();
                _grid.cueStateChanged();
                if ((old == CueState::Broken) != (state == CueState::Broken)) {
                    _grid.cueBrokenChanged();
                }
            });
        _refusalObservation = _cue->triggerRefused().connect([this] {
            if (GridViewDelegate* delegate = _grid.delegate()) {
                delegate->prompts().beep();
            }
        });
        _nameObservation = _cue->nameChanged().connect(
            [this](const std::string&, const std::string&) { update(); });
    }
    refreshView();
    _grid.cueStateChanged();
}

void CueCellView::setLocked(bool locked) {
    _locked = locked;
    if (locked) {
        _pressed = false;
    }
    refreshView();
}

void CueCellView::setHighlighted(bool highlighted) {
    _highlighted = highlighted;
    update();
}

bool CueCellView::isSelected() const {
    return _grid.selectedIndex() == _index;
}

void CueCellView::setDefaultHotkey(std::string hotkey) {
    _defaultHotkey = std::move(hotkey);
    update();
}

void CueCellView::pressCue() {
    if (!_locked || !_cue) {
        return;
    }
    _cue->triggerDown();
    _pressed = true;
    update();
}

void CueCellView::releaseCue() {
    if (!_locked || !_cue) {
        return;
    }
    _cue->triggerUp();
    _pressed = false;
    update();
}

QString CueCellView::elapsedText() const {
    return _cue ? QString::fromStdString(
                      KivNSString::stringByFormattingSeconds(_cue->elapsedTime(), 2))
                : QString();
}

QString CueCellView::remainingText() const {
    return _cue ? QStringLiteral("-%1").arg(QString::fromStdString(
                      KivNSString::stringByFormattingSeconds(_cue->remainingTime(), 2)))
                : QString();
}

void CueCellView::refreshView() {
    const CueState state = _cue ? _cue->state() : CueState::Stopped;
    const bool broken = state == CueState::Broken;
    _play->setVisible(_cue && !_locked && !broken);
    _play->setImageKind(isRunning(state) ? QStringLiteral("stop") : QStringLiteral("play"));
    _progress->setVisible(_cue && !broken);
    _progress->setProgress(_cue ? _cue->progress() : 0.0);
    _progress->setPaused(state == CueState::Paused);
    update();
}

void CueCellView::progressTicked() {
    _progress->setProgress(_cue->progress());
    // Of the cell's own drawing only the times move.
    update(layout().times.adjusted(-1, -1, 1, 1).toAlignedRect());
}

QRectF CueCellView::cellRect() const {
    return QRectF(rect()).adjusted(kInset, kInset, -kInset, -kInset);
}

std::vector<std::pair<bool, const char*>> CueCellView::marks() const {
    // Right to left.
    return {{_cue->hold(), "hold_icon_cell"},
            {_cue->loops(), "loop_icon_cell"},
            {_cue->solo(), "solo_icon_cell"},
            {_cue->ducking(), "ducking_icon_cell"}};
}

CueCellLayout CueCellView::layout() const {
    CueCellLayout::Shows shows;
    shows.locked = _locked;
    if (_cue) {
        const CueState state = _cue->state();
        // In edit mode a broken cue's mark takes the play button's place.
        shows.status = isRunning(state) || (state == CueState::Broken && _locked);
        shows.hotkey = !_cue->hotkey().empty();
        if (_locked && shows.hotkey) {
            shows.hotkeyWidth = QFontMetricsF(cellFont(24, false))
                                    .horizontalAdvance(QString::fromStdString(_cue->hotkey()));
        }
        for (const auto& [on, name] : marks()) {
            shows.marks += on ? 1 : 0;
        }
        shows.timeInTopRow = _locked && isRunning(state);
    }
    return CueCellLayout::of(cellRect(), shows);
}

void CueCellView::resizeEvent(QResizeEvent*) {
    const CueCellLayout parts = layout();
    _play->setGeometry(parts.playButton.toRect());
    _progress->setGeometry(parts.progress.toRect());
}

void CueCellView::paintEvent(QPaintEvent*) {
    // An empty slot has nothing to show in show mode.
    if (!_cue && _locked) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (_dragging) {
        painter.setOpacity(0.25);
    }
    painter.drawImage(QPointF(0, 0), picture(KivPainterRatio(painter)));
    if (_cue) {
        drawCue(painter, layout(), false);
    }
}

std::size_t CueCellView::pictureBytes() const {
    std::size_t bytes = 0;
    for (const Picture& kept : _pictures) {
        bytes += static_cast<std::size_t>(kept.image.sizeInBytes());
    }
    return bytes;
}

void CueCellView::dropPictures() {
    _pictures.clear();
    _pictures.shrink_to_fit();
}

const QImage& CueCellView::picture(qreal ratio) {
    Look look;
    look.size = size();
    look.ratio = ratio;
    look.selected = isSelected();
    look.highlighted = _highlighted;
    look.locked = _locked;
    look.pressed = _pressed;
    if (!_cue && _grid.showsDefaultHotkeys()) {
        look.defaultHotkey = _defaultHotkey;
    }
    if (_cue) {
        look.cue = true;
        look.state = _cue->state();
        look.start = _cue->color().startColor();
        look.end = _cue->color().endColor();
        look.hotkey = _cue->hotkey();
        // Apart, so a named cue's name is cut in place, never copied whole.
        look.name = _cue->name().empty() ? KivDrawing::boundedText(_cue->displayName(), width())
                                         : KivDrawing::boundedText(_cue->name(), width());
        look.hold = _cue->hold();
        look.loops = _cue->loops();
        look.solo = _cue->solo();
        look.ducking = _cue->ducking();
        look.missing = _cue->isMediaMissing();
    }
    const auto found = std::find_if(_pictures.begin(), _pictures.end(),
                                    [&](const Picture& kept) { return kept.look == look; });
    if (found != _pictures.end()) {
        std::rotate(_pictures.begin(), found, std::next(found));
        return _pictures.front().image;
    }
    QImage image((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
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

void CueCellView::drawFixed(QPainter& painter) {
    const QRectF r = cellRect();
    if (isSelected()) {
        const QColor ring = QColor::fromRgbF(0.227, 0.467, 0.639, 1.0);
        KivShadow::withColor(ring, 4, {0, 0}).paint(painter, rect(), [&](QPainter& p) {
            p.setPen(QPen(ring, 5));
            p.setBrush(Qt::NoBrush);
            p.drawPath(roundedPath(r, 5));
        });
    }
    if (_cue) {
        drawCue(painter, layout(), true);
    } else {
        drawEmpty(painter, r);
    }
}

void CueCellView::drawEmpty(QPainter& painter, const QRectF& r) {
    const QPainterPath body = roundedPath(r, 5);
    painter.fillPath(body, white(_highlighted ? 0.1 : 0.05));
    if (!isSelected()) {
        painter.save();
        painter.setClipPath(body);
        painter.setPen(QPen(black(0.35), 1));
        painter.drawPath(roundedPath(r.adjusted(0.5, 0.5, -0.5, -0.5), 5));
        painter.restore();
    }
    if (_grid.showsDefaultHotkeys() && !_defaultHotkey.empty()) {
        painter.setFont(cellFont(72, true));
        painter.setPen(white(0.08));
        painter.drawText(r, Qt::AlignCenter, QString::fromStdString(_defaultHotkey));
    }
    // The bevel: a faint light edge along the bottom.
    painter.save();
    painter.setClipRect(QRectF(r.left() + 0.5, r.bottom() - 5, r.width() - 1, 6));
    painter.setPen(QPen(white(0.05), 1));
    painter.drawPath(roundedPath(r.adjusted(-0.5, -0.5, 0.5, 0.5), 6));
    painter.restore();
}

CueTextColors CueCellView::textColorsFor(const QRectF& text) const {
    const QRectF r = cellRect();
    if (_cue->state() == CueState::Broken) {
        return {white(0.85), black(0.45), QColor()};
    }
    // Where the text lies along the colour's gradient, turned over while pressed.
    double top = (text.top() - r.top()) / r.height();
    double bottom = (text.bottom() - r.top()) / r.height();
    if (_pressed) {
        top = 1 - top;
        bottom = 1 - bottom;
    }
    return CueTextColors::over(_cue->color(), top, bottom);
}

void CueCellView::drawBody(QPainter& painter, const QRectF& r, CueState state) {
    const PondraColor& color = _cue->color();
    const QPainterPath body = roundedPath(r, 5);
    if (!_pressed && !isSelected()) {
        KivShadow::withColor(black(0.25), 8, {0, -2}).paint(painter, rect(), [&](QPainter& p) {
            p.fillPath(body, Qt::black);
        });
    }
    // The colour: start at the top, turned over while pressed.
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(_pressed ? 1 : 0, deviceColor(color.startColor()));
    gradient.setColorAt(_pressed ? 0 : 1, deviceColor(color.endColor()));
    painter.fillPath(body, gradient);
    if (state == CueState::Broken) {
        painter.fillPath(body, black(kBrokenVeil));
    }
    if (isRunning(state)) {
        // A glowing ring, seen from the desk before anything in the cell is read.
        const QColor ring = stateColor(state);
        const qreal in = 1 + kRingWidth / 2;
        const QPainterPath path = roundedPath(r.adjusted(in, in, -in, -in), 4);
        KivShadow::withColor(ring, kGlowBlur, {0, 0}).paint(painter, rect(), [&](QPainter& p) {
            p.setPen(QPen(ring, kRingWidth));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
        });
    }
    painter.setPen(QPen(black(0.6), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedPath(r.adjusted(0.5, 0.5, -0.5, -0.5), 4.5));
    painter.save();
    if (_pressed) {
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

void CueCellView::drawCue(QPainter& painter, const CueCellLayout& parts, bool fixed) {
    const CueState state = _cue->state();
    const bool broken = state == CueState::Broken;
    const bool running = isRunning(state);
    const qreal ratio = KivPainterRatio(painter);
    const QRectF& r = parts.cell;
    if (fixed) {
        drawBody(painter, r, state);
        drawHotkey(painter, parts);
        // Hold, loop, solo, ducking: those that are on, right to left.
        QRectF mark = parts.firstMark;
        for (const auto& [on, name] : marks()) {
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
                             _cue->isMediaMissing() ? QStringLiteral("File missing")
                                                    : QStringLiteral("Cannot play"));
        }
        return;
    }
    if (state == CueState::Fading) {
        drawStatus(painter, parts, state, false);
    }
    drawTexts(painter, timeTexts(parts));
}

void CueCellView::drawHotkey(QPainter& painter, const CueCellLayout& parts) {
    const QString key = QString::fromStdString(_cue->hotkey());
    if (key.isEmpty()) {
        return;
    }
    if (_locked) {
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

std::vector<CueCellView::CellText> CueCellView::nameTexts(const CueCellLayout& parts) const {
    std::vector<CellText> texts;
    QFont font = CueCellLayout::nameFont(_locked);
    font.setStrikeOut(_cue->state() == CueState::Broken);
    const QFontMetricsF metrics(font);
    // Cut before it is laid out: a name from a document may be megabytes long.
    const QString name = _cue->name().empty()
                             ? KivDrawing::boundedText(_cue->displayName(), width())
                             : KivDrawing::boundedText(_cue->name(), width());
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

std::vector<CueCellView::CellText> CueCellView::timeTexts(const CueCellLayout& parts) const {
    const CueState state = _cue->state();
    // Edit mode: both times, always. Show mode: the time left of what plays;
    // a paused cue also tells where Resume takes it up.
    if (state == CueState::Broken || parts.times.isEmpty() || (_locked && !isRunning(state))) {
        return {};
    }
    const QRectF& times = parts.times;
    const QString left = remainingText();
    const bool withElapsed =
        (!_locked || state == CueState::Paused) && parts.height != CueCellLayout::Height::Tiny;
    const QString gone = withElapsed ? elapsedText() : QString();
    // As large as the cell lets them be.
    QFont bold = CueCellLayout::timeFont(_locked);
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

std::vector<CueCellView::CellText> CueCellView::texts() const {
    if (!_cue) {
        return {};
    }
    const CueCellLayout parts = layout();
    std::vector<CellText> all = nameTexts(parts);
    for (CellText& time : timeTexts(parts)) {
        all.push_back(std::move(time));
    }
    return all;
}

void CueCellView::drawTexts(QPainter& painter, const std::vector<CellText>& texts) {
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

void CueCellView::drawStatus(QPainter& painter, const CueCellLayout& parts, CueState state,
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

void CueCellView::drawBrokenMark(QPainter& painter, const CueCellLayout& parts) {
    const QString image =
        _cue->isMediaMissing() ? QStringLiteral("status_missing") : QStringLiteral("status_broken");
    const QSizeF size = KivNamedImages::sizeOf(image);
    // In edit mode the mark takes the play button's place: nothing plays.
    const QRectF target =
        _locked
            ? parts.status
            : QRectF(parts.playButton.center() - QPointF(size.width(), size.height()) / 2, size);
    painter.drawImage(target, KivNamedImages::named(image, KivPainterRatio(painter)));
}

void CueCellView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        // Another button only points at the cell (its menu acts on it): it
        // selects the cell unless it is selected already, and fires nothing.
        if (!_locked && !isSelected()) {
            _grid.cellClicked(_index);
        }
        event->accept();
        return;
    }
    _grid.cellClicked(_index);
    _lastMouseDown = event->position();
    _mouseDownInside = true;
    _grid.setFocus(Qt::MouseFocusReason);
    pressCue();
}

void CueCellView::mouseMoveEvent(QMouseEvent* event) {
    if (!_mouseDownInside || _locked || !_cue || _dragging) {
        return;
    }
    const QPointF moved = event->position() - _lastMouseDown;
    if (std::hypot(moved.x(), moved.y()) >= kDragThreshold) {
        _mouseDownInside = false;
        startDrag();
    }
}

void CueCellView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    _mouseDownInside = false;
    if (_pressed) {
        releaseCue();
    }
}

void CueCellView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !_locked) {
        _controller->importFile();
        return;
    }
    mousePressEvent(event);
}

void CueCellView::contextMenuEvent(QContextMenuEvent* event) {
    if (_locked) {
        return;
    }
    _controller->showContextMenu(event->globalPos());
}

void CueCellView::startDrag() {
    if (isSelected()) {
        _grid.setSelectedIndex(GridView::kNoSelection);
    }
    auto* mime = new QMimeData;
    const QJsonObject index{{QStringLiteral("index"), static_cast<qint64>(_index)}};
    mime->setData(QString::fromLatin1(kCueIndexType), QJsonDocument(index).toJson());
    const auto bytes = _cue->pasteboardData();
    mime->setData(QString::fromLatin1(kCueType),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size())));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(grab());
    drag->setHotSpot(_lastMouseDown.toPoint());
    _dragging = true;
    update();
    QPointer<CueCellView> self(this);
    QPointer<GridView> grid(&_grid);
    grid->beginCellDrag();
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    if (grid) {
        grid->endCellDrag();
    }
    // A drop in another window may have closed this one meanwhile.
    if (!self) {
        return;
    }
    _dragging = false;
    update();
}

void CueCellView::dragEnterEvent(QDragEnterEvent* event) {
    if (_locked) {
        event->ignore();
        return;
    }
    const QMimeData* mime = event->mimeData();
    const auto* source = dynamic_cast<CueCellView*>(event->source());
    const bool fromThisGrid =
        source && &source->grid() == &_grid && mime->hasFormat(QString::fromLatin1(kCueIndexType));
    const bool files = !localFiles(*mime).empty();
    if (!fromThisGrid && !files && !mime->hasFormat(QString::fromLatin1(kCueType))) {
        event->ignore();
        return;
    }
    setHighlighted(true);
    if (files) {
        _grid.setShowDefaultHotkeys(true);
    }
    event->setDropAction(fromThisGrid ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

void CueCellView::dragMoveEvent(QDragMoveEvent* event) {
    event->setAccepted(!_locked);
}

void CueCellView::dragLeaveEvent(QDragLeaveEvent*) {
    endHover();
}

void CueCellView::endHover() {
    setHighlighted(false);
    _grid.setShowDefaultHotkeys(false);
}

void CueCellView::dropEvent(QDropEvent* event) {
    endHover();
    if (_locked) {
        event->ignore();
        return;
    }
    GridViewDelegate* delegate = _grid.delegate();
    const QMimeData* mime = event->mimeData();
    const auto* source = dynamic_cast<CueCellView*>(event->source());
    if (const std::vector<std::string> files = localFiles(*mime); !files.empty()) {
        _grid.droppedFiles(files, _index);
    } else if (source && &source->grid() == &_grid &&
               mime->hasFormat(QString::fromLatin1(kCueIndexType))) {
        const auto from = static_cast<std::size_t>(
            QJsonDocument::fromJson(mime->data(QString::fromLatin1(kCueIndexType)))
                .object()
                .value(QStringLiteral("index"))
                .toInteger(-1));
        if (event->modifiers() & Qt::AltModifier) {
            delegate->gridViewDidCopyCue(from, _index);
        } else {
            delegate->gridViewDidMoveCue(from, _index);
        }
    } else if (mime->hasFormat(QString::fromLatin1(kCueType))) {
        const QByteArray bytes = mime->data(QString::fromLatin1(kCueType));
        auto cue =
            AudioCue::cueFromPasteboardData(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        if (!cue) {
            event->ignore();
            return;
        }
        delegate->gridViewDidDropCue(std::move(cue), _index);
    } else {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}
