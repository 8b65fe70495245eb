#pragma once

#include "foundation/KivArchivable.h"
#include "model/DeviceRGBColor.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class KivKeyedDecoder;

// A cue's colour: a named pair of stops that the cell draws as a vertical
// gradient from the start to the end colour. An immutable value, so any
// thread may read it. Archived as "PondraColor" with the keys "name",
// "startColor" and "endColor"; a stored colour keeps its own stops even if
// the palette changes.
class PondraColor : public KivArchivable {
public:
    PondraColor(std::string name, DeviceRGBColor startColor, DeviceRGBColor endColor);

    // The palette. A cue without a colour of its own has the default one.
    static PondraColor defaultColor();
    static PondraColor redColor();
    static PondraColor orangeColor();
    static PondraColor blueColor();
    static PondraColor lightblueColor();
    static PondraColor yellowColor();
    static PondraColor greenColor();
    static PondraColor purpleColor();

    // The eight palette names in menu order.
    static const std::vector<std::string>& colors();
    // The palette colour whose name equals `name` without regard to case;
    // the default colour for any other name.
    static PondraColor colorWithName(std::string_view name);

    const std::string& name() const { return _name; }
    const DeviceRGBColor& startColor() const { return _startColor; }
    const DeviceRGBColor& endColor() const { return _endColor; }

    // Colours are equal when their names are, whatever their stops.
    bool isEqualToColor(const PondraColor& other) const { return _name == other._name; }
    bool operator==(const PondraColor& other) const { return isEqualToColor(other); }

    // "PondraColor: <name>".
    std::string description() const;

    void encodeWithCoder(KivKeyedEncoder& coder) const override;
    // A missing or empty name, or a stop that is not a dictionary of four
    // components in 0..1, fails the archive. A missing stop is taken from the
    // palette colour of the stored name, which is kept as it stands.
    static std::shared_ptr<PondraColor> initWithCoder(const KivKeyedDecoder& coder);

private:
    std::string _name;
    DeviceRGBColor _startColor;
    DeviceRGBColor _endColor;
};
