#pragma once
// The application world between the engine world and the game: the main window and the
// switch between window and full screen, the translation of window messages into engine input
// in virtual-screen units, the objects every application needs beside the renderer (display
// gamma ramp, string tables, sounds and music now; fonts, screenshot and decoration as they
// come), resources opened by source (program, external pack, main pack, loose file) and the
// application's identity (window class, name, resource mode). Abstract: the game world fills
// the options and pointer operations.
//
// Life: construct -> SetApplicationParameters -> CreateMainWindow -> Load -> frames ->
// Unload -> DestroyMainWindow -> delete.
#include <cstdint>
#include <cstdio>

#include "Vornel3D/CWorld.h"
#include "Vornel3D_ToolBox/WindowGeometry.h"
#include "VornelPlatform/PlatformMessage.h"
#include "VornelUtils/Status.h"

class CGammaRamp;
class CMusicManager;
class CScreenshot;
class CSoundsManager;
class CStringsManager;
class C3DTexture;
class CVornelFont;
class CVornelFontEx;
class CWindowDecoration;
class UtilsParameters;
class UtilsStream;
struct PlatformWindow;

constexpr int kManagedNameSize = 32;  // characters of the class and application names, terminator included

// The resource mode word: bits 12-15 the source of resources, bits 0-3 that of textures
// loaded by name.
constexpr uint32_t kResourceSourceProgram = 1;
constexpr uint32_t kResourceSourcePack = 2;
constexpr uint32_t kResourceSourceFile = 4;
constexpr uint32_t kResourceModeNone = 0x40400;  // selects no source

// The stream mode of OpenResourceStream that keeps a name missing from the external pack from
// being looked up in the main pack.
constexpr uint32_t kResourceExternalOnly = 2;

// Bytes of a construction file's identity text, its terminator included.
constexpr uint32_t kConstructionIdentitySize = 260;

class UtilsStream;
// The identity text of a construction file's header, after its u16 version: u32 n, then n
// bytes with the terminator (n at most kConstructionIdentitySize and never more than the
// stream holds) into `identity` (kConstructionIdentitySize bytes). false when damaged or short.
bool ReadConstructionIdentity(UtilsStream* pStream, char* identity);

// The platform index that forms the platform keys of the settings ("WIN32" is row 0); the
// gamma ramp works only on row 0.
constexpr uint32_t kPlatformIndexUnset = 17;

// The code with which the display-change callback is called.
constexpr uint32_t kDisplayChangedCode = 21;

// WM_ACTIVATE: activated by a click (beside WA_INACTIVE and WA_ACTIVE).
constexpr uintptr_t WA_CLICKACTIVE = 2;

// The program's window record: given to CreateMainWindow, which fills the window.
struct AppWindowRecord {
    void* instance;
    void* previousInstance;
    const char* commandLine;
    int32_t showFlag;
    PlatformWindow* window;
};

// Called after every display change with kDisplayChangedCode and the window; the result is
// not used.
using DisplayChangeCallback = Status (*)(uint32_t code, PlatformWindow* window);

// The size (virtual units) and colour (0xAARRGGBB) of a text drawn with one of the world's fonts.
struct ManagedTextStyle {
    float width;
    float height;
    uint32_t color;
};

class CManagedWorld : public CWorld {
public:
    CManagedWorld();
    ~CManagedWorld() override;

    // ---- engine world ---------------------------------------------------------------------
    // The engine world's arguments, the size of the window first and the virtual size last.
    // With both virtual dimensions given (not 0xFFFF) the scale factors become window /
    // virtual and the engine world is loaded with the window size divided by them; then the
    // camera speed factor ("CAMERA", "SPEED_FACTOR"). kStatusFailed when the load fails.
    Status Load(void* pWindow, uint16_t width, uint16_t height, uint8_t colorDepth, uint32_t displayValue,
                uint8_t fullScreen, uint8_t resizable, uint8_t verticalSync, uint32_t orientation,
                const char16_t* dataPath, uint16_t virtualWidth, uint16_t virtualHeight) override;
    // Every owned object (unloaded, deleted), the external pack and settings, then the engine
    // world's unload; kStatusFailed when that fails.
    Status Unload() override;
    // Window messages: display, focus, cursor and size handling here; keyboard and pointer
    // input (pointer positions mapped to virtual units) to the engine world and the game's
    // pointer operations. 0, or kStatusFailed when a display switch fails.
    Status OnMessage(const PlatformMessage* pMessage) override;
    // Frame time scaled by the camera speed factor, the engine world's update, the frame
    // input block cleared. 0, or the engine world's failure.
    Status Update() override;
    Status Render() override;

