#include "window/grid/CueCellView.h"

#include "KivUI/controls/PondraProgressView.h"
#include "KivUI/drawing/KivDrawing.h"
#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/drawing/KivPainterRatio.h"
#include "KivUI/drawing/KivShadow.h"
#include "KivUI/services/KivPrompts.h"
#include "foundation/KivNSString.h"
#include "model/AudioCue.h"
#include "model/DeviceRGBColor.h"
#include "window/grid/CueCellController.h"
#include "window/grid/CueTextColors.h"
#include "window/grid/GridView.h"
#include "window/grid/GridViewDelegate.h"
#include "window/grid/PondraButton.h"

#include <QContextMenuEvent>
#include <QDrag>
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
constexpr qreal kProgressHeight = 12.0;
// How much of a broken cue's colour is veiled.
constexpr qreal kBrokenVeil = 0.55;

// The cue plays, or holds its place to play on.
bool isRunning(CueState state) {
    return state == CueState::Playing || state == CueState::Paused || state == CueState::Fading;
}

// A short cell has no band between the top row and the progress bar.
bool isCompact(const QRectF& cell) {
    return cell.height() - 34 - kProgressHeight - 24 < 16;
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
    // Of the cell's own drawing only the times move: the band above the
    // progress bar, and in a short cell the top row, where the time left goes.
    const QRectF r = cellRect();
    const QRectF times = isCompact(r)
                             ? QRectF(r.left(), r.top() + 6, r.width(), 24)
                             : QRectF(r.left(), r.bottom() - kProgressHeight - 24, r.width(), 19);
    update(times.toAlignedRect());
}

QRectF CueCellView::cellRect() const {
    return QRectF(rect()).adjusted(kInset, kInset, -kInset, -kInset);
}

void CueCellView::resizeEvent(QResizeEvent*) {
    const QRectF r = cellRect();
    _play->setGeometry(static_cast<int>(r.left() + 6), static_cast<int>(r.top() + 6), 24, 24);
    _progress->setGeometry(static_cast<int>(r.left() + 8),
                           static_cast<int>(r.bottom() - kProgressHeight - 6),
                           static_cast<int>(r.width() - 16), static_cast<int>(kProgressHeight));
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
        drawCue(painter, cellRect(), false);
    }
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
        drawCue(painter, r, true);
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

