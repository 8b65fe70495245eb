#pragma once

struct KivPoint {
    float x = 0;
    float y = 0;
};

struct KivRect {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};

// {x + dx, y + dy, width - 2 dx, height - 2 dy}
KivRect InsetRectByXY(KivRect rect, float dx, float dy);
float DistanceBetweenPoints(KivPoint a, KivPoint b);
