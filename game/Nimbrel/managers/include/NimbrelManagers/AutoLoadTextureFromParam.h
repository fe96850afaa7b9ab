#pragma once
// The texture of every group of a 3D object, named by a settings key: how the loading screen,
// the cursors, the touch marks and the overlays load their pictures.
#include <cstdint>

#include "VornelUtils/Status.h"

class C3DObject;
class UtilsParameters;
struct WorldData;

// The picture named by (section, key), `defaultName` when the key is missing, into `stage` of
// every group with the texture words a and b; from source 1 (stored in the program), 2 (the
// main pack) or 4 (a loose file: the text read as a path under the data path). Another source
// loads nothing and gives 0. kStatusFailed when it cannot be loaded, with "Missing file: %s"
// and the name in the world's last error text.
Status AutoLoad3DObjectTextureFromParam(uint32_t source, C3DObject* pObject, uint32_t a, uint32_t b, uint32_t stage,
                                        const char16_t* section, const char16_t* key, const char16_t* defaultName,
                                        UtilsParameters* pSettings, WorldData* pWorldData);
