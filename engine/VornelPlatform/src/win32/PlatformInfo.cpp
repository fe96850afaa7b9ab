#include "VornelPlatform/PlatformInfo.h"

const char* Platform_Name()
{
    return "Windows";
}
