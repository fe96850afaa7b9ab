#include "Vornel3D_GL/GLContext_GL.h"

#include <cstring>

#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

C3DGLContext* GLContextFromWorld(const WorldData* pWorldData)
{
    return pWorldData ? static_cast<C3DGLContext*>(pWorldData->pRendererBlock) : nullptr;
}

C3DGLFeatures ParseGLFeatures(const char* version, const char* extensions)
{
    C3DGLFeatures features;
    int32_t major = 0, minor = 0;
    if (version && UtilsString_ParseVersion(version, &major, &minor)) {
        features.pointSprite = uint8_t(major >= 2 || (major == 1 && minor >= 4));
        features.shader = uint8_t(major >= 2);
    }
    features.multiTexture = uint8_t(extensions && std::strstr(extensions, "GL_ARB_multitexture") != nullptr);
    return features;
}
