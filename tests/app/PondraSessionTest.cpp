#include "app/PondraSession.h"

#include "PondraFixture.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/EffectCatalogue.h"
#include "window/inspector/CueInspectorController.h"
#include "window/inspector/InspectorController.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"

#include <gmock/gmock.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>

#include <algorithm>
#include <map>
#include <set>
#include <thread>

using ::testing::Contains;

namespace {

// The program as main() starts it: the application object, its session and
// the first turn of the event loop, with nothing installed by hand.
class PondraSessionTest : public PondraFixture {
protected:
    void start() {
        application = std::make_unique<Pondra>(argc, argv);
        session = std::make_unique<PondraSession>(*application);
        session->launch({});
        QElapsedTimer waited;
        waited.start();
        while (session->windows().documentController().documents().empty() &&
               waited.elapsed() < 10000) {
            QApplication::processEvents();
        }
        ASSERT_FALSE(session->windows().documentController().documents().empty());
    }

    WorkspaceController& firstWindow() {
        return *session->windows().windowControllerOf(
            *session->windows().documentController().documents().front());
    }

    // Maker: effect titles, as the inspector's "Add effect..." offers them.
    std::map<std::string, std::set<std::string>> offeredEffects() {
        auto* menu = firstWindow().window()->findChild<QMenu*>(QStringLiteral("effectsMenu"));
        EXPECT_NE(menu, nullptr);
        std::map<std::string, std::set<std::string>> offered;
        for (QAction* maker : menu ? menu->actions() : QList<QAction*>{}) {
            if (!maker->menu()) {
                continue;
            }
            for (QAction* effect : maker->menu()->actions()) {
                offered[maker->text().toStdString()].insert(effect->text().toStdString());
            }
        }
        return offered;
    }

    ~PondraSessionTest() override {
        session.reset();
        application.reset();
    }

    int argc = 1;
    char name[7] = "pondra";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<Pondra> application;
    std::unique_ptr<PondraSession> session;
};

} // namespace

TEST_F(PondraSessionTest, AddEffectOffersEveryInstalledPluginUnderItsMaker) {
    start();
    std::map<std::string, std::set<std::string>> installed;
    const auto world = Lv2World::load();
    const EffectCatalogue catalogue(*world);
    for (const EffectComponent& plugin : catalogue.components()) {
        if (!plugin.maker.empty()) {
            installed[plugin.maker].insert(plugin.name);
        }
    }
    ASSERT_FALSE(installed.empty()) << "no LV2 plugin is installed (scripts/install-deps "
                                       "installs mda-lv2)";
    EXPECT_EQ(offeredEffects(), installed);
}

TEST_F(PondraSessionTest, WithoutAnyPluginAddEffectOffersOneDisabledEntry) {
    const QByteArray empty = (folder.path() + QStringLiteral("/no-plugins")).toUtf8();
    qputenv("LV2_PATH", empty);
    start();
    qunsetenv("LV2_PATH");
    auto* menu = firstWindow().window()->findChild<QMenu*>(QStringLiteral("effectsMenu"));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().front()->text(), QStringLiteral("No effects installed"));
    EXPECT_FALSE(menu->actions().front()->isEnabled());
}

TEST_F(PondraSessionTest, ALineLoggedOnTheRenderThreadReachesTheLog) {
    start();
    std::thread render([] {
        setCurrentThreadRole(ThreadRole::Render);
        logLine("Warning: a line from the render thread");
        // The thread's own end frees memory.
        setCurrentThreadRole(ThreadRole::Other);
    });
    render.join();
    QElapsedTimer waited;
    waited.start();
    while (std::ranges::count(log.lines(), "Warning: a line from the render thread") == 0 &&
           waited.elapsed() < 5000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_THAT(log.lines(), Contains("Warning: a line from the render thread"));
}
