#include "e2e/support/EndToEnd.h"

#include "e2e/support/Tones.h"
#include "support/CannotRun.h"
#include "support/CleanTake.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

const QString kWindowSuffix = QStringLiteral(" \u2014 Pondra");

// ASan and a loaded CI machine start the program slower than a desktop does.
constexpr auto kLaunchLimit = 60s;

std::string caseName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

} // namespace

void EndToEnd::SetUp() {
    if (!XvfbDisplay::installed() || (usesJackServer() && !JackTestServer::installed())) {
        return ::cannotRun("The end-to-end suite needs Xvfb and jackd; scripts/install-deps "
                           "installs both.");
    }
    char folder[] = "/tmp/pondra-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    _folder = folder;
    for (const char* sub :
         {"home", "home/.config", "home/.local", "home/.local/share", "home/.cache", "run"}) {
        ASSERT_EQ(mkdir(path(sub).c_str(), 0700), 0) << sub;
    }
    _outputPath = path("pondra.log");

    display = std::make_unique<XvfbDisplay>();
    ASSERT_FALSE(display->name().empty()) << "Xvfb did not start";
    x = std::make_unique<XDriver>(display->name());
    ASSERT_TRUE(x->connected()) << "no connection to " << display->name();
    if (!usesJackServer()) {
        return;
    }
    // libjack's own complaints while the server comes up are not the case's.
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    jack = std::make_unique<JackTestServer>(kJackRate, kJackPeriod, path("jackd.log"));
    ASSERT_TRUE(jack->start()) << "the JACK server did not start";
}

void EndToEnd::TearDown() {
    expectNoCrash();
    // In the sanitized tree the program itself is checked: a report fails the case.
    if (!_outputPath.empty()) {
        const std::string printed = output();
        EXPECT_EQ(printed.find("Sanitizer"), std::string::npos) << printed;
        EXPECT_EQ(printed.find("runtime error:"), std::string::npos) << printed;
    }
    if (HasFailure() && x) {
        keepEvidence();
    }
    if (HasFailure() && lateCycles() > 0) {
        ADD_FAILURE() << "The JACK server reported " << lateCycles()
                      << " cycles late while the case recorded.";
    }
    recorder.reset();
    // jackd waits two minutes for a killed client before it ends gracefully:
    // after a case that leaves the program running it goes the hard way.
    const bool killed = (program && program->running()) ||
                        std::any_of(others.begin(), others.end(),
                                    [](const auto& other) { return other->running(); });
    program.reset();
    others.clear();
    if (jack) {
        jack->kill(killed ? SIGKILL : SIGTERM);
    }
    jack.reset();
    x.reset();
    display.reset();
    if (!_folder.empty() && !HasFailure()) {
        std::filesystem::remove_all(_folder);
    }
}

void EndToEnd::expectNoCrash() {
    if (!program || _crashTold) {
        return;
    }
    if (const auto ended = program->waitForExit(0ms); ended && ended->signalled) {
        _crashTold = true;
        ADD_FAILURE() << "The program ended by signal " << ended->code << "; its crash log is in "
                      << path("home/.local/share/Pondra/CrashReports");
    }
}

void EndToEnd::cannotRun(const std::string& why) {
    ::cannotRun(why);
}

void EndToEnd::keepEvidence() {
    const std::string folder = std::string(PONDRA_E2E_EVIDENCE_DIR) + "/" + caseName();
    std::filesystem::create_directories(folder);
    x->grab(QRect(0, 0, 1280, 1024)).save(QString::fromStdString(folder + "/screen.png"));
    for (const char* log : {"pondra.log", "jackd.log"}) {
        std::error_code absent;
        std::filesystem::copy_file(path(log), folder + "/" + log,
                                   std::filesystem::copy_options::overwrite_existing, absent);
    }
    // What the screen cannot show: the program's state and its windows,
    // unmapped ones too.
    std::ofstream state(folder + "/state.txt");
    if (!program) {
        state << "The program was not started.\n";
    } else if (const auto ended = program->waitForExit(0ms)) {
        state << "The program (pid " << program->pid() << ") ended "
              << (ended->signalled ? "by signal " : "with status ") << ended->code << ".\n";
    } else {
        state << "The program (pid " << program->pid() << ") still ran.\n";
    }
    for (const TopLevel& window : x->allWindows()) {
        if (ours(window)) {
            state << "window 0x" << std::hex << window.id << std::dec << " \""
                  << window.title.toStdString() << "\" " << window.frame.x() << ","
                  << window.frame.y() << " " << window.frame.width() << "x" << window.frame.height()
                  << (window.mapped ? "" : " unmapped") << "\n";
        }
    }
    ADD_FAILURE() << "The screen and the program's output are kept in " << folder
                  << "; the case's files in " << _folder;
}

