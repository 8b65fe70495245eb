#include "window/grid/CueNameLines.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>

QStringList CueNameLines::wrap(const QString& name, const QFont& font,
                               const std::vector<qreal>& widths) {
    QStringList lines;
    const QString text = name.simplified();
    if (text.isEmpty() || widths.empty()) {
        return lines;
    }
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (std::size_t i = 0; i < widths.size(); ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(std::max<qreal>(widths[i], 0));
        if (i + 1 == widths.size() && line.textStart() + line.textLength() < text.size()) {
            // The last line takes the rest, cut in its middle.
            lines << QFontMetricsF(font).elidedText(text.mid(line.textStart()), Qt::ElideMiddle,
                                                    std::max<qreal>(widths[i], 0));
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}
