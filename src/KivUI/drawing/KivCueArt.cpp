#include "KivUI/drawing/KivCueArt.h"

#include "KivUI/drawing/KivColors.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <cmath>

using namespace KivImageArt;

namespace {

void roundBezel(QPainter& p, const QRectF& rect) {
    const QRectF body = rect.adjusted(1, 0.5, -1, -1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(grey(1, 0.08));
    p.drawEllipse(body.translated(0, 1));
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, grey(0.32));
    fill.setColorAt(1, grey(0.17));
    p.setBrush(fill);
    p.setPen(QPen(grey(0.04), 1));
    p.drawEllipse(body);
}

} // namespace

void KivCueArt::cueButton(QPainter& p, const QSizeF& size, bool stop) {
    const QRectF rect(QPointF(), size);
    roundBezel(p, rect);
    const QPointF c = rect.adjusted(1, 0.5, -1, -1.5).center();
    const qreal s = size.width() * 0.17;
    p.setPen(Qt::NoPen);
    if (stop) {
        p.setBrush(QColor::fromRgbF(0.95, 0.36, 0.3));
        p.drawRoundedRect(QRectF(c.x() - s, c.y() - s, 2 * s, 2 * s), 1.5, 1.5);
    } else {
        QPainterPath play;
        play.moveTo(c.x() - s * 0.8, c.y() - s * 1.15);
        play.lineTo(c.x() + s * 1.25, c.y());
        play.lineTo(c.x() - s * 0.8, c.y() + s * 1.15);
        play.closeSubpath();
        p.setBrush(QColor::fromRgbF(0.45, 0.86, 0.42));
        p.drawPath(play);
    }
}

