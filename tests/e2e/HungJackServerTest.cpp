// A JACK server that takes a connection and never answers, or one stopped
// where it stands: the window still comes up, every close and delete answers
// at once and Quit ends the program.
#include "e2e/support/EndToEnd.h"
#include "e2e/support/Tones.h"
#include "support/CellMarks.h"

#include <signal.h>
#include <unistd.h>

#include <iostream>

namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// What launch() waits after the window maps, before it answers.
constexpr auto kLaunchSettle = 500ms;
// What the program has to end in once Ctrl+Q is pressed; the sanitized
// program's exit also walks its whole heap for leaks.
constexpr auto kQuitLimit = PONDRA_E2E_SANITIZED_PROGRAM ? 10s : 3s;
// What a click that closes or deletes may take before the user feels it hang.
constexpr auto kAnswerLimit = 1500ms;

} // namespace

class HungJackServer : public EndToEnd {
protected:
    // The program left the stopped server clients it never saw close; ended
    // gracefully, the server would wait two minutes for them.
    void TearDown() override {
        if (jack) {
            jack->kill(SIGKILL);
        }
        EndToEnd::TearDown();
    }

    // The time from the start to the first window.
    TopLevel launchTimed(const std::vector<std::string>& arguments = {}) {
        const auto start = Clock::now();
        const TopLevel window = launch(arguments);
        windowTime = since(start) - kLaunchSettle;
        std::cout << "time to window: " << windowTime.count() << " ms\n";
        return window;
    }

    // Ctrl+Q; the exit, timed, within the quit limit.
    void quitTimed(const TopLevel& window) {
        const auto start = Clock::now();
        const auto exit = quit(window, 20s);
        const auto took = since(start);
        std::cout << "time to exit after Ctrl+Q: " << took.count() << " ms\n";
        ASSERT_TRUE(exit) << "still running 20 s after Ctrl+Q";
        EXPECT_LT(took, kQuitLimit) << "the quit waited on the server";
    }

    // How long until the screen in `area` differs from `before`; none after `limit`.
    std::optional<std::chrono::milliseconds> untilChanged(QRect area, const QImage& before,
                                                          std::chrono::milliseconds limit) {
        const auto start = Clock::now();
        while (since(start) < limit) {
            if (CellMarks::changedPixels(before, x->grab(area)) > 100) {
                return since(start);
            }
            std::this_thread::sleep_for(20ms);
        }
        return std::nullopt;
    }

    // How long a click on an empty cell takes to show it selected: whether
    // the window still answers.
    std::optional<std::chrono::milliseconds> selectionTime(const WindowMap& map, int cell) {
        const QImage before = x->grab(map.cell(cell));
        selectCell(map, cell);
        return untilChanged(map.cell(cell), before, 10s);
    }

    std::chrono::milliseconds windowTime{0};
};

// Not a server of the pool: a socket of its own under a name of its own.
class NeverAnsweringJackServer : public HungJackServer {
protected:
    bool usesJackServer() const override { return false; }
};

TEST_F(NeverAnsweringJackServer, KeepsNoWindowFromShowingAndQuitEndsTheProgram) {
    fakeJack = std::make_unique<FakeJackServer>("pondra-hung-" + std::to_string(getpid()));
    ASSERT_TRUE(fakeJack->listening());
    const TopLevel window = launchTimed();
    ASSERT_TRUE(window.id) << "no window with a server that never answers";
    EXPECT_GT(fakeJack->connections(), 0) << "the program never tried the server";
    quitTimed(window);
}

TEST_F(HungJackServer, AStoppedServerKeepsNoWindowFromShowingAndQuitEndsTheProgram) {
    jack->suspend();
    const TopLevel window = launchTimed();
    ASSERT_TRUE(window.id) << "no window with a stopped server";
    quitTimed(window);
}

