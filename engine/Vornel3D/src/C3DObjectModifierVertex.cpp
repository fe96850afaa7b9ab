// The vertex kinds of modifier: per-triangle positions and texture coordinates written into
// the target object's group.
#include "Bounds.h"
#include "StreamWords.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectModifier.h"
#include "VornelUtils/UtilsMemory.h"

namespace {

// The stored floats of one entry (its tag is not stored).
template <typename Entry> constexpr uint32_t EntryFloats()
{
    static_assert(sizeof(Entry) == 4 + sizeof(Entry::corner), "an entry is its tag and its corners");
    return uint32_t(sizeof(Entry::corner) / 4); // every corner field is a 4-byte float
}

} // namespace

template <typename Entry> C3DObjectModifierVertex<Entry>::~C3DObjectModifierVertex()
{
    FreeKeys();
}

template <typename Entry> float C3DObjectModifierVertex<Entry>::KeyDuration(uint32_t key)
{
    return m_pKeys && key < m_nKeyCount ? m_pKeys[key].duration : 0.0f;
}

template <typename Entry> Status C3DObjectModifierVertex<Entry>::LoadKeys(UtilsStream* pStream)
{
    constexpr uint32_t floats = EntryFloats<Entry>();
    uint32_t entries = 0;
    if (!ReadWord(pStream, &entries) || entries == 0 ||
        !FitsInStream(pStream, m_nKeyCount, 4 + uint64_t(entries) * floats * 4))
        return kStatusFailed;
    auto* keys = static_cast<Key*>(UTILS_CALLOC(m_nKeyCount, sizeof(Key)));
    if (!keys)
        return OutOfMemory();
    FreeKeys();
    m_pKeys = keys; // freed by Release when a later read fails
    for (uint32_t k = 0; k < m_nKeyCount; ++k) {
        Key& key = keys[k];
        key.entries = static_cast<Entry*>(UTILS_CALLOC(entries, sizeof(Entry)));
        if (!key.entries)
            return OutOfMemory();
        key.entryCount = entries;
        if (!ReadFloat(pStream, &key.duration))
            return kStatusFailed;
        for (uint32_t j = 0; j < entries; ++j)
            if (!pStream->Read(key.entries[j].corner, 4, floats))
                return kStatusFailed;
    }
    return kStatusOk;
}

template <typename Entry> Status C3DObjectModifierVertex<Entry>::SaveKeys(UtilsStream* pStream)
{
    constexpr uint32_t floats = EntryFloats<Entry>();
    const uint32_t entries = GetEntryCount();
    if (entries == 0)
        return kStatusFailed;
    // One count is stored for every key: a key with another count cannot be written.
    for (uint32_t k = 0; k < m_nKeyCount; ++k)
        if (m_pKeys[k].entryCount != entries || !m_pKeys[k].entries)
            return kStatusFailed;
    if (!WriteWord(pStream, entries))
        return kStatusFailed;
    for (uint32_t k = 0; k < m_nKeyCount; ++k) {
        if (!WriteFloat(pStream, m_pKeys[k].duration))
            return kStatusFailed;
        for (uint32_t j = 0; j < entries; ++j)
            if (!pStream->Write(m_pKeys[k].entries[j].corner, 4, floats))
                return kStatusFailed;
    }
    return kStatusOk;
}

template <typename Entry> void C3DObjectModifierVertex<Entry>::FreeKeys()
{
    if (m_pKeys)
        for (uint32_t k = 0; k < m_nKeyCount; ++k)
            UTILS_FREE(m_pKeys[k].entries);
    UTILS_FREE(m_pKeys);
    m_pKeys = nullptr;
}

template <typename Entry> Status C3DObjectModifierVertex<Entry>::TakeKeys(void* keys)
{
    m_pKeys = static_cast<Key*>(keys);
    return kStatusOk;
}

