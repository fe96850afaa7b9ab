#pragma once
// The model files of a scene object beside its element infos: "%s_object_%d.obj.3dx" and
// ".col.3dx", one triangle-list group per element (group i is element i), written here for the
// construction tool, and the animation file "%s_object_%d.ani.raw", written and read here.
#include <cstdint>

#include "NimbrelObjects/CObjectsBase.h"
#include "Vornel3D/C3DObjectModifier.h"

class C3DObjectRaw;
class UtilsStream;

// One element as its models draw and hit-test it.
struct ObjectModelElement {
    float width, height;     // a quad of this size centred on the element's origin
    const char* texture;     // null: none
    const float* polygon;    // collision only: x, y pairs about the origin (a fan); null: the quad
    uint32_t polygonPoints;
};

// The ".3dx" blocks of the object's model files.
constexpr uint32_t kObjectModelFileFlags = 0x10000 | 0x40000 | 0x100000 | 0x400000 | 0x1000000 | 0x4000000 |
                                           0x8000000 | 0x10000000;

// Fills an empty raw model: the render model (quads with their textures) or the collision
// model (quads or polygons, no textures). 0, kStatusFailed for a polygon of fewer than three
// points, or the raw model's out-of-memory status.
Status BuildObjectModel(C3DObjectRaw* pRaw, const ObjectModelElement* pElements, uint32_t count, bool collision);

// The animation file: the element count, then per element and track kind 0 when the element
// has no such track, else the track's saved form (whose first word, its key count, is never 0).
// `tracks` holds kElementTrackKinds entries per element, null where there is none.
Status WriteObjectAnimation(UtilsStream* pStream, uint32_t elementCount, C3DObjectModifier* const* tracks);

// The tracks of the animation file after its element count: per element and kind a word, and
// after a word that is not 0 the track's keys (kStatusFailed on a short or broken track,
// kStatusOutOfMemory, latched, when a track cannot be made). `rows` holds count zeroed rows;
// the tracks read before a failure stay in them.
Status ReadObjectTracks(UtilsStream* pStream, WorldData* pWorldData, uint32_t count,
                        C3DObjectModifier* (*rows)[kElementTrackKinds]);
