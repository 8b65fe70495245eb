#include "KivUI/views/KivViewOperations.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct ViewTree : ::testing::Test {
    ViewTree() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&pane);
        auto* paneLayout = new QVBoxLayout(&pane);
        paneLayout->addWidget(direct);
        paneLayout->addWidget(box);
        auto* boxLayout = new QVBoxLayout(box);
        boxLayout->addWidget(nested);
        window.resize(200, 200);
        window.show();
        QApplication::setActiveWindow(&window);
    }
    QWidget window;
    QWidget pane{&window};
    QLineEdit* direct = new QLineEdit(&pane);
    QWidget* box = new QWidget(&pane);
    QLineEdit* nested = new QLineEdit(box);
};

} // namespace

TEST_F(ViewTree, AbortingEditingEndsOnlyADirectChildsEdit) {
    int finished = 0;
    QObject::connect(direct, &QLineEdit::editingFinished, [&] { ++finished; });
    direct->setFocus();
    ASSERT_TRUE(direct->hasFocus());
    KivViewOperations::abortEditing(pane);
    EXPECT_FALSE(direct->hasFocus());
    EXPECT_EQ(finished, 0);
    nested->setFocus();
    KivViewOperations::abortEditing(pane);
    EXPECT_TRUE(nested->hasFocus());
}

TEST_F(ViewTree, ContainmentAndTheFirstResponder) {
    EXPECT_TRUE(KivViewOperations::isContainedInSuperview(*nested, box));
    EXPECT_TRUE(KivViewOperations::isContainedInSuperview(*nested, &pane));
    EXPECT_TRUE(KivViewOperations::isContainedInSuperview(*nested, nested));
    EXPECT_FALSE(KivViewOperations::isContainedInSuperview(*direct, box));
    EXPECT_FALSE(KivViewOperations::isContainedInSuperview(*nested, nullptr));
    EXPECT_FALSE(KivViewOperations::isContainedInSuperview(window, &pane));
    nested->setFocus();
    EXPECT_TRUE(KivViewOperations::containsFirstResponder(pane));
    EXPECT_TRUE(KivViewOperations::containsFirstResponder(*box));
    EXPECT_FALSE(KivViewOperations::containsFirstResponder(*direct));
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    EXPECT_FALSE(KivViewOperations::containsFirstResponder(pane));
}

TEST_F(ViewTree, ContentsAreEnabledAndEditableAllTheWayDown) {
    KivViewOperations::setContentsEditable(pane, false);
    EXPECT_TRUE(direct->isReadOnly());
    EXPECT_TRUE(nested->isReadOnly());
    KivViewOperations::setContentsEnabled(pane, false);
    EXPECT_FALSE(nested->isEnabled());
    KivViewOperations::setContentsEnabled(pane, true);
    EXPECT_TRUE(nested->isEnabled());
}

TEST_F(ViewTree, DrawingWithSubviewsCapturesTheChildren) {
    pane.setAutoFillBackground(false);
    const QImage image = KivViewOperations::drawWithSubviews(pane, pane.rect(), 2.0);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), pane.size() * 2);
    const QPoint inField = nested->mapTo(&pane, nested->rect().center()) * 2;
    EXPECT_EQ(image.pixelColor(inField).alpha(), 255);
    EXPECT_TRUE(KivViewOperations::drawWithSubviews(pane, QRect()).isNull());
    pane.hide();
    EXPECT_TRUE(KivViewOperations::drawWithSubviews(pane, QRect(0, 0, 10, 10)).isNull());
}
