// The start-up load: the managed world, then the game shell in a fixed, logged order.
#include <cmath>
#include <new>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ScreenFit.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_ToolBox/CScreenshot.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsParameters_Packer.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsScramble.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/UtilsTimer.h"

namespace {

constexpr const char16_t* kShellFailed = u"# CNimbrelWorld::Load failed! internal error\n";
constexpr const char16_t* kPlatformName = u"Win32";
constexpr const char16_t* kExternalSettingsName = u"Nimbrel.External.ini";
constexpr uint32_t kExtraFontKind = 1;

// The asset suffixes of the asset rows, in the external pack's name.
const char16_t* AssetSuffix(uint32_t row)
{
    static const char16_t* const kSuffixes[] = {u"", u".HD", u".MD", u".SD"};
    return row < sizeof kSuffixes / sizeof kSuffixes[0] ? kSuffixes[row] : u"";
}

}  // namespace

const WorldLoadStep* ShellLoadSteps(uint32_t* pCount)
{
    // The splash, shader, transitions, loading and progress bar are made as their managers exist
    // in this program.
    static const WorldLoadStep kSteps[] = {
        {u"LoadResPackerDichotomy", -1, 0, 0, 0, &CNimbrelWorld::PackIndexStep},
        {u"CGammaRamp", -1, 0, 0, 0, &CNimbrelWorld::GammaRampStep},
        {u"LoadExternalParam", -1, 0, 0, 0, &CNimbrelWorld::ExternalParamStep},
        {u"LoadFont infos", -1, 0, 0, 0, &CNimbrelWorld::FontInfosStep},
        {u"LoadFont", -1, 0, 0, 0, &CNimbrelWorld::LoadFontsStep},
        {u"CProfileManager", kManagerProfile, 0, 0, 0, &CNimbrelWorld::ProfileStep},
        {u"OnLoadPartners", -1, 0, 0, 0, &CNimbrelWorld::OnLoadPartners},
        {u"LoadStringsManager", -1, 0, 0, 0, &CNimbrelWorld::LoadStringsManager},
        {u"LoadScreenshot", -1, 0, 0, 0, &CNimbrelWorld::ScreenshotStep},
        {u"CSplashscreens", kManagerSplash, 1, 1, 0, &CNimbrelWorld::SplashStep},
        {u"CShaderManager", kManagerShader, 1, 0, 0, nullptr},
        {u"CTransitions", kManagerTransitions, 1, 1, 0, nullptr},
        {u"CLoading", kManagerLoading, 1, 1, 0, nullptr},
        {u"CProgressBar", kManagerProgressBar, 1, 1, 0, nullptr},
    };
    if (pCount)
        *pCount = sizeof kSteps / sizeof kSteps[0];
    return kSteps;
}

Status CNimbrelWorld::Load(void* pWindow, uint16_t width, uint16_t height, uint8_t colorDepth,
                           uint32_t displayValue, uint8_t fullScreen, uint8_t resizable, uint8_t verticalSync,
                           uint32_t orientation, const char16_t* dataPath, uint16_t virtualWidth,
                           uint16_t virtualHeight)
{
    WorldData* w = GetWorldData();
    if (!w || !w->pGame)
        return kStatusFailed;
    w->game.textureLoading = 1;
    ReadScreenSettings();
    Log(w->logPath, 0, u"# CNimbrelWorld::Load - CManagedWorld::Load\n");
    // A window larger than the reference shows the reference screen scaled up by the renderer:
    // its virtual screen is the window brought back by the fit.
    if (!ComputeScreenScale(width, height, w->game.screenDiagonal)) {
        const GameScreenScale& s = w->pGame->screen;
        ComputeVirtualScreen(width, height, s.referenceWidth, s.referenceHeight, &virtualWidth, &virtualHeight);
    }
    if (Failed(CManagedWorld::Load(pWindow, width, height, colorDepth, displayValue, fullScreen, resizable,
                                   verticalSync, orientation, dataPath, virtualWidth, virtualHeight))) {
        Log(w->logPath, 0, u"# CWorld::Load failed! internal error\n");
        return kStatusFailed;
    }
    ComputeView();
    FitVirtualScreen();
    if (C3DEngine* engine = Get3DEngine())
        if (C3DView* view = engine->GetView())
            view->ComputeProjection();
    // A window that did not take the size asked for (full screen, a window manager's choice) is
    // laid out again at the first frame.
    if (w->realWidth == width && w->realHeight == height) {
        m_laidOutWidth = width;
        m_laidOutHeight = height;
    }

    uint32_t count = 0;
    const WorldLoadStep* steps = ShellLoadSteps(&count);
    for (uint32_t i = 0; i < count; ++i) {
        const WorldLoadStep& step = steps[i];
        Log(w->logPath, 0, u"# CNimbrelWorld::Load - %s\n", step.name);
        if (step.manager >= 0 && Failed(CreateManager(step.manager, step.loads))) {
            Log(w->logPath, 0, kShellFailed);
            return kStatusFailed;
        }
        if (step.work && Failed((this->*step.work)()))
            return kStatusFailed;
        if (step.registers && step.manager >= 0 && Failed(RegisterManager(m_pManagers[step.manager]))) {
            Log(w->logPath, 0, kShellFailed);
            return kStatusFailed;
        }
    }
    Log(w->logPath, 0, u"# CNimbrelWorld::Load - ENDED.\n");
    // The first frame step leaves the load time out.
    if (m_pTimerFactor)
        m_pTimerFactor->RequestExtraUpdate();
    return kStatusOk;
}

