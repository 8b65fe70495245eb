#include "model/Cart.h"

#include "foundation/KivClassRegistry.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "foundation/ThreadRole.h"
#include "model/AudioCue.h"
#include "model/PondraLogger.h"
#include "model/SafetyConcern.h"
#include "model/Workspace.h"
#include "model/WorkspaceSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace {

const bool registered = [] {
    KivClassRegistry::shared().registerClass<Cart>("Pondra");
    return true;
}();

constexpr const char* kOutsideOfGridWarning =
    "Warning: At least one cue is outside of the grid. Change grid to find it.";

// A new cart's grid, and an archive's that has none.
constexpr CartSize kArchivedDefaultSize{5, 4};

std::string lastPathComponent(const std::string& path) {
    const std::size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) {
        return path.empty() ? std::string() : std::string("/");
    }
    const std::size_t slash = path.rfind('/', end);
    const std::size_t first = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(first, end + 1 - first);
}

// False, with the archive failed, for anything but a dictionary of two finite numbers.
bool decodeSize(const KivKeyedDecoder& coder, CartSize& size) {
    if (!coder.containsValueForKey("size")) {
        size = kArchivedDefaultSize;
        return true;
    }
    const nlohmann::json stored = coder.decodeValueForKey("size");
    const auto side = [&stored](const char* key, double& value) {
        if (!stored.is_object() || !stored.contains(key) || !stored[key].is_number()) {
            return false;
        }
        value = stored[key].get<double>();
        return std::isfinite(value);
    };
    double width = 0;
    double height = 0;
    if (!side("width", width) || !side("height", height)) {
        coder.failWithError("Pondra: size is not a dictionary of a finite width and height");
        return false;
    }
    if (width == 0 && height == 0) {
        size = kArchivedDefaultSize;
        return true;
    }
    const auto rounded = [](double value) {
        return static_cast<int>(std::clamp(std::round(value), 1.0, 5.0));
    };
    size = {rounded(width), rounded(height)};
    return true;
}

} // namespace

Cart::Cart() = default;

Cart::~Cart() {
    for (const auto& [internalIndex, cue] : _cues) {
        cue->hardStop();
        cue->setCart(nullptr);
    }
}

Workspace* Cart::workspace() const {
    return _workspace;
}

void Cart::setWorkspace(Workspace* workspace) {
    _workspace = workspace;
}

const std::string& Cart::name() const {
    return _name;
}

void Cart::setName(std::string name) {
    if (name == _name) {
        return;
    }
    std::string old = std::exchange(_name, std::move(name));
    _nameChanged.emit(old, _name);
}

ChangeSignal<std::string>& Cart::nameChanged() {
    return _nameChanged;
}

CartSize Cart::size() const {
    return _size;
}

void Cart::setSize(CartSize size) {
    assertMainThread();
    size = CartGrid::clampedSize(size);
    if (size == _size) {
        return;
    }
    const CartSize old = std::exchange(_size, size);
    bool warned = false;
    for (const auto& [internalIndex, cue] : Cues(_cues)) {
        if (!isInternalIndexOutsideOfGrid(internalIndex)) {
            cue->setDead(false);
            continue;
        }
        cue->hardStop();
        cue->setDead(true);
        if (!warned && _workspace != nullptr && _workspace->logger()) {
            _workspace->logger()->appendLog(kOutsideOfGridWarning);
        }
        warned = true;
    }
    _sizeChanged.emit(old, _size);
}

ChangeSignal<CartSize>& Cart::sizeChanged() {
    return _sizeChanged;
}

const Cart::Cues& Cart::cues() const {
    return _cues;
}

std::size_t Cart::count() const {
    return _cues.size();
}

bool Cart::isEmpty() const {
    return _cues.empty();
}

std::size_t Cart::internalIndexForIndex(std::size_t index) const {
    return CartGrid::internalIndexForIndex(index, _size);
}

