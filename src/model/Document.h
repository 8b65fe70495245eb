#pragma once

#include "audio/core/KivError.h"
#include "foundation/Signal.h"
#include "model/PackageContents.h"
#include "platform/files/FileOperations.h"
#include "platform/undo/UndoManager.h"

#include <optional>
#include <string>

class SaveProgress;

// One open document as the DocumentController handles it: a package folder
// on disk, an undo manager whose change count tells whether it is edited, and
// the model behind it. Main thread.
class Document {
public:
    virtual ~Document() = default;

    UndoManager& undoManager() { return _undoManager; }
    const UndoManager& undoManager() const { return _undoManager; }
    bool isDocumentEdited() const { return _undoManager.hasUnsavedChanges(); }

    // Empty while the document is untitled.
    const std::string& filePath() const { return _filePath; }
    // The package's "document" as this document last read or wrote it; none
    // before either. A save in place that finds it otherwise asks first.
    const std::optional<FileOperations::FileState>& diskState() const { return _diskState; }
    void setDiskState(std::optional<FileOperations::FileState> state) {
        _diskState = std::move(state);
    }
    // After a save under a new name or a move.
    virtual void setFilePath(const std::string& path) { _filePath = path; }
    // "Untitled", or the package's name without its extension.
    std::string displayName() const;

    // A new document that is not read from a file.
    virtual void initializeUntitled() {}
    // Replaces the model with the package's; on failure the model is unchanged
    // and `error` holds a "Saving" error of code 1.
    virtual bool readFromPackage(const std::string& path, KivError& error) = 0;
    // Takes what the package is written from, with the names media get in the
    // package; nullopt with `error` when the document cannot be saved.
    virtual std::optional<PackageContents> contentsForSaving(KivError& error) = 0;
    // Ends the save that contentsForSaving began: a success applies its media
    // names, a failure leaves the model as it was.
    virtual void didSave(bool success) = 0;
    // Null while there is no window to show the progress in.
    virtual SaveProgress* saveProgress() { return nullptr; }
    // Before the document goes: releases what it holds outside itself.
    virtual void close() {}

    // A save has ended, well or not: its name and edited state are current.
    Signal<> saveEnded;

private:
    UndoManager _undoManager;
    std::string _filePath;
    std::optional<FileOperations::FileState> _diskState;
};
