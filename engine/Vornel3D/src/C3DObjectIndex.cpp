#include "Vornel3D/C3DObjectIndex.h"

#include <memory>
#include <new>

C3DObjectIndex::C3DObjectIndex(WorldData* pWorldData) : CBaseObject(pWorldData) {}

C3DObjectIndex::~C3DObjectIndex() { delete[] m_pGroups; }

Status C3DObjectIndex::Init() { return kStatusOk; }

Status C3DObjectIndex::Release() {
    delete[] m_pGroups;
    m_pGroups = nullptr;
    m_nGroupCount = 0;
    m_nIndexCount = 0;
    return kStatusOk;
}

void* C3DObjectIndex::GetIndexData(uint8_t* width) {
    if (width) *width = 0;
    return nullptr;
}

Status C3DObjectIndex::Select(const C3DGroupRecord* group) { return kStatusOk; }

Status C3DObjectIndex::Create(uint32_t groupCount, uint32_t indexCount) {
    C3DGroupRecord* groups = nullptr;
    if (groupCount > 0) {
        groups = new (std::nothrow) C3DGroupRecord[groupCount]();
        if (!groups) return kStatusFailed;
        for (uint32_t i = 0; i < groupCount; ++i) groups[i].link = kGroupLinkUnset;
    }
    // Replacing, not leaking: a second Create without Release must not lose the old records.
    delete[] m_pGroups;
    m_pGroups = groups;
    m_nGroupCount = groupCount;
    m_nIndexCount = indexCount;
    return kStatusOk;
}

Status C3DObjectIndex::Lock(uint32_t first, uint32_t mode) { return kStatusOk; }

void C3DObjectIndex::SetIndex(uint32_t position, uint32_t value) {}

uint32_t C3DObjectIndex::GetIndex(uint32_t position) { return 0xFFFFFFFFu; }

Status C3DObjectIndex::Unlock(uint32_t flag) { return kStatusOk; }

C3DGroupRecord* C3DObjectIndex::GetGroup(uint32_t i) {
    if (!m_pGroups || i >= m_nGroupCount) return nullptr;
    return &m_pGroups[i];
}

Status C3DObjectIndex::GetGroupInfo(uint32_t i, uint32_t* baseVertex, uint32_t* vertexCount, uint32_t* firstIndex,
                                    uint32_t* indexCount, uint32_t* primitiveCount, uint32_t* type,
                                    uint32_t* faceMode, uint32_t* id, uint32_t* link) {
    const C3DGroupRecord* g = GetGroup(i);
    if (!g) return kStatusFailed;
    if (baseVertex) *baseVertex = g->baseVertex;
    if (vertexCount) *vertexCount = g->vertexCount;
    if (firstIndex) *firstIndex = g->firstIndex;
    if (indexCount) *indexCount = g->indexCount;
    if (primitiveCount) *primitiveCount = g->primitiveCount;
    if (type) *type = g->type;
    if (faceMode) *faceMode = g->faceMode;
    if (id) *id = g->id;
    if (link) *link = g->link;
    return kStatusOk;
}

Status C3DObjectIndex::Restore(uint32_t arg) { return kStatusOk; }

Status C3DObjectIndex::Invalidate(uint32_t arg) { return kStatusOk; }

Status C3DObjectIndex::StripToList(uint32_t code) {
    if (code != 3 || m_nGroupCount != 1 || !m_pGroups || m_pGroups[0].type != kPrimitiveTriangleStrip) {
        return kStatusFailed;
    }
    const uint32_t n = m_nIndexCount;
    if (n < 3) return kStatusFailed;
    const uint32_t triangles = n - 2;
    if (triangles > 0xFFFFFFFFu / 3) return kStatusFailed;

    // The strip's own values, read before the storage goes: a strip need not run over
    // vertices 0, 1, 2, ... in order.
    std::unique_ptr<uint32_t[]> strip(new (std::nothrow) uint32_t[n]);
    if (!strip) return kStatusFailed;
    Lock(0, 2);
    for (uint32_t i = 0; i < n; ++i) strip[i] = GetIndex(i);
    Unlock(0);

    const C3DGroupRecord old = m_pGroups[0];
    if (Failed(Release())) return kStatusFailed;
    if (Failed(Init())) return kStatusFailed;
    if (Failed(Create(1, 3 * triangles))) return kStatusFailed;
    Lock(0, 2);
    for (uint32_t k = 0; k < triangles; ++k) {
        // Odd triangles of a strip are wound the other way; swapping two corners keeps every
        // triangle facing the same side.
        const bool odd = (k & 1u) != 0;
        SetIndex(3 * k, strip[k]);
        SetIndex(3 * k + 1, strip[odd ? k + 2 : k + 1]);
        SetIndex(3 * k + 2, strip[odd ? k + 1 : k + 2]);
    }
    Unlock(1);

    C3DGroupRecord& g = m_pGroups[0];
    g.id = old.id;
    g.link = old.link;
    g.baseVertex = old.baseVertex;
    g.vertexCount = old.vertexCount;
    g.firstIndex = old.firstIndex;
    g.faceMode = old.faceMode;
    g.indexCount = 3 * triangles;
    g.primitiveCount = triangles;
    g.type = kPrimitiveTriangleList;
    return kStatusOk;
}

