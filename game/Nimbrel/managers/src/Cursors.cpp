#include "NimbrelManagers/CCursors.h"

#include <algorithm>

#include "NimbrelManagers/AutoLoadTextureFromParam.h"
#include "NimbrelManagers/OverlayObjects.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kObjectFlags = 0x8010;
// No depth test: the zone masks of the scene leave depth behind them, and the cursor is drawn
// over everything.
constexpr uint32_t kObjectCreation = 0x0C29;
constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureFlags = 0x52;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
// One quad a cell, with 16-bit indices: a sheet of more cells cannot be drawn.
constexpr uint64_t kMostCells = 0x10000 / 4;
constexpr const char16_t* kSection = u"CURSORS";

}  // namespace

CCursors::~CCursors()
{
    Unload();
}

Status CCursors::ReadTable()
{
    UtilsParameters* settings = m_pWorldData->pAppSettings;
    if (!settings)
        return kStatusFailed;
    m_size = settings->GetFloat(kSection, u"CURSORS_SIZE", 64.0f);
    // A sheet has at least one cell each way.
    m_columns = uint32_t(std::max(settings->GetInt(kSection, u"CURSORS_TEXTURE_DIV_X", 1), 1));
    m_rows = uint32_t(std::max(settings->GetInt(kSection, u"CURSORS_TEXTURE_DIV_Y", 1), 1));
    if (uint64_t(m_columns) * m_rows > kMostCells) {
        UtilsString_Format(m_pWorldData->lastErrorText, kWorldTextSize, u"Too many cursor cells: %u x %u", m_columns,
                           m_rows);
        return kStatusFailed;
    }
    const uint32_t cells = m_columns * m_rows;
    const int32_t count = settings->GetInt(kSection, u"CURSORS_COUNT", 0);
    if (count <= 0)
        return kStatusOk;
    m_pTable = static_cast<CursorRecord*>(UTILS_CALLOC(uint32_t(count), sizeof(CursorRecord)));
    if (!m_pTable)
        return kStatusOutOfMemory;
    m_count = uint32_t(count);
    char16_t key[64], name[kWorldTextSize];
    for (uint32_t n = 1; n <= m_count; ++n) {
        CursorRecord& r = m_pTable[n - 1];
        UtilsString_Format(key, 64, u"CURSOR_%d_NAME", int32_t(n));
        settings->GetString(kSection, key, key, name, kWorldTextSize);
        r.pName = UtilsString_DupW(name);
        if (!r.pName)
            return kStatusOutOfMemory;
        UtilsString_Format(key, 64, u"CURSOR_%d_TIME", int32_t(n));
        r.frameTime = settings->GetFloat(kSection, key, 1.0f) * 30.0f;
        // Cells outside the sheet would draw nothing: both ends stay on it.
        UtilsString_Format(key, 64, u"CURSOR_%d_START", int32_t(n));
        r.startCell = uint32_t(std::clamp(settings->GetInt(kSection, key, 1), 1, int32_t(cells)) - 1);
        UtilsString_Format(key, 64, u"CURSOR_%d_STOP", int32_t(n));
        r.stopCell = uint32_t(std::clamp(settings->GetInt(kSection, key, int32_t(cells)), 1, int32_t(cells)) - 1);
        // The whole animation lasts the given time.
        r.frameTime /= float(r.stopCell >= r.startCell ? r.stopCell - r.startCell + 1 : 1);
        UtilsString_Format(key, 64, u"CURSOR_%d_OFFSET_X", int32_t(n));
        r.hotSpotX = uint32_t(uint16_t(settings->GetInt(kSection, key, 0))) >> 1;
        UtilsString_Format(key, 64, u"CURSOR_%d_OFFSET_Y", int32_t(n));
        r.hotSpotY = uint32_t(uint16_t(settings->GetInt(kSection, key, 0))) >> 1;
    }
    return kStatusOk;
}