template <typename Entry>
template <typename Write>
void C3DObjectModifierVertex<Entry>::WriteCorners(const Key& key, Write write)
{
    C3DObject* target = m_pTarget;
    target->Lock(2, 2);
    C3DGroupRecord group{};
    if (Succeeded(target->GetGroup(m_nGroup, &group)) && key.entries) {
        // Only the triangles that lie inside the group, and only vertices the object has.
        const uint32_t triangles = group.indexCount / 3;
        const uint32_t entries = key.entryCount < triangles ? key.entryCount : triangles;
        const uint32_t vertexCount = target->GetVertexCount();
        for (uint32_t j = 0; j < entries; ++j)
            for (uint32_t i = 0; i < 3; ++i) {
                const uint64_t vertex = uint64_t(target->GetIndex(group.firstIndex + 3 * j + i)) + group.baseVertex;
                if (vertex < vertexCount)
                    write(uint32_t(vertex), j, i);
            }
    }
    target->Unlock(1);
}

template class C3DObjectModifierVertex<C3DModifierTrianglePositions>;
template class C3DObjectModifierVertex<C3DModifierTriangleUVs>;

Status C3DObjectModifierVertexPosition::Apply()
{
    const float f = Update();
    C3DModifierState& s = *m_pState;
    if (!m_pTarget || !m_pKeys || m_nKeyCount == 0 || (f == 0.0f && (s.flags & kModifierApplied)))
        return kStatusOk;
    s.flags |= kModifierApplied;
    const Key& a = m_pKeys[s.currentKey];
    const Key& b = HoldsLastKey() ? a : m_pKeys[NextKey()];
    const uint32_t common = a.entryCount < b.entryCount ? a.entryCount : b.entryCount;
    WriteCorners(a, [&](uint32_t vertex, uint32_t j, uint32_t i) {
        if (j >= common || !b.entries)
            return;
        const C3DVector3& p = a.entries[j].corner[i];
        const C3DVector3& q = b.entries[j].corner[i];
        m_pTarget->SetVertexPosition(vertex, p.x + (q.x - p.x) * f, p.y + (q.y - p.y) * f, p.z + (q.z - p.z) * f);
    });
    return kStatusOk;
}

Status C3DObjectModifierVertexTexture::Apply()
{
    const float f = Update();
    C3DModifierState& s = *m_pState;
    if (!m_pTarget || !m_pKeys || m_nKeyCount == 0 || (f == 0.0f && (s.flags & kModifierApplied)))
        return kStatusOk;
    s.flags |= kModifierApplied;
    const uint32_t k = (s.flags & kModifierReverse) ? m_nKeyCount - s.currentKey - 1 : s.currentKey;
    const Key& key = m_pKeys[k];
    WriteCorners(key, [&](uint32_t vertex, uint32_t j, uint32_t i) {
        const C3DVector2& uv = key.entries[j].corner[i];
        m_pTarget->SetVertexUV0(vertex, uv.x, uv.y);
    });
    return kStatusOk;
}

void C3DObjectModifierVertexTexture::GetUVBounds(C3DVector2* pMin, C3DVector2* pMax)
{
    C3DVector2 min, max;
    SetEmptyBox(min, max);
    bool first = true;
    for (uint32_t k = 0; m_pKeys && k < m_nKeyCount; ++k) {
        C3DVector2 keyMin, keyMax;
        GetKeyUVBounds(k, &keyMin, &keyMax);
        if (m_pKeys[k].entryCount && m_pKeys[k].entries) {
            WidenBox(min, max, keyMin, first);
            WidenBox(min, max, keyMax, false);
            first = false;
        }
    }
    if (pMin)
        *pMin = min;
    if (pMax)
        *pMax = max;
}

void C3DObjectModifierVertexTexture::GetKeyUVBounds(uint32_t key, C3DVector2* pMin, C3DVector2* pMax)
{
    C3DVector2 min, max;
    SetEmptyBox(min, max);
    bool first = true;
    if (m_pKeys && key < m_nKeyCount && m_pKeys[key].entries)
        for (uint32_t j = 0; j < m_pKeys[key].entryCount; ++j)
            for (const C3DVector2& uv : m_pKeys[key].entries[j].corner) {
                WidenBox(min, max, uv, first);
                first = false;
            }
    if (pMin)
        *pMin = min;
    if (pMax)
        *pMax = max;
}
