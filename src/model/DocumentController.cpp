#include "model/DocumentController.h"

#include "foundation/ThreadRole.h"
#include "model/BackgroundSave.h"
#include "model/Document.h"
#include "model/SaveProgress.h"
#include "model/SavingError.h"
#include "platform/files/PathIdentity.h"

#include <algorithm>

DocumentController::DocumentController(DocumentFactory factory, PackageWriter writer,
                                       Scheduler& scheduler)
    : _factory(std::move(factory))
    , _writer(std::move(writer))
    , _scheduler(scheduler) {}

DocumentController::~DocumentController() {
    while (!_documents.empty()) {
        closeDocument(*_documents.back());
    }
}

std::shared_ptr<Document> DocumentController::documentForPath(const std::string& path) const {
    const std::string canonical = PathIdentity::canonicalPath(path);
    for (const auto& document : _documents) {
        const std::string& open = document->filePath();
        if (!open.empty() && (PathIdentity::canonicalPath(open) == canonical ||
                              PathIdentity::isSameItem(open, canonical))) {
            return document;
        }
    }
    return nullptr;
}

const Document* DocumentController::otherDocumentAt(const Document& document,
                                                    const std::string& canonicalPath) const {
    for (const auto& open : _documents) {
        if (open.get() == &document || open->filePath().empty()) {
            continue;
        }
        const std::string openPath = PathIdentity::canonicalPath(open->filePath());
        if (openPath == canonicalPath || PathIdentity::isSameItem(openPath, canonicalPath) ||
            PathIdentity::isBelow(openPath, canonicalPath)) {
            return open.get();
        }
    }
    return nullptr;
}

std::shared_ptr<Document>
DocumentController::newDocument(const std::function<void(Document&)>& prepare) {
    assertMainThread();
    auto document = _factory();
    if (prepare) {
        prepare(*document);
    }
    document->initializeUntitled();
    _documents.push_back(document);
    return document;
}

std::shared_ptr<Document> DocumentController::openDocument(const std::string& path,
                                                           KivError& error) {
    assertMainThread();
    if (auto open = documentForPath(path)) {
        return open;
    }
    const std::string canonical = PathIdentity::canonicalPath(path);
    auto document = _factory();
    document->undoManager().disableUndoRegistration();
    const bool read = document->readFromPackage(canonical, error);
    document->undoManager().enableUndoRegistration();
    if (!read) {
        document->close();
        return nullptr;
    }
    document->setFilePath(canonical);
    _documents.push_back(document);
    return document;
}

void DocumentController::saveDocument(Document& document, SaveCompletion completion,
                                      bool overwritingChanges) {
    assertMainThread();
    if (document.filePath().empty()) {
        const KivError error = SavingError::notAFile("(untitled)");
        if (completion) {
            completion(error);
        }
        return;
    }
    finishSaving(document);
    save(document, document.filePath(), std::move(completion),
         overwritingChanges ? std::nullopt : document.diskState());
}

void DocumentController::saveDocumentAs(Document& document, const std::string& requestedPath,
                                        SaveCompletion completion) {
    assertMainThread();
    finishSaving(document);
    save(document, requestedPath, std::move(completion), std::nullopt);
}

void DocumentController::save(Document& document, const std::string& requestedPath,
                              SaveCompletion completion,
                              std::optional<FileOperations::FileState> expected) {
    const std::string path = PathIdentity::canonicalPath(requestedPath);
    KivError error;
    std::optional<PackageContents> contents;
    // Replacing the package would take another document's media from under it.
    if (otherDocumentAt(document, path) != nullptr) {
        error = SavingError::packageInUse(path);
    } else {
        contents = document.contentsForSaving(error);
    }
    if (!contents) {
        if (completion) {
            completion(error);
        }
        return;
    }
    SaveProgress* progress = document.saveProgress();
    if (progress != nullptr) {
        progress->beginProgress("Saving");
    }
    // Edits made while the package is written are not in it.
    const int changeCount = document.undoManager().changeCount();
    auto finished = [this, &document, path, progress, changeCount,
                     completion = std::move(completion)](const KivError& result) {
        if (progress != nullptr) {
            progress->endProgress();
        }
        document.didSave(!result);
        if (!result) {
            // What this document wrote is what a later save in place expects.
            if (const auto save = _saves.find(&document); save != _saves.end()) {
                document.setDiskState(save->second->written());
            }
            // Saving in place too: the cues now find their media in the package.
            document.setFilePath(path);
            if (document.undoManager().changeCount() == changeCount) {
                document.undoManager().markSaved();
            }
        }
        document.saveEnded.emit();
        // The save object goes first; the completion may start the next save.
        _saves.erase(&document);
        if (completion) {
            completion(result);
        }
    };
    _saves[&document] = std::make_unique<BackgroundSave>(std::move(*contents), path, _writer,
                                                         std::move(finished), _scheduler, expected);
}

bool DocumentController::isSaving(const Document& document) const {
    return _saves.contains(&document);
}

void DocumentController::finishSaving(Document& document) {
    assertMainThread();
    if (auto save = _saves.find(&document); save != _saves.end()) {
        save->second->finish();
    }
}

bool DocumentController::revertDocument(Document& document, KivError& error) {
    assertMainThread();
    finishSaving(document);
    if (document.filePath().empty()) {
        error = SavingError::readFailed("(untitled)", "the document has no file");
        return false;
    }
    document.undoManager().disableUndoRegistration();
    const bool read = document.readFromPackage(document.filePath(), error);
    document.undoManager().enableUndoRegistration();
    if (read) {
        document.undoManager().removeAllActions();
        document.undoManager().markSaved();
    }
    return read;
}

void DocumentController::closeDocument(Document& document) {
    assertMainThread();
    finishSaving(document);
    const auto found =
        std::find_if(_documents.begin(), _documents.end(),
                     [&document](const auto& open) { return open.get() == &document; });
    if (found == _documents.end()) {
        return;
    }
    const std::shared_ptr<Document> closing = *found;
    _documents.erase(found);
    closing->close();
}
