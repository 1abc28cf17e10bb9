#include "tools/artwork/Canvas.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace artwork {

namespace {

// Far enough outside any image to stand for "unbounded".
constexpr Coord kFar = Coord{1} << 40;

Coord floorDiv(Coord a, Coord b)
{
    Coord q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

Coord cross(Point o, Point a, Point b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

Coord squaredDistance(Coord x, Coord y, Point p)
{
    return (x - p.x) * (x - p.x) + (y - p.y) * (y - p.y);
}

Box boundsOf(const std::vector<Point>& points)
{
    Box box{points.front().x, points.front().y, points.front().x, points.front().y};
    for (const Point& p : points) {
        box.x0 = std::min(box.x0, p.x);
        box.y0 = std::min(box.y0, p.y);
        box.x1 = std::max(box.x1, p.x);
        box.y1 = std::max(box.y1, p.y);
    }
    return box;
}

// Total of a channel value, kept at 255 * 255 * 256 per unit so that colour
// times alpha times sample coverage is exact; see Canvas::fill.
constexpr std::int64_t kFull = 255 * 255 * kSamplesPerPixel;

std::uint8_t toByte(std::int64_t v)
{
    return static_cast<std::uint8_t>((v * 255 + kFull / 2) / kFull);
}

std::uint8_t mix(std::uint8_t from, std::uint8_t to, Coord t, Coord den)
{
    return static_cast<std::uint8_t>((from * (den - t) + to * t + den / 2) / den);
}

Colour colourAt(const Paint& paint, Point p)
{
    const Coord dx = paint.p1.x - paint.p0.x;
    const Coord dy = paint.p1.y - paint.p0.y;
    const Coord den = dx * dx + dy * dy;
    if (den == 0)
        return paint.from;
    const Coord t = std::clamp((p.x - paint.p0.x) * dx + (p.y - paint.p0.y) * dy, Coord{0}, den);
    return Colour{mix(paint.from.r, paint.to.r, t, den), mix(paint.from.g, paint.to.g, t, den),
                  mix(paint.from.b, paint.to.b, t, den), mix(paint.from.a, paint.to.a, t, den)};
}

constexpr std::int32_t kSine[16] = {0,     6850,  13626, 20252, 26656, 32768, 38521, 43852,
                                    48703, 53020, 56756, 59870, 62328, 64104, 65177, 65536};

std::int32_t sine(int step)
{
    step = ((step % 60) + 60) % 60;
    if (step <= 15)
        return kSine[step];
    if (step <= 30)
        return kSine[30 - step];
    if (step <= 45)
        return -kSine[step - 30];
    return -kSine[60 - step];
}

Coord scaleBySine(Coord radius, std::int32_t s)
{
    const Coord v = radius * s;
    return v >= 0 ? (v + 32768) >> 16 : -((-v + 32768) >> 16);
}

} // namespace

Shape disc(Point centre, Coord radius)
{
    const Coord r2 = radius * radius;
    return {{centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius},
            [centre, r2](Coord x, Coord y) { return squaredDistance(x, y, centre) <= r2; }};
}

Shape rect(Coord x0, Coord y0, Coord x1, Coord y1)
{
    return roundRect(x0, y0, x1, y1, 0);
}

Shape roundRect(Coord x0, Coord y0, Coord x1, Coord y1, Coord radius)
{
    const Coord r2 = radius * radius;
    return {{x0, y0, x1, y1}, [=](Coord x, Coord y) {
                if (x < x0 || x > x1 || y < y0 || y > y1)
                    return false;
                const Coord dx = x < x0 + radius ? x0 + radius - x : (x > x1 - radius ? x - (x1 - radius) : 0);
                const Coord dy = y < y0 + radius ? y0 + radius - y : (y > y1 - radius ? y - (y1 - radius) : 0);
                return dx * dx + dy * dy <= r2;
            }};
}

Shape polygon(std::vector<Point> vertices)
{
    if (vertices.size() < 3)
        throw std::invalid_argument("polygon needs at least three vertices");
    Coord area = 0;
    for (std::size_t i = 1; i + 1 < vertices.size(); ++i)
        area += cross(vertices[0], vertices[i], vertices[i + 1]);
    const Coord sign = area < 0 ? -1 : 1;
    const Box box = boundsOf(vertices);
    return {box, [vertices = std::move(vertices), sign](Coord x, Coord y) {
                const Point p{x, y};
                for (std::size_t i = 0; i < vertices.size(); ++i) {
                    const Point& a = vertices[i];
                    const Point& b = vertices[(i + 1) % vertices.size()];
                    if (cross(a, b, p) * sign < 0)
                        return false;
                }
                return true;
            }};
}

Shape capsule(Point a, Point b, Coord radius)
{
    const Coord r2 = radius * radius;
    const Coord dx = b.x - a.x;
    const Coord dy = b.y - a.y;
    const Coord len2 = dx * dx + dy * dy;
    return {{std::min(a.x, b.x) - radius, std::min(a.y, b.y) - radius, std::max(a.x, b.x) + radius,
             std::max(a.y, b.y) + radius},
            [=](Coord x, Coord y) {
                const Coord t = (x - a.x) * dx + (y - a.y) * dy;
                if (t <= 0)
                    return squaredDistance(x, y, a) <= r2;
                if (t >= len2)
                    return squaredDistance(x, y, b) <= r2;
                const Coord c = dx * (y - a.y) - dy * (x - a.x);
                return c * c <= r2 * len2;
            }};
}

Shape roundPolygon(const std::vector<Point>& vertices, Coord radius)
{
    Shape shape = polygon(vertices);
    for (std::size_t i = 0; i < vertices.size(); ++i)
        shape = unite(std::move(shape), capsule(vertices[i], vertices[(i + 1) % vertices.size()], radius));
    return shape;
}

Shape halfPlane(Point a, Point b)
{
    return {{-kFar, -kFar, kFar, kFar}, [=](Coord x, Coord y) { return cross(a, b, Point{x, y}) >= 0; }};
}

Shape translate(Shape shape, Coord dx, Coord dy)
{
    const Box box{shape.box.x0 + dx, shape.box.y0 + dy, shape.box.x1 + dx, shape.box.y1 + dy};
    return {box, [inner = std::move(shape.contains), dx, dy](Coord x, Coord y) { return inner(x - dx, y - dy); }};
}

Shape unite(Shape a, Shape b)
{
    const Box box{std::min(a.box.x0, b.box.x0), std::min(a.box.y0, b.box.y0), std::max(a.box.x1, b.box.x1),
                  std::max(a.box.y1, b.box.y1)};
    return {box, [a = std::move(a.contains), b = std::move(b.contains)](Coord x, Coord y) {
                return a(x, y) || b(x, y);
            }};
}

Shape intersect(Shape a, Shape b)
{
    const Box box{std::max(a.box.x0, b.box.x0), std::max(a.box.y0, b.box.y0), std::min(a.box.x1, b.box.x1),
                  std::min(a.box.y1, b.box.y1)};
    return {box, [a = std::move(a.contains), b = std::move(b.contains)](Coord x, Coord y) {
                return a(x, y) && b(x, y);
            }};
}

Paint solid(Colour c)
{
    return {c, c, {}, {}};
}

Paint vertical(Colour top, Coord y0, Colour bottom, Coord y1)
{
    return {top, bottom, {0, y0}, {0, y1}};
}

Canvas::Canvas(int size) : size_(size), pixels_(static_cast<std::size_t>(size) * size)
{
    if (size <= 0)
        throw std::invalid_argument("canvas size must be positive");
}

void Canvas::fill(const Shape& shape, const Paint& paint)
{
    const Coord last = size_ - 1;
    const Coord px0 = std::max<Coord>(0, floorDiv(shape.box.x0, kSubUnits));
    const Coord py0 = std::max<Coord>(0, floorDiv(shape.box.y0, kSubUnits));
    const Coord px1 = std::min(last, floorDiv(shape.box.x1, kSubUnits));
    const Coord py1 = std::min(last, floorDiv(shape.box.y1, kSubUnits));
    for (Coord py = py0; py <= py1; ++py) {
        for (Coord pxl = px0; pxl <= px1; ++pxl) {
            std::int64_t covered = 0;
            for (int j = 0; j < kSamplesPerAxis; ++j) {
                const Coord y = py * kSubUnits + 2 * j + 1;
                for (int i = 0; i < kSamplesPerAxis; ++i) {
                    if (shape.contains(pxl * kSubUnits + 2 * i + 1, y))
                        ++covered;
                }
            }
            if (covered == 0)
                continue;
            const Colour c = colourAt(paint, {pxl * kSubUnits + kSubUnits / 2, py * kSubUnits + kSubUnits / 2});
            // Source over, premultiplied: colour <= 255 keeps every colour
            // total at or below the alpha total, and the shared floor
            // division below cannot reverse that order.
            const std::int64_t a = c.a * covered;
            const std::int64_t keep = kFull - 255 * a;
            Pixel& d = pixels_[static_cast<std::size_t>(py * size_ + pxl)];
            d.b = c.b * a + d.b * keep / kFull;
            d.g = c.g * a + d.g * keep / kFull;
            d.r = c.r * a + d.r * keep / kFull;
            d.a = 255 * a + d.a * keep / kFull;
        }
    }
}

std::vector<std::uint8_t> Canvas::bgra() const
{
    std::vector<std::uint8_t> out;
    out.reserve(pixels_.size() * 4);
    for (const Pixel& p : pixels_) {
        out.push_back(toByte(p.b));
        out.push_back(toByte(p.g));
        out.push_back(toByte(p.r));
        out.push_back(toByte(p.a));
    }
    return out;
}

Point onCircle(Point centre, Coord radius, int step)
{
    return {centre.x + scaleBySine(radius, sine(step)), centre.y - scaleBySine(radius, sine(step + 15))};
}

} // namespace artwork
