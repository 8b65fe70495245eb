#include "app/ToolTipDelay.h"

#include "app/Pondra.h"

#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QMouseEvent>
#include <QWidget>

#include <memory>

namespace {

class ToolTipCounter : public QWidget {
public:
    int toolTips = 0;

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ToolTip) {
            ++toolTips;
            return true;
        }
        return QWidget::event(event);
    }
};

void moveAndAskForToolTip(QWidget& widget) {
    const QPointF at(5, 5);
    QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &move);
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), widget.mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(&widget, &help);
}

} // namespace

class ToolTipDelayTest : public ::testing::Test {
protected:
    ToolTipDelayTest() { application.installEventFilter(&delay); }

    static QApplication& makeApplication() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return *new QApplication(argc, argv);
    }

    static inline int argc = 1;
    static inline char name[] = "tool_tip_delay_tests";
    static inline char* argv[] = {name, nullptr};
    std::unique_ptr<QApplication> owner{&makeApplication()};
    QApplication& application = *owner;
    ToolTipDelay delay;
    ToolTipCounter widget;
};

TEST_F(ToolTipDelayTest, AToolTipRightAfterAMoveIsHeldBack) {
    delay.setDelay(Pondra::kInitialToolTipDelay);
    moveAndAskForToolTip(widget);
    EXPECT_EQ(widget.toolTips, 0);
}

TEST_F(ToolTipDelayTest, WithoutADelayAToolTipPassesAtOnce) {
    delay.setDelay(0);
    moveAndAskForToolTip(widget);
    EXPECT_EQ(widget.toolTips, 1);
}
