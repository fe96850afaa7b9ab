// Image reader: JPEG files from memory and from a pack entry. Nothing may crash or leak.
#include "ImageFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzImage(data, size, u"fuzz.jpg");
    return 0;
}
