#include "CAudioEngineDX81.h"

#include <cstring>
#include <new>

#include "CAudioObjectDX81.h"
#include "VornelAudio/ModuleAudio_DX81.h"
#include "VornelPlatform/PlatformNative.h"
#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kPrimaryRate = 44100;
constexpr uint16_t kPrimaryChannels = 2;
constexpr uint16_t kPrimaryBits = 16;

// The sounds follow the focus of the world's window; without one (a test, a tool) that of the
// desktop.
HWND FocusWindow(void* pWindow)
{
    auto* platformWindow = static_cast<PlatformWindow*>(pWindow);
    HWND window = platformWindow ? static_cast<HWND>(Platform_GetNativeWindow(platformWindow)) : nullptr;
    return window ? window : GetDesktopWindow();
}

}  // namespace

CBaseObject* CreateModuleAudio_DX81(WorldData* pWorldData)
{
    return new (std::nothrow) CAudioEngineDX81(pWorldData);
}

Status RegisterModuleAudio_DX81(WorldData* pWorldData)
{
    return RegisterModuleOfKind(kModuleAudio, kModuleAudioId_DX81, CreateModuleAudio_DX81, pWorldData);
}

CAudioEngineDX81::CAudioEngineDX81(WorldData* pWorldData) : CAudioEngine(pWorldData), m_device{}
{
    if (m_pWorldData)
        m_pWorldData->pAudioBlock = &m_device;
}

CAudioEngineDX81::~CAudioEngineDX81()
{
    CAudioEngineDX81::Release();
    if (m_pWorldData && m_pWorldData->pAudioBlock == &m_device)
        m_pWorldData->pAudioBlock = nullptr;
}

Status CAudioEngineDX81::StartDevice(HWND window)
{
    if (FAILED(DirectSoundCreate8(nullptr, &m_device.pDevice, nullptr))) {
        m_device.pDevice = nullptr;
        return kStatusFailed;
    }
    if (FAILED(m_device.pDevice->SetCooperativeLevel(window, DSSCL_PRIORITY)))
        return kStatusFailed;

    // The primary buffer mixes 16-bit stereo at 44100 Hz.
    DSBUFFERDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    if (FAILED(m_device.pDevice->CreateSoundBuffer(&description, &primary, nullptr)))
        return kStatusFailed;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kPrimaryChannels;
    format.nSamplesPerSec = kPrimaryRate;
    format.wBitsPerSample = kPrimaryBits;
    format.nBlockAlign = kPrimaryBits / 8 * kPrimaryChannels;
    format.nAvgBytesPerSec = format.nBlockAlign * kPrimaryRate;
    const HRESULT formatResult = primary->SetFormat(&format);
    primary->Release();
    if (FAILED(formatResult))
        return kStatusFailed;

    // The listener of the 3D sounds: every one is placed relative to it, and keeps its level
    // and pitch at any distance and speed.
    description.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
    if (FAILED(m_device.pDevice->CreateSoundBuffer(&description, &primary, nullptr)))
        return kStatusFailed;
    const HRESULT listenerResult =
        primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&m_device.pListener));
    primary->Release();
    if (FAILED(listenerResult)) {
        m_device.pListener = nullptr;
        return kStatusFailed;
    }
    m_device.listener.dwSize = sizeof m_device.listener;
    if (FAILED(m_device.pListener->GetAllParameters(&m_device.listener)))
        return kStatusFailed;
    m_device.listener.flRolloffFactor = 0.0f;
    m_device.listener.flDopplerFactor = 0.0f;
    return FAILED(m_device.pListener->SetAllParameters(&m_device.listener, m_device.applyMode)) ? kStatusFailed
                                                                                                : kStatusOk;
}

Status CAudioEngineDX81::Init(void* pWindow)
{
    Release();
    if (Failed(CAudioEngine::Init(pWindow)))
        return kStatusFailed;
    if (Failed(StartDevice(FocusWindow(pWindow)))) {
        Release();
        Log(m_pWorldData ? m_pWorldData->logPath : nullptr, 1,
            u"# CAudioEngineDX81::Init failed! No sound device: the game runs silent\n");
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CAudioEngineDX81::Release()
{
    // The sounds give their buffers back before the device goes.
    CAudioEngine::Release();
    if (m_device.pListener)
        m_device.pListener->Release();
    if (m_device.pDevice)
        m_device.pDevice->Release();
    std::memset(&m_device, 0, sizeof m_device);
    return kStatusOk;
}

CAudioObject* CAudioEngineDX81::CreateObject(uint32_t creationFlags, uint32_t playFlags)
{
    return AdoptObject(new (std::nothrow) CAudioObjectDX81(m_pWorldData, creationFlags, playFlags));
}

Status CAudioEngineDX81::ReleaseObject(CAudioObject* pObject)
{
    return RemoveObject(pObject);
}
