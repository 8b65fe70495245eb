#pragma once

#include "e2e/support/ChildProcess.h"
#include "e2e/support/WindowMap.h"
#include "e2e/support/XDriver.h"
#include "e2e/support/XvfbDisplay.h"
#include "platform/audio/JackRecorder.h"
#include "platform/audio/JackTestServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

// One case of the end-to-end suite: the real program, started as a user
// starts it, under an X server and a JACK server of the case's own, with a
// fresh home and XDG folders. The case drives it only through X input events
// and files, listens to it through JACK and reads what it saves.
class EndToEnd : public ::testing::Test {
protected:
    static constexpr int kJackRate = 48000;
    static constexpr int kJackPeriod = 256;

    void SetUp() override;
    void TearDown() override;

    // Whether the case runs a JACK server of its own (dummy driver).
    virtual bool usesJackServer() const { return true; }
    // HOME and the XDG folders of the case, as the program gets them.
    std::map<std::string, std::string> homeEnvironment() const;

    // A path in the case's own folder.
    std::string path(const std::string& name) const { return _folder + "/" + name; }
    // A sine file of tone n (see Tones), written in the format of its extension.
    std::string tone(const std::string& name, int n, double seconds = 4.0, unsigned channels = 1);

    // Starts the program with these arguments and answers its first
    // workspace window.
    TopLevel launch(const std::vector<std::string>& arguments = {});
    // Starts a second copy of the program beside the first, as a user who
    // opens it again does, with its output in the case's file of that name;
    // answers its first workspace window. Its windows are the program's too.
    TopLevel launchAnother(const std::vector<std::string>& arguments,
                           const std::string& outputName);
    // Whether a window is the program's: made by the process the case
    // started (or one it started), whatever the program file is called.
    bool ours(const TopLevel& window) const;
    bool isWorkspaceWindow(const TopLevel& window) const;
    // Starts it without waiting for anything.
    void start(const std::vector<std::string>& arguments);
    // The program's workspace windows, and its other windows (alerts, panels).
    std::vector<TopLevel> workspaceWindows();
    std::vector<TopLevel> otherWindows();
    std::optional<TopLevel> waitForOtherWindow(std::chrono::milliseconds limit = 10s);
    // Answers an alert or panel with a key; false when it stays on screen.
    bool answer(const TopLevel& alert, std::uint32_t key);
    // The workspace window with this title, once it shows.
    std::optional<TopLevel> waitForTitle(const QString& title,
                                         std::chrono::milliseconds limit = 10s);
    // What the program has written to stdout and stderr.
    std::string output() const;
    bool waitForOutput(const std::string& text, std::chrono::milliseconds limit = 10s) const;
    // Quits with Ctrl+Q; the exit, or none when it still runs after `limit`.
    std::optional<ChildProcess::Exit> quit(const TopLevel& window,
                                           std::chrono::milliseconds limit = 15s);

    // Drags the files from another X client onto a point, as from a file manager.
    void dropFiles(const std::vector<std::string>& files, QPoint target);
    // File > Save As... to a package path, typed into the panel; waits for the save.
    void saveAs(const TopLevel& window, const std::string& package);
    // Save As through its panel, without waiting for what the save does.
    void answerSaveAs(const TopLevel& window, const std::string& package);
    // File > Open... with a path typed into the panel; waits for the panel to go.
    void open(const TopLevel& window, const std::string& typed);
    // The package's archive as the program wrote it.
    static nlohmann::json readDocument(const std::string& package);
    // The document's carts, in the order of their tabs.
    static const nlohmann::json& cartsOf(const nlohmann::json& document);
    // The cues of the document's first cart by slot.
    static std::map<int, nlohmann::json> cuesOf(const nlohmann::json& document, int cart = 0);

    // The window's output set through its pop-up, by typing the start of
    // the device's name; to the JACK server.
    void chooseOutput(const TopLevel& window, const std::string& name);
    void chooseJackOutput(const TopLevel& window);
    // Starts recording what the program plays into JACK.
    void record(double seconds = 60.0);
    // The frame the recording has reached.
    std::size_t recordedFrames() const;
    // Waits until the recording holds `seconds` more, then answers the left channel.
    std::vector<float> recordFor(double seconds);
    // Ends the recording.
    void stopRecording();
    // Cycles the JACK server has reported late to the case's recorders.
    std::size_t lateCycles();
    // A measurement on the recording, taken again when it fails across a
    // cycle the server reported late, after `again` has brought the program
    // back to where the take starts (see cleanTake).
    void measure(const std::function<void()>& take, const std::function<void()>& again = {});

    // Selects a cell of the grid by a click on its name.
    void selectCell(const WindowMap& map, int index);
    // Replaces a text field's text, ending with Return.
    void editText(QPoint field, const std::string& text);
    // Gives the selected cell's cue a hot key through the inspector.
    void setHotKey(const WindowMap& map, int index, char key);
    // Picks entry n of a cell's contextual menu (Loop, Hold, Solo, Ducking).
    void contextMenuEntry(const WindowMap& map, int index, int entry);
    // Stops every cue (Controls > Stop All, Ctrl+.) and waits until the
    // recording has been silent for a tenth of a second.
    void stopAllAndWait(const TopLevel& window);
    // Ctrl+R, Ctrl+E.
    void showMode(const TopLevel& window);
    void editMode(const TopLevel& window);

    // A command the program is started through ("pw-jack"), when not empty.
    std::vector<std::string> launcher;

    std::unique_ptr<XvfbDisplay> display;
    std::unique_ptr<XDriver> x;
    std::unique_ptr<JackTestServer> jack;
    std::unique_ptr<ChildProcess> program;
    // The copies launchAnother started.
    std::vector<std::unique_ptr<ChildProcess>> others;
    std::unique_ptr<JackRecorder> recorder;

    // Fails the case when the program it started ended by a signal (a
    // crash), whenever that was; TearDown asks.
    void expectNoCrash();
    // A case that cannot run on this machine: skipped, but failed in CI
    // (CI=true). The caller returns right after it.
    void cannotRun(const std::string& why);

private:
    void keepEvidence();
    // The program's command line and environment, as a user's desktop starts it.
    std::vector<std::string> programCommand(const std::vector<std::string>& arguments) const;
    std::map<std::string, std::string> programEnvironment() const;
    // The panel a shortcut brings, answered with a typed path and Return.
    void answerPanel(const TopLevel& window, char shortcut, unsigned modifiers,
                     const std::string& typed);

    std::string _folder;
    std::string _outputPath;
    // Late cycles counted by recorders the case has replaced.
    std::size_t _lateCyclesBefore = 0;
    bool _crashTold = false;
};
