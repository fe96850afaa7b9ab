// The splash screens' profile chunk (160000) from any bytes, on the 3D engine's memory back
// end: a load either takes an entry kind of 0 to 4 and names that fit, or fails with no entry
// loaded; whatever it took then steps, draws, saves and releases.
#include <cstdint>
#include <cstdlib>

#include "MemoryBackEnd.h"
#include "NimbrelManagers/CSplashscreens.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Chunk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    CNimbrelWorld world;
    world.SetApplicationParameters(kNimbrelResourceMode, kNimbrelClassName, u"Nimbrel", u"", 0);
    WorldData* w = world.GetWorldData();
    C3DMath math(w);
    w->pMath = &math;
    w->virtualWidth = 1024;
    w->virtualHeight = 768;
    w->frameTime = 1.0;
    CMemoryEngine engine(w);
    {
        CSplashscreens splash(w);
        if (Failed(splash.Load()))
            std::abort();
        UtilsStream_Chunk chunk(kProfileTagSplash);
        chunk.Open(kStreamReadWriteGrowable);
        if (size && !chunk.Write(data, 1, static_cast<uint32_t>(size)))
            std::abort();
        chunk.Rewind();
        const Status status = splash.LoadFromStream(&chunk);
        if (status != kStatusOk && status != kStatusFailed)
            std::abort();
        if (splash.GetEntryKind() > kSplashNothing || (Failed(status) && (splash.GetTexture() || splash.HasVideo())))
            std::abort();
        splash.Render();
        splash.Advance();
        splash.CheckEnd();
        UtilsStream_Chunk saved(kProfileTagSplash);
        saved.Open(kStreamReadWriteGrowable);
        if (Failed(splash.SaveToStream(nullptr, &saved)))
            std::abort();
        splash.ReleaseImage();
        splash.Unload();
    }
    engine.Unload();
    return 0;
}
