#pragma once
// The program: one process, one window, one game world, driven by the window's message loop.
#include <cstdint>
#include <memory>

#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelPlatform/PlatformMessage.h"
#include "VornelUtils/Status.h"

class CNimbrelWorld;
class UtilsParameters_Static;
struct PlatformWindow;
struct WorldData;

// The exit status of the program: 0 after a normal end (the player left, or the window was
// closed), -1 after a failure (a start-up that failed, a frame that failed) or when another
// instance was brought to the front.
int NimbrelMain(int argc, char** argv);

// What the command line asks. Any argument at all turns the single-instance check off;
// "--frames N" (N > 0) also ends the message loop after N frames; "--level NAME" starts the
// game at that level after the main script, in chapter "--chapter N" (1-based, 1 when not
// given), as `_command("load_object", NAME, N)` would; "--renderer CODE" selects the renderer
// module of that code ("DX9", "GL") in place of the program's own, when it is registered.
// No renderer chosen on the command line: the program selects its own.
constexpr uint16_t kProgramRendererChoice = 0xFFFF;

struct NimbrelCommandLine {
    bool empty = true;
    const char* text = "";    // the first argument, for the window record
    uint32_t frameLimit = 0;  // 0: no limit
    const char* level = nullptr;
    uint32_t chapter = 0;     // the chapter's index
    // The renderer's module id chosen by "--renderer CODE" (a 3D descriptor's code, such as
    // "DX9" or "GL"); kProgramRendererChoice: the program's own.
    uint16_t renderer = kProgramRendererChoice;
};
NimbrelCommandLine ParseCommandLine(int argc, const char* const* argv);

// The program's start-up, frames and shutdown are these functions, shared by the program, the
// tests and the benchmarks: NimbrelStartUp, then NimbrelRunLoop (or NimbrelRunOnce as often as
// wanted), then NimbrelShutdown.
struct NimbrelStartOptions {
    NimbrelCommandLine commandLine;
    // Makes the world; CreateNimbrelWorld when null.
    CNimbrelWorld* (*createWorld)() = nullptr;
    // A window whatever the settings and options say, as with SHIFT held.
    bool forceWindow = false;
    // No frame timer and no sleep: each NimbrelRunOnce runs exactly one frame.
    bool manualFrames = false;
};

// What the start-up made, released by the shutdown.
struct NimbrelSession {
    NimbrelSession();
    ~NimbrelSession();
    std::unique_ptr<UtilsParameters_Static> worldSettings;
    std::unique_ptr<UtilsParameters_Static> appSettings;
    char16_t appName[kManagedNameSize] = {};
    char16_t logPath[kWorldTextSize] = {};
    AppWindowRecord record{};
    CNimbrelWorld* world = nullptr;
    PlatformWindow* window = nullptr;
    int32_t frameTimer = 0;
    uint32_t sleepMs = 0;
    bool instanceLocked = false;
    bool ended = false;  // the loop has ended: a quit, a close or a failing frame
    const char* startLevel = nullptr;  // the level the command line starts at
};

// 0 when the game runs; else the exit status, with everything made released and the box of
// the failure shown.
int NimbrelStartUp(NimbrelSession& session, const NimbrelStartOptions& options);
// The messages waiting, each to the window procedure; then, without a frame timer, one frame.
// False once the loop has ended.
bool NimbrelRunOnce(NimbrelSession& session);
void NimbrelRunLoop(NimbrelSession& session);
// The world unloaded and deleted, the window destroyed. After a frame that failed (and not
// because the player asked to leave), the error box with the world's last error text first.
// The exit status.
int NimbrelShutdown(NimbrelSession& session);

// The window procedure: frames on WM_TIMER, every message to the world found through the
// window's user pointer. -1 when the world refused a message, else 0.
intptr_t WindowProc(const PlatformMessage& message);

// The world's display-change callback: for code 21 the window title becomes the game string
// keyed by the window class name. 0.
Status UpdateWindowTitle(uint32_t code, PlatformWindow* window);

// The timer period of a frame rate: 1000 / frames per second, truncated to milliseconds.
uint32_t FrameTimerPeriod(int32_t framesPerSecond);

// Why the program does not start, on standard error: no display is named (a display-less
// driver would run the game unseen), or another copy runs and was raised.
void SayNoDisplay();
void SayOtherCopyRunning();
void SayUnknownLevel(const char* name);
// In developer mode: the renderer, audio, input and network modules the world runs on.
void SayModules(const WorldData* w, bool audioRunning, bool networkRunning);

// Box captions and texts.
void ShowWarningBox(const char16_t* text);
// "An error occurred while loading..." followed by the error text in parentheses when there
// is one.
void ShowErrorBox(const char16_t* errorText);

// The one world of the process (null before it is made and after it is deleted).
extern CNimbrelWorld* g_pWorld;

// Frames run so far, and the limit of the command line (0: none); reaching it asks the loop to
// end.
void SetFrameLimit(uint32_t limit);
void CountFrame();
uint32_t FramesRun();
// A frame that failed ends the loop; the shutdown tells it from a request to leave.
void SetFrameFailed(bool failed);
bool FrameFailed();
