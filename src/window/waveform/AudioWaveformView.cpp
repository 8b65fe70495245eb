#include "window/waveform/AudioWaveformView.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivGradient.h"
#include "model/AudioCue.h"
#include "model/AudioWaveform.h"
#include "platform/alias/KivAlias.h"
#include "window/waveform/QtWaveformExecutor.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollBar>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr float kRuler = AudioWaveformEditor::kRulerHeight;

} // namespace

AudioWaveformView::AudioWaveformView(QWidget* parent)
    : AudioWaveformView(std::make_shared<QtWaveformExecutor>(), KivAudioBufferWorker::Thread,
                        parent) {}

AudioWaveformView::AudioWaveformView(std::shared_ptr<AudioWaveformExecutor> executor,
                                     KivAudioBufferWorker worker, QWidget* parent)
    : QAbstractScrollArea(parent)
    , _executor(std::move(executor))
    , _worker(worker) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
}

AudioWaveformView::~AudioWaveformView() {
    setWaveform(nullptr);
}

void AudioWaveformView::setWaveform(std::shared_ptr<AudioWaveform> waveform) {
    // A pass still running holds the old overview; not live, it delivers nothing.
    if (_waveform) {
        _waveform->setLive(false);
    }
    _waveform = std::move(waveform);
}

void AudioWaveformView::setCue(const std::shared_ptr<AudioCue>& cue) {
    _cue = cue;
    std::shared_ptr<KivAlias> alias = cue ? cue->mediaAlias() : nullptr;
    if (!alias) {
        _alias.reset();
        setWaveform(nullptr);
        _editor.setFile(0.0, float(viewport()->width()));
    } else if (!_alias || !alias->isEqual(*_alias)) {
        _alias = alias;
        _editor.setFile(cue->fileLengthInSeconds(), float(viewport()->width()));
        // The redraw comes back on this thread, and only to a view still there.
        QPointer<QWidget> target = viewport();
        setWaveform(AudioWaveform::create(
            alias, AudioWaveform::kEditorFramesPerPoint, _executor,
            [target] {
                if (target) {
                    target->update();
                }
            },
            _worker));
    }
    if (cue) {
        _editor.setPlayedTimes(cue->startTime(), cue->endTime());
    }
    updateScrollRange();
    refreshCursorPosition();
    viewport()->update();
}

bool AudioWaveformView::cueRunning() const {
    auto cue = _cue.lock();
    return cue && cue->isRunning();
}

int AudioWaveformView::scrollX() const {
    return horizontalScrollBar()->value();
}

void AudioWaveformView::updateScrollRange() {
    const int width = static_cast<int>(std::ceil(_editor.contentWidth()));
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(20);
}

void AudioWaveformView::applyScroll(std::optional<float> scrollX) {
    if (!scrollX) {
        return;
    }
    updateScrollRange();
    horizontalScrollBar()->setValue(static_cast<int>(*scrollX));
    refreshCursorPosition();
    viewport()->update();
}

void AudioWaveformView::setPixelsPerSecond(double pixelsPerSecond) {
    applyScroll(
        _editor.zoom(pixelsPerSecond, cueRunning(), float(scrollX()), float(viewport()->width())));
}

void AudioWaveformView::setStartAndEndFromSelection() {
    auto cue = _cue.lock();
    const auto range = _editor.rangeFromSelection();
    if (!cue || !range) {
        return;
    }
    cue->setEndTime(range->end);
    cue->setStartTime(range->start);
    _editor.setPlayedTimes(cue->startTime(), cue->endTime());
    viewport()->update();
}

void AudioWaveformView::clearSelection() {
    _editor.clearSelection();
    viewport()->update();
}

void AudioWaveformView::selectAll() {
    _editor.selectAll();
    viewport()->update();
}

void AudioWaveformView::refreshCursorPosition() {
    auto cue = _cue.lock();
    const bool loaded = cue && cue->isLoaded();
    _editor.setCursorTime(loaded ? std::optional<double>(cue->currentFileTime()) : std::nullopt);
    const float position = _editor.cursorPosition();
    const int left = scrollX();
    if (position > float(left + viewport()->width()) ||
        (position >= 0.0f && position < float(left) && cue && cue->isRunning())) {
        horizontalScrollBar()->setValue(static_cast<int>(position));
    }
    viewport()->update();
}

void AudioWaveformView::openCueFileWithExternalEditor() {
    auto cue = _cue.lock();
    std::shared_ptr<KivAlias> alias = cue ? cue->mediaAlias() : nullptr;
    if (alias) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(alias->fullPath())));
    }
}

