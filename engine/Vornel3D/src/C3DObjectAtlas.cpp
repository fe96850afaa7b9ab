// Texture atlases: the stage-0 textures of chosen groups cut to the part their coordinates
// use, packed into pages, saved as image files, and the groups retextured with the pages.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "Vornel3D/C3DObjectPrivate.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/PowerOfTwo.h"
#include "VornelUtils/UtilsString.h"

namespace {

// Pieces narrower or lower than this are not kept as free room.
constexpr int64_t kMinFree = 8;
// Between two pieces on a page, so that filtering does not blend neighbours.
constexpr int64_t kGutter = 2;

struct AtlasRecord {
    bool taking = false;
    C3DTexture* texture = nullptr;
    uint32_t source = 0;            // the texture's place in the list of distinct textures
    float umin = 0, vmin = 0;
    int64_t left = 0, top = 0, width = 0, height = 0;
    float fractionU = 0, fractionV = 0;
    int64_t duplicate = -1;         // an earlier record with the same rectangle of the same texture
    uint32_t page = 0;
    int64_t x = 0, y = 0;
};

struct FreeRect {
    int64_t x, y, w, h;
};

// Whether the pattern takes exactly one integer (the page number) and nothing else.
bool IsPagePattern(const char16_t* pattern)
{
    int conversions = 0;
    for (const char16_t* c = pattern; *c; ++c) {
        if (*c != u'%')
            continue;
        if (*++c == u'%')
            continue;
        while (*c == u'0' || *c == u'-' || (*c >= u'1' && *c <= u'9'))
            ++c;
        if (*c != u'd' && *c != u'i' && *c != u'u' && *c != u'x' && *c != u'X')
            return false;
        ++conversions;
    }
    return conversions == 1;
}

// Puts a piece of rw x rh into the first free rectangle that holds it, page by page; false
// when none does.
bool PlaceInFreeRoom(std::vector<std::vector<FreeRect>>& pages, AtlasRecord& r)
{
    const int64_t rw = r.width, rh = r.height;
    for (size_t p = 0; p < pages.size(); ++p) {
        std::vector<FreeRect>& room = pages[p];
        for (size_t i = 0; i < room.size(); ++i) {
            const FreeRect f = room[i];
            if (f.w < rw || f.h < rh)
                continue;
            r.page = uint32_t(p);
            r.x = f.x;
            r.y = f.y;
            std::vector<FreeRect> pieces;
            // A piece nearly as high as the room leaves a strip on its right; otherwise the
            // room below it is the larger part.
            if (f.h - rh < rh && f.w - rw > kMinFree && f.h > kMinFree) {
                pieces.push_back({f.x + rw + kGutter, f.y, f.w - rw - kGutter, f.h});
                if (rw > kMinFree && f.h - rh > kMinFree)
                    pieces.push_back({f.x + kGutter, f.y + rh + kGutter, rw, f.h - rh - kGutter});
            } else {
                if (f.w > kMinFree && f.h - rh > kMinFree)
                    pieces.push_back({f.x, f.y + rh + kGutter, f.w, f.h - rh - kGutter});
                if (f.w - rw > kMinFree && rh > kMinFree)
                    pieces.push_back({f.x + rw + kGutter, f.y, f.w - rw - kGutter, rh});
            }
            room.erase(room.begin() + std::ptrdiff_t(i));
            room.insert(room.begin() + std::ptrdiff_t(i), pieces.begin(), pieces.end());
            return true;
        }
    }
    return false;
}

// A new page with the piece in its corner and the rest of the page as free room.
void OpenPage(std::vector<std::vector<FreeRect>>& pages, AtlasRecord& r, int64_t PW, int64_t PH)
{
    const int64_t rw = r.width, rh = r.height;
    std::vector<FreeRect> room;
    if (PH - rh < rh && PW - rw > kMinFree && rh > kMinFree) {
        room.push_back({rw, 0, PW - rw, rh});
        if (PH - rh > kMinFree)
            room.push_back({0, rh, PW, PH - rh});
    } else {
        if (PH - rh > kMinFree)
            room.push_back({0, rh + kGutter, PW, PH - rh - kGutter});
        if (PW - rw > kMinFree && rh > kMinFree)
            room.push_back({rw + kGutter, 0, PW - rw - kGutter, rh});
    }
    r.page = uint32_t(pages.size());
    r.x = 0;
    r.y = 0;
    pages.push_back(std::move(room));
}

// The source's pixel as R, G, B, A bytes by its depth.
void CopyPixel(const uint8_t* from, uint8_t depth, uint8_t* to)
{
    switch (depth) {
    case 8:
        to[0] = to[1] = to[2] = from[0];
        to[3] = 255;
        break;
    case 16: // grey, then alpha
        to[0] = to[1] = to[2] = from[0];
        to[3] = from[1];
        break;
    case 24:
        std::memcpy(to, from, 3);
        to[3] = 255;
        break;
    default:
        std::memcpy(to, from, 4);
        break;
    }
}

} // namespace

