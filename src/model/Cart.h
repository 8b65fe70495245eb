#pragma once

#include "foundation/KivArchivable.h"
#include "foundation/Signal.h"
#include "model/CartGrid.h"
#include "platform/midi/MidiMessage.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

class AudioCue;
class KivAudioDevice;
class KivKeyedDecoder;
class SafetyConcern;
class Workspace;

// One tab of a workspace: a name, a grid of at most 5 x 5 cells and the cues
// placed on them, kept under their internal index (CartGrid.h). A cue outside
// a smaller grid stays in the cart, dead and silent, until the grid grows
// again. Archived as "Pondra" with the keys "cues", "size" and "name".
// Main thread only: MIDI batches and keys reach the model there.
class Cart final : public KivArchivable {
public:
    static constexpr std::size_t kNotFound = CartGrid::kNotFound;
    using Cues = std::map<std::size_t, std::shared_ptr<AudioCue>>;

    // An empty name and a 4 x 4 grid.
    Cart();
    // Hard-stops every cue and clears its cart.
    ~Cart() override;
    Cart(const Cart&) = delete;
    Cart& operator=(const Cart&) = delete;

    // Set and cleared by the workspace; not owned.
    Workspace* workspace() const;
    void setWorkspace(Workspace* workspace);

    const std::string& name() const;
    void setName(std::string name);
    ChangeSignal<std::string>& nameChanged();

    CartSize size() const;
    // Each side is clamped to 1..5. Cues that fall outside are hard-stopped
    // and marked dead, with one warning in the workspace's log; the others
    // are revived.
    void setSize(CartSize size);
    ChangeSignal<CartSize>& sizeChanged();

    // Keyed by internal index, in ascending order.
    const Cues& cues() const;
    std::size_t count() const;
    bool isEmpty() const;

    std::size_t internalIndexForIndex(std::size_t index) const;
    std::size_t indexForInternalIndex(std::size_t internalIndex) const;
    bool isInternalIndexOutsideOfGrid(std::size_t internalIndex) const;
    // Empty for an index that names no internal index.
    std::string defaultHotkeyForIndex(std::size_t index) const;

    // Visible indexes unless the name says internal; nullptr when empty.
    std::shared_ptr<AudioCue> cueAtIndex(std::size_t index) const;
    std::shared_ptr<AudioCue> cueAtInternalIndex(std::size_t internalIndex) const;
    // Places the cue (its cart := this, dead when outside the grid),
    // hard-stopping and releasing the cue it replaces. A cue already in this
    // cart moves and plays on; one of another cart is removed from it first.
    // False, with nothing changed, for an index that names no internal index
    // or a null cue.
    bool setCue(std::shared_ptr<AudioCue> cue, std::size_t index);
    // The cue at `from` goes to `to` and the one at `to`, if any, to `from`;
    // both play on. False, with nothing changed, when `from` is empty or
    // either index names no internal index.
    bool swapCuesAtIndexes(std::size_t from, std::size_t to);
    // Hard-stops the cue and clears its cart.
    void removeCueAtInternalIndex(std::size_t internalIndex);
    void removeCueAtIndex(std::size_t index);
    void removeCue(const AudioCue& cue);
    std::size_t internalIndexOfCue(const AudioCue& cue) const;
    std::size_t indexOfCue(const AudioCue& cue) const;

    // One message to every cue, dead ones included, in index order.
    void pauseCues();
    void resumeCues();
    void playCues();
    void stopCues();
    void hardStopCues();
    // duck / unduck to every cue (see AudioCue::duck); the workspace sends
    // them while a cue that ducks plays.
    void duckCues();
    void unduckCues();
    void panicCues();
    void updateCuesWithAudioDevice(const std::shared_ptr<KivAudioDevice>& device);
    // The whole batch to every cue (edit mode, and carts of unselected tabs).
    void processMIDIMessages(const MidiBatch& messages);

    // The hot keys in use; an empty one is no hot key and is left out.
    std::vector<std::string> shortcuts() const;
    // An empty shortcut matches nothing.
    void triggerDownWithShortcut(const std::string& shortcut);
    void triggerUpWithShortcut(const std::string& shortcut);
    std::vector<std::shared_ptr<AudioCue>> cuesWithShortcut(const std::string& shortcut) const;
    std::vector<std::shared_ptr<AudioCue>> cuesWithDownMIDI(const MidiMessage& message) const;
    std::vector<std::shared_ptr<AudioCue>> cuesWithUpMIDI(const MidiMessage& message) const;

    // "<cue name> (<file name>)" to the workspace's log.
    void logPlayOfCue(const AudioCue& cue);

    // Each problem once, in index order; a pair of cues is reported on the
    // first of the two.
    std::vector<SafetyConcern> potentialCueProblems() const;

    // Same name and size, a copy of every cue under the same internal index.
    std::shared_ptr<Cart> copy() const;
    // "Cart: <name> - <n> cues".
    std::string description() const;

    void encodeWithCoder(KivKeyedEncoder& coder) const override;
    // Sizes are clamped to 1..5, a missing or zero size becomes 5 x 4; cues
    // must lie under internal indexes 0..24.
    static std::shared_ptr<Cart> initWithCoder(const KivKeyedDecoder& coder);

private:
    void place(std::size_t internalIndex, std::shared_ptr<AudioCue> cue);
    // Once every cue is where it goes: a cue that moved within the cart
    // neither ends nor starts a duck on its way.
    void updateWorkspaceDucking();
    template <typename Action>
    void forEachCue(Action action) const;
    template <typename Predicate>
    std::vector<std::shared_ptr<AudioCue>> cuesWhere(Predicate matches) const;

    Workspace* _workspace = nullptr;
    std::string _name;
    CartSize _size;
    Cues _cues;
    ChangeSignal<std::string> _nameChanged;
    ChangeSignal<CartSize> _sizeChanged;
};