TEST_F(HungJackServer, AServerStoppedMidShowHoldsUpNoCueDeleteNoWindowCloseAndNoQuit) {
    const TopLevel window = launchTimed();
    const WindowMap map(window.frame);
    chooseJackOutput(window);
    dropFiles({tone("long.wav", 0, 30), tone("short.wav", 1, 4)}, map.cellCentre(0));
    saveAs(window, path("Mid.pondra"));
    x->focus(window);
    x->key('n', Control);
    const auto second = x->waitForWindow(
        [&](const TopLevel& w) { return w.id != window.id && w.title.startsWith("Untitled"); },
        10s);
    ASSERT_TRUE(second) << "no second window";
    x->settle(500ms);
    // Over the first one's lower right, clear of its first cells; on JACK,
    // the default output here.
    const TopLevel other = x->move(*second, {360, 360});
    x->focus(window);
    selectCell(map, 0);
    record();
    const std::size_t pressed = recordedFrames();
    x->key('1');
    const std::vector<float> heard = recordFor(0.5);
    ASSERT_NE(Tones::onsetPeriod(heard, Tones::frequency(0), 0.05, pressed), std::string::npos)
        << "the cue does not play";
    // The recorder is a client of the server too.
    recorder.reset();

    jack->suspend();
    x->settle(300ms);
    selectCell(map, 1);
    x->settle(300ms);
    const QImage filled = x->grab(map.cell(1));
    x->key(Keys::Delete);
    const auto deleted = untilChanged(map.cell(1), filled, 10s);
    ASSERT_TRUE(deleted) << "the cue was not deleted";
    const auto afterDelete = selectionTime(map, 2);
    ASSERT_TRUE(afterDelete) << "the window stopped answering after the delete";
    std::cout << "time to delete a cue: " << deleted->count()
              << " ms, then to select a cell: " << afterDelete->count() << " ms\n";
    EXPECT_LT(*deleted + *afterDelete, kAnswerLimit) << "the delete waited on the server";

    const auto closing = Clock::now();
    x->close(other);
    ASSERT_TRUE(x->waitUntilGone([&](const TopLevel& w) { return w.id == other.id; }, 10s))
        << "the second window did not close";
    const auto afterClose = selectionTime(map, 3);
    ASSERT_TRUE(afterClose) << "the first window stopped answering after the second closed";
    const auto closed = since(closing);
    std::cout << "time to close a window and select a cell in the other: " << closed.count()
              << " ms\n";
    EXPECT_LT(closed, kAnswerLimit) << "the close waited on the server";

    // The close left the server a stop it does not answer: it counts as
    // absent, and the show goes on elsewhere.
    const auto alert = waitForOtherWindow(10s);
    ASSERT_TRUE(alert) << "the server that does not answer still counts as there";
    ASSERT_TRUE(answer(*alert, Keys::Return));
    // Saved after the delete, so that Quit asks nothing.
    x->focus(window);
    x->key('s', Control);
    ASSERT_TRUE(waitForTitle(QStringLiteral("Mid"), 10s)) << "the save did not end";
    quitTimed(window);
}

TEST_F(HungJackServer, RevertToSavedWithTheServerStoppedBringsTheShowBack) {
    const TopLevel opened = launchTimed();
    chooseJackOutput(opened);
    const WindowMap map(opened.frame);
    dropFiles({tone("rain.wav", 0, 4)}, map.cellCentre(0));
    saveAs(opened, path("Stopped.pondra"));
    x->focus(opened);
    x->key('t', Control);
    x->settle(300ms);

    jack->suspend();
    x->focus(opened);
    x->key('f', Alt);
    x->settle(300ms);
    x->key('r');
    const auto question = waitForOtherWindow();
    ASSERT_TRUE(question) << "no question";
    const auto reverting = Clock::now();
    ASSERT_TRUE(answer(*question, Keys::Return));
    const auto reverted = x->waitForWindow(
        [&](const TopLevel& w) { return w.id != opened.id && w.title.startsWith("Stopped"); }, 10s);
    ASSERT_TRUE(reverted) << "no reverted window";
    std::cout << "time to revert: " << since(reverting).count() << " ms\n";
    quitTimed(*reverted);
}
