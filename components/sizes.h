// Sizes and points in pixels, the engine's own: the command line runs without
// the toolkit, and the window converts at its edge (components/qtbridge.h).
// Their defaults and tests are those of the toolkit's, so code moved between
// the two means the same: a default Size is invalid (-1 by -1), a Size with a
// side below 1 is empty.
#pragma once

namespace pictaron {

class Size {
public:
    constexpr Size() = default;
    constexpr Size(int width, int height) : width_(width), height_(height) {}

    constexpr int width() const { return width_; }
    constexpr int height() const { return height_; }
    constexpr void setWidth(int width) { width_ = width; }
    constexpr void setHeight(int height) { height_ = height; }
    constexpr bool isEmpty() const { return width_ < 1 || height_ < 1; }
    constexpr bool isValid() const { return width_ >= 0 && height_ >= 0; }
    constexpr bool isNull() const { return width_ == 0 && height_ == 0; }
    constexpr Size transposed() const { return {height_, width_}; }

    friend constexpr bool operator==(Size, Size) = default;

private:
    int width_ = -1;
    int height_ = -1;
};

class Point {
public:
    constexpr Point() = default;
    constexpr Point(int x, int y) : x_(x), y_(y) {}

    constexpr int x() const { return x_; }
    constexpr int y() const { return y_; }
    constexpr void setX(int x) { x_ = x; }
    constexpr void setY(int y) { y_ = y; }

    friend constexpr bool operator==(Point, Point) = default;

private:
    int x_ = 0;
    int y_ = 0;
};

} // namespace pictaron