    // ---- filled by the game world -----------------------------------------------------------
    virtual Status Prepare(uint32_t value) = 0;
    // Reads the player's saved options; a non-negative result leaves the full-screen flag of
    // the world data record at the saved display choice.
    virtual Status LoadOptions(const char16_t* appName, const char16_t* dataPath, uint32_t a, uint32_t b,
                               uint32_t assetRow) = 0;
    virtual Status SaveOptions() = 0;

    // ---- hooks the game world may override --------------------------------------------------
    virtual void OnEvent(uint32_t value) {}
    virtual void OnEvent3(uint32_t a, uint32_t b, uint32_t c) {}
    virtual Status OnGameCommand(uint32_t code, uint32_t argument) { return kStatusOk; }
    virtual Status OnCharacter(char16_t character) { return kStatusOk; }
    virtual Status OnReserved() { return kStatusFailed; }
    virtual Status SaveOptionsAndProfile() { return kStatusFailed; }

    virtual Status ClearMinimized();
    virtual Status SetMinimized();

    // Switches between window and full screen on the same window (a new window would lose the
    // renderer's context). 0, or kStatusFailed with the in-progress flag cleared.
    virtual Status ChangeDisplayMode(const char16_t* className, const char16_t* appName, uint8_t fullScreen,
                                     uint8_t keepWindow, const void* pMenu);
    // The base writes "%s - %s" of its two texts (capacity kWorldTextSize); 0.
    virtual Status GetGameString(const char16_t* key, const char16_t* text, char16_t* out);

    // Stores the mode word, both names (the application name also as 8-bit text), the data
    // path and the word beside it. 0.
    Status SetApplicationParameters(uint32_t resourceMode, const char16_t* className, const char16_t* appName,
                                    const char16_t* dataPath, int32_t dataPathWord);
    uint8_t SetWindowOptionA(uint8_t flag) { return m_windowOptionA = flag; }
    uint8_t SetWindowOptionB(uint8_t flag) { return m_windowOptionB = flag; }
    uint8_t SetFitWindowToDesktop(uint8_t flag) { return m_fitWindowToDesktop = flag; }

    // ---- fonts ------------------------------------------------------------------------------
    // The main font of the kind in the settings section's "LOAD_FONT_TYPE" (2, a charset font,
    // when forced) in place of the current one: 0, or kStatusFailed with no main font.
    Status LoadMainFont(uint8_t forced, const char16_t* section);
    // The second font of the kind from the section in place of the current one (freed unless
    // it is the main font); a null section makes it the main font itself. 0, or kStatusFailed
    // with no second font.
    Status LoadSecondFont(uint32_t kind, const char16_t* section);
    // A font of the kind (0 TrueType, 1 glyph pair, 2 charset) from the application settings'
    // section, owned by the caller; null when it cannot be made (the reason is logged).
    virtual CVornelFont* CreateFont(uint32_t kind, const char16_t* section);
    // A charset font's page textures for the language: pages whose charset mask lacks a bit of
    // the language's are unloaded, the others loaded by their names. kStatusFailed for another
    // kind of font or when a page cannot be loaded or unloaded.
    Status LoadFontPagesForLanguage(CVornelFont* pFont, uint32_t language);
    CVornelFont* GetMainFont() const { return m_pMainFont; }
    CVornelFont* GetSecondFont() const { return m_pSecondFont; }
    // The second font may be the main font itself; the world frees it at unload otherwise.
    void SetSecondFont(CVornelFont* pFont) { m_pSecondFont = pFont; }

    // The game's main (menu) text and extra text, drawn with the main and the second font.
    ManagedTextStyle& MainTextStyle() { return m_mainText; }
    ManagedTextStyle& ExtraTextStyle() { return m_extraText; }

    // ---- owned objects ----------------------------------------------------------------------
    // Each unloads and deletes the object it replaces first; out of memory latches and
    // returns kStatusOutOfMemory, a failed initialisation gives kStatusFailed.
    // The screenshot is initialised with the resource mode word, the decoration with its
    // flags (kDecorationCursor, kDecorationCorner); a decoration whose pictures are missing is
    // kept all the same.
    Status CreateScreenshot();
    Status CreateWindowDecoration(uint32_t flags);
    Status CreateGammaRamp();
    Status CreateStringsManager();
    // The sound managers are made only when the world has an audio engine (else 0 and none).
    // The music manager's initialisation loads and plays the settings' music.
    Status CreateSoundsManager();
    Status CreateMusicManager();
    // No input module is installed in this program: kStatusFailed.
    Status CreateInputDeviceA();
    Status CreateInputDeviceB();

