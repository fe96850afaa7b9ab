// Scene objects' animation files from any bytes: the element count, then per element and track
// kind a word and the track's keys after a word that is not 0, read as the object reads them
// when it attaches its tracks. A file that reads writes back to the bytes it was read from.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "NimbrelObjects/ObjectModelFiles.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4 || size > 0xFFFFFFFFu)
        return 0;
    auto world = std::make_unique<WorldData>();
    UtilsStream_Static in(kStreamRead, const_cast<uint8_t*>(data), uint32_t(size));
    in.Open();
    uint32_t count = 0;
    in.Read(&count, 4, 1);
    // Every element takes seven words at least.
    if (count > (size - 4) / (4 * kElementTrackKinds))
        return 0;
    std::vector<C3DObjectModifier*> tracks(size_t(count) * kElementTrackKinds, nullptr);
    auto* rows = reinterpret_cast<C3DObjectModifier* (*)[kElementTrackKinds]>(tracks.data());
    if (Succeeded(ReadObjectTracks(&in, world.get(), count, rows))) {
        const uint32_t used = uint32_t(in.Tell());
        UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
        out.Open();
        if (Failed(WriteObjectAnimation(&out, count, tracks.data())) || out.GetSize() != used ||
            std::memcmp(out.GetBlock(), data, used) != 0)
            std::abort();
    }
    for (C3DObjectModifier* track : tracks)
        if (track) {
            track->Release();
            delete track;
        }
    return 0;
}