std::size_t Cart::indexForInternalIndex(std::size_t internalIndex) const {
    return CartGrid::indexForInternalIndex(internalIndex, _size);
}

bool Cart::isInternalIndexOutsideOfGrid(std::size_t internalIndex) const {
    return CartGrid::isInternalIndexOutsideOfGrid(internalIndex, _size);
}

std::string Cart::defaultHotkeyForIndex(std::size_t index) const {
    return CartGrid::defaultHotkeyForInternalIndex(internalIndexForIndex(index));
}

std::shared_ptr<AudioCue> Cart::cueAtIndex(std::size_t index) const {
    return cueAtInternalIndex(internalIndexForIndex(index));
}

std::shared_ptr<AudioCue> Cart::cueAtInternalIndex(std::size_t internalIndex) const {
    const auto found = _cues.find(internalIndex);
    return found == _cues.end() ? nullptr : found->second;
}

bool Cart::setCue(std::shared_ptr<AudioCue> cue, std::size_t index) {
    assertMainThread();
    const std::size_t internalIndex = internalIndexForIndex(index);
    if (!cue || internalIndex == kNotFound) {
        return false;
    }
    const auto replaced = _cues.find(internalIndex);
    if (replaced != _cues.end() && replaced->second == cue) {
        return true;
    }
    // The replaced cue goes first: while it stops, a moving cue that ducks
    // is still in the cart and holds its duck.
    if (replaced != _cues.end()) {
        removeCueAtInternalIndex(internalIndex);
    }
    // A cue lives in one cell only; moving it within the cart keeps it playing.
    if (const std::size_t previous = internalIndexOfCue(*cue); previous != kNotFound) {
        _cues.erase(previous);
    } else if (Cart* other = cue->cart(); other != nullptr && other != this) {
        other->removeCue(*cue);
    }
    place(internalIndex, std::move(cue));
    // A cue placed while another ducks plays ducked.
    updateWorkspaceDucking();
    return true;
}

bool Cart::swapCuesAtIndexes(std::size_t from, std::size_t to) {
    assertMainThread();
    const std::size_t fromInternal = internalIndexForIndex(from);
    const std::size_t toInternal = internalIndexForIndex(to);
    if (fromInternal == kNotFound || toInternal == kNotFound || !_cues.contains(fromInternal)) {
        return false;
    }
    std::shared_ptr<AudioCue> moving = std::move(_cues[fromInternal]);
    _cues.erase(fromInternal);
    if (const auto occupant = _cues.find(toInternal); occupant != _cues.end()) {
        std::shared_ptr<AudioCue> swapped = std::move(occupant->second);
        _cues.erase(occupant);
        place(fromInternal, std::move(swapped));
    }
    place(toInternal, std::move(moving));
    updateWorkspaceDucking();
    return true;
}

void Cart::place(std::size_t internalIndex, std::shared_ptr<AudioCue> cue) {
    cue->setCart(this);
    cue->setDead(isInternalIndexOutsideOfGrid(internalIndex));
    _cues[internalIndex] = std::move(cue);
}

void Cart::updateWorkspaceDucking() {
    if (_workspace != nullptr) {
        _workspace->updateCueDucking();
    }
}

void Cart::removeCueAtInternalIndex(std::size_t internalIndex) {
    assertMainThread();
    const auto found = _cues.find(internalIndex);
    if (found == _cues.end()) {
        return;
    }
    const std::shared_ptr<AudioCue> cue = std::move(found->second);
    _cues.erase(found);
    cue->hardStop();
    cue->setCart(nullptr);
    // Out of the workspace, nothing ducks it.
    cue->unduck();
}

void Cart::removeCueAtIndex(std::size_t index) {
    removeCueAtInternalIndex(internalIndexForIndex(index));
}

void Cart::removeCue(const AudioCue& cue) {
    removeCueAtInternalIndex(internalIndexOfCue(cue));
}