    // Keeps the given file, or opens the path for reading; 0. The pack is searched before the
    // main one from then on (its index, when the game builds one, lives in its record).
    Status SetExternalPack(const char16_t* path, uint32_t word, std::FILE* pFile);

    // ---- resources by source --------------------------------------------------------------
    // The source of resources (bits 12-15 of the mode word) and of textures loaded by name
    // (bits 0-3): kResourceSourceProgram, kResourceSourcePack, kResourceSourceFile, or
    // another value that loads nothing.
    uint32_t GetResourceSource() const { return (m_resourceMode >> 12) & 0xF; }
    uint32_t GetTextureSource() const { return m_resourceMode & 0xF; }
    // An open read stream over the named resource, owned by the caller (CloseResourceStream),
    // or null. From the pack the external pack is searched first, then, unless mode is
    // kResourceExternalOnly while an external pack is open, the main pack. A loose file is
    // opened by the name itself (callers put the data path in front).
    UtilsStream* OpenResourceStream(const char16_t* name, uint32_t mode);
    // A construction file: u16 version, u32 n, n bytes of identity text with its terminator.
    // The open stream after this header, or null: the last error text names a missing file
    // or another version; another identity gives null and leaves the text alone.
    UtilsStream* CheckConstruction(const char16_t* name, uint16_t version, const char* identity, uint32_t mode);
    // Each replaces the external settings reader (deleted first, also on failure). From the
    // pack (source 2 only; the external pack alone when one is open), stored in the program
    // (source 1 only), or from a file (always 0). kStatusFailed when the source is another or
    // the name is missing.
    Status LoadExternalParam_FromPacker(const char16_t* name);
    Status LoadExternalParam_FromStatic(const char16_t* name);
    Status LoadExternalParam_FromFile(const char16_t* path);
    // The 8-bit application name into buffer (at least kManagedNameSize bytes): its length.
    uint32_t GetApplicationName(char* buffer) const;

    // ---- main window --------------------------------------------------------------------------
    // Fits the size (with the fit option on) and gives the window's outer rectangle for a
    // client area of that size at (0, 0).
    void ComputeWindowRect(WindowRect* pRect, uint16_t& width, uint16_t& height, uint8_t fullScreen,
                           uint8_t resizable, const void* pMenu);
    // 0, or kStatusSystemCallFailed (latched) when the window cannot be made.
    Status CreateMainWindow(uint16_t& width, uint16_t& height, uint8_t fullScreen, uint8_t resizable,
                            const char16_t* className, const char16_t* appName, AppWindowRecord* pRecord,
                            const void* pMenu);
    Status PlaceWindow();
    Status ShowMainWindow();
    Status HideMainWindow();
    Status DestroyMainWindow();

    // ---- the game's pointer operations (virtual-screen coordinates) ----------------------------
    virtual Status OnMouseDown(float x, float y, uint32_t flag) = 0;
    virtual Status OnMouseMove(float x, float y, uint32_t flag) = 0;
    virtual Status OnMouseInput3(float x, float y, uint32_t flag) = 0;
    virtual Status OnMouseUp(float x, float y, uint32_t flag) = 0;
    virtual Status OnGesture(float x1, float y1, float x2, float y2) = 0;
    virtual Status OnMouseWheel(float delta) = 0;

