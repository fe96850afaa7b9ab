// The ".3dx" model file: reading from a stream, a block in memory, a pack entry or a file, and
// writing. The layout is described in C3DObjectRaw.h.
#include <cstring>

#include "StreamWords.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Packer.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

bool HasExtension(const char16_t* name, const char16_t* extension)
{
    return name && Succeeded(UtilsString_CompareSameLength(UtilsString_GetExtension(name), extension));
}

// The bytes a group block and a vertex block take with these flags, strings at their least.
uint64_t GroupBlockSize(uint32_t flags)
{
    return 36 + ((flags & k3dxTriple) ? 12 : 0) + ((flags & k3dxGroupName) ? 4 : 0) +
           ((flags & k3dxTextureName) ? 4 : 0) + ((flags & k3dxTextureKind) ? 4 : 0) +
           ((flags & k3dxTextureFlags) ? 4 : 0) + ((flags & k3dxMaterial) ? 68 : 0);
}

uint32_t VertexBlockWords(uint32_t flags)
{
    return ((flags & k3dxPosition) ? 3 : 0) + ((flags & k3dxNormal) ? 3 : 0) + ((flags & k3dxDiffuse) ? 1 : 0) +
           ((flags & k3dxColor2) ? 1 : 0) + ((flags & k3dxUV) ? 2 : 0);
}

// A string of the file's layout in place of *pText (an empty one leaves none).
bool ReadLayoutString(UtilsStream* pStream, uint32_t layout, char** pText)
{
    char* text = nullptr;
    if (layout == k3dxLayout64) {
        if (!pStream->ReadStringA(&text, false))
            return false;
    } else {
        uint32_t length = 0;
        if (!ReadWord(pStream, &length) || !FitsInStream(pStream, length, 1))
            return false;
        if (length > 0) {
            text = static_cast<char*>(UTILS_MALLOC(size_t(length) + 1));
            if (!text)
                return false;
            if (!pStream->Read(text, 1, length)) {
                UTILS_FREE(text);
                return false;
            }
            text[length] = 0;
        }
    }
    if (text && !*text) {
        UTILS_FREE(text);
        text = nullptr;
    }
    UTILS_FREE(*pText);
    *pText = text;
    return true;
}

// Vertex fields in file order, to and from one block of words.
void UnpackVertex(C3DModelRecord* r, uint32_t v, uint32_t flags, const uint32_t* words)
{
    auto take = [&](void* field, uint32_t count) {
        std::memcpy(field, words, count * 4u);
        words += count;
    };
    if (flags & k3dxPosition)
        take(&r->positions[v], 3);
    if (flags & k3dxNormal)
        take(&r->normals[v], 3);
    if (flags & k3dxDiffuse)
        take(&r->diffuse[v], 1);
    if (flags & k3dxColor2)
        take(&r->color2[v], 1);
    if (flags & k3dxUV)
        take(&r->uvs[v], 2);
}

void PackVertex(const C3DModelRecord* r, uint32_t v, uint32_t flags, uint32_t* words)
{
    auto put = [&](const void* field, uint32_t count) {
        std::memcpy(words, field, count * 4u);
        words += count;
    };
    if (flags & k3dxPosition)
        put(&r->positions[v], 3);
    if (flags & k3dxNormal)
        put(&r->normals[v], 3);
    if (flags & k3dxDiffuse)
        put(&r->diffuse[v], 1);
    if (flags & k3dxColor2)
        put(&r->color2[v], 1);
    if (flags & k3dxUV)
        put(&r->uvs[v], 2);
}

bool ReadIndices(UtilsStream* pStream, C3DModelRecord* r)
{
    if (!ReadWord(pStream, &r->indexWidth))
        return false;
    if (r->indexWidth != kIndexKind16)
        return FitsInStream(pStream, r->indexCount, 4) && pStream->Read(r->indices, 4, r->indexCount);
    if (!FitsInStream(pStream, r->indexCount, 2))
        return false;
    uint16_t batch[2048];
    for (uint32_t done = 0; done < r->indexCount;) {
        const uint32_t n = r->indexCount - done < 2048 ? r->indexCount - done : 2048;
        if (!pStream->Read(batch, 2, n))
            return false;
        for (uint32_t i = 0; i < n; ++i)
            r->indices[done + i] = batch[i];
        done += n;
    }
    return true;
}

bool WriteIndices(UtilsStream* pStream, const C3DModelRecord* r)
{
    if (!WriteWord(pStream, r->indexWidth))
        return false;
    if (r->indexWidth != kIndexKind16)
        return pStream->Write(r->indices, 4, r->indexCount);
    uint16_t batch[2048];
    for (uint32_t done = 0; done < r->indexCount;) {
        const uint32_t n = r->indexCount - done < 2048 ? r->indexCount - done : 2048;
        for (uint32_t i = 0; i < n; ++i)
            batch[i] = uint16_t(r->indices[done + i]);
        if (!pStream->Write(batch, 2, n))
            return false;
        done += n;
    }
    return true;
}

