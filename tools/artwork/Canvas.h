// A small anti-aliasing rasteriser for the program's artwork.
//
// Everything is integer arithmetic so that the same source gives the same
// bytes with any compiler on any machine. Coordinates are in sub-units of
// 1/32 pixel; each pixel is sampled on a 16x16 grid whose points sit at odd
// sub-unit positions, so a horizontal or vertical edge placed on a
// sixteenth of a pixel never runs through a row of samples.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace artwork {

using Coord = std::int64_t;

constexpr Coord kSubUnits = 32;           // per pixel
constexpr int kSamplesPerAxis = 16;       // per pixel
constexpr int kSamplesPerPixel = kSamplesPerAxis * kSamplesPerAxis;

// Whole pixels plus sixteenths of a pixel, in sub-units.
constexpr Coord px(int whole, int sixteenths = 0)
{
    return Coord{whole} * kSubUnits + Coord{sixteenths} * 2;
}

struct Point {
    Coord x = 0;
    Coord y = 0;
};

struct Box {
    Coord x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// A region of the plane: a bounding box and a membership test.
struct Shape {
    Box box;
    std::function<bool(Coord, Coord)> contains;
};

Shape disc(Point centre, Coord radius);
Shape rect(Coord x0, Coord y0, Coord x1, Coord y1);
Shape roundRect(Coord x0, Coord y0, Coord x1, Coord y1, Coord radius);
// Convex polygon, vertices in either winding order.
Shape polygon(std::vector<Point> vertices);
// Every point within `radius` of the segment a-b.
Shape capsule(Point a, Point b, Coord radius);
// The convex polygon grown by `radius` with round corners.
Shape roundPolygon(const std::vector<Point>& vertices, Coord radius);
// The points to the right of the directed line a->b as seen on screen
// (y down), i.e. where cross(b - a, p - a) >= 0.
Shape halfPlane(Point a, Point b);

Shape translate(Shape shape, Coord dx, Coord dy);
Shape unite(Shape a, Shape b);
Shape intersect(Shape a, Shape b);

// Straight (not premultiplied) colour.
struct Colour {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

// A linear gradient from `from` at p0 to `to` at p1; solid when both match.
struct Paint {
    Colour from;
    Colour to;
    Point p0;
    Point p1;
};

Paint solid(Colour c);
Paint vertical(Colour top, Coord y0, Colour bottom, Coord y1);

// Square image of premultiplied colour, composited with "source over".
class Canvas {
public:
    explicit Canvas(int size);

    int size() const { return size_; }
    void fill(const Shape& shape, const Paint& paint);

    // Premultiplied blue, green, red, alpha; top row first.
    std::vector<std::uint8_t> bgra() const;

private:
    struct Pixel {
        std::int64_t b = 0, g = 0, r = 0, a = 0;
    };

    int size_;
    std::vector<Pixel> pixels_;
};

// Unit circle in 6 degree steps, scaled by 65536; step 0 points at twelve
// o'clock and steps run clockwise, as on a watch face.
Point onCircle(Point centre, Coord radius, int step);

} // namespace artwork
