// The managed world: construction, identity, load, frame update and unload, and the objects
// it owns.
#include "Vornel3D_ToolBox/CManagedWorld.h"

#include <cmath>
#include <new>

#include "Vornel3D_ToolBox/CGammaRamp.h"
#include "Vornel3D_ToolBox/CMusicManager.h"
#include "Vornel3D_ToolBox/CScreenshot.h"
#include "Vornel3D_ToolBox/CSoundsManager.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CWindowDecoration.h"
#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"

namespace {

// The factories' first step: the object replaced is unloaded and deleted.
template <class T>
void DropOwned(T*& pObject)
{
    if (!pObject)
        return;
    pObject->Unload();
    delete pObject;
    pObject = nullptr;
}

// The factories' second step: the new object, or the out-of-memory latch.
template <class T, class... Args>
Status MakeOwned(WorldData* pWorldData, T*& pObject, Args... args)
{
    pObject = new (std::nothrow) T(pWorldData, args...);
    if (pObject)
        return kStatusOk;
    if (pWorldData)
        pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

Status DefaultDisplayChange(uint32_t, PlatformWindow*)
{
    return kStatusFailed;
}

}  // namespace

ManagedWindowState& GetManagedWindowState()
{
    static ManagedWindowState state;
    return state;
}

CManagedWorld::CManagedWorld() : CWorld(nullptr), m_pfnDisplayChange(DefaultDisplayChange) {}

CManagedWorld::~CManagedWorld()
{
    // Unload has normally released everything; this only covers a world never unloaded.
    DropFonts();
    delete m_pScreenshot;
    m_pScreenshot = nullptr;
    delete m_pWindowDecoration;
    m_pWindowDecoration = nullptr;
    if (m_pGammaRamp) {
        delete m_pGammaRamp;
        m_pGammaRamp = nullptr;
    }
    delete m_pStringsManager;
    m_pStringsManager = nullptr;
    delete m_pSoundsManager;
    m_pSoundsManager = nullptr;
    delete m_pMusicManager;
    m_pMusicManager = nullptr;
    delete m_pExternalSettings;
    m_pExternalSettings = nullptr;
    CloseExternalPack();
}

void CManagedWorld::CloseExternalPack()
{
    FreePackIndex(&m_externalPack);
    if (m_externalPack.pFile && (!m_pWorldData || m_externalPack.pFile != m_pWorldData->pack.pFile))
        std::fclose(m_externalPack.pFile);
    m_externalPack.pFile = nullptr;
}

void CManagedWorld::SetDisplayChangeCallback(DisplayChangeCallback callback)
{
    m_pfnDisplayChange = callback ? callback : DefaultDisplayChange;
}

Status CManagedWorld::SetApplicationParameters(uint32_t resourceMode, const char16_t* className,
                                               const char16_t* appName, const char16_t* dataPath,
                                               int32_t dataPathWord)
{
    m_resourceMode = resourceMode;
    UtilsString_Copy(m_className, kManagedNameSize, className ? className : u"");
    UtilsString_Copy(m_appName, kManagedNameSize, appName ? appName : u"");
    WideToAnsiCopy(m_appName, m_appNameA, sizeof m_appNameA);
    if (m_pWorldData) {
        UtilsString_Copy(m_pWorldData->dataPath, kWorldTextSize, dataPath ? dataPath : u"");
        m_pWorldData->dataPathWord = dataPathWord;
    }
    return kStatusOk;
}

uint32_t CManagedWorld::GetApplicationName(char* buffer) const
{
    if (!buffer)
        return 0;
    UtilsString_CopyA(buffer, kManagedNameSize, m_appNameA);
    uint32_t length = 0;
    while (buffer[length])
        ++length;
    return length;
}

Status CManagedWorld::GetGameString(const char16_t* key, const char16_t* text, char16_t* out)
{
    if (out)
        UtilsString_Format(out, kWorldTextSize, u"%s - %s", key ? key : u"", text ? text : u"");
    return kStatusOk;
}

Status CManagedWorld::ClearMinimized()
{
    if (m_pWorldData)
        m_pWorldData->minimised = 0;
    return kStatusOk;
}

Status CManagedWorld::SetMinimized()
{
    if (m_pWorldData)
        m_pWorldData->minimised = 1;
    return kStatusOk;
}

Status CManagedWorld::Load(void* pWindow, uint16_t realWidth, uint16_t realHeight, uint8_t colorDepth,
                           uint32_t displayValue, uint8_t fullScreen, uint8_t resizable, uint8_t verticalSync,
                           uint32_t orientation, const char16_t* dataPath, uint16_t virtualWidth,
                           uint16_t virtualHeight)
{
    WorldData* w = m_pWorldData;
    if (!w)
        return kStatusFailed;
    uint16_t width = realWidth;
    uint16_t height = realHeight;
    // A zero virtual size has no factor; it is handled like an absent one.
    if (virtualWidth != 0xFFFF && virtualHeight != 0xFFFF && virtualWidth != 0 && virtualHeight != 0) {
        w->scaleX = float(realWidth) / float(virtualWidth);
        w->scaleY = float(realHeight) / float(virtualHeight);
        w->scaleZ = 1.0f;
        width = w->scaleX > 0.0f ? static_cast<uint16_t>(std::floor(float(realWidth) / w->scaleX)) : 0;
        height = w->scaleY > 0.0f ? static_cast<uint16_t>(std::floor(float(realHeight) / w->scaleY)) : 0;
    }
    if (Failed(CWorld::Load(pWindow, width, height, colorDepth, displayValue, fullScreen, resizable, verticalSync,
                            orientation, dataPath, virtualWidth, virtualHeight)))
        return kStatusFailed;
    if (w->pAppSettings)
        m_speedFactor = w->pAppSettings->GetFloat(u"CAMERA", u"SPEED_FACTOR", 1.0f);
    return kStatusOk;
}

Status CManagedWorld::Update()
{
    WorldData* w = m_pWorldData;
    if (!w)
        return kStatusFailed;
    w->frameTime *= m_speedFactor;
    const Status status = CWorld::Update();
    if (Failed(status))
        return status;
    m_inputBlock = 0;
    // Input objects are made only by an input module, and this program installs none, so
    // there is no frame state to replay to the pointer operations.
    if (m_pWindowDecoration)
        m_pWindowDecoration->Update();
    return kStatusOk;
}

Status CManagedWorld::Render()
{
    if (m_pWindowDecoration)
        m_pWindowDecoration->Render();
    return kStatusOk;
}

Status CManagedWorld::Unload()
{
    DropFonts();
    DropOwned(m_pScreenshot);
    if (m_pGammaRamp) {
        m_pGammaRamp->Release();
        delete m_pGammaRamp;
        m_pGammaRamp = nullptr;
    }
    DropOwned(m_pStringsManager);
    DropOwned(m_pSoundsManager);
    DropOwned(m_pMusicManager);
    DropOwned(m_pWindowDecoration);
    CloseExternalPack();
    delete m_pExternalSettings;
    m_pExternalSettings = nullptr;
    return Failed(CWorld::Unload()) ? kStatusFailed : kStatusOk;
}

Status CManagedWorld::CreateScreenshot()
{
    DropOwned(m_pScreenshot);
    if (Failed(MakeOwned(m_pWorldData, m_pScreenshot)))
        return kStatusOutOfMemory;
    return Failed(m_pScreenshot->LoadParameters(m_resourceMode)) ? kStatusFailed : kStatusOk;
}

Status CManagedWorld::CreateWindowDecoration(uint32_t flags)
{
    DropOwned(m_pWindowDecoration);
    if (Failed(MakeOwned(m_pWorldData, m_pWindowDecoration)))
        return kStatusOutOfMemory;
    return Failed(m_pWindowDecoration->LoadParameters(flags)) ? kStatusFailed : kStatusOk;
}

Status CManagedWorld::CreateGammaRamp()
{
    if (m_pGammaRamp) {
        m_pGammaRamp->Release();
        delete m_pGammaRamp;
        m_pGammaRamp = nullptr;
    }
    if (Failed(MakeOwned(m_pWorldData, m_pGammaRamp)))
        return kStatusOutOfMemory;
    return Failed(m_pGammaRamp->Init()) ? kStatusFailed : kStatusOk;
}

Status CManagedWorld::CreateStringsManager()
{
    DropOwned(m_pStringsManager);
    if (Failed(MakeOwned(m_pWorldData, m_pStringsManager, this)))
        return kStatusOutOfMemory;
    return Failed(m_pStringsManager->Init()) ? kStatusFailed : kStatusOk;
}

Status CManagedWorld::CreateSoundsManager()
{
    DropOwned(m_pSoundsManager);
    if (!GetAudioEngine())
        return kStatusOk;
    if (Failed(MakeOwned(m_pWorldData, m_pSoundsManager)))
        return kStatusOutOfMemory;
    return Failed(m_pSoundsManager->Init()) ? kStatusFailed : kStatusOk;
}

Status CManagedWorld::CreateMusicManager()
{
    DropOwned(m_pMusicManager);
    if (!GetAudioEngine())
        return kStatusOk;
    if (Failed(MakeOwned(m_pWorldData, m_pMusicManager)))
        return kStatusOutOfMemory;
    return Failed(m_pMusicManager->Load()) ? kStatusFailed : kStatusOk;
}

Status CManagedWorld::CreateInputDeviceA()
{
    return kStatusFailed;
}

Status CManagedWorld::CreateInputDeviceB()
{
    return kStatusFailed;
}

Status CManagedWorld::SetExternalPack(const char16_t* path, uint32_t word, std::FILE* pFile)
{
    m_externalPackWord = word;
    // A pack opened before is not left open behind the new one, and its index goes with it.
    if (m_externalPack.pFile != pFile)
        CloseExternalPack();
    else
        FreePackIndex(&m_externalPack);
    UtilsString_Copy(m_externalPack.path, kWorldTextSize, path ? path : u"");
    m_externalPack.pFile = pFile;
    if (!m_externalPack.pFile && path && path[0])
        m_externalPack.pFile = Platform_OpenFile(UtilsString_ToUtf8(m_externalPack.path).c_str(), "rb");
    return kStatusOk;
}
