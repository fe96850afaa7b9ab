#include "Vornel3D_ToolBox/ImageRecipe.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <new>

#include "Vornel3D/C3DTextureRaw.h"
#include "Vornel3D_ToolBox/FontFace.h"
#include "Vornel3D_ToolBox/RecipeReader.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace fs = std::filesystem;

namespace {

// How deep recipes may include one another: deep enough for a sheet of sheets, and a bound on
// the work one recipe can ask for.
constexpr size_t kNestingLimit = 8;
// The most points of a polygon, cells of a grid side, and the largest text size.
constexpr size_t kPolygonPointLimit = 4096;
constexpr uint32_t kGridSideLimit = 256;
constexpr double kCoordinateLimit = 1e6;

// A picture as straight RGBA rows top-down, from a file or a recipe.
struct Picture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

bool EndsWith(const std::string& text, const char* end)
{
    const size_t n = std::char_traits<char>::length(end);
    return text.size() >= n && text.compare(text.size() - n, n, end) == 0;
}

// The image's pixel block (rows bottom-up; grey, grey+alpha, RGB or RGBA) as straight RGBA rows
// top-down.
bool ToRgba(const C3DTextureRaw& image, Picture& picture)
{
    const uint32_t channels = image.GetDepth() / 8u;
    if (channels < 1 || channels > 4 || image.GetPixels() == nullptr)
        return false;
    picture.width = image.GetWidth();
    picture.height = image.GetHeight();
    try {
        picture.rgba.resize(size_t(picture.width) * picture.height * 4);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* row = image.GetPixels() + size_t(picture.height - 1 - y) * picture.width * channels;
        for (uint32_t x = 0; x < picture.width; ++x) {
            const uint8_t* p = row + size_t(x) * channels;
            uint8_t* q = &picture.rgba[(size_t(y) * picture.width + x) * 4];
            q[0] = p[0];
            q[1] = channels >= 3 ? p[1] : p[0];
            q[2] = channels >= 3 ? p[2] : p[0];
            q[3] = channels == 2 ? p[1] : channels == 4 ? p[3] : 255;
        }
    }
    return true;
}

class CImageRecipeDrawer {
public:
    explicit CImageRecipeDrawer(std::vector<std::string>* inputs) : m_inputs(inputs) {}

    // Draws one recipe (its text given) onto canvas; the complaint in error.
    Status Draw(const std::string& name, const std::string& text, CRecipeCanvas& canvas, std::string& error);
    Status DrawFile(const std::string& path, CRecipeCanvas& canvas, std::string& error);

private:
    struct Context {
        CRecipeReader& reader;
        CRecipeCanvas& canvas;
        fs::path folder;
        WorldData& random;
    };

    Status Line(Context& context);
    Status Gradient(Context& context);
    Status Rect(Context& context);
    Status Text(Context& context);
    Status PictureLayer(Context& context);
    Status Grid(Context& context);
    // Loads a picture file or draws a recipe file named in the recipe.
    Status LoadPicture(Context& context, const std::string& word, Picture& picture);
    bool Point(CRecipeReader& reader, size_t i, RecipePoint& point);

