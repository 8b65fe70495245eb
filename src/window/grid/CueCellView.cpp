#include "window/grid/CueCellView.h"

#include "KivUI/controls/PondraProgressView.h"
#include "KivUI/services/KivPrompts.h"
#include "foundation/KivNSString.h"
#include "model/AudioCue.h"
#include "window/grid/CueCellController.h"
#include "window/grid/CueCellPainter.h"
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
#include <QPointer>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

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

} // namespace

CueCellView::CueCellView(GridView& grid, std::size_t index, QWidget* parent)
    : QWidget(parent)
    , _grid(grid)
    , _index(index)
    , _controller(std::make_unique<CueCellController>(*this))
    , _play(new PondraButton(this))
    , _progress(new PondraProgressView(this))
    , _painter(std::make_unique<CueCellPainter>(*this)) {
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
    _play->setImageKind(CueCellPainter::isRunning(state) ? QStringLiteral("stop")
                                                         : QStringLiteral("play"));
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

CueCellLayout CueCellView::layout() const {
    CueCellLayout::Shows shows;
    shows.locked = _locked;
    if (_cue) {
        const CueState state = _cue->state();
        // In edit mode a broken cue's mark takes the play button's place.
        shows.status = CueCellPainter::isRunning(state) || (state == CueState::Broken && _locked);
        shows.hotkey = !_cue->hotkey().empty();
        if (_locked && shows.hotkey) {
            shows.hotkeyWidth = QFontMetricsF(CueCellPainter::cellFont(24, false))
                                    .horizontalAdvance(QString::fromStdString(_cue->hotkey()));
        }
        for (const auto& [on, name] : CueCellPainter::marks(*_cue)) {
            shows.marks += on ? 1 : 0;
        }
        shows.timeInTopRow = _locked && CueCellPainter::isRunning(state);
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
    _painter->paint(painter);
}

std::size_t CueCellView::pictureBytes() const {
    return _painter->pictureBytes();
}

void CueCellView::dropPictures() {
    _painter->dropPictures();
}

std::size_t CueCellView::picturesDrawn() const {
    return _painter->picturesDrawn();
}

std::vector<CueCellView::CellText> CueCellView::texts() const {
    return _painter->texts();
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
