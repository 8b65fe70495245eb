#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// The settings of a workspace's window, as the model reads them. The window
// implements it; without a window a workspace has no settings at all.
// Main thread.
class WorkspaceSettings {
public:
    virtual ~WorkspaceSettings() = default;
    // Seconds over which a panic fades its cues out.
    virtual double panicDuration() const = 0;
    // The keys of the workspace's own actions; a cue's hot key among them is a
    // safety concern.
    virtual std::vector<std::string> hotkeys() const = 0;
    // The state dictionary that the document saves and restores.
    virtual nlohmann::json state() const = 0;
    virtual void setState(const nlohmann::json& state) = 0;
};
