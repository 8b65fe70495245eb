#include "e2e/support/PipeWireServer.h"

#include <alsa/asoundlib.h>
#include <signal.h>
#include <sndfile.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace std::chrono_literals;

namespace {

// The daemon's own configuration: real-time scheduling where it is allowed
// (a loaded test machine then loses no cycle), the protocol, the client
// nodes and the factories a session manager uses, a dummy driver to run the
// graph, and the null sink.
const char* const kConfiguration = R"(
context.properties = {
    core.daemon = true
    core.name = pipewire-0
    default.clock.rate = 48000
    default.clock.allowed-rates = [ 48000 ]
    default.clock.quantum = 512
    default.clock.min-quantum = 64
    default.clock.max-quantum = 2048
}
context.spa-libs = {
    audio.convert.* = audioconvert/libspa-audioconvert
    support.* = support/libspa-support
}
context.modules = [
    { name = libpipewire-module-rt
        args = { nice.level = -11 }
        flags = [ ifexists nofail ]
    }
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-profiler }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-spa-node-factory }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-client-device }
    { name = libpipewire-module-access args = { } }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-link-factory }
    { name = libpipewire-module-session-manager }
]
context.objects = [
    { factory = spa-node-factory
        args = {
            factory.name = support.node.driver
            node.name = Dummy-Driver
            node.group = pipewire.dummy
            priority.driver = 20000
        }
    }
    { factory = adapter
        args = {
            factory.name = support.null-audio-sink
            node.name = "pondra-e2e-sink"
            node.description = "Pondra e2e sink"
            media.class = Audio/Sink
            object.linger = true
            audio.position = [ FL FR ]
        }
    }
]
)";

// WirePlumber without what needs a session bus, a sound card or a camera.
const char* const kSessionManagerMain = R"(
alsa_monitor.enabled = false
alsa_monitor.properties["alsa.reserve"] = false
v4l2_monitor.enabled = false
libcamera_monitor.enabled = false
default_access.properties["enable-flatpak-portal"] = false
)";
const char* const kSessionManagerBluetooth = "bluez_monitor.enabled = false\n";