// Every index of a group, plus its base vertex, names a vertex of the model.
bool IndicesInsideVertices(const C3DModelRecord* r)
{
    for (uint32_t g = 0; g < r->groupCount; ++g) {
        const C3DGroupRecord& group = r->groups[g];
        for (uint32_t k = 0; k < group.indexCount; ++k)
            if (uint64_t(r->indices[group.firstIndex + k]) + group.baseVertex >= r->vertexCount)
                return false;
    }
    return true;
}

} // namespace

Status C3DObjectRaw::LoadFromStream(UtilsStream* pStream)
{
    uint32_t header[5];
    if (!pStream || !pStream->Read(header, 4, 5))
        return kStatusFailed;
    const uint32_t groupCount = header[0], vertexCount = header[1], indexCount = header[2];
    const uint32_t layout = header[3], flags = header[4];
    if (layout != k3dxLayout32 && layout != k3dxLayout64)
        return kStatusFailed;
    // The counts must fit in what is left before anything is allocated for them; vertices
    // without any stored field would take no bytes at all, so a file has none of those.
    const uint32_t vertexWords = VertexBlockWords(flags);
    const uint64_t least = uint64_t(groupCount) * GroupBlockSize(flags) + uint64_t(vertexCount) * vertexWords * 4 +
                           (indexCount ? 4 + uint64_t(indexCount) * 2 : 0);
    if ((vertexCount > 0 && vertexWords == 0) || !FitsInStream(pStream, least, 1))
        return kStatusFailed;

    Release();
    if (Failed(Create(groupCount, vertexCount, indexCount)))
        return kStatusFailed;
    C3DModelRecord* r = m_pRecord;
    m_nFileFlags = flags;
    m_nFileLayout = layout;

    for (uint32_t g = 0; g < groupCount; ++g) {
        C3DGroupRecord& group = r->groups[g];
        if (!pStream->Read(&group, 4, 9))
            return kStatusFailed;
        // The id names a group of this model (or is unset); the indices lie inside the list.
        if ((group.id >= groupCount && group.id != kGroupIdOwnNumber) ||
            uint64_t(group.firstIndex) + group.indexCount > indexCount)
            return kStatusFailed;
        if ((flags & k3dxTriple) && !pStream->Read(r->triples[g], 4, 3))
            return kStatusFailed;
        if ((flags & k3dxGroupName) && !ReadLayoutString(pStream, layout, &r->groupNames[g]))
            return kStatusFailed;
        if ((flags & k3dxTextureName) && !ReadLayoutString(pStream, layout, &r->textureNames[g]))
            return kStatusFailed;
        if ((flags & k3dxTextureKind) && !ReadWord(pStream, &r->textureKinds[g]))
            return kStatusFailed;
        if ((flags & k3dxTextureFlags) && !ReadWord(pStream, &r->textureFlags[g]))
            return kStatusFailed;
        r->materials[g] = k3DDefaultMaterial;
        if ((flags & k3dxMaterial) && !pStream->Read(&r->materials[g], 4, 17))
            return kStatusFailed;
    }

    uint32_t words[12];
    for (uint32_t v = 0; v < vertexCount; ++v) {
        if (!pStream->Read(words, 4, vertexWords))
            return kStatusFailed;
        UnpackVertex(r, v, flags, words);
    }
    if (indexCount > 0 && (!ReadIndices(pStream, r) || !IndicesInsideVertices(r)))
        return kStatusFailed;

    if (!(flags & k3dxModifiers))
        return kStatusOk;
    uint32_t marker = 0;
    if (!ReadWord(pStream, &marker))
        return kStatusFailed;
    if (marker != k3dxModifierMarker)
        return kStatusOk;
    if (!FitsInStream(pStream, groupCount, 4))
        return kStatusFailed;
    r->modifiers = static_cast<C3DModifierRow*>(UTILS_CALLOC(groupCount ? groupCount : 1, sizeof(C3DModifierRow)));
    if (!r->modifiers)
        return OutOfMemory();
    for (uint32_t g = 0; g < groupCount; ++g) {
        if (!ReadWord(pStream, &marker))
            return kStatusFailed;
        if (marker != k3dxModifierMarker)
            continue;
        for (uint32_t kind = 0; kind < kModifierKindCount; ++kind) {
            uint32_t keyCount = 0;
            if (!ReadWord(pStream, &marker))
                return kStatusFailed;
            if (marker != k3dxModifierMarker)
                continue;
            if (!ReadWord(pStream, &keyCount))
                return kStatusFailed;
            C3DObjectModifier* modifier = CreateObjectModifier(kind, m_pWorldData);
            if (!modifier)
                return kStatusFailed;
            r->modifiers[g][kind] = modifier;
            if (Failed(modifier->Load(pStream, keyCount)))
                return kStatusFailed;
            // A vertex track covers whole triangles of its group, and no more of them.
            if (uint64_t(modifier->GetEntryCount()) * 3 > r->groups[g].indexCount)
                return kStatusFailed;
        }
    }
    return kStatusOk;
}

