// The engine world: construction, parameters, load and unload.
#include "Vornel3D/CWorld.h"

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <new>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DView.h"
#include "VornelUtils/EngineModule.h"
#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/UtilsTimer.h"

namespace {

WorldData* AllocateRecord()
{
    void* memory = UTILS_CALLOC(1, sizeof(WorldData));
    return memory ? new (memory) WorldData() : nullptr;
}

// Fits a text into one of the record's fixed fields, or says it does not.
bool FitsField(const char16_t* text)
{
    return UtilsString_Length(text) < static_cast<size_t>(kWorldTextSize);
}

}  // namespace

CWorld::CWorld(WorldData* /*pWorldData*/) : CBaseObject(AllocateRecord())
{
    WorldData* w = m_pWorldData;
    if (!w)
        return;
    w->dataPathWord = -1;
    w->scaleX = w->scaleY = w->scaleZ = 1.0f;
    w->cursorShownFullScreen = 1;
    w->cursorShownWindowed = 1;
    w->pWorld = this;
    w->word30000 = 0x30000;
}

CWorld::~CWorld()
{
    if (m_pWorldData) {
        m_pWorldData->~WorldData();
        UTILS_FREE(m_pWorldData);
        m_pWorldData = nullptr;
    }
}

void CWorld::SetLastErrorText(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    UtilsString_VFormat(m_pWorldData->lastErrorText, kWorldTextSize, format, args);
    va_end(args);
}

Status CWorld::SetParameters(UtilsParameters* pWorldSettings, UtilsParameters* pAppSettings,
                             StaticLocatorFn pfnStaticLocator, const char16_t* packPath,
                             uint32_t packStartOffset, PackLocatorFn pfnPackLocator, const char16_t* logPath)
{
    WorldData* w = m_pWorldData;
    if (!w)
        return kStatusOutOfMemory;
    w->pWorldSettings = pWorldSettings;
    w->pAppSettings = pAppSettings;
    w->pfnStaticLocator = pfnStaticLocator;
    w->pfnPackLocator = pfnPackLocator;
    if (logPath) {
        // A cut log path would write somewhere else: refuse it.
        if (!FitsField(logPath)) {
            w->lastErrorCode = kStatusFailed;
            SetLastErrorText(u"Path too long: %s", logPath);
            return kStatusFailed;
        }
        UtilsString_Copy(w->logPath, kWorldTextSize, logPath);
    }
    if (!packPath || !pfnPackLocator)
        return kStatusOk;

    if (!FitsField(packPath)) {
        Log(w->logPath, 0, u"# CWorld::SetParameters failed! (\"%s\")\n", packPath);
        w->lastErrorCode = kStatusFailed;
        SetLastErrorText(u"Path too long: %s", packPath);
        return kStatusFailed;
    }
    // A pack closed by an unload is opened again even when its path has not changed; otherwise
    // the world would report a pack that is there as missing.
    if (UtilsString_Compare(packPath, w->pack.path) != 0 || !w->pack.pFile) {
        ClosePackFile(&w->pack);
        OpenPackFile(&w->pack, packPath, packStartOffset);
    }
    w->pack.startOffset = packStartOffset;
    if (w->pack.pFile)
        return kStatusOk;
    Log(w->logPath, 0, u"# CWorld::SetParameters failed! (\"%s\")\n", packPath);
    SetLastErrorText(u"Missing file: %s", packPath);
    w->lastErrorCode = kStatusPackMissing;
    return kStatusPackMissing;
}

