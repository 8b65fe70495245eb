#pragma once

#include "app/ApplicationDocuments.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

class Document;
class DocumentController;

// The document controller's open documents as the application reaches them.
// The window side tells which window controller belongs to a document.
// GUI thread.
class ControllerDocuments final : public ApplicationDocuments {
public:
    // Null for a document without a window.
    using WindowControllerOf = std::function<MidiBatchProcessor*(Document&)>;

    ControllerDocuments(const DocumentController& controller,
                        WindowControllerOf windowControllerOf);
    ~ControllerDocuments() override;

    std::vector<ApplicationDocument*> documents() const override;

private:
    class Entry;

    const DocumentController& _controller;
    WindowControllerOf _windowControllerOf;
    // One entry per open document; entries of closed documents go at the
    // next call, so the pointers handed out last stay valid until then.
    mutable std::map<const Document*, std::unique_ptr<Entry>> _entries;
};
