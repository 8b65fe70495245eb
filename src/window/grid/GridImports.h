#pragma once

#include "window/grid/MediaImport.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class AudioCue;
class GridController;
class GridControllerDelegate;

// The imports into one cart's grid: files dropped on a slot, a cue pasted
// or dropped from elsewhere, a cart's media from another workspace. Media
// are read and copied on the import's own thread, one import at a time, the
// progress sheet showing it: a file is taken only when it is a regular
// audio file that opens, and a drop stops at the first file that is not,
// with one alert naming every file not added. GUI thread.
class GridImports {
public:
    GridImports(GridController& controller, GridControllerDelegate& delegate);
    // Cancels an import under way and waits for its worker.
    ~GridImports();
    GridImports(const GridImports&) = delete;
    GridImports& operator=(const GridImports&) = delete;

    // Into the first empty slot from the selection on, once its media are
    // checked and, unless the workspace holds them already, copied; an alert
    // when full, a beep while another import runs.
    void handlePasteCue(std::shared_ptr<AudioCue> cue);
    // A cue from elsewhere onto the slot, with a copy of its media; a beep
    // while another import runs or off the grid.
    void dropCue(std::shared_ptr<AudioCue> cue, std::size_t index);
    // From the slot on, each into the next empty slot.
    void dropFiles(const std::vector<std::string>& paths, std::size_t index,
                   bool withDefaultTriggers);
    // The cues' media outside the workspace are copied into it and the cues
    // re-pointed to the copies.
    void importForeignMedia();
    // The import under way, if any.
    MediaImport* currentImport() const { return _import.get(); }

private:
    std::size_t pasteTarget() const;
    void alertNoEmptySlot();
    // A pasted cue (no slot) or one dropped from elsewhere on `slot`.
    void importCue(std::shared_ptr<AudioCue> cue, std::optional<std::size_t> slot);
    void placeImportedCue(const std::shared_ptr<AudioCue>& cue, const std::string& taken,
                          std::optional<std::size_t> slot);
    // Places one imported copy at `slot`, which moves on to the next empty
    // one; false, with the reason, when it cannot be placed.
    bool placeImportedFile(const std::string& copy, std::size_t& slot, bool withDefaultTriggers,
                           std::string& reason);
    void startImport(std::vector<std::string> paths, MediaImport::Steps steps,
                     MediaImport::OnRefusal onRefusal);
    void finishImport(const MediaImport::Outcome& outcome);

    GridController& _controller;
    GridControllerDelegate& _delegate;
    std::unique_ptr<MediaImport> _import;
};
