#include "Vornel3D_ToolBox/RecipeCanvas.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

double Clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

// Coverage of a pixel whose centre lies `distance` outside a shape's edge (negative inside).
double EdgeCoverage(double distance) { return Clamp01(0.5 - distance); }

// Signed distance from p to a box of half sizes (hx, hy) centred on the origin, with corners
// rounded by r.
double BoxDistance(double px, double py, double hx, double hy, double r)
{
    const double qx = std::fabs(px) - hx + r;
    const double qy = std::fabs(py) - hy + r;
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - r;
}

uint8_t ToByte(double v) { return uint8_t(std::lround(Clamp01(v) * 255.0)); }

// The colour at t along the stops, interpolated premultiplied.
RecipeColour StopColour(const std::vector<RecipeStop>& stops, double t)
{
    if (t <= stops.front().at)
        return stops.front().colour;
    if (t >= stops.back().at)
        return stops.back().colour;
    size_t i = 1;
    while (i + 1 < stops.size() && stops[i].at < t)
        ++i;
    const RecipeStop& a = stops[i - 1];
    const RecipeStop& b = stops[i];
    const double span = b.at - a.at;
    const double w = span > 0 ? (t - a.at) / span : 1.0;
    const double aa = a.colour.a / 255.0, ba = b.colour.a / 255.0;
    const double alpha = aa + (ba - aa) * w;
    if (alpha <= 0)
        return {0, 0, 0, 0};
    auto channel = [&](uint8_t x, uint8_t y) {
        return ToByte((x / 255.0 * aa * (1 - w) + y / 255.0 * ba * w) / alpha);
    };
    return {channel(a.colour.r, b.colour.r), channel(a.colour.g, b.colour.g), channel(a.colour.b, b.colour.b),
            ToByte(alpha)};
}

} // namespace

