// The builtins that show a full-screen picture or video and wait until it is over.
#include "NimbrelManagers/CSplashscreens.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

Status CObjectsBase::WaitForSplash(ScriptBuiltinCall& call, bool video)
{
    const char* name = call.Text(0);
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CSplashscreens* splash = world ? world->GetSplashscreens() : nullptr;
    if (!name || !splash) {
        TraceCall(call, kTraceError, "invalid parameters");
        return kStatusFailed;
    }
    // A name written with a '*' shows the definition-sized corner of its picture.
    const uint8_t asGiven = name[0] != '*';
    const std::u16string path = UtilsString_FromUtf8(asGiven ? name : name + 1);
    if (video) {
        // A video that cannot play is skipped: the script goes on.
        if (Failed(splash->LoadVideo(path.c_str(), asGiven, 0)))
            return kStatusDoneStoreResult;
        world->SetGameState(kGameStateLevelSplash, kTransitionFade, 0);
    } else {
        if (Failed(splash->LoadImage(path.c_str(), asGiven))) {
            TraceCall(call, kTraceError, "can't load image %S", path.c_str());
            return kStatusFailed;
        }
        world->SetGameState(kGameStateLevelVideo, kTransitionFade, 0);
    }
    return WaitForCommand(call, kCommandEventFade, [splash](const CommandHandle& h) { return splash->AddCommand(h); });
}

Status CObjectsBase::_waitForVideo(ScriptBuiltinCall& call) { return WaitForSplash(call, true); }
Status CObjectsBase::_waitForImage(ScriptBuiltinCall& call) { return WaitForSplash(call, false); }
