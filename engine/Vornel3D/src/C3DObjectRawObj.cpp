// The Wavefront ".obj" reader: the text of two exporters, whose files start with their banners.
// Each line is tried against a few patterns in order, read the way the C library's scanf
// reads them; a line that matches none (normals, comments, smoothing groups, faces that carry
// normals) is passed over.
#include <charconv>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "Vornel3D/C3DObjectRaw.h"
#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// Characters of one line as the file reader hands them over (the rest of a longer line comes
// as the next line).
constexpr size_t kObjLineLength = 259;
// A corner packs its position and texture numbers into 16 bits each.
constexpr uint32_t kObjIndexLimit = 65536;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// One line read against a pattern: a blank skips any blanks, %s takes a word, %f a number,
// %i a whole number; any other character must be there itself. Every conversion must succeed.
class CObjLine {
public:
    CObjLine(const char* begin, const char* end) : m_p(begin), m_end(end) {}

    bool Literal(const char* text)
    {
        for (; *text; ++text) {
            if (*text == ' ') {
                SkipBlanks();
            } else {
                if (m_p == m_end || *m_p != *text)
                    return false;
                ++m_p;
            }
        }
        return true;
    }

    bool Word(std::string* pWord)
    {
        SkipBlanks();
        const char* start = m_p;
        while (m_p != m_end && !IsBlank(*m_p))
            ++m_p;
        pWord->assign(start, m_p);
        return m_p != start;
    }

    bool Number(float* pValue)
    {
        SkipBlanks();
        if (m_p != m_end && *m_p == '+')
            ++m_p;
        const auto result = std::from_chars(m_p, m_end, *pValue);
        if (result.ec != std::errc() && result.ec != std::errc::result_out_of_range)
            return false;
        m_p = result.ptr;
        return true;
    }

    bool Whole(int64_t* pValue)
    {
        SkipBlanks();
        if (m_p != m_end && *m_p == '+')
            ++m_p;
        const auto result = std::from_chars(m_p, m_end, *pValue);
        if (result.ec != std::errc())
            return false;
        m_p = result.ptr;
        return true;
    }

private:
    void SkipBlanks()
    {
        while (m_p != m_end && IsBlank(*m_p))
            ++m_p;
    }

    const char* m_p;
    const char* m_end;
};

struct CObjGroup {
    uint32_t positionsBefore;  // "v" lines before its "g"
    uint32_t cornersBefore;
    std::string texture;
};

struct CObjReader {
    std::vector<C3DVector3> positions;
    std::vector<C3DVector2> uvs;
    std::vector<CObjGroup> groups;
    std::vector<uint32_t> corners;  // texture number << 16 | position number, both from 0
    bool failed = false;

    // A position/texture pair of a face: 1-based, among the lines read so far, packable.
    bool Corner(int64_t position, int64_t texture)
    {
        if (position < 1 || texture < 1 || position > int64_t(positions.size()) || texture > int64_t(uvs.size()) ||
            position >= kObjIndexLimit || texture >= kObjIndexLimit)
            return false;
        corners.push_back(uint32_t(texture - 1) << 16 | uint32_t(position - 1));
        return true;
    }

    void Line(const char* begin, const char* end)
    {
        std::string word;
        float x, y, z;
        int64_t n[8];
        // "g %s" (which also takes "g _ %s"): a new group; its name is not kept.
        CObjLine g(begin, end);
        if (g.Literal("g ") && g.Word(&word)) {
            groups.push_back({uint32_t(positions.size()), uint32_t(corners.size()), std::string()});
            return;
        }
        CObjLine v(begin, end);
        if (v.Literal("v ") && v.Number(&x) && v.Number(&y) && v.Number(&z)) {
            positions.push_back({x, y, z});
            return;
        }
        CObjLine vt(begin, end);
        if (vt.Literal("vt ") && vt.Number(&x) && vt.Number(&y) && vt.Number(&z)) {
            uvs.push_back({x, y});
            return;
        }
        CObjLine material(begin, end);
        if (material.Literal("usemtl ") && material.Word(&word)) {
            if (!groups.empty())
                groups.back().texture = word;
            return;
        }
        CObjLine face(begin, end);
        const bool quad = face.Literal("f ") && face.Whole(&n[0]) && face.Literal("/") && face.Whole(&n[1]) &&
                          face.Whole(&n[2]) && face.Literal("/") && face.Whole(&n[3]) && face.Whole(&n[4]) &&
                          face.Literal("/") && face.Whole(&n[5]);
        bool fourth = false;
        if (quad)
            fourth = face.Whole(&n[6]) && face.Literal("/") && face.Whole(&n[7]);
        if (!quad)
            return;
        // Faces belong to the group a "g" line opened.
        if (groups.empty()) {
            failed = true;
            return;
        }
        static const int kQuad[6] = {0, 1, 2, 0, 2, 3};
        static const int kTriangle[3] = {0, 1, 2};
        const int* order = fourth ? kQuad : kTriangle;
        for (int i = 0; i < (fourth ? 6 : 3) && !failed; ++i)
            failed = !Corner(n[2 * order[i]], n[2 * order[i] + 1]);
    }
};

} // namespace