    // ---- access ---------------------------------------------------------------------------
    uint32_t GetPlatformIndex() const { return m_platformIndex; }
    void SetPlatformIndex(uint32_t index) { m_platformIndex = index; }
    uint32_t GetResourceMode() const { return m_resourceMode; }
    float GetSpeedFactor() const { return m_speedFactor; }
    uint8_t GetInputBlock() const { return m_inputBlock; }
    void SetInputBlock(uint8_t block) { m_inputBlock = block; }
    // The three flags (index 0..2) that the game world gives its own meaning.
    uint8_t GetFlag(uint32_t index) const { return index < 3 ? m_flags[index] : 0; }
    void SetFlag(uint32_t index, uint8_t value)
    {
        if (index < 3)
            m_flags[index] = value;
    }
    void SetDisplayChangeCallback(DisplayChangeCallback callback);
    DisplayChangeCallback GetDisplayChangeCallback() const { return m_pfnDisplayChange; }
    const char16_t* GetClassName() const { return m_className; }
    const char16_t* GetAppName() const { return m_appName; }
    AppWindowRecord* GetWindowRecord() const { return m_pWindowRecord; }
    PlatformWindow* GetMainWindow() const { return m_pWindowRecord ? m_pWindowRecord->window : nullptr; }
    CScreenshot* GetScreenshot() const { return m_pScreenshot; }
    CWindowDecoration* GetWindowDecoration() const { return m_pWindowDecoration; }
    CGammaRamp* GetGammaRamp() const { return m_pGammaRamp; }
    CStringsManager* GetStringsManager() const { return m_pStringsManager; }
    CSoundsManager* GetSoundsManager() const { return m_pSoundsManager; }
    CMusicManager* GetMusicManager() const { return m_pMusicManager; }
    std::FILE* GetExternalPackFile() const { return m_externalPack.pFile; }
    PackRecord* GetExternalPack() { return &m_externalPack; }
    UtilsParameters* GetExternalSettings() const { return m_pExternalSettings; }

protected:
    // True when the selected renderer's mask holds every bit of this one.
    bool RendererIs(uint32_t mask) const;
    // A pointer message's lParam mapped to virtual units in place.
    void MapPointer(PlatformMessage& message) const;
    Status OnActivate(const PlatformMessage& message);
    void OnSetCursor(const PlatformMessage& message);
    void OnSizing(const PlatformMessage& message);

    uint8_t m_flags[3] = {0, 0, 1};
    uint32_t m_resourceMode = kResourceModeNone;
    uint32_t m_platformIndex = kPlatformIndexUnset;
    float m_speedFactor = 1.0f;
    uint8_t m_inputBlock = 0;
    uint8_t m_windowOptionA = 0;
    uint8_t m_windowOptionB = 0;
    uint8_t m_fitWindowToDesktop = 0;

    // Closes the external pack and frees its index, unless it shares the main pack's file.
    void CloseExternalPack();

    // Frees the second font unless it is the main one, then the main font.
    void DropFonts();
    // The charset of a charset font named by the section's "MAIN_FONT_CHARSET_FILE_PATH", and
    // its page textures by the section's "MAIN_FONT_CHARSET_TEXTURE_PATH".
    Status LoadCharset(CVornelFontEx* pFont, const char16_t* section);
    Status LoadCharsetPages(CVornelFontEx* pFont, const char16_t* section);
    // A charset page by name from the texture source; with the pack the external pack comes
    // first while one is open or an earlier page came from it (`external`).
    enum class PageLoad { Loaded, MissingExternal, MissingMain, Failed };
    PageLoad LoadPageTexture(C3DTexture* pTexture, const char16_t* name, bool& external);

    CVornelFont* m_pMainFont = nullptr;
    ManagedTextStyle m_mainText = {};
    ManagedTextStyle m_extraText = {};
    CVornelFont* m_pSecondFont = nullptr;
    CScreenshot* m_pScreenshot = nullptr;
    CGammaRamp* m_pGammaRamp = nullptr;
    CStringsManager* m_pStringsManager = nullptr;
    CSoundsManager* m_pSoundsManager = nullptr;
    CMusicManager* m_pMusicManager = nullptr;
    CWindowDecoration* m_pWindowDecoration = nullptr;

    PackRecord m_externalPack = {};  // its file is null when there is no external pack
    uint32_t m_externalPackWord = 0;
    UtilsParameters* m_pExternalSettings = nullptr;

    char16_t m_className[kManagedNameSize] = {};
    char16_t m_appName[kManagedNameSize] = {};
    char m_appNameA[kManagedNameSize] = {};

    DisplayChangeCallback m_pfnDisplayChange;
    AppWindowRecord* m_pWindowRecord = nullptr;
};

// The process-wide state of the main window: what the desktop fit remembers, the Alt+Enter
// latch and the cursor display count.
struct ManagedWindowState {
    WindowFitState fit;
    uint8_t altEnterLatch = 0;
    int32_t cursorCount = 0;
};
ManagedWindowState& GetManagedWindowState();

// Closes and deletes a stream of OpenResourceStream; null is allowed.
void CloseResourceStream(UtilsStream* pStream);
