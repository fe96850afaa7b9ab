#pragma once
// The obstruction overlay: one screen quad that the scene objects place on a rectangle and draw
// into the depth buffer, so that an element bounded to a zone is drawn inside it only. The game
// world makes one at its load and keeps it among its managers.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class C3DObject;

class CObstruction : public CManagedObject {
public:
    explicit CObstruction(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CObstruction() override;

    // Makes the quad through the 3D engine: four white corners, one strip of two triangles,
    // carrying the picture of "OBSTRUCTION_TEXTURE_PATH" ("obstruction.png") of section
    // "OBSTRUCTION". Without an engine (a world that does not draw) there is no quad and 0 is
    // returned; kStatusFailed when the engine cannot make it or the picture is missing.
    Status Load() override;
    // Gives the quad back to the engine.
    Status Unload() override;
    // Corners (x0, y0), (x1, y0), (x0, y1), (x1, y1) at depth 0; x1 < x0 mirrors the quad.
    Status SetRectangle(float x0, float y0, float x1, float y1);
    // Null before Load or without an engine.
    C3DObject* GetQuad() const { return m_pQuad; }

private:
    C3DObject* m_pQuad = nullptr;
};
