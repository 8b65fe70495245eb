#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <vector>

// A cue's name laid out on the lines a cell has for it, each as wide as
// given: broken between words where it can, inside a word where it must.
// What does not fit is cut in the middle of the last line, so the name's end
// still shows. No more lines than it needs; none for an empty name.
namespace CueNameLines {

QStringList wrap(const QString& name, const QFont& font, const std::vector<qreal>& widths);

} // namespace CueNameLines
