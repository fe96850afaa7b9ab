#pragma once
// The game's own mouse pointer: named, animated cursors cut from one sprite sheet, drawn at the
// pointer on top of everything. Whatever lies under the pointer asks for a cursor by name once
// a frame (SelectCursor); the request takes effect at the next draw and is then forgotten, so
// a frame without a request keeps the cursor it had.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class C3DObject;
class UtilsStream_Chunk;
class UtilsStream_ChunkList;

// One cursor of the table: its cells run from start to stop, each shown for frameTime
// frame-step units; the hot spot is the pixel of the cell that lies under the pointer.
struct CursorRecord {
    uint32_t hotSpotX;
    uint32_t hotSpotY;
    char16_t* pName;   // owned
    float frameTime;
    uint32_t startCell;
    uint32_t stopCell;
};

class CCursors : public CManagedObject {
public:
    explicit CCursors(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CCursors() override;

    // The table of section "CURSORS", one quad per sheet cell and the sheet
    // ("CURSORS_TEXTURE_PATH", "cursors.png") at the game's texture halvings, then the layout.
    // kStatusFailed when the quads cannot be made or the sheet cannot be loaded.
    Status Load() override;
    // Frees the table and the quads. 0.
    Status Unload() override;
    // Every cell's quad (size x size units) and its part of the sheet. kStatusFailed before a load.
    Status Layout();
    Status Reload() override { return Layout(); }
    // Steps the animation and follows the pointer.
    void Update() override;
    // Applies the frame's request, draws the current cell and forgets the request.
    void Render() override;

    // Null asks for the first cursor (the arrow); a name asks for the first cursor of that name
    // (exact comparison). kStatusFailed, the request left as it was, for a name not in the table.
    Status SelectCursor(const char16_t* name);

    // The profile's chunk 190000 holds nothing of the cursors.
    Status LoadFromStream(UtilsStream_Chunk*) { return kStatusOk; }
    Status SaveToStream(UtilsStream_ChunkList*, UtilsStream_Chunk*) { return kStatusOk; }

    // The current cursor's hot spot; (0, 0) with an empty table.
    void GetHotSpot(float* pX, float* pY) const;
    uint32_t GetCount() const { return m_count; }
    const CursorRecord* GetRecord(uint32_t i) const { return i < m_count ? &m_pTable[i] : nullptr; }
    uint32_t GetCurrent() const { return m_current; }
    int32_t GetRequested() const { return m_requested; }
    uint32_t GetFrame() const { return m_frame; }
    uint32_t GetColumns() const { return m_columns; }
    uint32_t GetRows() const { return m_rows; }
    float GetSize() const { return m_size; }
    C3DObject* GetObject() const { return m_pObject; }

private:
    Status ReadTable();
    void FreeTable();

    C3DObject* m_pObject = nullptr;
    float m_elapsed = 0.0f;
    uint32_t m_current = 0;
    int32_t m_requested = -1;
    uint32_t m_frame = 0;
    float m_size = 64.0f;
    uint32_t m_columns = 1;
    uint32_t m_rows = 1;
    CursorRecord* m_pTable = nullptr;
    uint32_t m_count = 0;
};