bool onPath(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

void writeFile(const std::string& path, const char* text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

} // namespace

PipeWireServer::PipeWireServer(std::string folder, std::map<std::string, std::string> environment)
    : _folder(std::move(folder))
    , _environment(std::move(environment)) {}

PipeWireServer::~PipeWireServer() {
    _recorder.reset();
    _wireplumber.reset();
    _pipewire.reset();
}

std::vector<std::string> PipeWireServer::missingPackages() {
    std::vector<std::string> missing;
    if (!onPath("pipewire")) {
        missing.push_back("pipewire");
    }
    if (!onPath("pw-record") || !onPath("pw-metadata")) {
        missing.push_back("pipewire-bin");
    }
    if (!onPath("wireplumber")) {
        missing.push_back("wireplumber");
    }
    if (!onPath("pw-jack")) {
        missing.push_back("pipewire-jack");
    }
    return missing;
}

bool PipeWireServer::alsaDefaultIsPipeWire() {
    // Read as the program reads it: the system's configuration, or the one
    // ALSA_CONFIG_PATH names.
    if (snd_config_update() < 0) {
        return false;
    }
    snd_config_t* type = nullptr;
    const char* name = nullptr;
    const bool pipewire = snd_config_search(snd_config, "pcm.default.type", &type) == 0 &&
                          snd_config_get_string(type, &name) == 0 &&
                          std::string(name) == "pipewire";
    snd_config_update_free_global();
    return pipewire;
}

bool PipeWireServer::pointAlsaDefaultHere(std::string& why) const {
    const std::string copy = PONDRA_E2E_PIPEWIRE_ALSA;
    const std::vector<std::string> files{"libasound_module_pcm_pipewire.so",
                                         "libasound_module_ctl_pipewire.so", "50-pipewire.conf",
                                         "99-pipewire-default.conf"};
    for (const std::string& file : files) {
        if (!std::filesystem::exists(copy + "/" + file)) {
            why = "pipewire-alsa's plugin is not unpacked in " + copy +
                  " (scripts/install-deps unpacks it there)";
            return false;
        }
    }
    // ~/.asoundrc, which ALSA reads after the machine's configuration.
    std::ofstream(_environment.at("HOME") + "/.asoundrc")
        << "pcm_type.pipewire { lib \"" << copy << "/" << files[0] << "\" }\n"
        << "ctl_type.pipewire { lib \"" << copy << "/" << files[1] << "\" }\n"
        << "<" << copy << "/" << files[2] << ">\n"
        << "<" << copy << "/" << files[3] << ">\n";
    return true;
}

std::map<std::string, std::string> PipeWireServer::daemonEnvironment() const {
    std::map<std::string, std::string> environment = _environment;
    // No session bus, no X server: nothing may be started on their account.
    environment["DBUS_SESSION_BUS_ADDRESS"] = "";
    environment["DISPLAY"] = "";
    environment["PIPEWIRE_REMOTE"] = "";
    environment["PIPEWIRE_RUNTIME_DIR"] = "";
    return environment;
}

std::string PipeWireServer::run(const std::vector<std::string>& command) const {
    const std::string output = _folder + "/command.out";
    std::filesystem::remove(output);
    ChildProcess child(command, daemonEnvironment(), output);
    if (!child.waitForExit(5s)) {
        return {};
    }
    return readTextFile(output);
}

bool PipeWireServer::start(std::string& why) {
    const std::string configuration = _folder + "/pipewire.conf";
    writeFile(configuration, kConfiguration);
    const std::string wireplumber = _environment.at("XDG_CONFIG_HOME") + "/wireplumber";
    writeFile(wireplumber + "/main.lua.d/60-pondra-e2e.lua", kSessionManagerMain);
    writeFile(wireplumber + "/bluetooth.lua.d/60-pondra-e2e.lua", kSessionManagerBluetooth);

    const std::string socket = _environment.at("XDG_RUNTIME_DIR") + "/pipewire-0";
    _pipewire =
        std::make_unique<ChildProcess>(std::vector<std::string>{"pipewire", "-c", configuration},
                                       daemonEnvironment(), _folder + "/pipewire.log");
    auto end = std::chrono::steady_clock::now() + 10s;
    while (!std::filesystem::exists(socket)) {
        if (!_pipewire->running() || std::chrono::steady_clock::now() > end) {
            why = "the PipeWire daemon did not start: " + readTextFile(_folder + "/pipewire.log");
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    _wireplumber = std::make_unique<ChildProcess>(
        std::vector<std::string>{"wireplumber"}, daemonEnvironment(), _folder + "/wireplumber.log");
    end = std::chrono::steady_clock::now() + 15s;
    while (run({"pw-metadata", "-n", "default", "0", "default.audio.sink"}).find(kSink) ==
           std::string::npos) {
        if (!_wireplumber->running() || std::chrono::steady_clock::now() > end) {
            why = "WirePlumber did not make the null sink the default: " +
                  readTextFile(_folder + "/wireplumber.log");
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

void PipeWireServer::record(const std::string& file) {
    _recording = file;
    _recorder = std::make_unique<ChildProcess>(
        std::vector<std::string>{"pw-record", "--target", kSink, "-P",
                                 "{ stream.capture.sink = true }", "--rate", std::to_string(kRate),
                                 "--channels", "2", "--format", "f32", file},
        daemonEnvironment(), _folder + "/pw-record.log");
}

std::vector<float> PipeWireServer::stopRecording() {
    if (!_recorder) {
        return {};
    }
    // An interrupt lets it finish the file's header.
    _recorder->signal(SIGINT);
    _recorder->waitForExit(5s);
    _recorder.reset();
    SF_INFO info{};
    SNDFILE* file = sf_open(_recording.c_str(), SFM_READ, &info);
    if (file == nullptr || info.channels != 2) {
        if (file != nullptr) {
            sf_close(file);
        }
        return {};
    }
    std::vector<float> frames(static_cast<std::size_t>(info.frames) * 2);
    frames.resize(static_cast<std::size_t>(sf_readf_float(file, frames.data(), info.frames)) * 2);
    sf_close(file);
    return frames;
}
