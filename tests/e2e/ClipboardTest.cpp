#include "e2e/support/EndToEnd.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>

// What another program on the clipboard can do to a window: hold it and never
// answer, or offer a cue far larger than any cue is.
class Clipboard : public EndToEnd {
protected:
    // Another X client takes the clipboard and never answers for it.
    void startSilentOwner() {
        _owner = std::make_unique<ChildProcess>(
            std::vector<std::string>{PONDRA_E2E_SILENT_CLIPBOARD_OWNER},
            std::map<std::string, std::string>{{"DISPLAY", display->name()}}, path("owner.log"));
        waitForOwner();
    }
    // Another X client (a Qt program, which answers as such programs do)
    // puts the file's bytes on the clipboard as the given type.
    void startOwnerOffering(const std::string& type, const std::string& file) {
        _owner = std::make_unique<ChildProcess>(
            std::vector<std::string>{PONDRA_E2E_CLIPBOARD_OWNER, type, file},
            std::map<std::string, std::string>{{"DISPLAY", display->name()},
                                               {"QT_QPA_PLATFORM", "xcb"},
                                               {"HOME", path("home")},
                                               {"XDG_RUNTIME_DIR", path("run")}},
            path("owner.log"));
        waitForOwner();
    }

    // How long the window takes to show what a click on a cell did, by the
    // first change of the cell's pixels; `limit` when it never shows.
    std::chrono::milliseconds clickToShow(const WindowMap& map, int index,
                                          std::chrono::milliseconds limit = 20s) {
        const QRect area = map.cell(index);
        const QImage before = x->grab(area);
        const auto start = std::chrono::steady_clock::now();
        x->click(map.cellName(index));
        while (std::chrono::steady_clock::now() - start < limit) {
            if (x->grab(area) != before) {
                return std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start);
            }
            std::this_thread::sleep_for(5ms);
        }
        return limit;
    }

    // Lines of the program's output that hold the text.
    std::size_t linesHolding(const std::string& text) const {
        std::size_t count = 0;
        for (std::size_t at = output().find(text); at != std::string::npos;
             at = output().find(text, at + text.size())) {
            ++count;
        }
        return count;
    }

    // The resident memory of the program, in megabytes.
    double residentMegabytes() const {
        std::ifstream status("/proc/" + std::to_string(program->pid()) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("VmRSS:", 0) == 0) {
                return std::stod(line.substr(6)) / 1024.0;
            }
        }
        return 0.0;
    }

    std::unique_ptr<ChildProcess> _owner;

private:
    void waitForOwner() {
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (readTextFile(path("owner.log")).find("owning") == std::string::npos) {
            ASSERT_LT(std::chrono::steady_clock::now(), end) << "the clipboard owner never took it";
            std::this_thread::sleep_for(20ms);
        }
        x->settle(300ms);
    }
};

TEST_F(Clipboard, AnOwnerThatNeverAnswersSlowsNoClickAndItsPasteGivesUpWithinASecond) {
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles({tone("first.wav", 0, 4), tone("second.wav", 1, 4)}, map.cellCentre(0));
    startSilentOwner();

    // Each selection asks what Paste can do: the answer must never be waited for.
    std::chrono::milliseconds slowest{0};
    for (int click = 0; click < 4; ++click) {
        const auto shown = clickToShow(map, click % 2);
        std::printf("click %d on a cell shown after %lld ms\n", click,
                    static_cast<long long>(shown.count()));
        slowest = std::max(slowest, shown);
        x->settle(200ms);
    }
    EXPECT_LT(slowest, 1s) << "a click took " << slowest.count() << " ms to show";

    // The Edit menu opens at once.
    x->focus(window);
    const auto opened = std::chrono::steady_clock::now();
    x->key('e', Alt);
    const auto menu = waitForOtherWindow(10s);
    ASSERT_TRUE(menu) << "the Edit menu never opened";
    EXPECT_LT(std::chrono::steady_clock::now() - opened, 1500ms);
    x->key(Keys::Escape);
    x->settle(300ms);

    // A paste asks the owner for the cue: it gives up within a second, once.
    x->focus(window);
    const auto pressed = std::chrono::steady_clock::now();
    x->key('v', Control);
    const auto alert = waitForOtherWindow(10s);
    ASSERT_TRUE(alert) << "the paste gave no message";
    const auto toMessage = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - pressed);
    std::printf("the paste gave up with its message after %lld ms\n",
                static_cast<long long>(toMessage.count()));
    EXPECT_LT(toMessage, 2s);
    EXPECT_EQ(otherWindows().size(), 1u);
    ASSERT_TRUE(answer(*alert, Keys::Return));
    x->settle(1500ms);
    EXPECT_TRUE(otherWindows().empty()) << "a second message followed";
    EXPECT_EQ(linesHolding("did not answer"), 1u) << output();
}