uint32_t C3DObjectIndex::FillIdentity() {
    for (uint32_t i = 0; i < m_nIndexCount; ++i) SetIndex(i, i);
    return m_nIndexCount;
}

uint32_t C3DObjectIndex::FillSequence(uint32_t start, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) SetIndex(start + i, i);
    return start + count;
}

Status C3DObjectIndex::SetGroup(uint32_t i, uint32_t baseVertex, uint32_t vertexCount, uint32_t firstIndex,
                                uint32_t indexCount, uint32_t primitiveCount, uint32_t type, uint32_t faceMode,
                                uint32_t id) {
    C3DGroupRecord* g = GetGroup(i);
    if (!g) return kStatusFailed;
    g->id = id == kGroupIdOwnNumber ? i : id;
    g->baseVertex = baseVertex;
    g->vertexCount = vertexCount;
    g->firstIndex = firstIndex;
    g->indexCount = indexCount;
    g->primitiveCount = primitiveCount;
    g->type = type;
    g->faceMode = faceMode;
    return kStatusOk;
}

uint32_t C3DObjectIndex::CountPrimitives(uint32_t type, uint32_t indexCount) {
    switch (type) {
        case kPrimitiveTriangleStrip:
        case kPrimitiveTriangleFan:
            return indexCount < 3 ? 0 : indexCount - 2;
        case kPrimitiveTriangleList:
            return indexCount / 3;
        case kPrimitiveLineList:
            return indexCount / 2;
        case kPrimitiveLineStrip:
            return indexCount < 2 ? 0 : indexCount - 1;
        case kPrimitivePointList:
            return indexCount;
        default:
            return 0;
    }
}

// --- in-memory index lists -----------------------------------------------------------------

namespace {

// Allocates `count` zeroed indices (none for 0); false when out of memory.
template <typename T>
bool AllocateIndices(uint32_t count, T** out) {
    *out = nullptr;
    if (count == 0) return true;
    *out = new (std::nothrow) T[count]();
    return *out != nullptr;
}

}  // namespace

template <typename T>
C3DObjectIndexInMemory<T>::C3DObjectIndexInMemory(WorldData* pWorldData, uint32_t kind) : C3DObjectIndex(pWorldData) {
    m_nKind = kind;
}

template <typename T>
C3DObjectIndexInMemory<T>::~C3DObjectIndexInMemory() {
    delete[] m_pIndices;
}

template <typename T>
Status C3DObjectIndexInMemory<T>::Release() {
    delete[] m_pIndices;
    m_pIndices = nullptr;
    return C3DObjectIndex::Release();
}

template <typename T>
void* C3DObjectIndexInMemory<T>::GetIndexData(uint8_t* width) {
    if (width) *width = sizeof(T);
    return m_pIndices;
}

template <typename T>
Status C3DObjectIndexInMemory<T>::Create(uint32_t groupCount, uint32_t indexCount) {
    T* indices = nullptr;
    if (!AllocateIndices(indexCount, &indices)) return kStatusFailed;
    if (Failed(C3DObjectIndex::Create(groupCount, indexCount))) {
        delete[] indices;
        return kStatusFailed;
    }
    delete[] m_pIndices;
    m_pIndices = indices;
    return kStatusOk;
}

template <typename T>
void C3DObjectIndexInMemory<T>::SetIndex(uint32_t position, uint32_t value) {
    if (m_pIndices && position < m_nIndexCount) m_pIndices[position] = static_cast<T>(value);
}

template <typename T>
uint32_t C3DObjectIndexInMemory<T>::GetIndex(uint32_t position) {
    if (!m_pIndices || position >= m_nIndexCount) return 0xFFFFFFFFu;
    return m_pIndices[position];
}

template class C3DObjectIndexInMemory<uint16_t>;
template class C3DObjectIndexInMemory<uint32_t>;

C3DObjectIndex16::C3DObjectIndex16(WorldData* pWorldData) : C3DObjectIndexInMemory(pWorldData, kIndexKind16) {}

C3DObjectIndex32::C3DObjectIndex32(WorldData* pWorldData) : C3DObjectIndexInMemory(pWorldData, kIndexKind32) {}
