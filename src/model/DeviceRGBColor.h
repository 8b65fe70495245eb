#pragma once

// One colour as device red, green and blue components with alpha, each 0..1.
// A plain value: any thread.
struct DeviceRGBColor {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 1.0;

    bool operator==(const DeviceRGBColor&) const = default;
};