TEST_F(Clipboard, AnOversizedCueIsRefusedWithOneMessageAndLeavesNoMemoryBehind) {
    // A cue of 8 MB whose effects list holds two million empty entries.
    const std::string cue = path("big.cue");
    {
        std::ofstream out(cue);
        out << R"({"root":{"$class":"PondraCue","file":"/nowhere.wav","name":"big","effects":[)";
        for (int entry = 0; entry < 2'000'000; ++entry) {
            out << (entry == 0 ? "{}" : ",{}");
        }
        out << std::string(2'000'000, ' ') << "]}}";
    }
    const TopLevel window = launch();
    const double before = residentMegabytes();
    startOwnerOffering("com.brenmoor.pondra.cue", cue);

    x->focus(window);
    const auto pressed = std::chrono::steady_clock::now();
    x->key('v', Control);
    const auto alert = waitForOtherWindow(30s);
    EXPECT_TRUE(alert) << "the paste gave no message";
    const auto toMessage = std::chrono::steady_clock::now() - pressed;
    EXPECT_LT(toMessage, 3s);
    if (alert) {
        ASSERT_TRUE(answer(*alert, Keys::Return));
    }
    x->settle(500ms);
    EXPECT_TRUE(otherWindows().empty()) << "a second message followed";
    // A click still shows at once.
    const WindowMap map(window.frame);
    const auto click = clickToShow(map, 0, 60s);
    EXPECT_LT(click, 1s);
    // Nothing of the cue stays: neither its bytes nor lines about it.
    const double after = residentMegabytes();
    EXPECT_LT(after - before, 40.0);
    const std::string printed = output();
    const auto lines = std::count(printed.begin(), printed.end(), '\n');
    EXPECT_LT(lines, 200) << printed.substr(0, 4000);
    std::printf("paste of 8 MB: message after %lld ms, next click shown after %lld ms, "
                "resident %.0f MB before, %.0f MB after, %lld lines of output\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(toMessage).count()),
                static_cast<long long>(click.count()), before, after,
                static_cast<long long>(lines));
}

// A cue copied in another program (a Qt program, as a second Pondra is), large
// enough that it comes over in pieces, is pasted as any cue is.
TEST_F(Clipboard, ACueFromAnotherProgramIsPastedWithoutWaitingOnIt) {
    const std::string file = tone("tone.wav", 0, 3);
    const std::string cue = path("tone.cue");
    {
        nlohmann::json archive = {{"root",
                                   {{"$class", "PondraCue"},
                                    {"file", file},
                                    {"name", "From afar"},
                                    {"volume", 1.0},
                                    {"startTime", 0.0},
                                    {"endTime", 3.0}}}};
        // Past what one X property carries: the owner sends it piece by piece.
        std::ofstream(cue) << archive.dump() << std::string(600 * 1024, ' ');
    }
    const TopLevel window = launch();
    startOwnerOffering("com.brenmoor.pondra.cue", cue);
    x->focus(window);
    x->key('v', Control);
    x->settle(1s);
    EXPECT_TRUE(otherWindows().empty()) << "the paste gave a message: " << output();
    const std::string package = path("Pasted.pondra");
    saveAs(window, package);
    const auto cues = cuesOf(readDocument(package));
    ASSERT_EQ(cues.count(0), 1u) << output();
    EXPECT_EQ(cues.at(0).value("name", ""), "From afar");
}