    std::vector<std::string>* m_inputs;
    std::vector<std::string> m_open;  // the recipes being drawn, outermost first
};

void Note(std::vector<std::string>* inputs, const std::string& path)
{
    if (inputs && std::find(inputs->begin(), inputs->end(), path) == inputs->end())
        inputs->push_back(path);
}

Status CImageRecipeDrawer::DrawFile(const std::string& path, CRecipeCanvas& canvas, std::string& error)
{
    std::string text;
    Note(m_inputs, path);
    if (!CRecipeReader::ReadFile(path, text)) {
        error = path + ": cannot read the recipe";
        return kStatusFailed;
    }
    return Draw(path, text, canvas, error);
}

Status CImageRecipeDrawer::Draw(const std::string& name, const std::string& text, CRecipeCanvas& canvas,
                                std::string& error)
{
    CRecipeReader reader(name, text);
    std::unique_ptr<WorldData> random(new (std::nothrow) WorldData());
    if (!random) {
        error = name + ": out of memory";
        return kStatusOutOfMemory;
    }
    UtilsRandom_Seed(random.get(), 1);
    std::error_code ignored;
    m_open.push_back(fs::weakly_canonical(fs::u8path(name), ignored).u8string());
    Context context{reader, canvas, fs::u8path(name).parent_path(), *random};
    Status status = kStatusOk;
    bool sized = false;
    while (Succeeded(status) && reader.NextLine() && reader.Error().empty()) {
        if (!sized) {
            uint32_t width = 0, height = 0;
            if (reader.Word(0) != "size")
                status = reader.Fail("the recipe must start with 'size WxH'");
            else if (!reader.Expect(2, "size WxH") || !reader.Size(1, kRecipeCanvasMaxSide, width, height))
                status = kStatusFailed;
            else if (!canvas.Create(width, height))
                status = reader.Fail("out of memory");
            sized = true;
            continue;
        }
        status = Line(context);
    }
    if (reader.Error().empty() && !sized)
        reader.Fail("the recipe must start with 'size WxH'");
    m_open.pop_back();
    if (!reader.Error().empty()) {
        if (error.empty())
            error = reader.Error();
        return Failed(status) ? status : kStatusFailed;
    }
    return status;
}

bool CImageRecipeDrawer::Point(CRecipeReader& reader, size_t i, RecipePoint& point)
{
    return reader.Number(i, -kCoordinateLimit, kCoordinateLimit, point.x) &&
           reader.Number(i + 1, -kCoordinateLimit, kCoordinateLimit, point.y);
}

Status CImageRecipeDrawer::Line(Context& context)
{
    CRecipeReader& reader = context.reader;
    CRecipeCanvas& canvas = context.canvas;
    const std::string& key = reader.Word(0);
    RecipeColour colour;
    RecipePoint a, b;
    double radius = 0, width = 0;
    if (key == "seed") {
        int64_t seed = 0;
        if (!reader.Expect(2, "seed N") || !reader.Integer(1, 1, 0xFFFFFFFF, seed))
            return kStatusFailed;
        UtilsRandom_Seed(&context.random, uint32_t(seed));
    } else if (key == "fill") {
        if (!reader.Expect(2, "fill COLOUR") || !reader.Colour(1, colour))
            return kStatusFailed;
        canvas.Fill(colour);
    } else if (key == "gradient") {
        return Gradient(context);
    } else if (key == "rect") {
        return Rect(context);
    } else if (key == "disc") {
        if (!reader.Expect(5, "disc CX CY R COLOUR") || !Point(reader, 1, a) ||
            !reader.Number(3, 0, kCoordinateLimit, radius) || !reader.Colour(4, colour))
            return kStatusFailed;
        canvas.Disc(a, radius, 0, colour);
    } else if (key == "ring") {
        if (!reader.Expect(6, "ring CX CY R WIDTH COLOUR") || !Point(reader, 1, a) ||
            !reader.Number(3, 0, kCoordinateLimit, radius) || !reader.Number(4, 0, kCoordinateLimit, width) ||
            !reader.Colour(5, colour))
            return kStatusFailed;
        if (width > 0)
            canvas.Disc(a, radius, width, colour);
    } else if (key == "polygon") {
        if (reader.Count() < 8 || reader.Count() % 2 != 0 || reader.Count() / 2 - 1 > kPolygonPointLimit)
            return reader.Fail("expects 'polygon COLOUR X Y X Y X Y ...' (3 to 4096 points)");
        if (!reader.Colour(1, colour))
            return kStatusFailed;
        std::vector<RecipePoint> points(reader.Count() / 2 - 1);
        for (size_t i = 0; i < points.size(); ++i) {
            if (!Point(reader, 2 + 2 * i, points[i]))
                return kStatusFailed;
        }
        canvas.Polygon(points, colour);
    } else if (key == "line") {
        if (!reader.Expect(7, "line X0 Y0 X1 Y1 WIDTH COLOUR") || !Point(reader, 1, a) || !Point(reader, 3, b) ||
            !reader.Number(5, 0, kCoordinateLimit, width) || !reader.Colour(6, colour))
            return kStatusFailed;
        canvas.Line(a, b, width, colour);
    } else if (key == "noise") {
        double scale = 0, amplitude = 0;
        if (!reader.Expect(4, "noise SCALE AMPLITUDE grey|rgb") || !reader.Number(1, 1, kRecipeCanvasMaxSide, scale) ||
            !reader.Number(2, 0, 1, amplitude))
            return kStatusFailed;
        if (reader.Word(3) != "grey" && reader.Word(3) != "rgb")
            return reader.Fail("'" + reader.Word(3) + "' is not grey or rgb");
        WorldData& random = context.random;
        canvas.Noise(scale, amplitude, reader.Word(3) == "rgb", [&random] { return UtilsRandom_Next(&random); });
    } else if (key == "text") {
        return Text(context);
    } else if (key == "picture") {
        return PictureLayer(context);
    } else if (key == "grid") {
        return Grid(context);
    } else if (key == "size") {
        return reader.Fail("'size' is given twice");
    } else {
        return reader.Fail("unknown layer '" + key + "'");
    }
    return kStatusOk;
}

Status CImageRecipeDrawer::Gradient(Context& context)
{
    CRecipeReader& reader = context.reader;
    const bool linear = reader.Count() > 1 && reader.Word(1) == "linear";
    const bool radial = reader.Count() > 1 && reader.Word(1) == "radial";
    const size_t firstStop = linear ? 6 : 5;
    if ((!linear && !radial) || reader.Count() < firstStop + 2)
        return reader.Fail("expects 'gradient linear X0 Y0 X1 Y1 STOP STOP ...' or "
                           "'gradient radial CX CY R STOP STOP ...' (STOP is AT:COLOUR)");
    RecipePoint a, b;
    double radius = 0;
    if (!Point(reader, 2, a) || (linear ? !Point(reader, 4, b) : !reader.Number(4, 0, kCoordinateLimit, radius)))
        return kStatusFailed;
    std::vector<RecipeStop> stops;
    for (size_t i = firstStop; i < reader.Count(); ++i) {
        const std::string& word = reader.Word(i);
        const size_t colon = word.find(':');
        RecipeStop stop;
        if (colon == std::string::npos || !Recipe_ParseNumber(word.substr(0, colon), stop.at) || stop.at < 0 ||
            stop.at > 1 || !Recipe_ParseColour(word.substr(colon + 1), stop.colour))
            return reader.Fail("'" + word + "' is not a stop (AT:COLOUR, AT from 0 to 1)");
        if (!stops.empty() && stop.at < stops.back().at)
            return reader.Fail("the stops must go in order");
        stops.push_back(stop);
    }
    if (linear)
        context.canvas.LinearGradient(a, b, stops);
    else
        context.canvas.RadialGradient(a, radius, stops);
    return kStatusOk;
}

Status CImageRecipeDrawer::Rect(Context& context)
{
    CRecipeReader& reader = context.reader;
    double x = 0, y = 0, w = 0, h = 0, outline = 0, radius = 0;
    RecipeColour colour;
    if (reader.Count() < 6)
        return reader.Fail("expects 'rect X Y W H COLOUR [outline WIDTH] [round RADIUS]'");
    if (!reader.Number(1, -kCoordinateLimit, kCoordinateLimit, x) ||
        !reader.Number(2, -kCoordinateLimit, kCoordinateLimit, y) || !reader.Number(3, 0, kCoordinateLimit, w) ||
        !reader.Number(4, 0, kCoordinateLimit, h) || !reader.Colour(5, colour))
        return kStatusFailed;
    for (size_t i = 6; i < reader.Count(); i += 2) {
        const std::string& option = reader.Word(i);
        if (option != "outline" && option != "round")
            return reader.Fail("unknown option '" + option + "'");
        if (!reader.Number(i + 1, 0, kCoordinateLimit, option == "outline" ? outline : radius))
            return kStatusFailed;
    }
    context.canvas.Rectangle(x, y, w, h, radius, outline, colour);
    return kStatusOk;
}

Status CImageRecipeDrawer::Text(Context& context)
{
    CRecipeReader& reader = context.reader;
    RecipePoint at;
    int64_t size = 0;
    RecipeColour colour;
    if (reader.Count() != 7 && !(reader.Count() == 9 && reader.Word(7) == "font"))
        return reader.Fail("expects 'text X Y SIZE left|centre|right COLOUR \"TEXT\" [font FILE]'");
    if (!Point(reader, 1, at) || !reader.Integer(3, 1, 1024, size))
        return kStatusFailed;
    const std::string& align = reader.Word(4);
    if (align != "left" && align != "centre" && align != "center" && align != "right")
        return reader.Fail("'" + align + "' is not left, centre or right");
    if (!reader.Colour(5, colour))
        return kStatusFailed;
    const std::string font = reader.Count() == 9 ? (context.folder / reader.Word(8)).u8string() : kDefaultFontPath;
    Note(m_inputs, font);
    CFontFace face;
    const Status status = face.Open(font, uint32_t(size));
    if (status == kStatusFileNotOpened)
        return reader.Fail("cannot open the font " + font);
    if (Failed(status))
        return reader.Fail("the font " + font + " has no size " + std::to_string(size));
    const std::string& line = reader.Word(6);
    const int64_t width = align == "left" ? 0 : face.Measure(line);
    const double left = at.x - (align == "right" ? double(width) : align == "left" ? 0.0 : width / 2.0);
    CRecipeCanvas& canvas = context.canvas;
    face.Draw(line, int64_t(std::floor(left + 0.5)), int64_t(std::floor(at.y + 0.5)),
              [&](int64_t x, int64_t y, uint8_t coverage) { canvas.Blend(x, y, colour, coverage / 255.0); });
    return kStatusOk;
}

Status CImageRecipeDrawer::LoadPicture(Context& context, const std::string& word, Picture& picture)
{
    CRecipeReader& reader = context.reader;
    const fs::path path = context.folder / word;
    if (EndsWith(word, ".recipe")) {
        std::error_code ignored;
        const std::string canonical = fs::weakly_canonical(path, ignored).u8string();
        if (std::find(m_open.begin(), m_open.end(), canonical) != m_open.end())
            return reader.Fail(path.u8string() + " includes itself");
        if (m_open.size() >= kNestingLimit)
            return reader.Fail("recipes are included more than 8 deep");
        CRecipeCanvas inner;
        std::string error;
        const Status status = DrawFile(path.u8string(), inner, error);
        if (Failed(status)) {
            // The complaint of the recipe included, where it went wrong.
            reader.Fail(error.empty() ? "cannot draw " + path.u8string() : error);
            return status;
        }
        picture.width = inner.Width();
        picture.height = inner.Height();
        picture.rgba = inner.Pixels();
        return kStatusOk;
    }
    Note(m_inputs, path.u8string());
    WorldData world{};
    C3DTextureRaw image(&world);
    const Status status = image.LoadFromFile(UtilsString_FromUtf8(path.u8string().c_str()).c_str());
    const bool ok = Succeeded(status) && ToRgba(image, picture);
    image.Release();
    if (!ok)
        return reader.Fail("cannot read the picture " + path.u8string());
    return kStatusOk;
}

Status CImageRecipeDrawer::PictureLayer(Context& context)
{
    CRecipeReader& reader = context.reader;
    int64_t x = 0, y = 0, w = 0, h = 0;
    if (reader.Count() != 4 && reader.Count() != 6)
        return reader.Fail("expects 'picture FILE X Y [W H]'");
    if (!reader.Integer(2, -int64_t(kCoordinateLimit), int64_t(kCoordinateLimit), x) ||
        !reader.Integer(3, -int64_t(kCoordinateLimit), int64_t(kCoordinateLimit), y))
        return kStatusFailed;
    if (reader.Count() == 6 && (!reader.Integer(4, 1, kRecipeCanvasMaxSide, w) ||
                                !reader.Integer(5, 1, kRecipeCanvasMaxSide, h)))
        return kStatusFailed;
    Picture picture;
    const Status status = LoadPicture(context, reader.Word(1), picture);
    if (Failed(status))
        return status;
    if (reader.Count() == 4) {
        w = picture.width;
        h = picture.height;
    }
    context.canvas.Picture(picture.rgba.data(), picture.width, picture.height, x, y, uint32_t(w), uint32_t(h));
    return kStatusOk;
}

Status CImageRecipeDrawer::Grid(Context& context)
{
    CRecipeReader& reader = context.reader;
    CRecipeCanvas& canvas = context.canvas;
    uint32_t columns = 0, rows = 0, cellWidth = 0, cellHeight = 0;
    if (reader.Count() < 3 || !reader.Size(1, kGridSideLimit, columns, rows))
        return reader.Count() < 3 ? reader.Fail("expects 'grid COLSxROWS [cell WxH] FILE ...'") : kStatusFailed;
    size_t first = 2;
    if (reader.Word(2) == "cell") {
        if (!reader.Size(3, kRecipeCanvasMaxSide, cellWidth, cellHeight))
            return kStatusFailed;
        first = 4;
    }
    const size_t files = reader.Count() - first;
    if (files == 0 || files > size_t(columns) * rows)
        return reader.Fail("a " + reader.Word(1) + " grid takes 1 to " + std::to_string(size_t(columns) * rows) +
                           " files");
    for (size_t i = 0; i < files; ++i) {
        const std::string& word = reader.Word(first + i);
        if (word == "-")
            continue;
        const uint64_t column = i % columns, row = i / columns;
        uint64_t x0, y0, x1, y1;
        if (cellWidth != 0) {
            x0 = column * cellWidth;
            y0 = row * cellHeight;
            x1 = x0 + cellWidth;
            y1 = y0 + cellHeight;
        } else {
            x0 = column * canvas.Width() / columns;
            x1 = (column + 1) * canvas.Width() / columns;
            y0 = row * canvas.Height() / rows;
            y1 = (row + 1) * canvas.Height() / rows;
        }
        if (x0 >= canvas.Width() || y0 >= canvas.Height() || x1 == x0 || y1 == y0)
            continue;  // a cell off the canvas
        Picture picture;
        const Status status = LoadPicture(context, word, picture);
        if (Failed(status))
            return status;
        canvas.Picture(picture.rgba.data(), picture.width, picture.height, int64_t(x0), int64_t(y0),
                       uint32_t(x1 - x0), uint32_t(y1 - y0));
    }
    return kStatusOk;
}

} // namespace

Status ImageRecipe_Draw(const std::string& path, CRecipeCanvas& canvas, std::string& error,
                        std::vector<std::string>* inputs)
{
    error.clear();
    CImageRecipeDrawer drawer(inputs);
    return drawer.DrawFile(path, canvas, error);
}

Status ImageRecipe_DrawText(const std::string& name, const std::string& text, CRecipeCanvas& canvas,
                            std::string& error, std::vector<std::string>* inputs)
{
    error.clear();
    CImageRecipeDrawer drawer(inputs);
    return drawer.Draw(name, text, canvas, error);
}
