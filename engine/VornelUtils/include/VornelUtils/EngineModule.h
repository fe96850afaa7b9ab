#pragma once
// The base of the audio, input and network modules that the registry creates (the 3D module
// is a C3DEngine). The world starts a module with Init(window) when it loads and stops it with
// Release() before its destroy function deletes it.
#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class CEngineModule : public CBaseObject {
public:
    explicit CEngineModule(WorldData* pWorldData) : CBaseObject(pWorldData) {}
    ~CEngineModule() override = default;

    // Opens the device for the window; a failure leaves the world without this module.
    virtual Status Init(void* pWindow) { return kStatusOk; }
    virtual Status Release() { return kStatusOk; }
};
