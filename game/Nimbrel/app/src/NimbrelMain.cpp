// The program entry: start-up, message loop and shutdown.
#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "AssetsDefinition.h"
#include "ModuleRegistration.h"
#include "NimbrelApp.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "StoredSettings.h"
#include "VornelPlatform/PlatformInput.h"
#include "VornelPlatform/PlatformInstance.h"
#include "VornelPlatform/PlatformPump.h"
#include "VornelPlatform/PlatformTime.h"
#include "VornelPlatform/PlatformWindow.h"
#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/StatusText.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsParameters_Static.h"
#include "VornelUtils/UtilsScramble.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr const char16_t* kDataPath = u"Data_full_Win32\\";
constexpr uint32_t kTimerId = 0;
constexpr uint32_t kOrientation = 1;
// Longest wait for a message while a timer drives the frames: the loop wakes up for every
// message and every timer deadline anyway.
constexpr uint32_t kIdleWaitMs = 100;

uint16_t ToWord(int32_t value)
{
    return static_cast<uint16_t>(std::clamp<int32_t>(value, 0, 0xFFFF));
}

// Everything made so far released, in the shutdown's order.
void DropWorld(NimbrelSession& session)
{
    if (session.world) {
        session.world->Unload();
        session.world->DestroyMainWindow();
        delete session.world;
        session.world = nullptr;
        g_pWorld = nullptr;
    }
    session.window = nullptr;
    session.worldSettings.reset();
    session.appSettings.reset();
    if (session.instanceLocked) {
        Platform_ReleaseInstanceLock();
        session.instanceLocked = false;
    }
    session.ended = true;
}

int Fail(NimbrelSession& session, const char16_t* errorText)
{
    const WorldData* w = g_pWorld ? g_pWorld->GetWorldData() : nullptr;
    if (w && Failed(w->lastErrorCode))
        Log(session.logPath, 1, u"# Start-up failed! %S (0x%08X)\n", StatusText(w->lastErrorCode),
            static_cast<uint32_t>(w->lastErrorCode));
    ShowErrorBox(errorText);
    DropWorld(session);
    return -1;
}

const char16_t* LastErrorText()
{
    return g_pWorld && g_pWorld->GetWorldData() ? g_pWorld->GetWorldData()->lastErrorText : u"";
}

void LogValidPlatformFailure(const WorldData* w)
{
    const struct {
        int kind;
        const char16_t* format;
    } lines[] = {
        {kModuleAudio, u"# ValidPlatform AUDIO failed! (\"%s\", \"%s\")\n"},
        {kModuleNetwork, u"# ValidPlatform NETWORK failed! (\"%s\", \"%s\")\n"},
        {kModule3D, u"# ValidPlatform RENDERER failed! (\"%s\", \"%s\")\n"},
    };
    for (const auto& line : lines)
        if (const ModuleDescriptor* d = w->selected[line.kind].pDescriptor)
            Log(w->logPath, 0, line.format, w->dataPath, d->name);
}

// One frame of the polling loop, with the window's state handed to the world first.
bool RunPolledFrame(CNimbrelWorld* world, PlatformWindow* window)
{
    WorldData* w = world->GetWorldData();
    w->minimised = Platform_IsWindowMinimised(window) ? 1 : 0;
    w->hasFocus = Platform_WindowHasFocus(window) ? 1 : 0;
    if (Failed(world->Frame())) {
        SetFrameFailed(true);
        return false;
    }
    CountFrame();
    return true;
}

}  // namespace

NimbrelSession::NimbrelSession() = default;

NimbrelSession::~NimbrelSession()
{
    if (!ended)
        DropWorld(*this);
}