void AudioWaveformView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // Re-applies the least zoom that fills the new width.
    if (_editor.hasFile()) {
        setPixelsPerSecond(_editor.pixelsPerSecond());
    }
    updateScrollRange();
}

bool AudioWaveformView::overHandle(float x) const {
    const auto& played = _editor.playedSelection();
    const auto& user = _editor.userSelection();
    return _editor.rightHandleArea(played.rightPixel(), 2.0f).contains(x) ||
           AudioWaveformEditor::leftHandleArea(played.leftPixel(), 2.0f).contains(x) ||
           (_editor.hasUserSelection() &&
            (_editor.rightHandleArea(user.rightPixel(), 0.0f).contains(x) ||
             AudioWaveformEditor::leftHandleArea(user.leftPixel(), 0.0f).contains(x)));
}

void AudioWaveformView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !_editor.hasFile()) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPointF at = event->position();
    _editor.press(float(at.x()) + float(scrollX()), at.y() >= kRuler,
                  event->modifiers() & Qt::ShiftModifier, cueRunning());
    viewport()->update();
}

void AudioWaveformView::mouseMoveEvent(QMouseEvent* event) {
    const float local = float(event->position().x());
    if (_editor.dragging() == AudioWaveformEditor::Drag::None) {
        viewport()->setCursor(overHandle(local + float(scrollX())) ? Qt::SizeHorCursor
                                                                   : Qt::ArrowCursor);
        return;
    }
    // Autoscroll: a pointer past either edge pulls the canvas along.
    const float width = float(viewport()->width());
    if (local > width) {
        horizontalScrollBar()->setValue(scrollX() + static_cast<int>(std::ceil(local - width)));
    } else if (local < 0.0f) {
        horizontalScrollBar()->setValue(scrollX() + static_cast<int>(std::floor(local)));
    }
    _editor.dragTo(local + float(scrollX()));
    viewport()->update();
}

void AudioWaveformView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton ||
        _editor.dragging() == AudioWaveformEditor::Drag::None) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    const bool running = cueRunning();
    const auto release = _editor.release(float(event->position().x()) + float(scrollX()), running);
    using Action = AudioWaveformEditor::Release::Action;
    if (auto cue = _cue.lock()) {
        switch (release.action) {
        case Action::SetRange:
            cue->setEndTime(release.end);
            cue->setStartTime(release.start);
            _editor.setPlayedTimes(cue->startTime(), cue->endTime());
            break;
        case Action::StopAndKeepPlace:
            cue->stopKeepingPlace();
            break;
        case Action::Seek:
            cue->loadActionAt(release.start);
            break;
        case Action::None:
            break;
        }
    }
    refreshCursorPosition();
    viewport()->update();
}

void AudioWaveformView::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    if (delta.y() == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    setPixelsPerSecond(_editor.pixelsPerSecond() *
                       AudioWaveformEditor::wheelFactor(float(delta.y())));
    event->accept();
}

void AudioWaveformView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(QStringLiteral("Contextual Menu"), this);
    menu.addAction(QStringLiteral("Open with External Editor"), this,
                   &AudioWaveformView::openCueFileWithExternalEditor);
    menu.exec(event->globalPos());
}

void AudioWaveformView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void AudioWaveformView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void AudioWaveformView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int left = scrollX();
    painter.translate(-left, 0);
    const QRect dirty = event->rect().translated(left, 0);
    const int height = viewport()->height();
    const int fromX = dirty.left();
    const int toX = dirty.right() + 1;
    const QRectF area(fromX, kRuler, toX - fromX, height - kRuler);
    painter.fillRect(area, KivGradient::linear(area, 90,
                                               {{0.0, KivColors::rgb(0, 0, 0.05)},
                                                {0.2, KivColors::rgb(0.012, 0.026, 0.1)},
                                                {0.65, KivColors::rgb(0.012, 0.026, 0.1)},
                                                {0.85, KivColors::rgb(0, 0, 0.05)}}));
    paintRuler(painter, fromX, toX, height);
    paintWaveform(painter, fromX, toX, height);
    paintRanges(painter, fromX, toX, height);
}