Status C3DObjectRaw::Write3dx(UtilsStream* pStream, uint32_t flags)
{
    const C3DModelRecord* r = m_pRecord;
    if (!pStream || !r)
        return kStatusFailed;
    const uint32_t header[5] = {r->groupCount, r->vertexCount, r->indexCount, k3dxLayout64, flags};
    if (!pStream->Write(header, 4, 5))
        return kStatusFailed;
    for (uint32_t g = 0; g < r->groupCount; ++g) {
        const bool ok = pStream->Write(&r->groups[g], 4, 9) &&
                        (!(flags & k3dxTriple) || pStream->Write(r->triples[g], 4, 3)) &&
                        (!(flags & k3dxGroupName) || pStream->WriteStringA(r->groupNames[g], false)) &&
                        (!(flags & k3dxTextureName) || pStream->WriteStringA(r->textureNames[g], false)) &&
                        (!(flags & k3dxTextureKind) || WriteWord(pStream, r->textureKinds[g])) &&
                        (!(flags & k3dxTextureFlags) || WriteWord(pStream, r->textureFlags[g])) &&
                        (!(flags & k3dxMaterial) || pStream->Write(&r->materials[g], 4, 17));
        if (!ok)
            return kStatusFailed;
    }
    const uint32_t vertexWords = VertexBlockWords(flags);
    uint32_t words[12];
    for (uint32_t v = 0; vertexWords && v < r->vertexCount; ++v) {
        PackVertex(r, v, flags, words);
        if (!pStream->Write(words, 4, vertexWords))
            return kStatusFailed;
    }
    if (r->indexCount > 0 && !WriteIndices(pStream, r))
        return kStatusFailed;

    if (!(flags & k3dxModifiers))
        return kStatusOk;
    if (!r->modifiers)
        return WriteWord(pStream, 0) ? kStatusOk : kStatusFailed;
    if (!WriteWord(pStream, k3dxModifierMarker))
        return kStatusFailed;
    for (uint32_t g = 0; g < r->groupCount; ++g) {
        if (!WriteWord(pStream, k3dxModifierMarker))
            return kStatusFailed;
        for (C3DObjectModifier* modifier : r->modifiers[g]) {
            if (!WriteWord(pStream, modifier ? k3dxModifierMarker : 0) ||
                (modifier && Failed(modifier->Save(pStream))))
                return kStatusFailed;
        }
    }
    return kStatusOk;
}

Status C3DObjectRaw::MakeFromAddress(const void* address, uint32_t size, const char16_t* name)
{
    if (!HasExtension(name, u".3dx") || (!address && size > 0))
        return kStatusFailed;
    UtilsStream_Static stream(kStreamRead, const_cast<void*>(address), size);
    if (Failed(stream.Open()))
        return kStatusFailed;
    const Status status = LoadFromStream(&stream);
    stream.Close();
    return status;
}

Status C3DObjectRaw::LoadFromPacker(PackRecord* pEntry)
{
    if (!pEntry || !HasExtension(pEntry->lastEntryName, u".3dx"))
        return kStatusFailed;
    UtilsStream_Packer stream(kStreamRead, pEntry);
    if (Failed(stream.Open()))
        return kStatusFailed;
    const Status status = LoadFromStream(&stream);
    stream.Close();
    return status;
}

Status C3DObjectRaw::LoadFromFile(const char16_t* path)
{
    if (HasExtension(path, u".obj"))
        return LoadObj(path);
    if (!HasExtension(path, u".3dx"))
        return kStatusFailed;
    UtilsStream_File stream(kStreamRead, path);
    if (Failed(stream.Open()))
        return kStatusFailed;
    const Status status = LoadFromStream(&stream);
    stream.Close();
    return status;
}

Status C3DObjectRaw::SaveToFile(const char16_t* path, uint32_t flags)
{
    // Only ".3dx" is written; a file of any other kind is not even created.
    if (!m_pRecord || !HasExtension(path, u".3dx"))
        return kStatusFailed;
    UtilsStream_File stream(kStreamWrite, path);
    if (Failed(stream.Open()))
        return kStatusFailed;
    const Status status = Write3dx(&stream, flags);
    const Status closed = stream.Close();
    return Succeeded(status) && Failed(closed) ? closed : status;
}
