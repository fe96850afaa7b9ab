#include "GLDevice_GL.h"

Status GLDevice_PrepareWindow(PlatformWindow*, uint16_t, uint16_t, uint8_t, uint8_t&)
{
    return kStatusOk;
}

void GLDevice_ReleaseWindow(PlatformWindow*, uint8_t)
{
}
