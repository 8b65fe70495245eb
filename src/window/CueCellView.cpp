#include "window/CueCellView.h"

#include "KivUI/KivDrawing.h"
#include "KivUI/KivNamedImages.h"
#include "KivUI/KivPainterRatio.h"
#include "KivUI/KivShadow.h"
#include "KivUI/PondraProgressView.h"
#include "foundation/KivNSString.h"
#include "model/AudioCue.h"
#include "window/CueCellController.h"
#include "window/CueTextColors.h"
#include "window/GridView.h"
#include "window/GridViewDelegate.h"
#include "window/PondraButton.h"

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

// The file paths of a drag that carries local files only.
QStringList localFiles(const QMimeData& data) {
    QStringList paths;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile()) {
            return {};
        }
        paths << url.toLocalFile();
    }
    return paths;
}

constexpr qreal kInset = 5.0;
constexpr qreal kProgressHeight = 12.0;

} // namespace

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
    _playingObservation.disconnect();
    _nameObservation.disconnect();
    _cue = std::move(cue);
    _pressed = false;
    if (_cue) {
        _progressObservation =
            _cue->progressChanged().connect([this](const float&, const float&) { refreshView(); });
        _playingObservation =
            _cue->playingChanged().connect([this](const bool&, const bool&) { refreshView(); });
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
    const bool editing = _cue && !_locked;
    _play->setVisible(editing);
    _play->setImageKind(_cue && _cue->isPlaying() ? QStringLiteral("stop")
                                                  : QStringLiteral("play"));
    _progress->setVisible(static_cast<bool>(_cue));
    _progress->setProgress(_cue ? _cue->progress() : 0.0);
    update();
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
        drawCue(painter, r);
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

void CueCellView::drawCue(QPainter& painter, const QRectF& r) {
    const QPainterPath body = roundedPath(r, 5);
    if (!_pressed && !isSelected()) {
        KivShadow::withColor(black(0.25), 8, {0, -2}).paint(painter, rect(), [&](QPainter& p) {
            p.fillPath(body, Qt::black);
        });
    }
    // The colour: start at the top, turned over while pressed.
    const PondraColor& color = _cue->color();
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(_pressed ? 1 : 0, deviceColor(color.startColor()));
    gradient.setColorAt(_pressed ? 0 : 1, deviceColor(color.endColor()));
    painter.fillPath(body, gradient);
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

    const CueTextColors colors = CueTextColors::over(color);
    const QColor& textColor = colors.text;
    const QColor& textShadow = colors.shadow;
    const QColor& timeColor = colors.time;

    const qreal ratio = KivPainterRatio(painter);
    const QString hotkey = QString::fromStdString(_cue->hotkey());
    if (_locked && !hotkey.isEmpty()) {
        painter.setFont(cellFont(24, false));
        const QRectF keyRect(r.left() + 10, r.top() + 4, 40, 30);
        painter.setPen(textShadow);
        painter.drawText(keyRect.translated(0, 1), Qt::AlignLeft | Qt::AlignVCenter, hotkey);
        painter.setPen(textColor);
        painter.drawText(keyRect, Qt::AlignLeft | Qt::AlignVCenter, hotkey);
    } else if (!hotkey.isEmpty()) {
        // Edit mode: the hot key sits in a small badge at the top right.
        const QRectF badge(r.right() - 28, r.top() + 8, 20, 20);
        painter.fillPath(roundedPath(badge, 4), black(0.3));
        painter.setFont(cellFont(12, true));
        painter.setPen(white(0.9));
        painter.drawText(badge, Qt::AlignCenter, hotkey);
    }

    // Hold, loop and solo, right to left.
    qreal iconX = r.right() - (_locked ? 24 : 54);
    // Where a name in the top row must stop.
    qreal topRowRight = r.right() - (!_locked && !hotkey.isEmpty() ? 32 : 8);
    for (const auto& [on, name] :
         {std::pair{_cue->hold(), "hold_icon_cell"}, std::pair{_cue->loops(), "loop_icon_cell"},
          std::pair{_cue->solo(), "solo_icon_cell"}}) {
        if (on) {
            // A dark halo keeps the light icons readable on light colours.
            const QString image = QString::fromLatin1(name);
            const QRectF target(QPointF(iconX, r.top() + 10), KivNamedImages::sizeOf(image));
            KivShadow::withColor(black(0.6), 2, {0, -1})
                .paint(painter, target.adjusted(-4, -4, 4, 4), [&](QPainter& p) {
                    p.drawImage(target, KivNamedImages::named(image, ratio));
                });
            topRowRight = std::min(topRowRight, iconX - 4);
        }
        iconX -= 25;
    }
    if (_cue->isPlaying()) {
        drawStatus(painter, r);
    }

    // A short cell has no band between the top row and the progress bar: the
    // name moves into the top row and the edit-mode times give way.
    const qreal band = r.height() - 34 - kProgressHeight - 24;
    const bool compact = band < 16;
    if (compact && _locked && _cue->isPlaying()) {
        painter.setFont(cellFont(11, true));
        painter.setPen(timeColor);
        const QRectF time(topRowRight - 64, r.top() + 8, 64, 20);
        painter.drawText(time, Qt::AlignRight | Qt::AlignVCenter, remainingText());
        topRowRight -= 68;
    }
    qreal topRowLeft = _locked && !hotkey.isEmpty() ? r.left() + 50 : r.left() + 36;
    if (_cue->isPlaying()) {
        topRowLeft = std::max(
            topRowLeft, (_locked ? r.left() + 38 : r.left() + 40) +
                            KivNamedImages::sizeOf(QStringLiteral("status_running")).width() + 4);
    }
    const QRectF nameRect = compact ? QRectF(topRowLeft, r.top() + 8, topRowRight - topRowLeft, 20)
                                    : QRectF(r.left() + 8, r.top() + 34, r.width() - 16, band);
    painter.setFont(cellFont(compact ? 12 : (_locked ? 14 : 13), true));
    const QString name = QString::fromStdString(_cue->displayName());
    const QString shown = painter.fontMetrics().elidedText(
        name, Qt::ElideMiddle, static_cast<int>(std::max<qreal>(nameRect.width(), 0)));
    painter.setPen(textShadow);
    painter.drawText(nameRect.translated(0, 1), Qt::AlignCenter, shown);
    painter.setPen(textColor);
    painter.drawText(nameRect, Qt::AlignCenter, shown);

    if (compact) {
        return;
    }
    if (!_locked) {
        // Elapsed and remaining times above the progress bar.
        painter.setFont(cellFont(10, false));
        painter.setPen(timeColor);
        const QRectF times(r.left() + 9, r.bottom() - kProgressHeight - 21, r.width() - 18, 14);
        painter.drawText(times, Qt::AlignLeft | Qt::AlignVCenter, elapsedText());
        painter.drawText(times, Qt::AlignRight | Qt::AlignVCenter, remainingText());
    } else if (_cue->isPlaying()) {
        // During a show only the time left of what plays counts.
        painter.setFont(cellFont(11, true));
        painter.setPen(timeColor);
        const QRectF time(r.left() + 9, r.bottom() - kProgressHeight - 22, r.width() - 18, 15);
        painter.drawText(time, Qt::AlignRight | Qt::AlignVCenter, remainingText());
    }
}

void CueCellView::drawStatus(QPainter& painter, const QRectF& r) {
    const qreal ratio = KivPainterRatio(painter);
    const QString running = QStringLiteral("status_running");
    const QSizeF size = KivNamedImages::sizeOf(running);
    const qreal x = _locked ? r.left() + 38 : r.left() + 6 + 24 + 10;
    const QRectF target(QPointF(x, r.top() + 11), size);
    if (_cue->isPanicking()) {
        // One frame of the spinner strip, turning 24 frames a second.
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        const int frame = static_cast<int>(std::chrono::duration<double>(now).count() * 24) % 12;
        const QImage strip = KivNamedImages::named(QStringLiteral("status_spinner"), ratio);
        const QRectF source(0, 30 * frame * ratio, 30 * ratio, 30 * ratio);
        painter.drawImage(target.adjusted(-2, -2, 2, 2), strip, source);
    } else if (_cue->isPaused()) {
        const QString paused = QStringLiteral("status_paused");
        painter.drawImage(QRectF(target.topLeft(), KivNamedImages::sizeOf(paused)),
                          KivNamedImages::named(paused, ratio));
    } else {
        painter.drawImage(target, KivNamedImages::named(running, ratio));
    }
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
    auto* data = new QMimeData;
    const QJsonObject index{{QStringLiteral("index"), static_cast<qint64>(_index)}};
    data->setData(QString::fromLatin1(kCueIndexType), QJsonDocument(index).toJson());
    const auto bytes = _cue->pasteboardData();
    data->setData(QString::fromLatin1(kCueType),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size())));
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
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
    const QMimeData* data = event->mimeData();
    const auto* source = dynamic_cast<CueCellView*>(event->source());
    const bool fromThisGrid =
        source && &source->grid() == &_grid && data->hasFormat(QString::fromLatin1(kCueIndexType));
    const bool files = !localFiles(*data).isEmpty();
    if (!fromThisGrid && !files && !data->hasFormat(QString::fromLatin1(kCueType))) {
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
    const QMimeData* data = event->mimeData();
    const auto* source = dynamic_cast<CueCellView*>(event->source());
    if (const QStringList files = localFiles(*data); !files.isEmpty()) {
        _grid.droppedFiles(files, _index);
    } else if (source && &source->grid() == &_grid &&
               data->hasFormat(QString::fromLatin1(kCueIndexType))) {
        const auto from = static_cast<std::size_t>(
            QJsonDocument::fromJson(data->data(QString::fromLatin1(kCueIndexType)))
                .object()
                .value(QStringLiteral("index"))
                .toInteger(-1));
        if (event->modifiers() & Qt::AltModifier) {
            delegate->gridViewDidCopyCue(from, _index);
        } else {
            delegate->gridViewDidMoveCue(from, _index);
        }
    } else if (data->hasFormat(QString::fromLatin1(kCueType))) {
        const QByteArray bytes = data->data(QString::fromLatin1(kCueType));
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