void AudioWaveformView::paintRuler(QPainter& painter, int fromX, int toX, int height) {
    (void)height;
    const QRectF band(fromX, 0, toX - fromX, kRuler);
    painter.fillRect(
        band, KivGradient::linear(band, 90,
                                  {{0.1, KivColors::grey(0.08)}, {0.9, KivColors::grey(0.16)}}));
    painter.fillRect(QRectF(fromX, 0, toX - fromX, 1), KivColors::rgb(0.1, 0.1, 0.1, 0.8));
    painter.fillRect(QRectF(fromX, kRuler - 1, toX - fromX, 1), KivColors::rgb(0.2, 0.2, 0.2, 0.8));
    if (!_editor.hasFile()) {
        return;
    }
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    painter.setPen(KivColors::rgb(0.66, 0.66, 0.66, 0.5));
    const double pixelsPerSecond = _editor.pixelsPerSecond();
    const double spacing = _editor.rulerSpacing();
    // Labels start left of the dirty part: one that begins there reaches in.
    const int first = std::max(0, static_cast<int>(fromX - spacing * pixelsPerSecond));
    const int last = std::min(toX, static_cast<int>(std::ceil(_editor.contentWidth())));
    for (int x = first; x < last; ++x) {
        if (!_editor.rulerAtPixel(x)) {
            continue;
        }
        if (x != 0) {
            painter.fillRect(QRectF(x, 1, 1, kRuler - 1), KivColors::rgb(0.66, 0.66, 0.66, 0.8));
        }
        const QString label = QString::fromStdString(
            AudioWaveformEditor::rulerLabel(_editor.rulerTimeAtPixel(x), spacing));
        painter.drawText(QRectF(x + 4, 0, 200, kRuler), Qt::AlignLeft | Qt::AlignVCenter, label);
    }
}

void AudioWaveformView::paintWaveform(QPainter& painter, int fromX, int toX, int height) {
    if (!_waveform) {
        return;
    }
    const double pixelsPerSecond = _editor.pixelsPerSecond();
    const double middle = (height - kRuler) * 0.5;
    const double centre = kRuler + middle;
    const QColor colour = KivColors::rgb(0.282, 0.416, 0.553);
    const int last = std::min(toX, static_cast<int>(std::ceil(_editor.contentWidth())));
    for (int x = std::max(0, fromX); x < last; ++x) {
        const double high =
            _waveform->maxValueBetween(x / pixelsPerSecond, (x + 1) / pixelsPerSecond);
        const double low =
            _waveform->minValueBetween(x / pixelsPerSecond, (x + 1) / pixelsPerSecond);
        const double top = std::floor(centre - high * middle);
        const double span = std::max(1.0, (high - low) * middle);
        painter.fillRect(QRectF(x, top, 1, span), colour);
    }
}

void AudioWaveformView::paintRanges(QPainter& painter, int fromX, int toX, int height) {
    if (!_editor.hasFile()) {
        return;
    }
    const auto& played = _editor.playedSelection();
    const float width = _editor.contentWidth();
    const float area = float(height) - kRuler;
    const QColor outside = KivColors::rgb(0, 0.1, 0.2, 0.6);
    painter.fillRect(QRectF(0, kRuler, std::floor(played.leftPixel()), area), outside);
    painter.fillRect(
        QRectF(std::ceil(played.rightPixel()), kRuler, width - played.rightPixel(), area), outside);
    const QColor handle = KivColors::rgb(0.765, 0.573, 0.2);
    painter.fillRect(QRectF(std::floor(played.leftPixel() - 1), 1, 2, height - 1), handle);
    painter.fillRect(QRectF(std::ceil(played.rightPixel() - 1), 1, 2, height - 1), handle);

    if (_editor.hasUserSelection()) {
        const auto& user = _editor.userSelection();
        painter.fillRect(
            QRectF(std::floor(user.leftPixel()), kRuler, std::ceil(user.width()), area),
            KivColors::rgb(1.0, 1.0, 0.25, 0.2));
        const QColor edge = KivColors::rgb(1.0, 1.0, 0.2, 0.4);
        painter.fillRect(QRectF(std::floor(user.leftPixel()) - 1, kRuler, 1, area), edge);
        painter.fillRect(QRectF(std::floor(user.rightPixel()), kRuler, 1, area), edge);
    }
    if (_editor.cursorPosition() >= 0.0f) {
        painter.fillRect(QRectF(std::floor(_editor.cursorPosition()), kRuler, 1, area),
                         KivColors::rgb(1, 1, 0));
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const double edge :
         {std::floor(double(played.leftPixel())), std::ceil(double(played.rightPixel()))}) {
        if (edge < fromX - 8 || edge > toX + 8) {
            continue;
        }
        QPainterPath arrow;
        arrow.moveTo(edge - 7, 1);
        arrow.lineTo(edge + 7, 1);
        arrow.lineTo(edge + 7, 5);
        arrow.lineTo(edge, kRuler);
        arrow.lineTo(edge - 7, 5);
        arrow.closeSubpath();
        const QRectF bounds = arrow.boundingRect();
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(KivGradient::linear(
            bounds, 90, {{0.0, KivColors::grey(0.3)}, {1.0, KivColors::grey(0.8)}}));
        painter.drawPath(arrow);
    }
}