Status C3DObjectPrivate::BuildTextureAtlas(const char16_t* folder, const char16_t* namePattern,
                                           const uint32_t* groupRecords, const uint8_t* chosen, uint16_t pageWidth,
                                           uint16_t pageHeight, uint8_t force)
{
    if (!folder || !namePattern || !IsPagePattern(namePattern) || !m_pWorldData)
        return kStatusFailed;
    auto outOfMemory = [this] {
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    };
    const uint32_t groups = m_nGroupCount;
    std::vector<AtlasRecord> records;
    std::vector<C3DTexture*> textures;
    std::vector<uint32_t> order;
    std::vector<std::vector<FreeRect>> pages;
    std::vector<std::unique_ptr<C3DTextureRaw>> images;
    try {
        records.resize(groups);
        order.reserve(groups);

        // The rectangle of its texture that each taking-part group's coordinates use.
        for (uint32_t g = 0; g < groups; ++g) {
            AtlasRecord& r = records[g];
            C3DTexture* texture = GetTexture(g, 0);
            if (!chosen || !chosen[g] || !texture || (groupRecords && groupRecords[size_t(g) * 7 + 6] != 0))
                continue;
            r.taking = true;
            r.texture = texture;
            const auto listed = std::find(textures.begin(), textures.end(), texture);
            r.source = uint32_t(listed - textures.begin());
            if (listed == textures.end())
                textures.push_back(texture);
            C3DVector2 low, high;
            GetGroupUVBounds0(g, &low, &high);
            auto clamp01 = [](float f) { return f < 0.0f ? 0.0f : f > 1.0f ? 1.0f : f; };
            r.umin = clamp01(low.x);
            r.vmin = clamp01(low.y);
            const float W = texture->GetWidth(), H = texture->GetHeight();
            r.left = int64_t(std::floor(W * r.umin));
            r.top = int64_t(std::floor(H * r.vmin));
            r.width = int64_t(std::ceil(W * clamp01(high.x))) - r.left;
            r.height = int64_t(std::ceil(H * clamp01(high.y))) - r.top;
            r.fractionU = W * r.umin - std::floor(W * r.umin);
            r.fractionV = H * r.vmin - std::floor(H * r.vmin);
            for (uint32_t e = 0; e < g && r.duplicate < 0; ++e) {
                const AtlasRecord& o = records[e];
                if (o.taking && o.texture == texture && o.left == r.left && o.top == r.top &&
                    o.width == r.width && o.height == r.height)
                    r.duplicate = e;
            }
        }

        // Highest first; among equal heights the later group first.
        for (uint32_t g = 0; g < groups; ++g)
            order.push_back(g);
        std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            return records[a].height != records[b].height ? records[a].height > records[b].height : a > b;
        });
        for (uint32_t g : order) {
            AtlasRecord& r = records[g];
            if (r.taking && r.duplicate < 0 && !PlaceInFreeRoom(pages, r))
                OpenPage(pages, r, pageWidth, pageHeight);
        }

        // The source images, read from the files the textures were made from.
        uint64_t sourceArea = 0;
        images.reserve(textures.size());
        for (C3DTexture* texture : textures) {
            images.push_back(std::make_unique<C3DTextureRaw>(m_pWorldData));
            char16_t path[kWorldTextSize];
            UtilsString_Format(path, kWorldTextSize, u"%s%s", m_pWorldData->dataPath,
                               texture->GetName() ? texture->GetName() : u"");
            const Status status = images.back()->LoadFromFile(path);
            if (Failed(status))
                return status;
            sourceArea += uint64_t(images.back()->GetWidth()) * images.back()->GetHeight();
        }

        std::vector<int64_t> pageW(pages.size(), 0), pageH(pages.size(), 0);
        for (const AtlasRecord& r : records)
            if (r.taking && r.duplicate < 0) {
                pageW[r.page] = std::max(pageW[r.page], r.x + r.width);
                pageH[r.page] = std::max(pageH[r.page], r.y + r.height);
            }
        uint64_t pageArea = 0;
        for (size_t p = 0; p < pages.size(); ++p) {
            pageW[p] = NextPowerOfTwo(uint32_t(pageW[p]));
            pageH[p] = NextPowerOfTwo(uint32_t(pageH[p]));
            if (pageW[p] > pageWidth || pageH[p] > pageHeight)
                return kStatusOk;
            pageArea += uint64_t(pageW[p]) * uint64_t(pageH[p]);
        }
        if (pages.empty() || !(force || pageArea < sourceArea))
            return kStatusOk;

        // Each page: its pieces copied from their sources (picture rows from the top), saved.
        for (size_t p = 0; p < pages.size(); ++p) {
            const int64_t PW = pageW[p], PH = pageH[p];
            std::vector<uint8_t> pixels(size_t(PW) * size_t(PH) * 4, 0);
            for (const AtlasRecord& r : records) {
                if (!r.taking || r.duplicate >= 0 || r.page != p)
                    continue;
                const C3DTextureRaw& image = *images[r.source];
                const int64_t W = r.texture->GetWidth(), H = r.texture->GetHeight();
                const int64_t bytes = image.GetDepth() / 8;
                const int64_t sourcePixels = int64_t(image.GetPixelBytes()) / (bytes ? bytes : 1);
                for (int64_t row = 0; row < r.height; ++row)
                    for (int64_t col = 0; col < r.width; ++col) {
                        const int64_t from = (H - r.top - row - 1) * W + r.left + col;
                        const int64_t to = (r.y + row) * PW + r.x + col;
                        if (!bytes || from < 0 || from >= sourcePixels || to < 0 || to >= PW * PH)
                            continue;
                        CopyPixel(image.GetPixels() + from * bytes, image.GetDepth(), &pixels[size_t(to) * 4]);
                    }
            }
            char16_t name[kWorldTextSize], path[kWorldTextSize];
            UtilsString_Format(name, kWorldTextSize, namePattern, int(p));
            UtilsString_Format(path, kWorldTextSize, u"%s%s", folder, name);
            C3DTextureRaw page(m_pWorldData);
            Status status = page.SetPixelsCopy(uint16_t(PW), uint16_t(PH), 32, pixels.data());
            if (Succeeded(status))
                status = page.SaveToFile(path, true);
            page.Release();
            if (Failed(status))
                return status;
        }

        // The groups' coordinates moved into their pages, each vertex once, and the pages on.
        Status result = kStatusOk;
        std::vector<bool> moved(m_nVertexCount, false);
        Lock(2, 2);
        for (uint32_t g = 0; g < groups; ++g) {
            if (!records[g].taking)
                continue;
            const AtlasRecord& r = records[g].duplicate >= 0 ? records[size_t(records[g].duplicate)] : records[g];
            const C3DGroupRecord* group = m_pIndex ? m_pIndex->GetGroup(g) : nullptr;
            const float W = r.texture->GetWidth(), H = r.texture->GetHeight();
            const float PW = float(pageW[r.page]), PH = float(pageH[r.page]);
            for (uint32_t i = 0; group && i < group->indexCount; ++i) {
                const uint64_t v = uint64_t(GetIndex(group->firstIndex + i)) + group->baseVertex;
                if (v >= m_nVertexCount || moved[v])
                    continue;
                moved[v] = true;
                const C3DVector2 uv = GetVertexUV0(uint32_t(v));
                SetVertexUV0(uint32_t(v), ((uv.x - r.umin) * W + float(r.x) + r.fractionU) / PW,
                             ((uv.y - r.vmin) * H + float(r.y) + r.fractionV) / PH);
            }
            char16_t name[kWorldTextSize], path[kWorldTextSize];
            UtilsString_Format(name, kWorldTextSize, namePattern, int(r.page));
            UtilsString_Format(path, kWorldTextSize, u"%s%s", folder, name);
            if (Failed(LoadTextureFromFileEx(1, 0x52, path, int32_t(g), 0)))
                result = kStatusFailed;
        }
        Unlock(1);
        return result;
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    }
}