std::string EndToEnd::tone(const std::string& name, int n, double seconds, unsigned channels) {
    const std::string file = path(name);
    EXPECT_TRUE(Tones::write(file, Tones::frequency(n), seconds, channels)) << name;
    return file;
}

std::map<std::string, std::string> EndToEnd::homeEnvironment() const {
    const std::string home = path("home");
    return {
        {"HOME", home},
        {"XDG_CONFIG_HOME", home + "/.config"},
        {"XDG_DATA_HOME", home + "/.local/share"},
        {"XDG_STATE_HOME", home + "/.local/state"},
        {"XDG_CACHE_HOME", home + "/.cache"},
        {"XDG_RUNTIME_DIR", path("run")},
    };
}

std::vector<std::string> EndToEnd::programCommand(const std::vector<std::string>& arguments) const {
    // The tree's own program, unless the environment names another build.
    const char* other = std::getenv("PONDRA_E2E_PROGRAM");
    std::vector<std::string> command = launcher;
    command.push_back(other && *other ? other : PONDRA_E2E_PROGRAM);
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

std::map<std::string, std::string> EndToEnd::programEnvironment() const {
    std::map<std::string, std::string> environment = homeEnvironment();
    environment.insert({
        {"DISPLAY", display->name()},
        {"QT_QPA_PLATFORM", "xcb"},
        {"WAYLAND_DISPLAY", ""},
        {"SESSION_MANAGER", ""},
        {"DBUS_SESSION_BUS_ADDRESS", ""},
        {"LV2_PATH", ""},
        {"LANG", "C.UTF-8"},
        {"JACK_DEFAULT_SERVER", jack ? jack->name() : ""},
        {"JACK_NO_AUDIO_RESERVATION", "1"},
    });
    return environment;
}

TopLevel EndToEnd::launch(const std::vector<std::string>& arguments) {
    start(arguments);
    const auto window =
        x->waitForWindow([this](const TopLevel& w) { return isWorkspaceWindow(w); }, kLaunchLimit);
    if (!window) {
        ADD_FAILURE() << "no workspace window showed; the program printed:\n" << output();
        return {};
    }
    // Drawn and answering before the case goes on.
    x->settle(500ms);
    return *window;
}

void EndToEnd::start(const std::vector<std::string>& arguments) {
    program = std::make_unique<ChildProcess>(programCommand(arguments), programEnvironment(),
                                             _outputPath);
}

TopLevel EndToEnd::launchAnother(const std::vector<std::string>& arguments,
                                 const std::string& outputName) {
    const std::vector<TopLevel> before = workspaceWindows();
    others.push_back(std::make_unique<ChildProcess>(programCommand(arguments), programEnvironment(),
                                                    path(outputName)));
    const auto window = x->waitForWindow(
        [&](const TopLevel& w) {
            return isWorkspaceWindow(w) &&
                   std::none_of(before.begin(), before.end(),
                                [&](const TopLevel& old) { return old.id == w.id; });
        },
        kLaunchLimit);
    if (!window) {
        ADD_FAILURE() << "the second program showed no window; it printed:\n"
                      << readTextFile(path(outputName));
        return {};
    }
    x->settle(500ms);
    return *window;
}

bool EndToEnd::ours(const TopLevel& window) const {
    if (window.pid <= 0) {
        return false;
    }
    return (program && program->includes(window.pid)) ||
           std::any_of(others.begin(), others.end(),
                       [&](const auto& other) { return other->includes(window.pid); });
}

bool EndToEnd::isWorkspaceWindow(const TopLevel& window) const {
    return ours(window) && window.title.endsWith(kWindowSuffix);
}

std::vector<TopLevel> EndToEnd::workspaceWindows() {
    std::vector<TopLevel> found;
    for (const TopLevel& window : x->windows()) {
        if (isWorkspaceWindow(window)) {
            found.push_back(window);
        }
    }
    return found;
}

std::vector<TopLevel> EndToEnd::otherWindows() {
    std::vector<TopLevel> found;
    for (const TopLevel& window : x->windows()) {
        if (ours(window) && !isWorkspaceWindow(window) && window.frame.width() > 1) {
            found.push_back(window);
        }
    }
    return found;
}

std::optional<TopLevel> EndToEnd::waitForOtherWindow(std::chrono::milliseconds limit) {
    const auto window = x->waitForWindow(
        [this](const TopLevel& w) {
            return ours(w) && !isWorkspaceWindow(w) && w.frame.width() > 1;
        },
        limit);
    if (window) {
        x->settle(300ms);
    }
    return window;
}

bool EndToEnd::answer(const TopLevel& alert, std::uint32_t key) {
    x->focus(alert);
    x->key(key);
    return x->waitUntilGone([&](const TopLevel& w) { return w.id == alert.id; }, 5s);
}

std::optional<TopLevel> EndToEnd::waitForTitle(const QString& title,
                                               std::chrono::milliseconds limit) {
    return x->waitForWindow(
        [&](const TopLevel& w) { return isWorkspaceWindow(w) && w.title == title + kWindowSuffix; },
        limit);
}

std::string EndToEnd::output() const {
    return readTextFile(_outputPath);
}

bool EndToEnd::waitForOutput(const std::string& text, std::chrono::milliseconds limit) const {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        if (output().find(text) != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

std::optional<ChildProcess::Exit> EndToEnd::quit(const TopLevel& window,
                                                 std::chrono::milliseconds limit) {
    x->focus(window);
    x->key('q', Control);
    return program->waitForExit(limit);
}

void EndToEnd::dropFiles(const std::vector<std::string>& files, QPoint target) {
    std::vector<std::string> command{PONDRA_E2E_DRAG_SOURCE, "1100", "900"};
    command.insert(command.end(), files.begin(), files.end());
    ChildProcess source(command,
                        {{"DISPLAY", display->name()},
                         {"QT_QPA_PLATFORM", "xcb"},
                         {"HOME", path("home")},
                         {"XDG_RUNTIME_DIR", path("run")}},
                        path("drag-source.log"));
    const auto window = x->waitForWindow(
        [](const TopLevel& w) { return w.title == QLatin1String("Pondra e2e drag source"); }, 20s);
    ASSERT_TRUE(window) << "the drag source never showed";
    x->settle(300ms);
    x->drag(window->frame.center(), target);
    ASSERT_TRUE(source.waitForExit(20s)) << "the drag never ended";
    x->settle(300ms);
}

void EndToEnd::answerPanel(const TopLevel& window, char shortcut, unsigned modifiers,
                           const std::string& typed) {
    x->focus(window);
    x->key(shortcut, modifiers);
    const auto panel = waitForOtherWindow();
    ASSERT_TRUE(panel) << "no file panel";
    x->focus(*panel);
    x->key('a', Control);
    x->type(typed);
    x->key(Keys::Return);
    ASSERT_TRUE(x->waitUntilGone([&](const TopLevel& w) { return w.id == panel->id; }, 10s))
        << "the panel stayed open after " << typed;
}

void EndToEnd::open(const TopLevel& window, const std::string& typed) {
    answerPanel(window, 'o', Control, typed);
}

void EndToEnd::answerSaveAs(const TopLevel& window, const std::string& package) {
    answerPanel(window, 's', Control | Shift, package);
}

void EndToEnd::saveAs(const TopLevel& window, const std::string& package) {
    answerSaveAs(window, package);
    if (HasFatalFailure()) {
        return;
    }
    // A package is written beside its place and renamed into it whole.
    const auto end = std::chrono::steady_clock::now() + 30s;
    while (!std::filesystem::exists(package + "/document")) {
        ASSERT_LT(std::chrono::steady_clock::now(), end) << "the save never ended";
        std::this_thread::sleep_for(50ms);
    }
    x->settle(300ms);
}

nlohmann::json EndToEnd::readDocument(const std::string& package) {
    std::ifstream in(package + "/document");
    return nlohmann::json::parse(in, nullptr, false);
}

const nlohmann::json& EndToEnd::cartsOf(const nlohmann::json& document) {
    const auto& carts = document.at("carts");
    return carts.is_object() && carts.contains("$array") ? carts["$array"] : carts;
}

std::map<int, nlohmann::json> EndToEnd::cuesOf(const nlohmann::json& document, int cart) {
    std::map<int, nlohmann::json> cues;
    for (const auto& [slot, cue] : cartsOf(document).at(cart).at("cues").items()) {
        cues[std::stoi(slot)] = cue;
    }
    return cues;
}

void EndToEnd::chooseOutput(const TopLevel& window, const std::string& name) {
    const WindowMap map(window.frame);
    x->focus(window);
    x->click(map.outputPopUp());
    x->settle(300ms);
    x->type(name);
    x->key(Keys::Return);
    x->settle(500ms);
}

void EndToEnd::chooseJackOutput(const TopLevel& window) {
    chooseOutput(window, "JACK");
}

void EndToEnd::record(double seconds) {
    stopRecording();
    // A server swamped by a loaded machine can miss a client's opening
    // handshake; the case's server is known to run, so it is asked again.
    for (int tries = 0; tries < 3 && !(recorder && recorder->valid()); ++tries) {
        if (tries > 0) {
            std::this_thread::sleep_for(1s);
        }
        recorder = std::make_unique<JackRecorder>(jack->name(),
                                                  static_cast<std::size_t>(seconds * kJackRate));
    }
    ASSERT_TRUE(recorder->valid()) << "the recorder could not reach the case's JACK server";
    // The program's client appears once its device opens.
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!recorder->listenToPondra()) {
        ASSERT_LT(std::chrono::steady_clock::now(), end) << "the program has no JACK ports";
        std::this_thread::sleep_for(50ms);
    }
}

std::size_t EndToEnd::recordedFrames() const {
    return recorder->recorded.load();
}

std::vector<float> EndToEnd::recordFor(double seconds) {
    const auto until = recordedFrames() + static_cast<std::size_t>(seconds * kJackRate);
    EXPECT_TRUE(recorder->waitForFrames(until));
    return recorder->samples(0);
}

void EndToEnd::stopRecording() {
    if (recorder) {
        _lateCyclesBefore += recorder->lateCycles();
    }
    recorder.reset();
}

std::size_t EndToEnd::lateCycles() {
    if (!recorder) {
        return _lateCyclesBefore;
    }
    // The server tells of a late cycle on libjack's notification thread, a
    // little after the cycle: two more periods give the news time to arrive.
    recorder->waitForFrames(recordedFrames() + 2 * kJackPeriod, 500ms);
    return _lateCyclesBefore + recorder->lateCycles();
}

void EndToEnd::measure(const std::function<void()>& take, const std::function<void()>& again) {
    cleanTake([this] { return lateCycles(); }, take, again);
}

void EndToEnd::selectCell(const WindowMap& map, int index) {
    x->click(map.cellName(index));
}

void EndToEnd::editText(QPoint field, const std::string& text) {
    x->click(field);
    x->key('a', Control);
    x->type(text);
    x->key(Keys::Return);
    x->settle();
}

void EndToEnd::setHotKey(const WindowMap& map, int index, char key) {
    selectCell(map, index);
    editText(map.hotKeyField(), std::string(1, key));
    // Back to the grid, so that keys fire cues again.
    selectCell(map, index);
}

void EndToEnd::contextMenuEntry(const WindowMap& map, int index, int entry) {
    x->click(map.cellName(index), NoModifier, 3);
    x->settle(300ms);
    for (int down = 0; down <= entry; ++down) {
        x->key(Keys::Down);
    }
    x->key(Keys::Return);
    x->settle();
}

void EndToEnd::stopAllAndWait(const TopLevel& window) {
    x->focus(window);
    x->key('.', Control);
    constexpr std::size_t kQuiet = kJackRate / 10;
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < end) {
        const std::vector<float> heard = recordFor(0.1);
        if (heard.size() >= kQuiet &&
            std::all_of(heard.end() - kQuiet, heard.end(),
                        [](float sample) { return std::abs(sample) < 1e-4f; })) {
            return;
        }
    }
    ADD_FAILURE() << "the cues still sound after Stop All";
}

void EndToEnd::showMode(const TopLevel& window) {
    x->focus(window);
    x->key('r', Control);
    x->settle(300ms);
}

void EndToEnd::editMode(const TopLevel& window) {
    x->focus(window);
    x->key('e', Control);
    x->settle(300ms);
}
