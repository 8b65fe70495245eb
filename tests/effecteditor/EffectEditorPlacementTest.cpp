#include "effecteditor/EffectEditorPlacement.h"

#include <gtest/gtest.h>

using EffectEditorPlacement::besideWindow;
using EffectEditorPlacement::kGap;

TEST(EffectEditorPlacement, BesideTheWindowWhereverTheScreenLeavesRoom) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize editor(302, 200);
    // Room on the right: there, level with the window's top.
    EXPECT_EQ(besideWindow(QRect(100, 80, 1000, 700), editor, screen), QPoint(1100 + kGap, 80));
    // None on the right: on the left.
    EXPECT_EQ(besideWindow(QRect(800, 80, 1000, 700), editor, screen),
              QPoint(800 - kGap - 302, 80));
    // None on either side: over the window's right edge, inside the screen.
    EXPECT_EQ(besideWindow(QRect(0, 0, 1920, 1080), editor, screen), QPoint(1920 - 302, 0));
    // A window reaching below the screen keeps the editor's bottom on it.
    EXPECT_EQ(besideWindow(QRect(100, 1000, 400, 400), editor, screen),
              QPoint(500 + kGap, 1080 - 200));
    // On a second screen, its own area counts.
    EXPECT_EQ(besideWindow(QRect(2000, 50, 600, 400), editor, QRect(1920, 0, 1280, 1024)),
              QPoint(2600 + kGap, 50));
}