bool CRecipeCanvas::Create(uint32_t width, uint32_t height)
{
    try {
        m_pixels.assign(size_t(width) * height * 4, 0);
    } catch (const std::bad_alloc&) {
        m_pixels.clear();
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

RecipeColour CRecipeCanvas::At(uint32_t x, uint32_t y) const
{
    const uint8_t* p = &m_pixels[(size_t(y) * m_width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

void CRecipeCanvas::Blend(int64_t x, int64_t y, const RecipeColour& colour, double coverage)
{
    if (x < 0 || y < 0 || x >= int64_t(m_width) || y >= int64_t(m_height) || coverage <= 0)
        return;
    uint8_t* p = &m_pixels[(size_t(y) * m_width + size_t(x)) * 4];
    const double sa = colour.a / 255.0 * std::min(coverage, 1.0);
    const double da = p[3] / 255.0;
    const double oa = sa + da * (1 - sa);
    if (oa <= 0)
        return;
    const uint8_t src[3] = {colour.r, colour.g, colour.b};
    for (int c = 0; c < 3; ++c)
        p[c] = ToByte((src[c] / 255.0 * sa + p[c] / 255.0 * da * (1 - sa)) / oa);
    p[3] = ToByte(oa);
}

void CRecipeCanvas::Cover(double left, double top, double right, double bottom, const RecipeColour& colour,
                          const std::function<double(double, double)>& coverageAt)
{
    const int64_t x0 = std::max<int64_t>(0, int64_t(std::floor(std::max(left, -1.0))));
    const int64_t y0 = std::max<int64_t>(0, int64_t(std::floor(std::max(top, -1.0))));
    const int64_t x1 = std::min<int64_t>(m_width, int64_t(std::ceil(std::min(right, double(m_width)))));
    const int64_t y1 = std::min<int64_t>(m_height, int64_t(std::ceil(std::min(bottom, double(m_height)))));
    for (int64_t y = y0; y < y1; ++y)
        for (int64_t x = x0; x < x1; ++x)
            Blend(x, y, colour, coverageAt(x + 0.5, y + 0.5));
}

void CRecipeCanvas::Fill(const RecipeColour& colour)
{
    for (uint32_t y = 0; y < m_height; ++y)
        for (uint32_t x = 0; x < m_width; ++x)
            Blend(x, y, colour, 1.0);
}

void CRecipeCanvas::LinearGradient(RecipePoint from, RecipePoint to, const std::vector<RecipeStop>& stops)
{
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length2 = dx * dx + dy * dy;
    for (uint32_t y = 0; y < m_height; ++y) {
        for (uint32_t x = 0; x < m_width; ++x) {
            const double t = length2 > 0 ? ((x + 0.5 - from.x) * dx + (y + 0.5 - from.y) * dy) / length2 : 1.0;
            Blend(x, y, StopColour(stops, t), 1.0);
        }
    }
}

void CRecipeCanvas::RadialGradient(RecipePoint centre, double radius, const std::vector<RecipeStop>& stops)
{
    for (uint32_t y = 0; y < m_height; ++y) {
        for (uint32_t x = 0; x < m_width; ++x) {
            const double d = std::hypot(x + 0.5 - centre.x, y + 0.5 - centre.y);
            Blend(x, y, StopColour(stops, radius > 0 ? d / radius : 1.0), 1.0);
        }
    }
}

void CRecipeCanvas::Rectangle(double x, double y, double w, double h, double radius, double outline,
                              const RecipeColour& colour)
{
    const double hx = w / 2, hy = h / 2;
    const double cx = x + hx, cy = y + hy;
    const double r = std::min(radius, std::min(hx, hy));
    Cover(x - 1, y - 1, x + w + 1, y + h + 1, colour, [=](double px, double py) {
        const double d = BoxDistance(px - cx, py - cy, hx, hy, r);
        const double inside = EdgeCoverage(d);
        return outline > 0 ? std::max(0.0, inside - EdgeCoverage(d + outline)) : inside;
    });
}

void CRecipeCanvas::Disc(RecipePoint centre, double radius, double width, const RecipeColour& colour)
{
    Cover(centre.x - radius - 1, centre.y - radius - 1, centre.x + radius + 1, centre.y + radius + 1, colour,
          [=](double px, double py) {
              const double d = std::hypot(px - centre.x, py - centre.y) - radius;
              const double inside = EdgeCoverage(d);
              return width > 0 ? std::max(0.0, inside - EdgeCoverage(d + width)) : inside;
          });
}

void CRecipeCanvas::Polygon(const std::vector<RecipePoint>& points, const RecipeColour& colour)
{
    if (points.size() < 3)
        return;
    double left = points[0].x, right = left, top = points[0].y, bottom = top;
    for (const RecipePoint& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    // The distance to the nearest edge, negative inside (even-odd).
    Cover(left - 1, top - 1, right + 1, bottom + 1, colour, [&points](double px, double py) {
        double nearest = INFINITY;
        bool inside = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const RecipePoint& a = points[j];
            const RecipePoint& b = points[i];
            const double ex = b.x - a.x, ey = b.y - a.y;
            const double wx = px - a.x, wy = py - a.y;
            const double length2 = ex * ex + ey * ey;
            const double t = length2 > 0 ? Clamp01((wx * ex + wy * ey) / length2) : 0.0;
            nearest = std::min(nearest, std::hypot(wx - ex * t, wy - ey * t));
            if ((a.y > py) != (b.y > py) && px < a.x + (py - a.y) * ex / ey)
                inside = !inside;
        }
        return EdgeCoverage(inside ? -nearest : nearest);
    });
}

void CRecipeCanvas::Line(RecipePoint from, RecipePoint to, double width, const RecipeColour& colour)
{
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    if (length <= 0 || width <= 0)
        return;
    const double ux = dx / length, uy = dy / length;
    const double cx = (from.x + to.x) / 2, cy = (from.y + to.y) / 2;
    const double reach = length / 2 + width;
    Cover(cx - reach, cy - reach, cx + reach, cy + reach, colour, [=](double px, double py) {
        const double along = (px - cx) * ux + (py - cy) * uy;
        const double across = (py - cy) * ux - (px - cx) * uy;
        return EdgeCoverage(BoxDistance(along, across, length / 2, width / 2, 0));
    });
}

void CRecipeCanvas::Noise(double scale, double amplitude, bool perChannel, const std::function<uint32_t()>& next)
{
    // The lattice is drawn a row at a time, top-down (each row: every channel's values left to
    // right), and only the two rows around the pixels being coloured are kept.
    const size_t columns = size_t(std::ceil(m_width / scale)) + 2;
    const size_t lattices = perChannel ? 3 : 1;
    std::vector<float> above(columns * lattices), below(columns * lattices);
    auto drawRow = [&next](std::vector<float>& row) {
        for (float& value : row)
            value = float(next() / 4294967295.0 * 2.0 - 1.0);
    };
    drawRow(above);
    drawRow(below);
    size_t aboveRow = 0;
    auto smooth = [](double t) { return t * t * (3 - 2 * t); };
    for (uint32_t y = 0; y < m_height; ++y) {
        const double fy = (y + 0.5) / scale;
        const size_t row = size_t(fy);
        for (; aboveRow < row; ++aboveRow) {
            above.swap(below);
            drawRow(below);
        }
        const double wy = smooth(fy - row);
        for (uint32_t x = 0; x < m_width; ++x) {
            const double fx = (x + 0.5) / scale;
            const size_t column = size_t(fx);
            const double wx = smooth(fx - column);
            uint8_t* p = &m_pixels[(size_t(y) * m_width + x) * 4];
            for (size_t c = 0; c < 3; ++c) {
                const size_t at = (perChannel ? c : 0) * columns + column;
                const double top = above[at] * (1 - wx) + above[at + 1] * wx;
                const double bottom = below[at] * (1 - wx) + below[at + 1] * wx;
                const double offset = (top * (1 - wy) + bottom * wy) * amplitude;
                p[c] = ToByte(p[c] / 255.0 + offset);
            }
        }
    }
}

void CRecipeCanvas::Picture(const uint8_t* rgba, uint32_t width, uint32_t height, int64_t x, int64_t y, uint32_t w,
                            uint32_t h)
{
    if (width == 0 || height == 0 || w == 0 || h == 0)
        return;
    const double sx = double(width) / w, sy = double(height) / h;
    auto texel = [&](int64_t u, int64_t v, int c) {
        u = std::clamp<int64_t>(u, 0, width - 1);
        v = std::clamp<int64_t>(v, 0, height - 1);
        const uint8_t* p = rgba + (size_t(v) * width + size_t(u)) * 4;
        return c == 3 ? p[3] / 255.0 : p[c] / 255.0 * (p[3] / 255.0);  // premultiplied
    };
    const int64_t j0 = std::max<int64_t>(0, -y), j1 = std::min<int64_t>(h, int64_t(m_height) - y);
    const int64_t i0 = std::max<int64_t>(0, -x), i1 = std::min<int64_t>(w, int64_t(m_width) - x);
    for (int64_t j = j0; j < j1; ++j) {
        const double v = (j + 0.5) * sy - 0.5;
        const int64_t v0 = int64_t(std::floor(v));
        const double fv = v - v0;
        for (int64_t i = i0; i < i1; ++i) {
            const double u = (i + 0.5) * sx - 0.5;
            const int64_t u0 = int64_t(std::floor(u));
            const double fu = u - u0;
            double value[4];
            for (int c = 0; c < 4; ++c) {
                const double top = texel(u0, v0, c) * (1 - fu) + texel(u0 + 1, v0, c) * fu;
                const double bottom = texel(u0, v0 + 1, c) * (1 - fu) + texel(u0 + 1, v0 + 1, c) * fu;
                value[c] = top * (1 - fv) + bottom * fv;
            }
            if (value[3] <= 0)
                continue;
            const RecipeColour colour{ToByte(value[0] / value[3]), ToByte(value[1] / value[3]),
                                      ToByte(value[2] / value[3]), 255};
            Blend(x + i, y + j, colour, value[3]);
        }
    }
}
