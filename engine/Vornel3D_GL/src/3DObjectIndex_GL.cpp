#include "Vornel3D_GL/C3DObjectIndex_GL.h"

#include <new>

#include "GLHeaders_GL.h"
#include "VornelUtils/WorldData.h"

uint32_t C3DObjectIndex_GL::DrawCount(uint32_t type, uint32_t primitives)
{
    switch (type) {
    case kPrimitiveTriangleStrip: return primitives + 2;
    case kPrimitiveTriangleList: return 3 * primitives;
    case kPrimitiveTriangleFan: return primitives + 2;
    case kPrimitiveLineList: return 2 * primitives;
    case kPrimitiveLineStrip: return primitives + 1;
    case kPrimitivePointList: return primitives;
    default: return 0;
    }
}

uint32_t C3DObjectIndex_GL::PrimitiveMode(uint32_t type)
{
    switch (type) {
    case kPrimitiveTriangleStrip: return GL_TRIANGLE_STRIP;
    case kPrimitiveTriangleList: return GL_TRIANGLES;
    case kPrimitiveTriangleFan: return GL_TRIANGLE_FAN;
    case kPrimitiveLineList: return GL_LINES;
    case kPrimitiveLineStrip: return GL_LINE_STRIP;
    default: return GL_POINTS;
    }
}

C3DObjectIndex_GL::~C3DObjectIndex_GL()
{
    // The lists went with Release, while the context was current; only the table is left.
    delete[] m_pLists;
}

void C3DObjectIndex_GL::DeleteDisplayLists()
{
    if (!m_pLists)
        return;
    if (m_pLists[0] != 0)
        glDeleteLists(m_pLists[0], GLsizei(m_nListCount));
    for (uint32_t g = 0; g < m_nListCount; ++g)
        m_pLists[g] = 0;
}

Status C3DObjectIndex_GL::CreateDisplayListTable(WorldData* pWorldData, uint32_t groups)
{
    uint32_t* table = nullptr;
    if (groups > 0) {
        table = new (std::nothrow) uint32_t[groups]();
        if (!table) {
            if (pWorldData)
                pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
    }
    ReleaseDisplayListTable();
    m_pLists = table;
    m_nListCount = groups;
    return kStatusOk;
}

void C3DObjectIndex_GL::ReleaseDisplayListTable()
{
    DeleteDisplayLists();
    delete[] m_pLists;
    m_pLists = nullptr;
    m_nListCount = 0;
}

bool C3DObjectIndex_GL::IndicesBelow(uint32_t first, uint32_t count, uint32_t limit) const
{
    const void* storage = IndexStorage();
    const uint32_t stored = StoredIndexCount();
    if (!storage || first > stored || count > stored - first)
        return false;
    if (IndexSize() == 2) {
        const uint16_t* p = static_cast<const uint16_t*>(storage) + first;
        for (uint32_t i = 0; i < count; ++i)
            if (p[i] >= limit)
                return false;
    } else {
        const uint32_t* p = static_cast<const uint32_t*>(storage) + first;
        for (uint32_t i = 0; i < count; ++i)
            if (p[i] >= limit)
                return false;
    }
    return true;
}

Status C3DObjectIndex_GL::DrawIndexed(const C3DGroupRecord* record) const
{
    if (!record)
        return kStatusFailed;
    const uint32_t count = DrawCount(record->type, record->primitiveCount);
    const void* storage = IndexStorage();
    const uint32_t stored = StoredIndexCount();
    // A group that reaches past the index list draws nothing rather than read beyond it.
    if (count == 0 || !storage || record->firstIndex > stored || count > stored - record->firstIndex)
        return kStatusOk;
    const uint8_t* start = static_cast<const uint8_t*>(storage) + size_t(record->firstIndex) * IndexSize();
    glDrawElements(GLenum(PrimitiveMode(record->type)), GLsizei(count),
                   IndexSize() == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT, start);
    return kStatusOk;
}

C3DObjectIndex_GL* GLIndexOf(C3DObjectIndex* pIndex)
{
    return dynamic_cast<C3DObjectIndex_GL*>(pIndex);
}