Status C3DObjectRaw::LoadObj(const char16_t* path)
{
    std::FILE* file = path ? Platform_OpenFile(UtilsString_ToUtf8(path).c_str(), "rb") : nullptr;
    if (!file) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusFileNotOpened;
        return kStatusFileNotOpened;
    }
    std::string text;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError)
        return kStatusFailed;
    return ParseObj(text.data(), text.size());
}

Status C3DObjectRaw::ParseObj(const char* text, uint64_t size)
{
    if (!text && size > 0)
        return kStatusFailed;
    const char* p = text;
    const char* end = text + size;
    // The next line: up to its line feed, at most kObjLineLength characters; a zero byte ends
    // the text of the line as it would a C string.
    auto nextLine = [&](const char** pBegin, const char** pEnd) {
        if (p == end)
            return false;
        *pBegin = p;
        while (p != end && size_t(p - *pBegin) < kObjLineLength)
            if (*p++ == '\n')
                break;
        *pEnd = *pBegin;
        while (*pEnd != p && **pEnd != 0)
            ++*pEnd;
        return true;
    };

    const char* begin;
    const char* lineEnd;
    if (!nextLine(&begin, &lineEnd))
        return kStatusFailed;
    while (lineEnd != begin && (lineEnd[-1] == '\n' || lineEnd[-1] == '\r'))
        --lineEnd;
    const std::string banner(begin, lineEnd);
    if (banner != kObjBanner && banner != kObjBannerMax)
        return kStatusFailed;

    CObjReader reader;
    while (!reader.failed && nextLine(&begin, &lineEnd))
        reader.Line(begin, lineEnd);
    if (reader.failed || reader.corners.size() > 0xFFFFFFFFu || reader.groups.size() > 0xFFFFFFFFu)
        return kStatusFailed;

    // The vertices are the distinct corners in order of first appearance.
    std::unordered_map<uint32_t, uint32_t> place;
    std::vector<uint32_t> distinct;
    std::vector<uint32_t> vertexOf(reader.corners.size());
    for (size_t c = 0; c < reader.corners.size(); ++c) {
        const auto found = place.emplace(reader.corners[c], uint32_t(distinct.size()));
        if (found.second)
            distinct.push_back(reader.corners[c]);
        vertexOf[c] = found.first->second;
    }

    Release();
    const uint32_t groupCount = uint32_t(reader.groups.size());
    if (Failed(Create(groupCount, uint32_t(distinct.size()), uint32_t(reader.corners.size()))))
        return kStatusFailed;
    C3DModelRecord* r = m_pRecord;
    for (uint32_t v = 0; v < r->vertexCount; ++v) {
        const C3DVector2& uv = reader.uvs[distinct[v] >> 16];
        r->positions[v] = reader.positions[distinct[v] & 0xFFFF];
        r->uvs[v] = C3DVector2{uv.x, 1.0f - uv.y};
        r->diffuse[v] = 0xFFFFFFFFu;
        r->color2[v] = 0xFF000000u;
    }
    for (uint32_t g = 0; g < groupCount; ++g) {
        const CObjGroup& group = reader.groups[g];
        const bool last = g + 1 == groupCount;
        const uint32_t cornersEnd = last ? uint32_t(reader.corners.size()) : reader.groups[g + 1].cornersBefore;
        const uint32_t positionsEnd = last ? uint32_t(reader.positions.size()) : reader.groups[g + 1].positionsBefore;
        const uint32_t base = group.positionsBefore;
        for (uint32_t c = group.cornersBefore; c < cornersEnd; ++c) {
            // Indices count from the group's base vertex; a corner before it has no index.
            if (vertexOf[c] < base)
                return kStatusFailed;
            r->indices[c] = vertexOf[c] - base;
        }
        const uint32_t count = cornersEnd - group.cornersBefore;
        r->groups[g] = C3DGroupRecord{g,     kGroupLinkUnset, base, positionsEnd - base, group.cornersBefore, count,
                                      count / 3, kPrimitiveTriangleList, kFaceModeBoth};
        const Status status = SetGroupTexture(g, group.texture.empty() ? nullptr : group.texture.c_str(), 1, 0x52);
        if (Failed(status))
            return status;
    }
    return kStatusOk;
}
