#include "audio/effects/KivEffectEditorHost.h"

#include <gtest/gtest.h>

namespace {

class Window : public KivEffectEditorWindow {
public:
    explicit Window(int& closes)
        : _closes(closes) {}
    bool isVisible() const override { return visible; }
    std::string frameText() const override { return frame; }
    void setFrameText(const std::string& text) override { frame = text; }
    void show() override { visible = true; }
    void close() override {
        visible = false;
        ++_closes;
    }

    bool visible = true;
    std::string frame = "{{0, 0}, {100, 80}}";

private:
    int& _closes;
};

} // namespace

TEST(KivEffectEditorHostTest, ANewWindowOpensWhereTheLastOneWas) {
    int closes = 0;
    KivEffectEditorHost host;
    host.open(std::make_unique<Window>(closes));
    EXPECT_EQ(host.window()->frameText(), "{{0, 0}, {100, 80}}") << "no place yet: left as made";

    static_cast<Window*>(host.window())->frame = "{{5, 6}, {100, 80}}";
    EXPECT_EQ(host.frame(), "{{5, 6}, {100, 80}}") << "an open window's place is its own";
    host.close();
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(host.window(), nullptr);
    EXPECT_EQ(host.lastFrame(), "{{5, 6}, {100, 80}}");

    host.open(std::make_unique<Window>(closes));
    EXPECT_EQ(host.window()->frameText(), "{{5, 6}, {100, 80}}");
}

TEST(KivEffectEditorHostTest, AHiddenWindowLeavesTheLastPlaceAsItWas) {
    int closes = 0;
    KivEffectEditorHost host;
    host.setLastFrame("{{1, 2}, {100, 80}}");
    EXPECT_FALSE(host.show()) << "no window to show";
    host.open(std::make_unique<Window>(closes));
    auto* window = static_cast<Window*>(host.window());
    window->visible = false;
    window->frame = "{{9, 9}, {100, 80}}";
    EXPECT_FALSE(host.isOpen());
    EXPECT_EQ(host.frame(), "{{1, 2}, {100, 80}}");
    EXPECT_TRUE(host.show());
    EXPECT_TRUE(host.isOpen());
    window->visible = false;
    host.close();
    EXPECT_EQ(host.lastFrame(), "{{1, 2}, {100, 80}}");
}

TEST(KivEffectEditorHostTest, AWindowThatClosesItselfIsHandedBack) {
    int closes = 0;
    KivEffectEditorHost host;
    host.open(std::make_unique<Window>(closes));
    static_cast<Window*>(host.window())->frame = "{{3, 4}, {100, 80}}";
    std::unique_ptr<KivEffectEditorWindow> back = host.willClose();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(closes, 0) << "the window closes itself";
    EXPECT_EQ(host.window(), nullptr);
    EXPECT_EQ(host.lastFrame(), "{{3, 4}, {100, 80}}");
}
