#pragma once

#include "app/ApplicationDocuments.h"
#include "platform/undo/UndoManager.h"

#include <functional>
#include <memory>
#include <string>
#include <thread>

// A window controller that records what reaches it, and where.
class RecordingWindowController : public MidiBatchProcessor {
public:
    struct Delivery {
        std::string receiver;
        std::thread::id thread;
        MidiBatch messages;
    };

    RecordingWindowController(std::string name, std::vector<Delivery>& deliveries)
        : _name(std::move(name))
        , _deliveries(deliveries) {}

    void processMIDIMessages(const MidiBatch& messages) override {
        _deliveries.push_back({_name, std::this_thread::get_id(), messages});
        if (afterDelivery) {
            afterDelivery();
        }
    }

    std::function<void()> afterDelivery;

private:
    std::string _name;
    std::vector<Delivery>& _deliveries;
};

class FakeDocument : public ApplicationDocument {
public:
    MidiBatchProcessor* firstWindowController() const override { return windowController.get(); }
    UndoManager& undoManager() override { return undo; }

    std::unique_ptr<RecordingWindowController> windowController;
    UndoManager undo;
};

class FakeDocuments : public ApplicationDocuments {
public:
    std::vector<ApplicationDocument*> documents() const override { return open; }
    std::vector<ApplicationDocument*> open;
};
