// Points, rectangles and colours as the system uses them.
#pragma once

#include <algorithm>
#include <cstdint>

namespace plat {

// 0x00BBGGRR colour values.
using Color = uint32_t;
constexpr Color Rgb(int r, int g, int b) {
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(Color c) {
    return c & 0xFF;
}
constexpr int GreenOf(Color c) {
    return (c >> 8) & 0xFF;
}
constexpr int BlueOf(Color c) {
    return (c >> 16) & 0xFF;
}

struct Point {
    int x = 0;
    int y = 0;
};

// right and bottom are exclusive, as in the platform the system was written for.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    Rect Intersect(const Rect& o) const {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
               std::min(bottom, o.bottom)};
        if (r.IsEmpty())
            return Rect{};
        return r;
    }
    bool Intersects(const Rect& o) const { return !Intersect(o).IsEmpty(); }
    Rect Union(const Rect& o) const {
        if (IsEmpty())
            return o;
        if (o.IsEmpty())
            return *this;
        return Rect{std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
                    std::max(bottom, o.bottom)};
    }
    Rect Offset(int dx, int dy) const { return Rect{left + dx, top + dy, right + dx, bottom + dy}; }
    Rect Inflate(int dx, int dy) const {
        return Rect{left - dx, top - dy, right + dx, bottom + dy};
    }
    bool operator==(const Rect& o) const = default;
};

}  // namespace plat
