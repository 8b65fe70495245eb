#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

class KivEffect;

// The effects of one manufacturer, in the order they were made.
using KivEffectGroup = std::vector<std::shared_ptr<KivEffect>>;

// The menu of every installed effect, by manufacturer, that the cue
// inspector offers. Each item's effect is the one to copy into a cue.
struct KivEffectMenu {
    struct Item {
        std::string title; // the effect's display name
        std::shared_ptr<KivEffect> effect;
    };
    struct Submenu {
        std::string title; // the manufacturer
        std::vector<Item> items;
    };

    std::string title = "Effects";
    // The pull-down's title item; it has no action.
    std::string firstItem = "Add effect...";
    // In case-insensitive order of the manufacturers.
    std::vector<Submenu> submenus;
};

// Main thread. Makes an effect of every installed component of type 'aufx',
// then 'aumf', filed by manufacturer into `storage`, which the caller keeps:
// when it already holds groups they are reused and nothing is made again.
// Effects that cannot be made, or lack a display name or manufacturer, are
// skipped ("Skipping over broken audio component: %s" at log level above 0).
// A null storage is logged and gives nullopt.
std::optional<KivEffectMenu> menuOfAllEffectsByManufacturer(std::vector<KivEffectGroup>* storage);
