#include "effecteditor/EffectPluginView.h"

#include "effecteditor/EffectEditorFixture.h"
#include "effecteditor/EffectGenericView.h"
#include "support/CapturingLogSink.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// A plugin from a Debian package whose only UI is an X11 one.
constexpr const char* kX11UiPluginUri = "urn:dragonfly:early";

xcb_connection_t* xcbConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

std::vector<xcb_window_t> childrenOf(WId window) {
    xcb_connection_t* connection = xcbConnection();
    std::vector<xcb_window_t> children;
    if (xcb_query_tree_reply_t* tree = xcb_query_tree_reply(
            connection, xcb_query_tree(connection, static_cast<xcb_window_t>(window)), nullptr)) {
        const xcb_window_t* first = xcb_query_tree_children(tree);
        children.assign(first, first + xcb_query_tree_children_length(tree));
        std::free(tree);
    }
    return children;
}

// The window's size; empty once the window is gone.
QSize windowSize(std::uintptr_t window) {
    xcb_connection_t* connection = xcbConnection();
    QSize size;
    if (xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(
            connection, xcb_get_geometry(connection, static_cast<xcb_drawable_t>(window)),
            nullptr)) {
        size = QSize(geometry->width, geometry->height);
        std::free(geometry);
    }
    return size;
}

// Timer steps as the editor's timer would run them, events between.
void idle(EffectPluginView& view, int steps = 10) {
    for (int i = 0; i < steps; ++i) {
        QCoreApplication::processEvents();
        view.idle();
    }
    QCoreApplication::processEvents();
}

// A left click at a point of the widget, as the X server would get it from a mouse.
void click(QWidget& widget, QPoint point) {
    xcb_connection_t* connection = xcbConnection();
    const QPoint global = widget.mapToGlobal(point);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_test_fake_input(connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root,
                        static_cast<std::int16_t>(global.x()),
                        static_cast<std::int16_t>(global.y()), 0);
    xcb_test_fake_input(connection, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(connection, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(connection);
}

QImage grab(QWidget& window) {
    return window.screen()->grabWindow(window.winId()).toImage();
}

class EffectPluginViewTest : public EffectEditorFixture {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            GTEST_SKIP() << "a plugin's X11 UI needs Qt on xcb and an X server: run with "
                            "QT_QPA_PLATFORM=xcb under xvfb-run";
        }
        EffectEditorFixture::SetUp();
        if (!testWorld()->plugin(kX11UiPluginUri)) {
            GTEST_SKIP() << kX11UiPluginUri
                         << " is not installed (scripts/install-deps installs it)";
        }
    }
    void TearDown() override {
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            EffectEditorFixture::TearDown();
        }
    }

    std::uint32_t parameterId(KivEffect& effect, const std::string& symbol) {
        for (const EffectParameter& parameter : effect.parameters()) {
            if (parameter.symbol == symbol) {
                return parameter.id;
            }
        }
        ADD_FAILURE() << "no parameter " << symbol;
        return 0;
    }
};

TEST_F(EffectPluginViewTest, ThePluginsUiIsEmbeddedBelowTheStripAndFollowsItsParameters) {
    auto effect = placedEffect(kX11UiPluginUri, 48000.0, 2);
    EffectEditor* editor = EffectEditor::open(*effect);
    ASSERT_NE(editor, nullptr);
    EffectPluginView* view = editor->pluginView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(editor->genericView(), nullptr);
    idle(*view);

    ASSERT_NE(view->uiWindow(), 0u);
    const std::vector<xcb_window_t> children = childrenOf(view->winId());
    EXPECT_NE(std::find(children.begin(), children.end(), view->uiWindow()), children.end());
    const QSize uiSize = windowSize(view->uiWindow());
    EXPECT_FALSE(uiSize.isEmpty());
    EXPECT_EQ(view->size(), uiSize);
    EXPECT_EQ(view->y(), EffectEditor::kStripHeight);
    EXPECT_EQ(editor->height(), EffectEditor::kStripHeight + uiSize.height());
    EXPECT_EQ(editor->width(), uiSize.width());

    const QImage before = grab(*editor);
    QDir().mkpath(QStringLiteral(PONDRA_GALLERY_DIR));
    EXPECT_TRUE(before.save(QStringLiteral(PONDRA_GALLERY_DIR "/effect_editor_plugin_x11.png")));

    // Our side moves a parameter: the UI draws the new value.
    const std::uint32_t size = parameterId(*effect, "size");
    ASSERT_TRUE(effect->setValueForParameter(size, 60.0f));
    idle(*view);
    const QImage after = grab(*editor);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_TRUE(after != before) << "the UI did not draw the new size";
    EXPECT_FLOAT_EQ(effect->valueForParameter(size), 60.0f);
}

TEST_F(EffectPluginViewTest, WhatTheUiSetsReachesTheEffect) {
    auto effect = placedEffect(kX11UiPluginUri, 48000.0, 2);
    EffectEditor* editor = EffectEditor::open(*effect);
    ASSERT_NE(editor, nullptr);
    EffectPluginView* view = editor->pluginView();
    ASSERT_NE(view, nullptr);
    idle(*view);
    const std::uint32_t program = parameterId(*effect, "program");
    const float before = effect->valueForParameter(program);

    // The first entry of the UI's list of reflection types.
    click(*view, QPoint(176, 171));
    idle(*view);
    EXPECT_NE(effect->valueForParameter(program), before);
    EXPECT_FLOAT_EQ(effect->valueForParameter(program), 0.0f);
}

TEST_F(EffectPluginViewTest, ClosingTheEditorTakesThePluginsUiAway) {
    auto effect = placedEffect(kX11UiPluginUri, 48000.0, 2);
    EffectEditor* editor = EffectEditor::open(*effect);
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor->pluginView(), nullptr);
    idle(*editor->pluginView());
    const std::uintptr_t uiWindow = editor->pluginView()->uiWindow();
    ASSERT_FALSE(windowSize(uiWindow).isEmpty());

    editor->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(EffectEditor::of(*effect), nullptr);
    EXPECT_TRUE(windowSize(uiWindow).isEmpty());
}

TEST_F(EffectPluginViewTest, APluginWhoseUiCannotBeShownKeepsTheGenericView) {
    CapturingLogSink log;
    // No UI, a UI needing a toolkit wrapper: nothing to tell.
    for (const char* uri : {kTestGainControlsUri, kTestGainUri}) {
        auto effect = placedEffect(uri);
        EffectEditor* editor = EffectEditor::open(*effect);
        ASSERT_NE(editor, nullptr) << uri;
        EXPECT_EQ(editor->pluginView(), nullptr) << uri;
        EXPECT_NE(editor->genericView(), nullptr) << uri;
    }
    EXPECT_TRUE(log.lines().empty());

    // An X11 UI that fails to load is told in the log.
    auto broken = placedEffect(kTestGainStereoUri, 48000.0, 2);
    EffectEditor* editor = EffectEditor::open(*broken);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->pluginView(), nullptr);
    EXPECT_NE(editor->genericView(), nullptr);
    const std::vector<std::string> lines = log.lines();
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& line) {
                               return line.starts_with("Error: the view of effect") &&
                                      line.find("generic view") != std::string::npos;
                           }),
              lines.end());
}

} // namespace
