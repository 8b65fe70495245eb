// The hot-key field: typed keys become its key; Tab, Return, Enter and
// Escape act instead of being recorded, before focus handling and shortcuts.
#include "KivUI/controls/VornHotKeyTextView.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

namespace {

// Three fields in a window, the first with the focus.
struct Fields {
    Fields() {
        auto* layout = new QVBoxLayout(&window);
        for (auto*& field : fields) {
            field = new VornHotKeyTextView(&window);
            layout->addWidget(field);
        }
        window.show();
        window.activateWindow();
        fields[0]->setFocus();
        QApplication::processEvents();
    }
    QWidget window;
    VornHotKeyTextView* fields[3] = {};
};

} // namespace

TEST(VornHotKeyTextView, ATypedKeyBecomesTheKeyAndIsToldOnce) {
    Fields f;
    VornHotKeyTextView& field = *f.fields[0];
    std::vector<std::string> calls;
    field.hotKeyDidChange = [&] { calls.push_back(field.key().displayString()); };

    QTest::keyClick(&field, Qt::Key_G);
    EXPECT_EQ(field.key().displayString(), "G");
    EXPECT_EQ(calls, (std::vector<std::string>{"G"}));
    QTest::keyClick(&field, Qt::Key_F5);
    EXPECT_EQ(field.key().keyCode(), 63);
    QTest::keyClicks(&field, QStringLiteral("[q"));
    EXPECT_EQ(field.key().displayString(), "Q");
    EXPECT_TRUE(field.hasFocus());
}

TEST(VornHotKeyTextView, EscapeIsHandedOnTabMovesOnAndReturnOrEnterEndTheCapture) {
    Fields f;
    VornHotKeyTextView& first = *f.fields[0];
    KivHotKey held;
    held.setKeyCode(26);
    held.setKeyCharacter(u'[');
    first.setKey(held);
    int cancels = 0;
    first.cancel = [&] { ++cancels; };

    QTest::keyClick(&first, Qt::Key_Escape);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(first.key(), held);

    QTest::keyClick(&first, Qt::Key_Tab);
    EXPECT_TRUE(f.fields[1]->hasFocus());
    EXPECT_EQ(f.fields[1]->key(), KivHotKey());
    QTest::keyClick(f.fields[1], Qt::Key_Tab);
    EXPECT_TRUE(f.fields[2]->hasFocus());
    QTest::keyClick(f.fields[2], Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(f.fields[1]->hasFocus());

    QTest::keyClick(f.fields[1], Qt::Key_Return);
    EXPECT_FALSE(f.fields[1]->hasFocus());
    EXPECT_EQ(f.fields[1]->key(), KivHotKey());
    f.fields[2]->setFocus();
    QTest::keyClick(f.fields[2], Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(f.fields[2]->hasFocus());
    EXPECT_EQ(f.fields[2]->key(), KivHotKey());
}

TEST(VornHotKeyTextView, ThePlainKeysAreTheFieldsBeforeTheWindowsShortcutsAndCtrlKeysAreNot) {
    Fields f;
    VornHotKeyTextView& field = *f.fields[0];
    int plain = 0;
    int ctrl = 0;
    auto* bracket = new QAction(&f.window);
    bracket->setShortcut(QKeySequence(Qt::Key_BracketLeft));
    QObject::connect(bracket, &QAction::triggered, [&] { ++plain; });
    auto* save = new QAction(&f.window);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QObject::connect(save, &QAction::triggered, [&] { ++ctrl; });
    f.window.addAction(bracket);
    f.window.addAction(save);

    QTest::keyClick(&field, Qt::Key_BracketLeft);
    EXPECT_EQ(plain, 0);
    EXPECT_EQ(field.key().displayString(), "[");
    QTest::keyClick(&field, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ctrl, 1);
    EXPECT_EQ(field.key().displayString(), "[");
}

TEST(VornHotKeyTextView, DrawsTheKeyInWhiteOnTheTextFieldsFace) {
    VornHotKeyTextView field;
    field.resize(90, 24);
    KivHotKey key;
    key.setKeyCode(51);
    key.setKeyCharacter(u',');
    field.setKey(key);
    const QImage image = renderWidget(field);
    EXPECT_TRUE(nearRgb(pixelAt(image, 5, 12), 0.105, 0.101, 0.101));
    // The edge line along the bottom.
    EXPECT_TRUE(nearRgb(pixelAt(image, 5, 23), 0.25, 0.246, 0.246, 3));
    EXPECT_TRUE(near(pixelAt(image, 5, 23).alpha(), 115));
    int white = 0;
    for (int x = 30; x < 60; ++x) {
        for (int y = 4; y < 20; ++y) {
            white += pixelAt(image, x, y).lightness() > 200 ? 1 : 0;
        }
    }
    EXPECT_GT(white, 0);
}
