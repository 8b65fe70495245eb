#include "PondraFixture.h"
#include "foundation/NotificationCenter.h"

#include <QCloseEvent>
#include <QTimer>
#include <QWidget>

TEST_F(PondraFixture, QuittingHardStopsEveryCueOnceEveryWindowHasAgreedToClose) {
    auto application = makeApplication();
    QWidget window;
    window.show();

    int posts = 0;
    const void* sender = nullptr;
    bool windowOpen = true;
    const Connection observation = NotificationCenter::defaultCenter().addObserver(
        "PondraCueHardStopNotification", nullptr, [&](const Notification& notification) {
            ++posts;
            sender = notification.object;
            windowOpen = window.isVisible();
        });

    QTimer::singleShot(0, application.get(), &QCoreApplication::quit);
    EXPECT_EQ(application->exec(), 0);

    EXPECT_EQ(posts, 1);
    EXPECT_EQ(sender, application.get());
    EXPECT_FALSE(windowOpen);
}

namespace {

class StubbornWindow : public QWidget {
public:
    bool refuse = true;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (refuse) {
            event->ignore();
        } else {
            QWidget::closeEvent(event);
        }
    }
};

} // namespace

TEST_F(PondraFixture, AQuitCalledOffByAWindowStopsNothingAndTheNextQuitStopsOnce) {
    auto application = makeApplication();
    StubbornWindow window;
    window.show();
    int posts = 0;
    const Connection observation = NotificationCenter::defaultCenter().addObserver(
        "PondraCueHardStopNotification", nullptr, [&](const Notification&) { ++posts; });

    QTimer::singleShot(0, application.get(), [&] {
        QCoreApplication::quit();
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(posts, 0);
        window.refuse = false;
        QCoreApplication::quit();
    });
    EXPECT_EQ(application->exec(), 0);
    EXPECT_EQ(posts, 1);
}

TEST_F(PondraFixture, EndingTheLoopWithoutAQuitRequestStillStopsEveryCue) {
    auto application = makeApplication();
    int posts = 0;
    const Connection observation = NotificationCenter::defaultCenter().addObserver(
        "PondraCueHardStopNotification", nullptr, [&](const Notification&) { ++posts; });

    QTimer::singleShot(0, application.get(), [] { QCoreApplication::exit(0); });
    EXPECT_EQ(application->exec(), 0);
    EXPECT_EQ(posts, 1);
}
