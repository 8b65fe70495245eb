#pragma once

#include "platform/midi/MidiMessage.h"

#include <vector>

class UndoManager;

// What the application needs of a workspace's window controller; the window
// controller implements it.
class MidiBatchProcessor {
public:
    virtual ~MidiBatchProcessor() = default;
    // GUI thread. Receives each batch whole.
    virtual void processMIDIMessages(const MidiBatch& messages) = 0;
};

// What the application needs of one open document.
class ApplicationDocument {
public:
    virtual ~ApplicationDocument() = default;
    // GUI thread. Null while the document has no window.
    virtual MidiBatchProcessor* firstWindowController() const = 0;
    virtual UndoManager& undoManager() = 0;
};

// The open documents as the document controller keeps them; the document
// controller implements it.
class ApplicationDocuments {
public:
    virtual ~ApplicationDocuments() = default;
    // GUI thread. Every open document, in the controller's order; the
    // pointers are valid until control returns to the event loop.
    virtual std::vector<ApplicationDocument*> documents() const = 0;
};
