#include "e2e/support/EndToEnd.h"
#include "e2e/support/PipeWireServer.h"
#include "e2e/support/Tones.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// The program on a desktop whose sound server is PipeWire: ALSA's "default"
// leads into it through pipewire-alsa, JACK programs reach it through
// pipewire-jack's libjack (started by pw-jack). What reaches the server's
// one sink is recorded with pw-record. Where the daemons cannot start the
// cases skip, and in CI fail.
class PipeWire : public EndToEnd {
protected:
    bool usesJackServer() const override { return false; }

    void SetUp() override {
        const auto missing = PipeWireServer::missingPackages();
        if (!missing.empty()) {
            std::string names;
            for (const std::string& name : missing) {
                names += " " + name;
            }
            return cannotRun("The PipeWire cases need" + names +
                             "; scripts/install-deps installs them.");
        }
        EndToEnd::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        server = std::make_unique<PipeWireServer>(path("pipewire"), homeEnvironment());
        std::string why;
        if (!server->start(why)) {
            return cannotRun("PipeWire cannot run here: " + why);
        }
    }

    void TearDown() override {
        // The program goes before its server, unless its screen is evidence.
        expectNoCrash();
        if (!HasFailure()) {
            program.reset();
        }
        server.reset();
        EndToEnd::TearDown();
    }

    // A window holding a cue of tone 0 in its first cell, on key 1.
    TopLevel showWithOneCue() {
        const std::string file = tone("tone.wav", 0, 6);
        const TopLevel window = launch();
        const WindowMap map(window.frame);
        dropFiles({file}, map.cellCentre(0));
        selectCell(map, 0);
        return window;
    }

    // Presses key 1 while the sink is recorded, and checks that the cue sounds
    // on both channels at its level for two seconds. PipeWire's graph runs on
    // a timer and does not wait for a late client as the JACK tests' server
    // does: on a loaded machine a cycle now and then passes in silence, so up
    // to one period in fifty may be missing; a stream that keeps breaking up
    // loses far more.
    void expectTheCueHeard(const TopLevel& window, const char* road) {
        server->record(path(std::string(road) + ".wav"));
        // pw-record's stream is linked to the sink's monitor first.
        std::this_thread::sleep_for(1s);
        x->focus(window);
        x->key('1');
        std::this_thread::sleep_for(3s);
        const std::vector<float> frames = server->stopRecording();
        ASSERT_FALSE(frames.empty()) << "pw-record wrote nothing";
        std::vector<float> left;
        std::vector<float> right;
        for (std::size_t i = 0; i + 1 < frames.size(); i += 2) {
            left.push_back(frames[i]);
            right.push_back(frames[i + 1]);
        }
        const double frequency = Tones::frequency(0);
        const std::size_t onset = Tones::onsetPeriod(left, frequency, 0.25);
        ASSERT_NE(onset, std::string::npos) << "the cue never reached PipeWire's sink " << road;
        // Two seconds from the period after the onset: every period at the
        // tone's level, none lost to a gap.
        const std::size_t first = onset + 1;
        const std::size_t periods = 2 * Tones::kRate / Tones::kPeriod;
        ASSERT_LE((first + periods) * Tones::kPeriod, left.size())
            << "the recording ends " << (left.size() / Tones::kPeriod - first)
            << " periods after the onset";
        const std::size_t from = first * Tones::kPeriod;
        const std::size_t count = periods * Tones::kPeriod;
        const double leftLevel = Tones::amplitude(left, from, count, frequency);
        const double rightLevel = Tones::amplitude(right, from, count, frequency);
        const std::size_t sounding =
            Tones::periodsSounding(left, frequency, 0.4, first, first + periods);
        std::printf("Through %s: the tone began %.3f s into the recording; over the next "
                    "2 s, amplitude %.4f left and %.4f right, %zu of %zu periods sounding\n",
                    road, static_cast<double>(onset * Tones::kPeriod) / Tones::kRate, leftLevel,
                    rightLevel, sounding, periods);
        EXPECT_NEAR(leftLevel, 0.5, 0.02) << road;
        EXPECT_NEAR(rightLevel, 0.5, 0.02) << road;
        EXPECT_GE(sounding, periods - periods / 50) << road << " breaks up";
    }

    std::unique_ptr<PipeWireServer> server;
};

TEST_F(PipeWire, ANewShowPlaysThroughAlsasDefaultIntoPipeWire) {
    // A program run in another root (scripts/check-package) reads that root's
    // ALSA configuration, which the variable says leads into PipeWire. Here
    // the case's home leads there, through pipewire-alsa's plugin unpacked
    // beside the machine's own configuration, which stays as it is; on a
    // machine with pipewire-alsa installed its configuration does it.
    const char* programs = std::getenv("PONDRA_E2E_ALSA_DEFAULT");
    if (programs == nullptr || std::string(programs) != "pipewire") {
        std::string why;
        if (!server->pointAlsaDefaultHere(why) && !PipeWireServer::alsaDefaultIsPipeWire()) {
            return cannotRun("ALSA's \"default\" cannot be led into PipeWire: " + why);
        }
    }
    const TopLevel window = showWithOneCue();
    // Listed under its ALSA description, and the device a new show takes.
    chooseOutput(window, "Default ALSA Output");
    expectTheCueHeard(window, "ALSA default");
    EXPECT_TRUE(program->running()) << output();
}

TEST_F(PipeWire, AJackProgramStartedByPwJackPlaysIntoPipeWire) {
    launcher = {"pw-jack"};
    const TopLevel window = showWithOneCue();
    chooseOutput(window, "JACK");
    expectTheCueHeard(window, "JACK");
    EXPECT_TRUE(program->running()) << output();
}