Status CWorld::CreateModules()
{
    WorldData* w = m_pWorldData;
    const ModuleEntry& entry3D = w->selected[kModule3D];
    if (!entry3D.pDescriptor || !entry3D.pfnCreate) {
        SetLastErrorText(u"The main module is not correctly registered");
        Log(w->logPath, 0, u"# CWorld::Load failed! %s\n", w->lastErrorText);
        w->lastErrorCode = kStatusModuleMissing;
        return kStatusModuleMissing;
    }
    // The 3D entry makes a C3DEngine (the registry's contract).
    m_p3DEngine = static_cast<C3DEngine*>(entry3D.pfnCreate(w));
    if (!m_p3DEngine) {
        Log(w->logPath, 0, u"# CWorld::Load failed! Can't install MODULE_3D !!!\n");
        w->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    const struct {
        int kind;
        CEngineModule** ppModule;
        const char16_t* name;
    } optional[] = {{kModuleAudio, &m_pAudioEngine, u"MODULE_AUDIO"},
                    {kModuleInput, &m_pInputModule, u"MODULE_INPUT"},
                    {kModuleNetwork, &m_pNetworkEngine, u"MODULE_NETWORK"}};
    for (const auto& module : optional) {
        const ModuleEntry& entry = w->selected[module.kind];
        if (!entry.pDescriptor || !entry.pfnCreate)
            continue;
        *module.ppModule = static_cast<CEngineModule*>(entry.pfnCreate(w));
        if (!*module.ppModule) {
            Log(w->logPath, 0, u"# CWorld::Load failed! Can't install %s !!!\n", module.name);
            return kStatusFailed;
        }
    }
    return kStatusOk;
}

void CWorld::ReadWorldSettings()
{
    WorldData* w = m_pWorldData;
    UtilsParameters* p = w->pWorldSettings;
    // Without a reader every value takes its default.
    auto getBool = [p](const char16_t* s, const char16_t* k, bool d) -> uint8_t {
        return p ? (p->GetBool(s, k, d ? 1 : 0) ? 1 : 0) : (d ? 1 : 0);
    };
    auto getInt = [p](const char16_t* s, const char16_t* k, int32_t d) { return p ? p->GetInt(s, k, d) : d; };
    auto getFloat = [p](const char16_t* s, const char16_t* k, float d) { return p ? p->GetFloat(s, k, d) : d; };
    // A, R, G and B packed as A << 24 | R << 16 | G << 8 | B, not masked.
    auto getColor = [&](const char16_t* s, const char16_t* a, const char16_t* r, const char16_t* g,
                        const char16_t* b, int32_t da, int32_t dr, int32_t dg, int32_t db) {
        const uint32_t va = static_cast<uint32_t>(getInt(s, a, da));
        const uint32_t vr = static_cast<uint32_t>(getInt(s, r, dr));
        const uint32_t vg = static_cast<uint32_t>(getInt(s, g, dg));
        const uint32_t vb = static_cast<uint32_t>(getInt(s, b, db));
        return (va << 24) | (vr << 16) | (vg << 8) | vb;
    };
    auto both = [](RenderSwitch& s, uint8_t value) { s.current = s.configured = value; };

    FogRecord& fog = w->fog;
    both(fog.enabled, getBool(u"FOG", u"FOG_ENABLE", true));
    fog.start = getFloat(u"FOG", u"FOG_START", 1000.0f);
    fog.end = getFloat(u"FOG", u"FOG_END", 2000.0f);
    fog.density = getFloat(u"FOG", u"FOG_DENSITY", 1.0f);
    fog.color = getColor(u"FOG", u"FOG_COLOR_A", u"FOG_COLOR_R", u"FOG_COLOR_G", u"FOG_COLOR_B", 255, 212, 221, 238);
    fog.tableFog = 1;
    fog.tableMode = 0;
    fog.tailFlag = 1;

    w->nearDistance = getFloat(u"CAMERA", u"VIEW_NEAR_DISTANCE", 1.0f);
    w->farDistance = getFloat(u"CAMERA", u"VIEW_FAR_DISTANCE", 20000.0f);
    w->nearDistanceScreen = getFloat(u"CAMERA", u"VIEW_NEAR_DISTANCE_SCREEN", -1000.0f);
    w->farDistanceScreen = getFloat(u"CAMERA", u"VIEW_FAR_DISTANCE_SCREEN", 1000.0f);
    w->fieldOfView = getFloat(u"CAMERA", u"VIEW_DEG_FIELD", 45.0f);

    struct LightDefaults {
        const char16_t* keys[11];
        float x, y, z, materialSpecular;
    };
    const LightDefaults lights[2] = {
        {{u"LIGHT_1_ENABLE", u"LIGHT_1_TYPE", u"LIGHT_1_POS_X", u"LIGHT_1_POS_Y", u"LIGHT_1_POS_Z",
          u"LIGHT_1_DIFFUSE", u"LIGHT_1_SPECULAR", u"LIGHT_1_AMBIENT", u"MATERIAL_1_DIFFUSE",
          u"MATERIAL_1_SPECULAR", u"MATERIAL_1_AMBIENT"},
         -5000.0f, 0.0f, -2000.0f, 12.0f},
        {{u"LIGHT_2_ENABLE", u"LIGHT_2_TYPE", u"LIGHT_2_POS_X", u"LIGHT_2_POS_Y", u"LIGHT_2_POS_Z",
          u"LIGHT_2_DIFFUSE", u"LIGHT_2_SPECULAR", u"LIGHT_2_AMBIENT", u"MATERIAL_2_DIFFUSE",
          u"MATERIAL_2_SPECULAR", u"MATERIAL_2_AMBIENT"},
         -10000.0f, 8000.0f, -10000.0f, 1.0f},
    };
    LightRecord* records[2] = {&w->light1, &w->light2};
    for (int i = 0; i < 2; ++i) {
        const LightDefaults& d = lights[i];
        LightRecord& light = *records[i];
        both(light.enabled, getBool(u"LIGHT", d.keys[0], true));
        light.type = getInt(u"LIGHT", d.keys[1], 1);
        light.x = getFloat(u"LIGHT", d.keys[2], d.x);
        light.y = getFloat(u"LIGHT", d.keys[3], d.y);
        light.z = getFloat(u"LIGHT", d.keys[4], d.z);
        light.directionX = light.directionY = light.directionZ = 0.0f;
        light.diffuse = getFloat(u"LIGHT", d.keys[5], 1.0f);
        light.specular = getFloat(u"LIGHT", d.keys[6], 0.6f);
        light.ambient = getFloat(u"LIGHT", d.keys[7], 0.3f);
        light.materialDiffuse = getFloat(u"LIGHT", d.keys[8], 1.0f);
        light.materialSpecular = getFloat(u"LIGHT", d.keys[9], d.materialSpecular);
        light.materialAmbient = getFloat(u"LIGHT", d.keys[10], 1.0f);
    }
    both(w->lighting, getBool(u"LIGHT", u"LIGHTING_ENABLE", true));
    w->colorClear = getColor(u"LIGHT", u"COLOR_CLEAR_A", u"COLOR_CLEAR_R", u"COLOR_CLEAR_G", u"COLOR_CLEAR_B", 0,
                             150, 150, 150);
    w->colorAmbient = getColor(u"LIGHT", u"AMBIENT_COLOR_A", u"AMBIENT_COLOR_R", u"AMBIENT_COLOR_G",
                               u"AMBIENT_COLOR_B", 0, 127, 127, 127);
    both(w->specular, getBool(u"LIGHT", u"SPECULAR_ENABLE", true));
    both(w->alpha, getBool(u"LIGHT", u"ALPHA_ENABLE", true));

    w->wireframe = getBool(u"WIREFRAME", u"RENDER_WIREFRAME_ENABLE", false);
    w->colorWireframe = getColor(u"WIREFRAME", u"WIREFRAME_COLOR_A", u"WIREFRAME_COLOR_R", u"WIREFRAME_COLOR_G",
                                 u"WIREFRAME_COLOR_B", 0, 0, 150, 0);
    w->text = getBool(u"TEXT", u"TEXT_ENABLE", false);
    w->colorText = getColor(u"TEXT", u"COLOR_TEXT_A", u"COLOR_TEXT_R", u"COLOR_TEXT_G", u"COLOR_TEXT_B", 0, 0, 255,
                            255);

    w->gammaInitial = getInt(u"GAMMA_CORRECTION", u"GAMMA_INITIAL", 128);
    w->gammaRed = getInt(u"GAMMA_CORRECTION", u"GAMMA_CORRECT_RED", 0);
    w->gammaGreen = getInt(u"GAMMA_CORRECTION", u"GAMMA_CORRECT_GREEN", 0);
    w->gammaBlue = getInt(u"GAMMA_CORRECTION", u"GAMMA_CORRECT_BLUE", 0);

    w->pointSpriteMin = getFloat(u"POINT_SPRITE", u"MIN_SIZE", 0.0f);
    w->pointSpriteMax = getFloat(u"POINT_SPRITE", u"MAX_SIZE", 100.0f);
    w->pointSpriteAttenuation0 = getFloat(u"POINT_SPRITE", u"ATTENUATION_0", 1.0f);
    w->pointSpriteAttenuation1 = getFloat(u"POINT_SPRITE", u"ATTENUATION_1", 0.0f);
    w->pointSpriteAttenuation2 = getFloat(u"POINT_SPRITE", u"ATTENUATION_2", 0.00001f);

    both(w->stencilShadow, getBool(u"STENCIL_SHADOW", u"STENCIL_SHADOW", true));
    both(w->renderPair, 1);

    w->light1Loaded = w->light1;
    w->light2Loaded = w->light2;
    w->fogLoaded = w->fog;
}

void CWorld::DestroyModule(int kind, CBaseObject* pModule)
{
    const ModuleEntry& entry = m_pWorldData->selected[kind];
    if (entry.pfnDestroy)
        entry.pfnDestroy(pModule);
    else
        ReleaseModule(pModule);
}

void CWorld::LoadOptionalModule(int kind, CEngineModule*& pModule, void* pWindow)
{
    if (!pModule || Succeeded(pModule->Init(pWindow)))
        return;
    // Without its device the world runs on without the module (a server has no sound card).
    static const char16_t* const kMissing[kModuleKindCount] = {
        u"", u"No audio device was found", u"No input device was found", u"No network device was found"};
    SetLastErrorText(u"%s", kMissing[kind]);
    Log(m_pWorldData->logPath, 0, u"# CWorld::Load warning! %s\n", m_pWorldData->lastErrorText);
    pModule->Release();
    DestroyModule(kind, pModule);
    pModule = nullptr;
}

Status CWorld::Load(void* pWindow, uint16_t virtualWidth, uint16_t virtualHeight, uint8_t colorDepth,
                    uint32_t displayValue, uint8_t fullScreen, uint8_t resizable, uint8_t verticalSync,
                    uint32_t orientation, const char16_t* /*dataPath*/, uint16_t realWidth, uint16_t realHeight)
{
    WorldData* w = m_pWorldData;
    if (!w)
        return kStatusOutOfMemory;

    // 1. Sizes.
    w->virtualWidth = virtualWidth;
    w->virtualHeight = virtualHeight;
    if (realWidth == 0xFFFF)
        realWidth = virtualWidth;
    if (realHeight == 0xFFFF)
        realHeight = virtualHeight;
    w->realWidth = static_cast<uint16_t>(std::floor(realWidth * w->scaleX));
    w->realHeight = static_cast<uint16_t>(std::floor(realHeight * w->scaleY));

    // 2. Display.
    w->fullScreen = fullScreen;
    w->resizable = resizable;
    w->verticalSync = verticalSync;
    w->colorDepth = colorDepth;
    w->displayValue = displayValue;
    w->orientation = orientation;
    w->pWindow = pWindow;
    w->displayChanging = 0;
    w->canRender = 1;
    Log(w->logPath, 0,
        u"# Resolutions: virtual (%dx%d:%d [%.02f]) / real (%dx%d [%.02f]) / factor (%.02f x %.02f) / "
        u"resizable=%d / vsync=%d\n",
        w->virtualWidth, w->virtualHeight, w->colorDepth,
        w->virtualHeight ? double(w->virtualWidth) / w->virtualHeight : 0.0, w->realWidth, w->realHeight,
        w->realHeight ? double(w->realWidth) / w->realHeight : 0.0, double(w->scaleX), double(w->scaleY),
        w->resizable, w->verticalSync);

    // 3. Modules.
    Status status = CreateModules();
    if (Failed(status))
        return status;

    // 4. Maths and timer.
    m_p3DMath = new (std::nothrow) C3DMath(w);
    m_pTimerFactor = m_p3DMath ? new (std::nothrow) UtilsTimer(w) : nullptr;
    if (!m_p3DMath || !m_pTimerFactor) {
        w->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    w->pMath = m_p3DMath;
    w->pTimer = m_pTimerFactor;
    if (Failed(m_pTimerFactor->Init())) {
        Log(w->logPath, 0, u"# CWorld::Load failed! m_pTimerFactor failed !!!\n");
        return kStatusFailed;
    }

    // 5. Matrices: the camera starts where the game expects it, the view is its inverse.
    m_p3DMath->SetIdentity(w->matrix1);
    m_p3DMath->SetIdentity(w->matrix2);
    m_p3DMath->SetIdentity(w->matrixCameraInitial);
    std::memcpy(w->matrixCamera, w->matrixCameraInitial, sizeof w->matrixCamera);
    m_p3DMath->Invert(w->matrixCamera);

    // 6. Settings.
    ReadWorldSettings();

    // 7. The renderer.
    if (Failed(m_p3DEngine->Load(pWindow))) {
        Log(w->logPath, 0, u"# CWorld::Load failed! m_p3DEngine failed !!!\n");
        return kStatusFailed;
    }

    // 8. The other modules; each may be missing.
    LoadOptionalModule(kModuleAudio, m_pAudioEngine, pWindow);
    LoadOptionalModule(kModuleInput, m_pInputModule, pWindow);
    LoadOptionalModule(kModuleNetwork, m_pNetworkEngine, pWindow);

    // 9. Render states.
    if (Failed(m_p3DEngine->SetFog())) {
        Log(w->logPath, 0, u"# CWorld::Load failed! m_p3DEngine->FogingInit failed !!!\n");
        return kStatusFailed;
    }
    if (Failed(m_p3DEngine->SetPointSpriteParameters())) {
        Log(w->logPath, 0, u"# CWorld::Load failed! m_p3DEngine->PointSpriteInit failed !!!\n");
        return kStatusFailed;
    }
    if (Failed(m_p3DEngine->SetLights(-1))) {
        Log(w->logPath, 0, u"# CWorld::Load failed! m_p3DEngine->LightingInit failed !!!\n");
        return kStatusFailed;
    }

    // 10. Gamma.
    C3DView* view = m_p3DEngine->GetView();
    UtilsParameters* settings = w->pWorldSettings;
    if (view && settings && settings->GetBool(u"GAMMA_CORRECTION", u"GAMMA_CORRECTION_ENABLE", 0))
        view->SetGammaRamp();

    // 11. View.
    m_p3DMath->SetIdentity(w->matrix5);
    if (view) {
        view->ResetView();
        view->SetOrientation(orientation);
        view->SetViewport(0, 0, static_cast<int32_t>(std::floor(w->virtualWidth * w->scaleX)),
                          static_cast<int32_t>(std::floor(w->virtualHeight * w->scaleY)));
    }

    // 12. Random numbers.
    UtilsRandom_Seed(w, 0);
    return kStatusOk;
}

Status CWorld::Unload()
{
    WorldData* w = m_pWorldData;
    if (!w)
        return kStatusOk;
    if (m_p3DEngine) {
        m_p3DEngine->Unload();
        DestroyModule(kModule3D, m_p3DEngine);
        m_p3DEngine = nullptr;
    }
    CEngineModule** modules[] = {&m_pAudioEngine, &m_pInputModule, &m_pNetworkEngine};
    const int kinds[] = {kModuleAudio, kModuleInput, kModuleNetwork};
    for (int i = 0; i < 3; ++i) {
        if (!*modules[i])
            continue;
        (*modules[i])->Release();
        DestroyModule(kinds[i], *modules[i]);
        *modules[i] = nullptr;
    }
    if (w->pfnPackLocator && w->pack.pFile)
        ClosePackFile(&w->pack);
    delete m_pTimerFactor;
    m_pTimerFactor = nullptr;
    w->pTimer = nullptr;
    delete m_p3DMath;
    m_p3DMath = nullptr;
    w->pMath = nullptr;
    UnregisterModules(w);
    return kStatusOk;
}