std::size_t Cart::internalIndexOfCue(const AudioCue& cue) const {
    for (const auto& [internalIndex, placed] : _cues) {
        if (placed.get() == &cue) {
            return internalIndex;
        }
    }
    return kNotFound;
}

std::size_t Cart::indexOfCue(const AudioCue& cue) const {
    const std::size_t internalIndex = internalIndexOfCue(cue);
    if (internalIndex == kNotFound) {
        return kNotFound;
    }
    // A dead cue's row may lie below the grid; its index then names no cell.
    return indexForInternalIndex(internalIndex);
}

template <typename Action>
void Cart::forEachCue(Action action) const {
    // A snapshot: a cue's answer may reach back into the cart.
    for (const auto& [internalIndex, cue] : Cues(_cues)) {
        action(*cue);
    }
}

void Cart::pauseCues() {
    assertMainThread();
    forEachCue([](AudioCue& cue) { cue.pause(); });
}

void Cart::resumeCues() {
    assertMainThread();
    forEachCue([](AudioCue& cue) { cue.resume(); });
}

void Cart::playCues() {
    assertMainThread();
    forEachCue([](AudioCue& cue) { cue.play(); });
}

void Cart::stopCues() {
    assertMainThread();
    forEachCue([](AudioCue& cue) { cue.stop(); });
}

void Cart::hardStopCues() {
    assertMainThread();
    forEachCue([](AudioCue& cue) { cue.hardStop(); });
}

void Cart::duckCues() {
    assertMainThread();
    forEachCue([](AudioCue& cue) { cue.duck(); });
}

void Cart::unduckCues() {
    assertMainThread();
    forEachCue([](AudioCue& cue) { cue.unduck(); });
}

void Cart::panicCues() {
    assertMainThread();
    forEachCue([](AudioCue& cue) { cue.panic(); });
}

void Cart::updateCuesWithAudioDevice(const std::shared_ptr<KivAudioDevice>& device) {
    assertMainThread();
    forEachCue([&device](AudioCue& cue) { cue.setAudioDevice(device); });
}

void Cart::processMIDIMessages(const MidiBatch& messages) {
    assertMainThread();
    forEachCue([&messages](AudioCue& cue) { cue.handleMIDIMessages(messages); });
}

std::vector<std::string> Cart::shortcuts() const {
    std::vector<std::string> result;
    for (const auto& [internalIndex, cue] : _cues) {
        if (!cue->hotkey().empty()) {
            result.push_back(cue->hotkey());
        }
    }
    return result;
}

void Cart::triggerDownWithShortcut(const std::string& shortcut) {
    assertMainThread();
    for (const auto& cue : cuesWithShortcut(shortcut)) {
        cue->triggerDown();
    }
}

void Cart::triggerUpWithShortcut(const std::string& shortcut) {
    assertMainThread();
    for (const auto& cue : cuesWithShortcut(shortcut)) {
        cue->triggerUp();
    }
}

template <typename Predicate>
std::vector<std::shared_ptr<AudioCue>> Cart::cuesWhere(Predicate matches) const {
    std::vector<std::shared_ptr<AudioCue>> result;
    for (const auto& [internalIndex, cue] : _cues) {
        if (matches(*cue)) {
            result.push_back(cue);
        }
    }
    return result;
}

std::vector<std::shared_ptr<AudioCue>> Cart::cuesWithShortcut(const std::string& shortcut) const {
    return cuesWhere(
        [&shortcut](const AudioCue& cue) { return !shortcut.empty() && cue.hotkey() == shortcut; });
}

std::vector<std::shared_ptr<AudioCue>> Cart::cuesWithDownMIDI(const MidiMessage& message) const {
    return cuesWhere([&message](const AudioCue& cue) { return cue.matchesForMIDIDown(message); });
}

std::vector<std::shared_ptr<AudioCue>> Cart::cuesWithUpMIDI(const MidiMessage& message) const {
    return cuesWhere([&message](const AudioCue& cue) { return cue.matchesForMIDIUp(message); });
}

