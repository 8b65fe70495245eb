#pragma once

#include "platform/effects/UridMap.h"

#include <lilv/lilv.h>

#include <memory>
#include <string>

// The URIs the host asks lilv about, made once per world.
struct Lv2Nodes {
    LilvNode* audioPort;
    LilvNode* controlPort;
    LilvNode* cvPort;
    LilvNode* atomPort;
    LilvNode* inputPort;
    LilvNode* outputPort;
    LilvNode* midiEvent;
    LilvNode* enabled;
    LilvNode* latency;
    LilvNode* reportsLatency;
    LilvNode* toggled;
    LilvNode* integer;
    LilvNode* logarithmic;
    LilvNode* enumeration;
    LilvNode* notOnGui;
    LilvNode* preset;
    LilvNode* label;
    LilvNode* stateInterface;
    LilvNode* inPlaceBroken;
};

// One loaded LV2 world: every bundle on LV2_PATH (lilv's default path when
// the variable is unset, read once when the world loads), the URID map its
// plugins share, and the URIs the host asks about. lilv is not thread-safe:
// everything here but urids() belongs to the main thread. Processors and
// catalogues keep the world alive through their shared pointer.
class Lv2World {
public:
    static std::shared_ptr<Lv2World> load();
    ~Lv2World();
    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;

    LilvWorld* lilv() const { return _world; }
    const LilvPlugins* plugins() const;
    // nullptr when no loaded bundle describes the URI.
    const LilvPlugin* plugin(const std::string& uri) const;
    const Lv2Nodes& nodes() const { return _nodes; }
    // Any thread.
    UridMap& urids() { return _urids; }

    // The first feature the plugin requires that this host cannot give, or
    // an empty text. Such a plugin is neither listed nor instantiated.
    std::string unsupportedRequiredFeature(const LilvPlugin* plugin) const;

private:
    Lv2World();

    LilvWorld* _world;
    Lv2Nodes _nodes;
    UridMap _urids;
};
