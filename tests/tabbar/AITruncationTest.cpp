// Shortening titles for menus.
#include "tabbar/AITruncation.h"

#include <gtest/gtest.h>

using AITruncation::stringWithEllipsisByTruncatingToLength;

TEST(AITruncation, ALongStringKeepsItsFirstCharactersAndTheEllipsis) {
    EXPECT_EQ(AITruncation::ellipsis(), QString(QChar(0x2026)));
    EXPECT_EQ(stringWithEllipsisByTruncatingToLength(QStringLiteral("abcdefgh"), 5),
              QStringLiteral("abcd") + QChar(0x2026));
    EXPECT_EQ(stringWithEllipsisByTruncatingToLength(QStringLiteral("abc"), 5),
              QStringLiteral("abc"));
    EXPECT_EQ(stringWithEllipsisByTruncatingToLength(QStringLiteral("abcde"), 5),
              QStringLiteral("abcde"));
}

TEST(AITruncation, ACutNeverSplitsASurrogatePairOrACombiningSequence) {
    // Four characters of six code units: a, a drum (two units), e with an
    // acute accent (two units), z.
    const QString title =
        QStringLiteral("a") + QString::fromUcs4(U"\U0001F941") + QStringLiteral("e\u0301z");
    EXPECT_EQ(stringWithEllipsisByTruncatingToLength(title, 4), title);
    EXPECT_EQ(stringWithEllipsisByTruncatingToLength(title, 3),
              QStringLiteral("a") + QString::fromUcs4(U"\U0001F941") + QChar(0x2026));
    EXPECT_EQ(stringWithEllipsisByTruncatingToLength(title, 2),
              QStringLiteral("a") + QChar(0x2026));
    const QString accents = QStringLiteral("e\u0301e\u0301e\u0301");
    EXPECT_EQ(stringWithEllipsisByTruncatingToLength(accents, 2),
              QStringLiteral("e\u0301") + QChar(0x2026));
}

TEST(AITruncation, ALengthBelowOneCountsAsOne) {
    EXPECT_EQ(stringWithEllipsisByTruncatingToLength(QStringLiteral("abc"), 0),
              QString(QChar(0x2026)));
    EXPECT_EQ(stringWithEllipsisByTruncatingToLength(QStringLiteral("abc"), -4),
              QString(QChar(0x2026)));
    EXPECT_EQ(stringWithEllipsisByTruncatingToLength(QStringLiteral("a"), 0), QStringLiteral("a"));
    EXPECT_EQ(stringWithEllipsisByTruncatingToLength(QString(), 0), QString());
}
