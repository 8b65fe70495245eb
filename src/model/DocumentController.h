#pragma once

#include "audio/core/KivError.h"
#include "foundation/MainRunLoop.h"
#include "foundation/Scheduler.h"
#include "model/PackageWriter.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class BackgroundSave;
class Document;

// Keeps the open documents and runs their new, open, save, save as, revert
// and close. Packages are folders. A save takes the document's contents on the
// main thread and writes them on a thread of its own; one save of a document
// runs at a time, and reverting or closing waits for it. Main thread.
class DocumentController {
public:
    using DocumentFactory = std::function<std::shared_ptr<Document>()>;
    // Main thread; an empty error on success.
    using SaveCompletion = std::function<void(const KivError&)>;

    explicit DocumentController(DocumentFactory factory, PackageWriter writer = PackageWriter{},
                                Scheduler& scheduler = MainRunLoop::scheduler());
    // Closes every document.
    ~DocumentController();
    DocumentController(const DocumentController&) = delete;
    DocumentController& operator=(const DocumentController&) = delete;

    // In the order they were opened.
    const std::vector<std::shared_ptr<Document>>& documents() const { return _documents; }
    // The document open for the package, however its path is spelled
    // (trailing "/", "..", a symbolic link).
    std::shared_ptr<Document> documentForPath(const std::string& path) const;

    // `prepare`, when given, sees the new document before it is initialised.
    std::shared_ptr<Document> newDocument(const std::function<void(Document&)>& prepare = {});
    // The document already open for the path, or a new one read from it under
    // its canonical path; nullptr with `error` when the package cannot be read.
    std::shared_ptr<Document> openDocument(const std::string& path, KivError& error);

    // Saves to the document's own file; an untitled document needs saveDocumentAs.
    // The completion runs when the package is written or the save has failed.
    // A package another program has changed since the document last read or
    // wrote it is left as it is, and the save fails with code 8
    // (SavingError::kChangedOnDisk), unless `overwritingChanges`.
    void saveDocument(Document& document, SaveCompletion completion = {},
                      bool overwritingChanges = false);
    // Saves to `path`, which becomes the document's file (canonical) once the
    // save succeeds. Refused (code 2, naming the package) when the package is,
    // or holds, one that another open document uses.
    void saveDocumentAs(Document& document, const std::string& path,
                        SaveCompletion completion = {});
    bool isSaving(const Document& document) const;
    // Waits for the document's running save and completes it.
    void finishSaving(Document& document);

    // Reads the document's file again, dropping its edits and undo steps.
    bool revertDocument(Document& document, KivError& error);
    void closeDocument(Document& document);

private:
    // `expected`: the state the package's "document" must be in (in place).
    void save(Document& document, const std::string& path, SaveCompletion completion,
              std::optional<FileOperations::FileState> expected);
    // Another open document whose package is at, or below, the path.
    const Document* otherDocumentAt(const Document& document,
                                    const std::string& canonicalPath) const;

    DocumentFactory _factory;
    PackageWriter _writer;
    Scheduler& _scheduler;
    std::vector<std::shared_ptr<Document>> _documents;
    std::map<const Document*, std::unique_ptr<BackgroundSave>> _saves;
};
