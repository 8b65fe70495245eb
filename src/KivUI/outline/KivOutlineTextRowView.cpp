#include "KivUI/outline/KivOutlineTextRowView.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/outline/KivOutlineView.h"

#include <QAbstractButton>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kTriangleBox = 14;

// Points right while collapsed and down while expanded.
class DisclosureTriangle : public QAbstractButton {
public:
    explicit DisclosureTriangle(QWidget* parent)
        : QAbstractButton(parent) {
        setCheckable(true);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPointF c = QRectF(rect()).center();
        QPainterPath path;
        if (isChecked()) {
            path.moveTo(c.x() - 4.5, c.y() - 2.5);
            path.lineTo(c.x() + 4.5, c.y() - 2.5);
            path.lineTo(c.x(), c.y() + 3);
        } else {
            path.moveTo(c.x() - 2.5, c.y() - 4.5);
            path.lineTo(c.x() + 3, c.y());
            path.lineTo(c.x() - 2.5, c.y() + 4.5);
        }
        path.closeSubpath();
        painter.fillPath(path, KivColors::grey(isDown() ? 1.0 : 0.72));
    }
};

} // namespace

KivOutlineTextRowView::KivOutlineTextRowView(Title title, QWidget* parent)
    : KivOutlineRowView(parent)
    , _title(std::move(title))
    , _disclosure(new DisclosureTriangle(this)) {
    _disclosure->hide();
    QObject::connect(_disclosure, &QAbstractButton::clicked, this, [this] { toggle(); });
}

KivOutlineRowClass KivOutlineTextRowView::rowClass(Title title) {
    return {QStringLiteral("KivOutlineTextRowView"),
            [title] { return new KivOutlineTextRowView(title); }};
}

void KivOutlineTextRowView::setEntry(KivOutlineViewEntry::Ptr entry) {
    KivOutlineRowView::setEntry(std::move(entry));
    const bool expandable = this->entry() && this->entry()->children();
    _disclosure->setVisible(expandable && !drawingToDragImage());
    _disclosure->setChecked(expandable && this->entry()->expanded());
    place();
    update();
}

qreal KivOutlineTextRowView::indentation() const {
    const qreal depth = entry() ? static_cast<qreal>(entry()->parents().size()) : 0;
    return leftOfMainColumn() + depth * indentationPerLevel();
}

void KivOutlineTextRowView::place() {
    const int x = static_cast<int>(indentation());
    _disclosure->setGeometry(x, (height() - kTriangleBox) / 2, kTriangleBox, kTriangleBox);
}

void KivOutlineTextRowView::resizeEvent(QResizeEvent*) {
    place();
}

void KivOutlineTextRowView::toggle() {
    KivOutlineView* view = outlineView();
    if (!view || !entry()) {
        return;
    }
    if (entry()->expanded()) {
        view->collapseItem(entry()->item());
    } else {
        view->expandItem(entry()->item());
    }
}

QRectF KivOutlineTextRowView::titleRect() const {
    const qreal x = indentation() + kTriangleBox + 4;
    return QRectF(x, 0, width() - x - 6, height());
}

void KivOutlineTextRowView::paintEvent(QPaintEvent* event) {
    KivOutlineRowView::paintEvent(event);
    if (!entry() || !_title) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const bool selected = entry()->selected() && !drawingToDragImage();
    painter.setPen(selected ? QColor(Qt::white) : KivColors::grey(0.88));
    if (entry()->children()) {
        QFont bold = painter.font();
        bold.setBold(true);
        painter.setFont(bold);
    }
    const QRectF text = titleRect();
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(_title(entry()->item()), Qt::ElideRight,
                                                      static_cast<int>(text.width())));
}
