#pragma once
// The world data record of a bare renderer in a window of the given size: no scaling, identity
// matrices, the default distances and a black clear colour.
#include "Vornel3D/C3DMath.h"
#include "VornelUtils/WorldData.h"

inline void InitScreenWorld(WorldData& w, C3DMath* math, uint16_t width, uint16_t height)
{
    w.pMath = math;
    w.scaleX = w.scaleY = w.scaleZ = 1.0f;
    w.virtualWidth = w.realWidth = width;
    w.virtualHeight = w.realHeight = height;
    w.nearDistance = 1.0f;
    w.farDistance = 20000.0f;
    w.nearDistanceScreen = -1000.0f;
    w.farDistanceScreen = 1000.0f;
    w.fieldOfView = 45.0f;
    w.colorClear = 0xFF000000u;
    w.dataPathWord = -1;
    for (float* m : {w.matrix1, w.matrix2, w.matrixCameraInitial, w.matrixCamera, w.matrix5})
        math->SetIdentity(m);
}
