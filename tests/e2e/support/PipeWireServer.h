#pragma once

#include "e2e/support/ChildProcess.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// A PipeWire daemon of the case's own with WirePlumber as its session
// manager, as a desktop runs them, but with no sound card, session bus or
// system service: its one sink is a null sink, the graph runs on PipeWire's
// dummy driver, at 48 kHz. Clients find it through the case's
// XDG_RUNTIME_DIR; what reaches the sink is recorded with pw-record.
class PipeWireServer {
public:
    static constexpr const char* kSink = "pondra-e2e-sink";
    static constexpr int kRate = 48000;

    // `folder` holds the configuration and the logs; `environment` gives the
    // case's HOME and XDG folders.
    PipeWireServer(std::string folder, std::map<std::string, std::string> environment);
    ~PipeWireServer();
    PipeWireServer(const PipeWireServer&) = delete;
    PipeWireServer& operator=(const PipeWireServer&) = delete;

    // The programs a case needs that are not installed, by package; empty
    // when all are.
    static std::vector<std::string> missingPackages();
    // Whether ALSA's "default" is PipeWire's machine-wide (pipewire-alsa installed).
    static bool alsaDefaultIsPipeWire();
    // Points ALSA's "default" at PipeWire for the programs of the case's home
    // only, as pipewire-alsa's configuration does machine-wide: the home's
    // ALSA configuration loads that configuration and its plugins from the
    // copy scripts/install-deps unpacks. False, with the reason in `why`, when
    // the copy is missing.
    bool pointAlsaDefaultHere(std::string& why) const;

    // Starts both daemons and waits until the sink is the default one; false
    // with the reason in `why` when they do not come up.
    bool start(std::string& why);

    // Starts recording what reaches the sink, into a WAV file of 32-bit float.
    void record(const std::string& file);
    // Ends the recording; its frames, interleaved stereo, or none when it
    // wrote nothing readable.
    std::vector<float> stopRecording();

private:
    std::map<std::string, std::string> daemonEnvironment() const;
    std::string run(const std::vector<std::string>& command) const;

    std::string _folder;
    std::map<std::string, std::string> _environment;
    std::unique_ptr<ChildProcess> _pipewire;
    std::unique_ptr<ChildProcess> _wireplumber;
    std::unique_ptr<ChildProcess> _recorder;
    std::string _recording;
};