int NimbrelStartUp(NimbrelSession& session, const NimbrelStartOptions& options)
{
    const NimbrelCommandLine& commandLine = options.commandLine;
    SetFrameLimit(commandLine.frameLimit);
    session.startLevel = commandLine.level;
    SetFrameFailed(false);
    session.ended = false;

    // 1. One instance: a second start without arguments brings the first to the front.
    if (commandLine.empty) {
        const std::string key = UtilsString_ToUtf8(kNimbrelClassName);
        if (Platform_AcquireInstanceLock(key.c_str()) == PlatformInstanceResult::kOtherRunning) {
            SayOtherCopyRunning();
            session.ended = true;
            return -1;
        }
        session.instanceLocked = true;
    }

    // 2-3. The data path and the two stored settings blocks.
    session.worldSettings.reset(
        new (std::nothrow) UtilsParameters_Static(kStoredWorldSettings, kStoredWorldSettingsSize, kScrambleKey));
    session.appSettings.reset(
        new (std::nothrow) UtilsParameters_Static(kStoredAppSettings, kStoredAppSettingsSize, kScrambleKey));
    if (!session.worldSettings || !session.appSettings)
        return Fail(session, u"");
    UtilsParameters& worldSettings = *session.worldSettings;
    UtilsParameters& appSettings = *session.appSettings;

    // 4. The application name names the pack and the log; without it there is no data.
    appSettings.GetString(u"PATH", u"APP_NAME", u"", session.appName, kManagedNameSize);
    if (session.appName[0] == 0) {
        ShowWarningBox(u"The Data path is unreachable.\n\nThe application will now exit.");
        DropWorld(session);
        return -1;
    }

    // 5. The log lies beside the data folder.
    UtilsString_Format(session.logPath, kWorldTextSize, u"%s..\\%s.log", kDataPath, session.appName);
    const char16_t* logPath = session.logPath;
    Log(logPath, 0, u"# STARTED...\n");

    // 6. The asset size from the screen against the size the game is authored for.
    const int32_t defaultWidth = static_cast<int32_t>(appSettings.GetFloat(u"CAMERA", u"DEFAULT_APP_WIDTH", 1024.0f));
    const int32_t defaultHeight = static_cast<int32_t>(appSettings.GetFloat(u"CAMERA", u"DEFAULT_APP_HEIGHT", 768.0f));
    int32_t screenWidth = 0, screenHeight = 0;
    if (!Platform_GetDesktopSize(&screenWidth, &screenHeight) || screenWidth <= 0 || screenHeight <= 0) {
        screenWidth = defaultWidth;  // no display to measure: the authored size
        screenHeight = defaultHeight;
    }
    const uint32_t assetRow = AssetsRowForDoublings(ChooseAssetsDefinition(
        static_cast<uint32_t>(screenWidth), static_cast<uint32_t>(screenHeight),
        static_cast<uint32_t>(std::max(defaultWidth, 0)), static_cast<uint32_t>(std::max(defaultHeight, 0))));
    const char16_t* assetSuffix = kAssetsDefinitions[assetRow].suffix;
    Log(logPath, 0, u"# ASSETS DEF: \"%s\"\n", assetSuffix);

    // 7. The world.
    g_pWorld = options.createWorld ? options.createWorld() : CreateNimbrelWorld();
    session.world = g_pWorld;
    if (!g_pWorld)
        return Fail(session, u"");
    CNimbrelWorld* world = g_pWorld;
    WorldData* w = world->GetWorldData();
    if (!w)
        return Fail(session, u"");
    world->SetDisplayChangeCallback(UpdateWindowTitle);
    if (commandLine.level)
        world->SetStartLevel(commandLine.level, commandLine.chapter);
    world->SetFlag(2, 1);
    world->SetPlatformIndex(0);

    // 8-9. The pack of this asset size, opened by the world.
    char16_t packPath[kWorldTextSize];
    UtilsString_Format(packPath, kWorldTextSize, u"%s%s%s%s%s.pak", kDataPath, session.appName, u"_full_",
                       kPlatformRows[0].name, assetSuffix);
    Log(logPath, 0, u"# RES__PACKER build : \"%s\"\n", packPath);
    if (Failed(world->SetParameters(&worldSettings, &appSettings, nullptr, packPath, 0, FindPackEntry, logPath)))
        return Fail(session, LastErrorText());

    // 10-12. The modules, and one of each kind selected.
    RegisterProgramModules(w);
    const uint16_t width = worldSettings.GetWord(u"WORLD", u"WIDTH", 2048);
    const uint16_t height = worldSettings.GetWord(u"WORLD", u"HEIGHT", 1536);
    const uint8_t colorDepth = worldSettings.GetByte(u"WORLD", u"COLOR_DEPTH", 32);
    const uint8_t verticalSync = worldSettings.GetBool(u"WORLD", u"V_SYNC_ENABLE", 1) ? 1 : 0;
    const uint8_t resizable = worldSettings.GetBool(u"WORLD", u"RESIZABLE", 0) ? 1 : 0;
    uint8_t fullScreen = worldSettings.GetBool(u"WORLD", u"FULLSCREEN", 1) ? 1 : 0;
    const uint16_t renderer =
        options.commandLine.renderer != kProgramRendererChoice ? options.commandLine.renderer : kProgramRenderer;
    if (Failed(ValidPlatform(renderer, kProgramAudio, kProgramInput, kProgramNetwork, w))) {
        LogValidPlatformFailure(w);
        return Fail(session, u"");
    }

    // 13. The window size and mode for this platform; each value replaces the one before.
    const char16_t* platformCode = kPlatformRows[world->GetPlatformIndex()].code;
    char16_t key[64];
    int32_t windowWidth = appSettings.GetInt(u"CAMERA", u"DEFAULT_APP_WIDTH", width);
    UtilsString_Format(key, 64, u"DEFAULT_%s_WIDTH", platformCode);
    windowWidth = appSettings.GetInt(u"CAMERA", key, windowWidth);
    int32_t windowHeight = appSettings.GetInt(u"CAMERA", u"DEFAULT_APP_HEIGHT", height);
    UtilsString_Format(key, 64, u"DEFAULT_%s_HEIGHT", platformCode);
    windowHeight = appSettings.GetInt(u"CAMERA", key, windowHeight);
    UtilsString_Format(key, 64, u"DEFAULT_%s_FULLSCREEN", platformCode);
    fullScreen = appSettings.GetBool(u"CAMERA", key, 1) ? 1 : 0;

    // 14-15. The player's saved choice, unless SHIFT is held: then a window.
    world->Prepare(36);
    if (Succeeded(world->LoadOptions(session.appName, kDataPath, 0, 0, assetRow)))
        fullScreen = w->fullScreen ? 1 : 0;
    if (options.forceWindow || Platform_GetKeyState(VK_SHIFT) < 0)
        fullScreen = 0;

    // 16-20. The window (the class is the instance key here), the world's load, the title.
    session.record.commandLine = commandLine.text;
    session.record.showFlag = 1;
    uint16_t clientWidth = ToWord(windowWidth), clientHeight = ToWord(windowHeight);
    if (Failed(world->CreateMainWindow(clientWidth, clientHeight, fullScreen, resizable, kNimbrelClassName,
                                       session.appName, &session.record, nullptr)))
        return Fail(session, LastErrorText());
    PlatformWindow* window = session.record.window;
    session.window = window;
    if (Failed(world->Load(window, clientWidth, clientHeight, colorDepth, 0, fullScreen, resizable, verticalSync,
                           kOrientation, kDataPath, 0xFFFF, 0xFFFF)))
        return Fail(session, LastErrorText());
    if (world->GetGameData()->developerMode)
        SayModules(w, world->GetAudioEngine() != nullptr, world->GetNetworkEngine() != nullptr);
    char16_t title[kWorldTextSize] = {};
    world->GetGameString(kNimbrelClassName, session.appName, title);
    Platform_SetWindowTitle(window, UtilsString_ToUtf8(title).c_str());
    if (Failed(world->PlaceWindow()) || Failed(world->ShowMainWindow()))
        return Fail(session, LastErrorText());

    // 21. Frames from a timer, or back to back with a sleep.
    const int32_t frameTimer = worldSettings.GetInt(u"WORLD", u"FRAME_TIMER", 0);
    int32_t sleepMs = worldSettings.GetInt(u"WORLD", u"SLEEP_TIMER", 0);
    if (options.manualFrames) {
        session.frameTimer = 0;
        session.sleepMs = 0;
        return 0;
    }
    if (frameTimer > 0) {
        Platform_SetTimer(window, kTimerId, FrameTimerPeriod(frameTimer));
        sleepMs = 0;
    }
    session.frameTimer = frameTimer;
    session.sleepMs = static_cast<uint32_t>(std::max(sleepMs, 0));
    return 0;
}