Status CNimbrelWorld::PackIndexStep()
{
    // Lookups in a pack without its count record go on by scan: no index is no failure.
    if (m_pWorldData->pack.pFile && !m_pWorldData->pack.pIndex)
        BuildPackIndex(&m_pWorldData->pack, m_pWorldData);
    return kStatusOk;
}

Status CNimbrelWorld::GammaRampStep()
{
    if (Failed(CreateGammaRamp())) {
        Log(m_pWorldData->logPath, 0, kShellFailed);
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CNimbrelWorld::ExternalParamStep()
{
    WorldData* w = m_pWorldData;
    char16_t name[kWorldTextSize];
    char16_t appName[kManagedNameSize];
    UtilsString_Copy(appName, kManagedNameSize, GetAppName());
    UtilsString_Format(name, kWorldTextSize, u"%s%s_external_%s%s.pak", w->dataPath, appName, kPlatformName,
                       AssetSuffix(m_assetRow));
    if (Failed(SetExternalPack(name, 0, nullptr)))
        return kStatusFailed;
    PackRecord* external = GetExternalPack();
    if (external->pFile && !external->pIndex && Failed(BuildPackIndex(external, w)))
        return kStatusFailed;
    if (Failed(LoadExternalParam_FromPacker(kExternalSettingsName))) {
        UtilsString_Format(w->lastErrorText, kWorldTextSize, u"Missing file \"%s\"", kExternalSettingsName);
        return kStatusFailed;
    }
    ReadExternalSettings();
    UtilsRandom_Seed(w, 0);
    return kStatusOk;
}

Status CNimbrelWorld::FontInfosStep()
{
    ReadTextAppearance();
    return kStatusOk;
}

Status CNimbrelWorld::LoadFontsStep()
{
    WorldData* w = m_pWorldData;
    const GameScreenScale& s = w->pGame->screen;
    const char16_t* section = s.smallScreen ? u"EMBEDDED_FONT" : u"DESKTOP_FONT";
    // Glyph textures are made for the window's size of the reference screen.
    w->textureMipShift = ChooseTextureLevel(w->realWidth, w->realHeight,
                                            static_cast<uint16_t>(s.referenceWidth * s.textScale),
                                            static_cast<uint16_t>(s.referenceHeight * s.textScale));
    const Status status = LoadFonts(section);
    w->textureMipShift = 0;
    if (Failed(status))
        Log(w->logPath, 0, kShellFailed);
    return status;
}

Status CNimbrelWorld::LoadFonts(const char16_t* section)
{
    // The TrueType flag asks for the charset font whatever the section names.
    UtilsParameters* app = m_pWorldData->pAppSettings;
    if (Failed(LoadMainFont(GetFlag(kTrueTypeFlag), section)))
        return kStatusFailed;
    char16_t glyphFile[kWorldTextSize] = {};
    if (app)
        app->GetString(u"EXTRA_FONT", u"MAIN_FONT_GLYPH_FILE_PATH", u"", glyphFile, kWorldTextSize);
    return LoadSecondFont(kExtraFontKind, glyphFile[0] ? u"EXTRA_FONT" : nullptr);
}

Status CNimbrelWorld::ProfileStep()
{
    if (!LoadProfileParameters()) {
        Log(m_pWorldData->logPath, 0, kShellFailed);
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CNimbrelWorld::ScreenshotStep()
{
    // The managed world owns the screenshot; the world only lists it for relayouts.
    if (Failed(CreateScreenshot())) {
        Log(m_pWorldData->logPath, 0, kShellFailed);
        return kStatusFailed;
    }
    return RegisterManager(GetScreenshot());
}

Status CNimbrelWorld::OnLoadPartners()
{
    // Nothing of the file is used yet: a missing or unreadable file is no error.
    WorldData* w = m_pWorldData;
    char16_t name[kWorldTextSize];
    UtilsString_Format(name, kWorldTextSize, u"Nimbrel.Partners.%s.ini", kPlatformName);
    PackRecord* pack = nullptr;
    if (GetExternalPackFile() && Succeeded(FindPackEntry(name, GetExternalPack())))
        pack = GetExternalPack();
    else if (w->pack.pFile && Succeeded(FindPackEntry(name, &w->pack)))
        pack = &w->pack;
    if (pack)
        delete new (std::nothrow) UtilsParameters_Packer(name, w->pfnPackLocator, pack, kScrambleKey);
    return kStatusOk;
}

Status CNimbrelWorld::SplashStep()
{
    // The start-up states are set directly: no transition runs yet.
    m_gameState = kGameStateSplash;
    if (!HasSplashList())
        m_gameState = kGameStateWorldLoad;
    return kStatusOk;
}
