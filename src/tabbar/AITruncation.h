#pragma once

#include <QString>

// Shortening of titles for menus. Lengths count user-perceived characters
// (grapheme clusters), so a cut never splits a surrogate pair or a base
// character from its combining marks.
namespace AITruncation {

// U+2026.
QString ellipsis();
// The string when it has at most `length` characters; else its first
// length - 1 characters and the ellipsis. A length below 1 counts as 1.
QString stringWithEllipsisByTruncatingToLength(const QString& string, int length);

} // namespace AITruncation