bool NimbrelRunOnce(NimbrelSession& session)
{
    if (session.ended || !session.world)
        return false;
    PlatformMessage message{};
    while (Platform_PeekMessage(&message)) {
        // The world keeps one typed character a frame: a character typed before a frame took the
        // last one gets a frame of its own first, so that a slow frame loses no letter of a name.
        if (message.message == WM_CHAR && session.world->GetWorldData()->lastChar != 0 &&
            !RunPolledFrame(session.world, session.window)) {
            session.ended = true;
            return false;
        }
        WindowProc(message);
        if (message.message == WM_QUIT || message.message == WM_CLOSE) {
            session.ended = true;
            return false;
        }
    }
    if (session.frameTimer <= 0 && !RunPolledFrame(session.world, session.window)) {
        session.ended = true;
        return false;
    }
    return true;
}

void NimbrelRunLoop(NimbrelSession& session)
{
    while (NimbrelRunOnce(session)) {
        if (session.sleepMs != 0)
            Platform_Sleep(session.sleepMs);
        else if (session.frameTimer > 0)
            Platform_WaitMessage(kIdleWaitMs);  // the frames come from WM_TIMER
    }
}

int NimbrelShutdown(NimbrelSession& session)
{
    CNimbrelWorld* world = session.world;
    if (!world)
        return -1;
    if (session.frameTimer > 0)
        Platform_KillTimer(session.window, kTimerId);
    // A frame fails when the player leaves too (the stop flag): that is no failure.
    const GameData* game = world->GetGameData();
    bool failed = (FrameFailed() && !(game && game->stop)) || world->HasEndedOnFailure();
    if (failed)
        ShowErrorBox(LastErrorText());
    if (world->IsStartLevelUnknown()) {
        SayUnknownLevel(session.startLevel);
        failed = true;
    }
    world->Unload();
    if (Failed(world->DestroyMainWindow()))
        ShowErrorBox(LastErrorText());
    delete world;
    g_pWorld = nullptr;
    session.world = nullptr;
    session.window = nullptr;
    session.worldSettings.reset();
    session.appSettings.reset();
    Log(session.logPath, 0, u"# ENDED.\n");
    if (session.instanceLocked) {
        Platform_ReleaseInstanceLock();
        session.instanceLocked = false;
    }
    session.ended = true;
    return failed ? -1 : 0;
}

int NimbrelMain(int argc, char** argv)
{
    if (!Platform_DisplayNamed()) {
        SayNoDisplay();
        return -1;
    }
    NimbrelStartOptions options;
    options.commandLine = ParseCommandLine(argc, argv);
    NimbrelSession session;
    const int status = NimbrelStartUp(session, options);
    if (status != 0)
        return status;
    NimbrelRunLoop(session);
    return NimbrelShutdown(session);
}
