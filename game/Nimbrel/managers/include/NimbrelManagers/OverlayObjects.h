#pragma once
// The screen objects of the game's overlays (cursors, touch marks, borders, flashlight): made
// and released through the world's 3D engine, and the ring strip that covers all but a
// rectangle.
#include <cstdint>

#include "VornelUtils/Status.h"

class C3DObject;
struct WorldData;

// An object of `groups` groups of `vertices` / `groups` vertices each, every group a triangle
// strip over its own vertices with identity indices; vertices still to be set. Null without an
// engine or when it cannot be made.
C3DObject* CreateOverlayObject(WorldData* pWorldData, uint32_t flags, uint32_t creation, uint32_t groups,
                               uint32_t vertices);
// Gives the object back to the engine and forgets it.
void ReleaseOverlayObject(WorldData* pWorldData, C3DObject** ppObject);
// The ten vertices of a ring between the inner and the outer rectangle ({left, top, right,
// bottom} each), inner and outer corners alternating around and back to the first pair: one
// strip of eight triangles, z 0.
void SetRingStrip(C3DObject* pObject, const float inner[4], const float outer[4], uint32_t color);
// Four corners (x0, y0), (x1, y0), (x0, y1), (x1, y1) from vertex `first` on, z 0, with the
// texture's corners.
void SetQuad(C3DObject* pObject, uint32_t first, float x0, float y0, float x1, float y1, uint32_t color);