Status CCursors::Load()
{
    WorldData* w = m_pWorldData;
    auto* world = w ? dynamic_cast<CManagedWorld*>(w->pWorld) : nullptr;
    if (!world || !w->pGame)
        return kStatusFailed;
    Unload();
    const Status read = ReadTable();
    if (Failed(read))
        return read;
    const uint32_t cells = m_columns * m_rows;
    m_pObject = CreateOverlayObject(w, kObjectFlags, kObjectCreation, cells, cells * 4);
    if (!m_pObject)
        return kStatusFailed;
    w->textureMipShift = w->pGame->screen.textureLevelShift;
    const Status loaded =
        AutoLoad3DObjectTextureFromParam(world->GetTextureSource(), m_pObject, kTextureKind, kTextureFlags, 0,
                                         kSection, u"CURSORS_TEXTURE_PATH", u"cursors.png", w->pAppSettings, w);
    w->textureMipShift = 0;
    if (Failed(loaded))
        return kStatusFailed;
    return Layout();
}

void CCursors::FreeTable()
{
    for (uint32_t i = 0; m_pTable && i < m_count; ++i)
        UTILS_FREE(m_pTable[i].pName);
    UTILS_FREE(m_pTable);
    m_pTable = nullptr;
    m_count = 0;
}

Status CCursors::Unload()
{
    FreeTable();
    ReleaseOverlayObject(m_pWorldData, &m_pObject);
    m_current = 0;
    m_requested = -1;
    m_frame = 0;
    m_elapsed = 0.0f;
    return kStatusOk;
}

Status CCursors::Layout()
{
    if (!m_pObject)
        return kStatusFailed;
    const float du = 1.0f / float(m_columns), dv = 1.0f / float(m_rows);
    m_pObject->Lock(2, 0);
    for (uint32_t i = 0; i < m_columns * m_rows; ++i) {
        const uint32_t c = i % m_columns, r = i / m_columns;
        // The last column and row end exactly on the sheet's edge.
        const float u0 = float(c) * du, u1 = c + 1 == m_columns ? 1.0f : float(c + 1) * du;
        const float v0 = float(r) * dv, v1 = r + 1 == m_rows ? 1.0f : float(r + 1) * dv;
        m_pObject->SetVertex(4 * i, 0.0f, 0.0f, 0.0f, kWhite, u0, v0, 0.0f, 0.0f, 0.0f, 0);
        m_pObject->SetVertex(4 * i + 1, m_size, 0.0f, 0.0f, kWhite, u1, v0, 0.0f, 0.0f, 0.0f, 0);
        m_pObject->SetVertex(4 * i + 2, 0.0f, m_size, 0.0f, kWhite, u0, v1, 0.0f, 0.0f, 0.0f, 0);
        m_pObject->SetVertex(4 * i + 3, m_size, m_size, 0.0f, kWhite, u1, v1, 0.0f, 0.0f, 0.0f, 0);
    }
    m_pObject->Unlock(1);
    return kStatusOk;
}

void CCursors::Update()
{
    WorldData* w = m_pWorldData;
    if (!w)
        return;
    // An empty table shows the first cell, still.
    if (const CursorRecord* r = GetRecord(m_current)) {
        m_elapsed += float(w->frameTime);
        if (m_elapsed > r->frameTime) {
            m_frame = m_frame >= r->stopCell || m_frame < r->startCell ? r->startCell : m_frame + 1;
            m_elapsed = 0.0f;
        }
    }
    if (!m_pObject)
        return;
    float x = 0.0f, y = 0.0f;
    GetHotSpot(&x, &y);
    m_pObject->UseOwnMatrix();
    m_pObject->SetIdentity();
    m_pObject->SetPosition(w->mouseX - x, w->mouseY - y, 0.0f);
}

void CCursors::Render()
{
    // The animation restarts only when the cursor changes.
    if (m_requested >= 0 && uint32_t(m_requested) != m_current && uint32_t(m_requested) < m_count) {
        m_current = uint32_t(m_requested);
        m_frame = m_pTable[m_current].startCell;
    }
    if (m_pObject)
        m_pObject->DrawEx(m_frame);
    m_requested = -1;
}

Status CCursors::SelectCursor(const char16_t* name)
{
    if (!name) {
        m_requested = 0;
        return kStatusOk;
    }
    for (uint32_t i = 0; i < m_count; ++i)
        if (UtilsString_Compare(m_pTable[i].pName, name) == 0) {
            m_requested = int32_t(i);
            return kStatusOk;
        }
    return kStatusFailed;
}

void CCursors::GetHotSpot(float* pX, float* pY) const
{
    const CursorRecord* r = GetRecord(m_current);
    *pX = r ? float(r->hotSpotX) : 0.0f;
    *pY = r ? float(r->hotSpotY) : 0.0f;
}
