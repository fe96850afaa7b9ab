#include "VornelAudio/CAudioEngineAL.h"

#include <cstring>
#include <new>

#include "ALHeaders.h"
#include "VornelAudio/CAudioObjectAL.h"
#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/WorldData.h"

CBaseObject* CreateModuleAudio_AL(WorldData* pWorldData)
{
    return new (std::nothrow) CAudioEngineAL(pWorldData);
}

Status RegisterModuleAudio_AL(WorldData* pWorldData)
{
    return RegisterModuleOfKind(kModuleAudio, kModuleAudioId_AL, CreateModuleAudio_AL, pWorldData);
}

CAudioEngineAL::CAudioEngineAL(WorldData* pWorldData) : CAudioEngine(pWorldData), m_device{}
{
    if (m_pWorldData)
        m_pWorldData->pAudioBlock = &m_device;
}

CAudioEngineAL::~CAudioEngineAL()
{
    CAudioEngineAL::Release();
    if (m_pWorldData && m_pWorldData->pAudioBlock == &m_device)
        m_pWorldData->pAudioBlock = nullptr;
}

Status CAudioEngineAL::StartContext(void* pDevice, const int32_t* attributes)
{
    auto* device = static_cast<ALCdevice*>(pDevice);
    ALCcontext* context = alcCreateContext(device, attributes);
    if (!context || !alcMakeContextCurrent(context)) {
        if (context)
            alcDestroyContext(context);
        alcCloseDevice(device);
        return kStatusFailed;
    }
    m_device.pDevice = device;
    m_device.pContext = context;
    m_device.stereoAngles = alIsExtensionPresent("AL_EXT_STEREO_ANGLES") ? 1 : 0;
    // The listener stands at the origin facing -z; sounds carry no Doppler shift and every
    // source is made without distance rolloff.
    alDopplerFactor(0.0f);
    alListener3f(AL_POSITION, 0.0f, 0.0f, 0.0f);
    alListener3f(AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    const ALfloat orientation[6] = {0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};
    alListenerfv(AL_ORIENTATION, orientation);
    return alGetError() == AL_NO_ERROR ? kStatusOk : kStatusFailed;
}

Status CAudioEngineAL::Init(void* pWindow)
{
    Release();
    if (Failed(CAudioEngine::Init(pWindow)))
        return kStatusFailed;
    ALCdevice* device = alcOpenDevice(nullptr);
    const ALCint attributes[] = {ALC_FREQUENCY, static_cast<ALCint>(kAudioMixRate), 0};
    if (!device || Failed(StartContext(device, attributes))) {
        Log(m_pWorldData ? m_pWorldData->logPath : nullptr, 1,
            u"# CAudioEngineAL::Init failed! No sound device: the game runs silent\n");
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CAudioEngineAL::InitLoopback(uint32_t rate)
{
    Release();
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback"))
        return kStatusFailed;
    ALCdevice* device = alcLoopbackOpenDeviceSOFT(nullptr);
    if (!device)
        return kStatusFailed;
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY, static_cast<ALCint>(rate), ALC_HRTF_SOFT, ALC_FALSE, 0};
    if (!alcIsRenderFormatSupportedSOFT(device, static_cast<ALCsizei>(rate), ALC_STEREO_SOFT, ALC_FLOAT_SOFT)) {
        alcCloseDevice(device);
        return kStatusFailed;
    }
    if (Failed(StartContext(device, attributes)))
        return kStatusFailed;
    m_device.loopback = 1;
    return kStatusOk;
}

void CAudioEngineAL::RenderLoopback(float* out, uint32_t frames)
{
    if (m_device.loopback && out)
        alcRenderSamplesSOFT(static_cast<ALCdevice*>(m_device.pDevice), out, static_cast<ALCsizei>(frames));
}

Status CAudioEngineAL::Release()
{
    // The sounds free their sources and buffers while the context is still current.
    CAudioEngine::Release();
    if (m_device.pContext) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(static_cast<ALCcontext*>(m_device.pContext));
    }
    if (m_device.pDevice)
        alcCloseDevice(static_cast<ALCdevice*>(m_device.pDevice));
    std::memset(&m_device, 0, sizeof m_device);
    return kStatusOk;
}

CAudioObject* CAudioEngineAL::CreateObject(uint32_t creationFlags, uint32_t playFlags)
{
    return AdoptObject(new (std::nothrow) CAudioObjectAL(m_pWorldData, creationFlags, playFlags));
}

Status CAudioEngineAL::ReleaseObject(CAudioObject* pObject)
{
    return RemoveObject(pObject);
}
