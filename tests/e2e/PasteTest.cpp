#include "e2e/support/EndToEnd.h"
#include "e2e/support/Tones.h"
#include "platform/audiofile/AudioFixtures.h"

#include <cstdint>
#include <filesystem>
#include <fstream>

class Paste : public EndToEnd {
protected:
    // The program's temporary media folder that holds a file of this name.
    std::optional<std::filesystem::path> mediaFolderHolding(const std::string& name) const {
        std::error_code error;
        for (const auto& entry :
             std::filesystem::directory_iterator(path("home/.cache/Pondra"), error)) {
            if (std::filesystem::exists(entry.path() / name)) {
                return entry.path();
            }
        }
        return std::nullopt;
    }
    // Waits for a copy of this name in the folder of the window that holds
    // `beside` to reach `size` bytes; its size when `limit` ran out.
    std::uintmax_t waitForCopy(const std::string& beside, const std::string& name,
                               std::uintmax_t size, std::chrono::milliseconds limit) const {
        const auto end = std::chrono::steady_clock::now() + limit;
        std::uintmax_t now = 0;
        while (std::chrono::steady_clock::now() < end) {
            if (const auto folder = mediaFolderHolding(beside)) {
                std::error_code error;
                now = std::filesystem::file_size(*folder / name, error);
                if (!error && now >= size) {
                    return now;
                }
            }
            std::this_thread::sleep_for(20ms);
        }
        return now;
    }

    static constexpr std::uint32_t kLongBytes = 512u << 20;
    static constexpr double kSounding = 0.05;
};

TEST_F(Paste, ALongFileIsCopiedWhileTheWindowGoesOnAnsweringItsKeys) {
    const std::string shortFile = tone("tone.wav", 0, 8);
    const std::string longFile = path("long.wav");
    ASSERT_TRUE(AudioFixtures::writeSparseWav(longFile, kLongBytes));
    const std::uintmax_t longSize = std::filesystem::file_size(longFile);

    // The show: one cue on the key K, heard through JACK.
    const TopLevel show = launch();
    const WindowMap showMap(show.frame);
    dropFiles({shortFile}, showMap.cellCentre(0));
    setHotKey(showMap, 0, 'k');
    record();

    // A second window holds the long file; its cue is copied from there.
    x->focus(show);
    x->key('n', Control);
    const auto other = x->waitForWindow(
        [&](const TopLevel& w) { return w.id != show.id && isWorkspaceWindow(w); }, 20s);
    ASSERT_TRUE(other) << "no second window";
    x->settle(500ms);
    const WindowMap otherMap(other->frame);
    dropFiles({longFile}, otherMap.cellCentre(0));
    ASSERT_EQ(waitForCopy("long.wav", "long.wav", longSize, 120s), longSize)
        << "the long file was never imported";
    x->settle(500ms);
    selectCell(otherMap, 0);
    x->key('c', Control);

    // Pasted into the show, whose media do not hold it: it is copied again.
    x->focus(show);
    x->key('v', Control);
    const auto folder = [&] { return mediaFolderHolding("tone.wav"); };
    const auto started = std::chrono::steady_clock::now();
    std::error_code error;
    while (!(folder() && std::filesystem::exists(*folder() / "long.wav", error))) {
        ASSERT_LT(std::chrono::steady_clock::now() - started, 20s) << "the paste never began";
        std::this_thread::sleep_for(5ms);
    }
    const std::uintmax_t copiedAtPress = std::filesystem::file_size(*folder() / "long.wav", error);
    const std::size_t pressed = recordedFrames();
    x->key('k');
    const std::vector<float> heard = recordFor(1.0);
    ASSERT_LT(copiedAtPress, longSize) << "the copy had ended before the key went down";
    const std::size_t onset = Tones::onsetPeriod(heard, Tones::frequency(0), kSounding, pressed);
    ASSERT_NE(onset, std::string::npos) << "the key's cue never sounded";
    // Within a fifth of a second: the window took the key in the middle of the copy.
    EXPECT_LT(onset * Tones::kPeriod - pressed, static_cast<std::size_t>(0.2 * kJackRate));

    // The paste ends in the next empty slot, its media the show's own.
    ASSERT_EQ(waitForCopy("tone.wav", "long.wav", longSize, 120s), longSize);
    x->settle(1s);
    const std::string package = path("Pasted.pondra");
    saveAs(show, package);
    const auto cues = cuesOf(readDocument(package));
    EXPECT_EQ(cues.count(0), 1u);
    ASSERT_EQ(cues.count(1), 1u);
    EXPECT_EQ(cues.at(1).value("name", ""), "long");
    EXPECT_TRUE(std::filesystem::exists(package + "/Media/long.wav"));
}
