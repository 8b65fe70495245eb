#include "model/PondraColor.h"

#include "foundation/KivClassRegistry.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"

#include <array>
#include <utility>

namespace {

const bool registered = [] {
    KivClassRegistry::shared().registerClass<PondraColor>("PondraColor");
    return true;
}();

constexpr const char* kComponentKeys[] = {"red", "green", "blue", "alpha"};

nlohmann::json storedStop(const DeviceRGBColor& color) {
    return {
        {"red", color.red}, {"green", color.green}, {"blue", color.blue}, {"alpha", color.alpha}};
}

// False, with the archive failed, for anything but four components in 0..1.
bool decodeStop(const KivKeyedDecoder& coder, const char* key, DeviceRGBColor& color) {
    const nlohmann::json stored = coder.decodeValueForKey(key);
    if (!stored.is_object()) {
        coder.failWithError(std::string("PondraColor: ") + key + " is not a dictionary");
        return false;
    }
    std::array<double, 4> components{};
    for (std::size_t i = 0; i < components.size(); ++i) {
        const auto it = stored.find(kComponentKeys[i]);
        if (it == stored.end() || !it->is_number()) {
            coder.failWithError(std::string("PondraColor: ") + key + "." + kComponentKeys[i] +
                                " is not a number");
            return false;
        }
        const double value = it->get<double>();
        if (!(value >= 0.0 && value <= 1.0)) {
            coder.failWithError(std::string("PondraColor: ") + key + "." + kComponentKeys[i] +
                                " is outside 0..1");
            return false;
        }
        components[i] = value;
    }
    color = {components[0], components[1], components[2], components[3]};
    return true;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The palette names are ASCII, so no other character can lower-case into one.
bool equalsIgnoringCase(std::string_view name, std::string_view paletteName) {
    if (name.size() != paletteName.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (asciiLower(name[i]) != paletteName[i]) {
            return false;
        }
    }
    return true;
}

using Factory = PondraColor (*)();

struct PaletteEntry {
    const char* name;
    Factory make;
};

// In menu order.
constexpr PaletteEntry kPalette[] = {
    {"default", &PondraColor::defaultColor},     {"red", &PondraColor::redColor},
    {"orange", &PondraColor::orangeColor},       {"blue", &PondraColor::blueColor},
    {"lightblue", &PondraColor::lightblueColor}, {"yellow", &PondraColor::yellowColor},
    {"green", &PondraColor::greenColor},         {"purple", &PondraColor::purpleColor},
};

} // namespace

PondraColor::PondraColor(std::string name, DeviceRGBColor startColor, DeviceRGBColor endColor)
    : _name(std::move(name))
    , _startColor(startColor)
    , _endColor(endColor) {}

PondraColor PondraColor::defaultColor() {
    return {"default", {0.733, 0.729, 0.729}, {0.569, 0.565, 0.565}};
}

PondraColor PondraColor::redColor() {
    return {"red", {0.945, 0.482, 0.482}, {0.776, 0.314, 0.314}};
}

PondraColor PondraColor::orangeColor() {
    return {"orange", {0.929, 0.737, 0.365}, {0.765, 0.573, 0.200}};
}

PondraColor PondraColor::blueColor() {
    return {"blue", {0.467, 0.600, 0.737}, {0.282, 0.416, 0.553}};
}

PondraColor PondraColor::lightblueColor() {
    return {"lightblue", {0.710, 0.835, 0.914}, {0.541, 0.667, 0.745}};
}

PondraColor PondraColor::yellowColor() {
    return {"yellow", {0.969, 0.973, 0.678}, {0.804, 0.808, 0.514}};
}

PondraColor PondraColor::greenColor() {
    return {"green", {0.655, 0.796, 0.616}, {0.486, 0.627, 0.447}};
}

PondraColor PondraColor::purpleColor() {
    return {"purple", {0.863, 0.612, 0.910}, {0.694, 0.443, 0.741}};
}

const std::vector<std::string>& PondraColor::colors() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const auto& entry : kPalette) {
            list.emplace_back(entry.name);
        }
        return list;
    }();
    return names;
}

PondraColor PondraColor::colorWithName(std::string_view name) {
    for (const auto& entry : kPalette) {
        if (equalsIgnoringCase(name, entry.name)) {
            return entry.make();
        }
    }
    return defaultColor();
}

std::string PondraColor::description() const {
    return "PondraColor: " + _name;
}

void PondraColor::encodeWithCoder(KivKeyedEncoder& coder) const {
    coder.encodeString(_name, "name");
    coder.encodeValue(storedStop(_startColor), "startColor");
    coder.encodeValue(storedStop(_endColor), "endColor");
}

std::shared_ptr<PondraColor> PondraColor::initWithCoder(const KivKeyedDecoder& coder) {
    std::string name = coder.decodeStringForKey("name");
    if (name.empty()) {
        coder.failWithError("PondraColor: no name");
        return nullptr;
    }
    const PondraColor palette = colorWithName(name);
    DeviceRGBColor startColor = palette.startColor();
    DeviceRGBColor endColor = palette.endColor();
    if (coder.containsValueForKey("startColor") && !decodeStop(coder, "startColor", startColor)) {
        return nullptr;
    }
    if (coder.containsValueForKey("endColor") && !decodeStop(coder, "endColor", endColor)) {
        return nullptr;
    }
    return std::make_shared<PondraColor>(std::move(name), startColor, endColor);
}
