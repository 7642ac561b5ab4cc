#pragma once

namespace gyrelle::platform {

struct Point {
    float x = 0;
    float y = 0;
};

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// In view points: origin top left, y growing downward.
struct Rect {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
    bool contains(Point p) const {
        return p.x >= x && p.y >= y && p.x < x + width && p.y < y + height;
    }
};

// In pixels of a GL surface: origin bottom left.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

struct Color {
    float red = 0;
    float green = 0;
    float blue = 0;
    float alpha = 0;
};

// Where content of `points` keeps its shape, centred and as large as fits in a
// surface of `pixels` (the rest is letterbox).
PixelRect letterbox(Size pixels, Size points);

}  // namespace gyrelle::platform
