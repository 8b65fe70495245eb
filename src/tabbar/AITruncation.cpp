#include "tabbar/AITruncation.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <vector>

QString AITruncation::ellipsis() {
    return QString(QChar(0x2026));
}

QString AITruncation::stringWithEllipsisByTruncatingToLength(const QString& string, int length) {
    length = std::max(length, 1);
    // The code-unit offset of every character boundary after the first.
    std::vector<qsizetype> ends;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, string);
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        ends.push_back(end);
        if (static_cast<int>(ends.size()) > length) {
            const qsizetype keep = length == 1 ? 0 : ends[static_cast<std::size_t>(length - 2)];
            return string.left(keep) + ellipsis();
        }
    }
    return string;
}