void CueCellView::drawCue(QPainter& painter, const QRectF& r, bool fixed) {
    const CueState state = _cue->state();
    const bool broken = state == CueState::Broken;
    const bool running = isRunning(state);
    const PondraColor& color = _cue->color();
    if (fixed) {
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
        if (broken) {
            // A veil over the colour: the cell reads as switched off.
            painter.fillPath(body, black(kBrokenVeil));
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

    const CueTextColors colors =
        broken ? CueTextColors{white(0.5), black(0.45), white(0.75)} : CueTextColors::over(color);
    const QColor& textColor = colors.text;
    const QColor& textShadow = colors.shadow;
    const QColor& timeColor = colors.time;

    const qreal ratio = KivPainterRatio(painter);
    const std::string& hotkey = _cue->hotkey();
    if (fixed && _locked && !hotkey.empty()) {
        painter.setFont(cellFont(24, false));
        const QRectF keyRect(r.left() + 10, r.top() + 4, 40, 30);
        const QString key = QString::fromStdString(hotkey);
        painter.setPen(textShadow);
        painter.drawText(keyRect.translated(0, 1), Qt::AlignLeft | Qt::AlignVCenter, key);
        painter.setPen(textColor);
        painter.drawText(keyRect, Qt::AlignLeft | Qt::AlignVCenter, key);
    } else if (fixed && !hotkey.empty()) {
        // Edit mode: the hot key sits in a small badge at the top right.
        const QRectF badge(r.right() - 28, r.top() + 8, 20, 20);
        painter.fillPath(roundedPath(badge, 4), black(0.3));
        painter.setFont(cellFont(12, true));
        painter.setPen(white(0.9));
        painter.drawText(badge, Qt::AlignCenter, QString::fromStdString(hotkey));
    }

    // Hold, loop, solo and ducking, right to left.
    qreal iconX = r.right() - (_locked ? 24 : 54);
    // Where a name in the top row must stop.
    qreal topRowRight = r.right() - (!_locked && !hotkey.empty() ? 32 : 8);
    for (const auto& [on, name] :
         {std::pair{_cue->hold(), "hold_icon_cell"}, std::pair{_cue->loops(), "loop_icon_cell"},
          std::pair{_cue->solo(), "solo_icon_cell"},
          std::pair{_cue->ducking(), "ducking_icon_cell"}}) {
        if (on) {
            if (fixed) {
                // A dark halo keeps the light icons readable on light colours.
                const QString image = QString::fromLatin1(name);
                const QRectF target(QPointF(iconX, r.top() + 10), KivNamedImages::sizeOf(image));
                KivShadow::withColor(black(0.6), 2, {0, -1})
                    .paint(painter, target.adjusted(-4, -4, 4, 4), [&](QPainter& p) {
                        p.drawImage(target, KivNamedImages::named(image, ratio));
                    });
            }
            topRowRight = std::min(topRowRight, iconX - 4);
        }
        iconX -= 25;
    }
    qreal topRowLeft = _locked && !hotkey.empty() ? r.left() + 50 : r.left() + 36;
    if (running) {
        const QRectF status = drawStatus(painter, r, state, fixed);
        topRowLeft = std::max(topRowLeft, status.right() + 6);
    } else if (broken && fixed) {
        const QRectF mark = drawBrokenMark(painter, r);
        topRowLeft = std::max(topRowLeft, mark.right() + 6);
    }

    // A short cell has no band between the top row and the progress bar: the
    // name moves into the top row and the edit-mode times give way.
    const qreal band = r.height() - 34 - kProgressHeight - 24;
    const bool compact = isCompact(r);
    if (compact && _locked && running) {
        if (!fixed) {
            painter.setFont(cellFont(11, true));
            painter.setPen(timeColor);
            const QRectF time(topRowRight - 64, r.top() + 8, 64, 20);
            painter.drawText(time, Qt::AlignRight | Qt::AlignVCenter, remainingText());
        }
        topRowRight -= 68;
    }
    if (fixed) {
        const QRectF nameRect = compact
                                    ? QRectF(topRowLeft, r.top() + 8, topRowRight - topRowLeft, 20)
                                    : QRectF(r.left() + 8, r.top() + 34, r.width() - 16, band);
        QFont nameFont = cellFont(compact ? 12 : (_locked ? 14 : 13), true);
        nameFont.setStrikeOut(broken);
        painter.setFont(nameFont);
        // Cut before it is laid out: a name from a document may be megabytes long.
        const QString name = _cue->name().empty()
                                 ? KivDrawing::boundedText(_cue->displayName(), nameRect.width())
                                 : KivDrawing::boundedText(_cue->name(), nameRect.width());
        const QString shown = painter.fontMetrics().elidedText(
            name, Qt::ElideMiddle, static_cast<int>(std::max<qreal>(nameRect.width(), 0)));
        painter.setPen(textShadow);
        painter.drawText(nameRect.translated(0, 1), Qt::AlignCenter, shown);
        painter.setPen(textColor);
        painter.drawText(nameRect, Qt::AlignCenter, shown);
    }

    if (broken) {
        if (fixed) {
            // Where the progress bar would run, why nothing will.
            painter.setFont(cellFont(11, true));
            painter.setPen(QColor::fromRgbF(1.0, 0.62, 0.56));
            const QRectF why(r.left() + 8, r.bottom() - kProgressHeight - 8, r.width() - 16,
                             kProgressHeight + 4);
            painter.drawText(why, Qt::AlignCenter,
                             _cue->isMediaMissing() ? QStringLiteral("File missing")
                                                    : QStringLiteral("Cannot play"));
        }
        return;
    }
    if (compact || fixed) {
        return;
    }
    if (!_locked) {
        // Elapsed and remaining times above the progress bar.
        painter.setFont(cellFont(10, false));
        painter.setPen(timeColor);
        const QRectF times(r.left() + 9, r.bottom() - kProgressHeight - 21, r.width() - 18, 14);
        painter.drawText(times, Qt::AlignLeft | Qt::AlignVCenter, elapsedText());
        painter.drawText(times, Qt::AlignRight | Qt::AlignVCenter, remainingText());
    } else if (running) {
        // During a show only the time left of what plays counts; a paused
        // cue also tells where Resume takes it up.
        painter.setFont(cellFont(11, true));
        painter.setPen(timeColor);
        const QRectF time(r.left() + 9, r.bottom() - kProgressHeight - 22, r.width() - 18, 15);
        painter.drawText(time, Qt::AlignRight | Qt::AlignVCenter, remainingText());
        if (state == CueState::Paused) {
            painter.drawText(time, Qt::AlignLeft | Qt::AlignVCenter, elapsedText());
        }
    }
}

QRectF CueCellView::statusRect(const QRectF& r, const QSizeF& size) const {
    const qreal x = _locked ? r.left() + 38 : r.left() + 6 + 24 + 10;
    // Centred on the line of the play button and the hot key.
    return QRectF(QPointF(x, r.top() + 18 - size.height() / 2), size);
}

QRectF CueCellView::drawStatus(QPainter& painter, const QRectF& r, CueState state, bool fixed) {
    const qreal ratio = KivPainterRatio(painter);
    const QString running = QStringLiteral("status_running");
    const QRectF target = statusRect(r, KivNamedImages::sizeOf(running));
    if (fixed) {
        // On a dark badge, as the hot key's: the marks read on light colours too.
        painter.fillPath(roundedPath(target.adjusted(-2, -2, 2, 2), 4), black(0.45));
        if (state != CueState::Fading) {
            const QString image =
                state == CueState::Paused ? QStringLiteral("status_paused") : running;
            painter.drawImage(target, KivNamedImages::named(image, ratio));
        }
    } else if (state == CueState::Fading) {
        // One frame of the spinner strip, turning 24 frames a second.
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        const int frame = static_cast<int>(std::chrono::duration<double>(now).count() * 24) % 12;
        const QImage strip = KivNamedImages::named(QStringLiteral("status_spinner"), ratio);
        const QRectF source(0, 30 * frame * ratio, 30 * ratio, 30 * ratio);
        painter.drawImage(target.adjusted(-1, -1, 1, 1), strip, source);
    }
    return target;
}

QRectF CueCellView::drawBrokenMark(QPainter& painter, const QRectF& r) {
    const QString image =
        _cue->isMediaMissing() ? QStringLiteral("status_missing") : QStringLiteral("status_broken");
    const QSizeF size = KivNamedImages::sizeOf(image);
    // In edit mode the mark takes the play button's place: nothing plays.
    const QRectF target =
        _locked ? statusRect(r, size) : QRectF(QPointF(r.left() + 9, r.top() + 9), size);
    painter.drawImage(target, KivNamedImages::named(image, KivPainterRatio(painter)));
    return target;
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
