#include "audio/effects/KivEffectMenu.h"

#include "audio/effects/KivEffect.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"

#include <strings.h>

#include <algorithm>
#include <map>

namespace {

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
        const int order = strcasecmp(a.c_str(), b.c_str());
        return order != 0 ? order < 0 : a < b;
    }
};

} // namespace

std::optional<KivEffectMenu> menuOfAllEffectsByManufacturer(std::vector<KivEffectGroup>* storage) {
    if (storage == nullptr) {
        logLine("Error: menuOfAllEffectsByManufacturerAddedTo received invalid mutable array for "
                "storing effects.");
        return std::nullopt;
    }
    std::map<std::string, KivEffectGroup, CaseInsensitiveLess> groups;
    const bool reused = !storage->empty();
    if (reused) {
        for (const KivEffectGroup& group : *storage) {
            if (!group.empty()) {
                groups[group.front()->manufacturer()] = group;
            }
        }
    } else {
        for (std::uint32_t type : {kKivComponentTypeEffect, kKivComponentTypeMusicEffect}) {
            for (const auto& description :
                 KivAudioComponentDescription::componentDescriptionsOfType(type)) {
                std::shared_ptr<KivEffect> effect = KivEffect::effectWithDescription(description);
                if (!effect || effect->displayName().empty() || effect->manufacturer().empty()) {
                    if (KivEnvironment::logLevel() > 0) {
                        logFormat("Skipping over broken audio component: %s",
                                  description.name().c_str());
                    }
                    continue;
                }
                groups[effect->manufacturer()].push_back(std::move(effect));
            }
        }
    }
    if (KivEnvironment::logLevel() >= 3) {
        std::string text;
        for (const auto& [maker, group] : groups) {
            text += maker + ": " + std::to_string(group.size()) + " effects; ";
        }
        logFormat("manufacturer effects: %s", text.c_str());
    }
    KivEffectMenu menu;
    for (const auto& [maker, group] : groups) {
        if (!reused) {
            storage->push_back(group);
        }
        KivEffectMenu::Submenu submenu{maker, {}};
        for (const auto& effect : group) {
            if (effect->displayName().empty()) {
                effect->setDisplayName(effect->componentDescription().name());
            }
            submenu.items.push_back({effect->displayName(), effect});
        }
        menu.submenus.push_back(std::move(submenu));
    }
    return menu;
}