void KivCueArt::cueIcon(QPainter& p, const QSizeF& size, CueIcon icon) {
    const QRectF rect = QRectF(QPointF(), size).adjusted(2, 2, -2, -2);
    const QPointF c = rect.center();
    QPen pen(grey(0.92, 0.9), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (icon) {
    case CueIcon::Hold: {
        // A padlock: the cue stops when the trigger is let go.
        const QRectF body(rect.left() + 1.5, c.y() - 0.5, rect.width() - 3, rect.height() / 2);
        p.drawArc(QRectF(c.x() - 3, rect.top() + 0.5, 6, 8), 0, 180 * 16);
        p.drawLine(QPointF(c.x() - 3, rect.top() + 4.5), QPointF(c.x() - 3, body.top()));
        p.drawLine(QPointF(c.x() + 3, rect.top() + 4.5), QPointF(c.x() + 3, body.top()));
        p.setBrush(grey(0.92, 0.9));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(body, 1.5, 1.5);
        break;
    }
    case CueIcon::Loop: {
        const QRectF ring = rect.adjusted(1, 1.5, -1, -1.5);
        p.drawArc(ring, 30 * 16, 300 * 16);
        const QPointF tip(ring.center().x() + ring.width() / 2 * std::cos(M_PI / 6),
                          ring.center().y() - ring.height() / 2 * std::sin(M_PI / 6));
        QPainterPath head;
        head.moveTo(tip + QPointF(-3.5, -1));
        head.lineTo(tip + QPointF(0.5, 0.5));
        head.lineTo(tip + QPointF(1.5, -3.5));
        p.drawPath(head);
        break;
    }
    case CueIcon::Solo: {
        p.drawEllipse(c, rect.width() / 2 - 0.5, rect.height() / 2 - 0.5);
        p.setPen(Qt::NoPen);
        p.setBrush(grey(0.92, 0.9));
        p.drawEllipse(c, rect.width() / 5, rect.height() / 5);
        break;
    }
    case CueIcon::Ducking: {
        // The window's duck button in small, a speaker and an arrow down:
        // the other cues go down while this one plays.
        QPainterPath speaker;
        speaker.moveTo(rect.left(), c.y() - 2);
        speaker.lineTo(rect.left() + 2.5, c.y() - 2);
        speaker.lineTo(rect.left() + 6, c.y() - 5.5);
        speaker.lineTo(rect.left() + 6, c.y() + 5.5);
        speaker.lineTo(rect.left() + 2.5, c.y() + 2);
        speaker.lineTo(rect.left(), c.y() + 2);
        speaker.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(grey(0.92, 0.9));
        p.drawPath(speaker);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const qreal x = rect.right() - 2;
        p.drawLine(QPointF(x, rect.top() + 0.5), QPointF(x, rect.bottom() - 0.5));
        QPainterPath head;
        head.moveTo(x - 2.5, rect.bottom() - 3);
        head.lineTo(x, rect.bottom() - 0.5);
        head.lineTo(x + 2.5, rect.bottom() - 3);
        p.drawPath(head);
        break;
    }
    }
}

void KivCueArt::statusRunning(QPainter& p, const QSizeF& size) {
    const QRectF rect = QRectF(QPointF(), size).adjusted(2, 2, -2, -2);
    QPainterPath play;
    play.moveTo(rect.left() + 1, rect.top());
    play.lineTo(rect.right(), rect.center().y());
    play.lineTo(rect.left() + 1, rect.bottom());
    play.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(KivColors::playing());
    p.drawPath(play);
}

void KivCueArt::statusPaused(QPainter& p, const QSizeF& size) {
    const QRectF rect = QRectF(QPointF(), size).adjusted(2.5, 2, -2.5, -2);
    const qreal bar = rect.width() * 0.36;
    p.setPen(Qt::NoPen);
    p.setBrush(KivColors::paused());
    p.drawRoundedRect(QRectF(rect.left(), rect.top(), bar, rect.height()), 1, 1);
    p.drawRoundedRect(QRectF(rect.right() - bar, rect.top(), bar, rect.height()), 1, 1);
}

void KivCueArt::statusSpinner(QPainter& p, const QSizeF& size) {
    // Twelve 30 x 30 frames in a vertical strip, each turned one step on.
    const qreal frame = size.width();
    const int frames = static_cast<int>(size.height() / frame);
    for (int k = 0; k < frames; ++k) {
        const QPointF c(frame / 2, frame * k + frame / 2);
        for (int i = 0; i < 12; ++i) {
            const qreal angle = 2 * M_PI * (i + k) / 12;
            const QPointF dir(std::sin(angle), -std::cos(angle));
            p.setPen(QPen(grey(0.95, 0.2 + 0.8 * i / 11), 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(c + dir * frame * 0.2, c + dir * frame * 0.4);
        }
    }
}

namespace {

const QColor kAlarm = QColor::fromRgbF(0.93, 0.27, 0.22);

QPen markPen(qreal width) {
    return QPen(Qt::white, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace

void KivCueArt::statusBroken(QPainter& p, const QSizeF& size) {
    const QRectF rect = QRectF(QPointF(), size).adjusted(0.5, 1, -0.5, -0.5);
    QPainterPath triangle;
    triangle.moveTo(rect.center().x(), rect.top());
    triangle.lineTo(rect.right(), rect.bottom());
    triangle.lineTo(rect.left(), rect.bottom());
    triangle.closeSubpath();
    p.setPen(QPen(kAlarm, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kAlarm);
    p.drawPath(triangle);
    const qreal x = rect.center().x();
    p.setPen(markPen(2.0));
    p.drawLine(QPointF(x, rect.top() + rect.height() * 0.36),
               QPointF(x, rect.top() + rect.height() * 0.66));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(x, rect.top() + rect.height() * 0.83), 1.2, 1.2);
}

void KivCueArt::statusMissing(QPainter& p, const QSizeF& size) {
    const QRectF rect = QRectF(QPointF(), size).adjusted(0.5, 0.5, -0.5, -0.5);
    const QPointF c = rect.center();
    const qreal r = rect.width() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(kAlarm);
    p.drawEllipse(c, r, r);
    // The question mark: a hook over a short stem, and its dot.
    QPainterPath hook;
    const QRectF bow(c.x() - r * 0.36, c.y() - r * 0.62, r * 0.72, r * 0.64);
    hook.arcMoveTo(bow, 160);
    hook.arcTo(bow, 160, -230);
    hook.lineTo(c.x(), c.y() + r * 0.22);
    p.setPen(markPen(1.9));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(c.x(), c.y() + r * 0.56), 1.2, 1.2);
}