void Cart::logPlayOfCue(const AudioCue& cue) {
    if (_workspace != nullptr && _workspace->logger()) {
        _workspace->logger()->appendLog(cue.name() + " (" + lastPathComponent(cue.file()) + ")");
    }
}

std::vector<SafetyConcern> Cart::potentialCueProblems() const {
    std::vector<std::string> workspaceHotkeys;
    if (_workspace != nullptr && _workspace->settings() != nullptr) {
        workspaceHotkeys = _workspace->settings()->hotkeys();
    }
    std::vector<SafetyConcern> concerns;
    for (auto visited = _cues.begin(); visited != _cues.end(); ++visited) {
        const auto& [internalIndex, cue] = *visited;
        if (cue->isBroken()) {
            concerns.emplace_back(cue, SafetyConcern::kBroken);
        }
        if (isInternalIndexOutsideOfGrid(internalIndex)) {
            concerns.emplace_back(cue, SafetyConcern::kOutsideGrid);
        }
        const std::string& hotkey = cue->hotkey();
        if (!hotkey.empty() && std::find(workspaceHotkeys.begin(), workspaceHotkeys.end(),
                                         hotkey) != workspaceHotkeys.end()) {
            concerns.emplace_back(cue, SafetyConcern::kWorkspaceHotkey);
        }
        // Each pair once, on the cue that comes first.
        for (auto other = std::next(visited); other != _cues.end(); ++other) {
            const std::shared_ptr<AudioCue>& otherCue = other->second;
            if (!hotkey.empty() && otherCue->hotkey() == hotkey) {
                concerns.emplace_back(cue, SafetyConcern::kSameHotkey);
                concerns.back().setOtherCue(otherCue);
            }
            // Matching reads only the note, so only the note can collide.
            if (cue->midiNote() && cue->midiNote() == otherCue->midiNote()) {
                concerns.emplace_back(cue, SafetyConcern::kSameMidiTrigger);
                concerns.back().setOtherCue(otherCue);
            }
        }
    }
    return concerns;
}

std::shared_ptr<Cart> Cart::copy() const {
    auto cart = std::make_shared<Cart>();
    cart->_size = _size;
    cart->_name = _name;
    for (const auto& [internalIndex, cue] : _cues) {
        cart->place(internalIndex, cue->copy());
    }
    return cart;
}

std::string Cart::description() const {
    return "Cart: " + _name + " - " + std::to_string(_cues.size()) + " cues";
}

void Cart::encodeWithCoder(KivKeyedEncoder& coder) const {
    std::map<std::int64_t, std::shared_ptr<AudioCue>> cues;
    for (const auto& [internalIndex, cue] : _cues) {
        cues.emplace(static_cast<std::int64_t>(internalIndex), cue);
    }
    coder.encodeObjects(cues, "cues");
    coder.encodeValue({{"width", _size.width}, {"height", _size.height}}, "size");
    coder.encodeString(_name, "name");
}

std::shared_ptr<Cart> Cart::initWithCoder(const KivKeyedDecoder& coder) {
    auto cart = std::make_shared<Cart>();
    if (!decodeSize(coder, cart->_size)) {
        return nullptr;
    }
    if (coder.containsValueForKey("name")) {
        cart->_name = coder.decodeStringForKey("name", Cue::kMaximumNameSize);
    }
    for (auto& [index, cue] :
         coder.decodeObjectDictionaryForKey<AudioCue>("cues", CartGrid::kInternalSlots)) {
        if (index < 0 || index >= static_cast<std::int64_t>(CartGrid::kInternalSlots)) {
            coder.failWithError("Pondra: a cue lies beyond the 25 cells of a cart");
            return nullptr;
        }
        cart->place(static_cast<std::size_t>(index), std::move(cue));
    }
    if (coder.failed()) {
        return nullptr;
    }
    return cart;
}
