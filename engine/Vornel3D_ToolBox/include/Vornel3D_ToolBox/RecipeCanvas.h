#pragma once
// The canvas a picture recipe draws on: straight RGBA bytes, rows top-down, y down, pixel
// (x, y) covering [x, x+1) x [y, y+1). Every shape is anti-aliased by its distance to the pixel
// centre and blended source-over; the same calls give the same bytes on every machine.
#include <cstdint>
#include <functional>
#include <vector>

#include "Vornel3D_ToolBox/RecipeReader.h"

// The largest canvas side, checked before anything is allocated.
constexpr uint32_t kRecipeCanvasMaxSide = 8192;

struct RecipePoint {
    double x = 0, y = 0;
};

// A gradient stop: its place along the gradient (0..1) and its colour.
struct RecipeStop {
    double at = 0;
    RecipeColour colour;
};

class CRecipeCanvas {
public:
    // A transparent canvas; false when out of memory (sides are the caller's to check).
    bool Create(uint32_t width, uint32_t height);

    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    const std::vector<uint8_t>& Pixels() const { return m_pixels; }
    RecipeColour At(uint32_t x, uint32_t y) const;

    // Blends colour over pixel (x, y) with its alpha scaled by coverage (0..1).
    void Blend(int64_t x, int64_t y, const RecipeColour& colour, double coverage);

    void Fill(const RecipeColour& colour);
    // Stops sorted by place; the colour is interpolated premultiplied and held past the ends.
    void LinearGradient(RecipePoint from, RecipePoint to, const std::vector<RecipeStop>& stops);
    void RadialGradient(RecipePoint centre, double radius, const std::vector<RecipeStop>& stops);
    // A rectangle with corners of the given radius; outline > 0 draws only a band that wide
    // inside its edge.
    void Rectangle(double x, double y, double w, double h, double radius, double outline, const RecipeColour& colour);
    // A disc, or with width > 0 the ring of that width inside the radius.
    void Disc(RecipePoint centre, double radius, double width, const RecipeColour& colour);
    // A polygon, filled by the even-odd rule.
    void Polygon(const std::vector<RecipePoint>& points, const RecipeColour& colour);
    // A straight line of a width with square-cut ends.
    void Line(RecipePoint from, RecipePoint to, double width, const RecipeColour& colour);
    // Value noise: a lattice of random values every `scale` pixels, smoothly interpolated,
    // added to the colour channels as -amplitude..+amplitude of full scale (alpha stays).
    // perChannel draws one lattice per channel, else one for all three. `next` draws the
    // lattice's random numbers.
    void Noise(double scale, double amplitude, bool perChannel, const std::function<uint32_t()>& next);
    // Draws a straight RGBA picture (rows top-down) into the rectangle x, y, w, h, scaled with
    // bilinear filtering (an exact copy at its own size).
    void Picture(const uint8_t* rgba, uint32_t width, uint32_t height, int64_t x, int64_t y, uint32_t w, uint32_t h);

private:
    // Calls coverageAt(pixel centre) for every pixel of the box (clipped to the canvas) and
    // blends the colour with the coverage it returns.
    void Cover(double left, double top, double right, double bottom, const RecipeColour& colour,
               const std::function<double(double, double)>& coverageAt);

    uint32_t m_width = 0;
    uint32_t m_height = 0;
    std::vector<uint8_t> m_pixels;
};
