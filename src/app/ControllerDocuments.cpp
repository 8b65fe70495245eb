#include "app/ControllerDocuments.h"

#include "model/Document.h"
#include "model/DocumentController.h"

class ControllerDocuments::Entry final : public ApplicationDocument {
public:
    Entry(std::shared_ptr<Document> document, const WindowControllerOf& windowControllerOf)
        : _document(std::move(document))
        , _windowControllerOf(windowControllerOf) {}

    MidiBatchProcessor* firstWindowController() const override {
        return _windowControllerOf ? _windowControllerOf(*_document) : nullptr;
    }
    UndoManager& undoManager() override { return _document->undoManager(); }

private:
    std::shared_ptr<Document> _document;
    const WindowControllerOf& _windowControllerOf;
};

ControllerDocuments::ControllerDocuments(const DocumentController& controller,
                                         WindowControllerOf windowControllerOf)
    : _controller(controller)
    , _windowControllerOf(std::move(windowControllerOf)) {}

ControllerDocuments::~ControllerDocuments() = default;

std::vector<ApplicationDocument*> ControllerDocuments::documents() const {
    std::map<const Document*, std::unique_ptr<Entry>> kept;
    std::vector<ApplicationDocument*> open;
    for (const auto& document : _controller.documents()) {
        auto entry = _entries.extract(document.get());
        auto& slot = kept[document.get()];
        slot = entry ? std::move(entry.mapped())
                     : std::make_unique<Entry>(document, _windowControllerOf);
        open.push_back(slot.get());
    }
    _entries = std::move(kept);
    return open;
}
