#pragma once
// The game's world: the one world object of the program, made by CreateNimbrelWorld and owned
// by the program entry. It owns the game record and every game manager, runs the game states
// (splash, world load, language and level changes, play) and drives its managers once a frame
// in a fixed update order and a fixed draw order.
//
// A manager is kept in its slot from its creation to the unload; a slot stays empty until
// that manager exists in this program. A present manager is updated and drawn through
// CManagedObject and an absent one is skipped; what the world asks of a manager beyond that
// is one protected virtual helper each, which answers for an absent manager.
#include <cstdint>
#include <string>

#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/GroupTableFile.h"
#include "NimbrelWorld/WorldManagers.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"

class CCommandListManager;
class CCursors;
class CFlashlight;
class CTouchScreen;
class CExtraTextManager;
class CGroups;
struct GroupTable;
class CLabels;
class CObjectiveManager;
class CCommandTarget;
class CChaptersManager;
class CObjectsManager;
class CManagedObject;
class CObjectsBase;
class CProfileManager;
class CProgressBar;
class CScriptManager;
class CTransitions;
class CShaderManager;
class CSplashscreens;
class CParticules;
class CTutoManager;
class CTimerManager;
class CPopupManager;
class CSurroundManager;
class CAbuse;
class CToolboxManager;
class CDragDropManager;
class CStringsRaw;

// The window class name; also the single-instance key and the key of the window title.
constexpr const char16_t* kNimbrelClassName = u"KESTRAN_NB_v3";
// The application number: resources from the pack (source 2), textures by name from the pack.
constexpr uint32_t kNimbrelResourceMode = 0x42422;
// The word of the per-user folder and the options file in it.
constexpr const char16_t* kNimbrelUserFolderWord = u"Nimbrel";
constexpr const char16_t* kNimbrelOptionsFile = u"options.sav";
constexpr const char16_t* kNimbrelDefaultDataPath = u"Data_full_Win32\\";
// The developer flags file of the data folder.
constexpr const char16_t* kNimbrelPrefetchFile = u"prefetch.params";
// The folder of the string tables.
constexpr const char16_t* kStringsFolder = u"strings/";

// The managed world's flag that makes the main font a TrueType font.
constexpr uint32_t kTrueTypeFlag = 2;

// Game states.
enum GameState : int32_t {
    kGameStateIdle = 0,            // before the load, and after the world load until a level is chosen
    kGameStateSplash = 1,          // the start-up splash sequence
    kGameStateLevelSplash = 2,     // a splash or video sequence after a level activation
    kGameStateLevelVideo = 3,
    kGameStateLanguage = 4,        // string tables read again, the current level entered again
    kGameStateWorldLoad = 5,
    kGameStateLevelChange = 6,     // the profile is saved
    kGameStateLevelActivation = 7,
    kGameStatePlaying = 8,
};

// Screen transition kinds (0 starts none).
constexpr uint32_t kTransitionNone = 0;
constexpr uint32_t kTransitionFade = 2;

constexpr uint32_t kWorldLoadProgressMaximum = 42;

// Who receives a pointer gesture, chosen when the button goes down.
enum InputReceiver : int32_t {
    kInputNone = 0,
    kInputObjects = 1,
    kInputAbuse = 2,    // the player is penalised for random clicking
    kInputPopups = 3,
    kInputToolbox = 4,  // routed, but never chosen at a press: an open tool box gets releases first
};

class CNimbrelWorld;

// One step of the world load: its log name, the manager it creates (its slot, or -1), whether
// that manager is registered, the progress steps that follow, and the step's own work.
struct WorldLoadStep {
    const char16_t* name;
    int32_t manager;
    uint8_t loads;      // the manager's own load runs right after its creation
    uint8_t registers;
    uint8_t progressSteps;
    Status (CNimbrelWorld::*work)();
};
const WorldLoadStep* WorldLoadSteps(uint32_t* pCount);
// The steps of the start-up load after the managed world's load, in order.
const WorldLoadStep* ShellLoadSteps(uint32_t* pCount);
// The order in which Unload releases the managers.
const int32_t* WorldUnloadOrder(uint32_t* pCount);

class CNimbrelWorld : public CManagedWorld {
public:
    CNimbrelWorld();
    ~CNimbrelWorld() override;

    // The managed world's load, then the game shell: the sorted index of the main pack and
    // the display gamma ramp; the game then enters the start-up splash, or the world load
    // when there is no splash to show. kStatusFailed when a step fails.
    Status Load(void* pWindow, uint16_t width, uint16_t height, uint8_t colorDepth, uint32_t displayValue,
                uint8_t fullScreen, uint8_t resizable, uint8_t verticalSync, uint32_t orientation,
                const char16_t* dataPath, uint16_t virtualWidth, uint16_t virtualHeight) override;
    // Options and profile saved, a pending document opened, every manager unloaded and
    // deleted in the unload order, the pack indexes freed, the managed world unloaded.
    Status Unload() override;
    // kStatusFailed when the key-menu command must not open the window menu, else 0.
    Status OnMessage(const PlatformMessage* pMessage) override;
    // One frame of the game: kStatusFailed while the stop flag is set and when a world load
    // fails; else 0.
    Status Update() override;
    Status Render() override;

    Status Prepare(uint32_t value) override;
    // Sets the data folder, reads the developer flags file and keeps the asset row; then the
    // options file of the per-user folder (ReadOptions). A missing file gives the defaults. 0.
    Status LoadOptions(const char16_t* appName, const char16_t* dataPath, uint32_t a, uint32_t b,
                       uint32_t assetRow) override;
    // Writes the options file whole (creating the per-user folder) through the atomic writer.
    // kStatusFailed, with the old file left as it was, when it cannot be written; also before
    // LoadOptions has run, so that a failed start never replaces the player's file.
    Status SaveOptions() override;
    // Nothing (0) while busy; else SaveOptions. kStatusFailed when the save fails.
    Status SaveOptionsAndProfile() override;
    // The keys of the options file in order, each with its default and range: the display
    // choice into the world data record, language, profile slot, volumes and brightness into
    // the game record.
    void ReadOptions(UtilsParameters& file);

    Status OnGameCommand(uint32_t code, uint32_t argument) override;
    Status OnCharacter(char16_t character) override;
    Status ClearMinimized() override;
    Status SetMinimized() override;

    // The window title: the table's second string ("MISSING GAME STRING !!!" when it holds
    // fewer); without a strings manager the given text, or the application name when the
    // text is null. 0.
    Status GetGameString(const char16_t* key, const char16_t* text, char16_t* out) override;
    // Makes the strings manager and reads the tables under "strings/": the remapping table,
    // the punctuation, the available languages, then the current language (the game record's
    // when one was chosen, else the system's). kStatusFailed when a step fails.
    Status LoadStringsManager();

    // Pointer input, ignored while busy or with a non-zero flag: the press chooses the receiver
    // of the gesture (GetInputReceiver), its moves and release follow it. Each returns 0.
    Status OnMouseDown(float x, float y, uint32_t flag) override;
    Status OnMouseMove(float x, float y, uint32_t flag) override;
    Status OnMouseInput3(float x, float y, uint32_t flag) override;
    Status OnMouseUp(float x, float y, uint32_t flag) override;
    Status OnGesture(float x1, float y1, float x2, float y2) override;
    Status OnMouseWheel(float delta) override;
    // None while a transition shows, the popups while one is open (in any state), none outside
    // play, the abuse overlay while its penalty shows, else the scene's objects.
    int32_t GetInputReceiver();
    int32_t GetStoredInputReceiver() const { return m_inputReceiver; }

    // The application identity with the game's class name and resource mode, a null folder
    // taken as "Data_full_Win32\\"; the construction names from the application name; the
    // window is fitted to the desktop from then on.
    uint8_t SetDataFolder(const char16_t* appName, const char16_t* dataPath, uint32_t a, uint32_t b);
    // The full path of a file in the per-user folder: "<word> <name>\" in the user's data
    // folder, then "<name>.v3.<file>". With createFolder the folder chain is made first and
    // the path has only '\' separators. 0; kStatusFailed (out empty, nothing created) when
    // there is no per-user folder or the path does not fit kWorldTextSize characters.
    Status BuildUserDataPath(const char16_t* fileName, uint8_t createFolder, const char16_t* folderWord,
                             char16_t* out);
    // Reads "prefetch.params" of the data folder into the game record. 0 when the file was
    // opened; kStatusFailed when it was not.
    Status LoadPrefetchParams();

    // The settings of the start-up load, each with its default when missing: screen and
    // timing, the external links, the text sizes and colours.
    virtual void ReadScreenSettings();
    void ReadExternalSettings();
    void ReadTextAppearance();
    // The main font (the charset font under the TrueType flag, else the section's kind) and
    // the extra font, which is the main font itself without a glyph file. kStatusFailed
    // without a main font.
    Status LoadFonts(const char16_t* section);
    // Opens the partners settings to check them; nothing of them is used. 0.
    Status OnLoadPartners();

    // ---- screen fit ---------------------------------------------------------------------------
    // The ratios, text scale, texture halvings and uniform scale of a window against the
    // reference size. False (every scale 1.0, no halving) when the window is larger than the
    // reference; true otherwise.
    bool ComputeScreenScale(uint16_t width, uint16_t height, float diagonal);
    // The fit of the reference screen into the window of the world data record, adjusted for a
    // small screen, its transform and the window's corners in reference coordinates. A window
    // with a zero dimension (minimised) keeps the view it had.
    void ComputeView();
    // After a display change: the scales and the view again, the 3D view set up for the new
    // window, then every registered manager and every scene object rebuilt. 0; kStatusFailed
    // when one of them fails. A minimised window changes nothing.
    Status Relayout();
    // The virtual screen of the managed world for the window's size (ComputeVirtualScreen) and
    // the renderer's factors from it to the window; remembers the size laid out for.
    void FitVirtualScreen();
    // Relayout once the window's size differs from the one the layout was made for (a window
    // manager's resize, or a display change the platform finished late). 0 when nothing changed.
    Status RelayoutIfResized();
    Status ChangeDisplayMode(const char16_t* className, const char16_t* appName, uint8_t fullScreen,
                             uint8_t keepWindow, const void* pMenu) override;
    // The particles' text drawing: the text through the main font of the world (the context),
    // no hit point.
    static void DrawText(const float* position, uint32_t color, const float* scale, uint16_t flags,
                         const char16_t* text, uintptr_t world);

    // ---- game states ------------------------------------------------------------------------
    // Stores the state and starts the screen transition of the kind; the transition's answer.
    Status SetGameState(int32_t state, uint32_t transitionKind, uint32_t transitionArgument);
    int32_t GetGameState() const { return m_gameState; }
    // A screen transition without a change of state (between two splash entries).
    Status StartScreenTransition(uint32_t kind, uint32_t argument) { return StartTransition(kind, argument); }
    // Asks for a language change when the language is not the one in use.
    void ChangeLanguage(int32_t language);
    // The string tables of a language (kLanguageNone: the current one), the window title
    // set again. kStatusFailed when they cannot be loaded.
    Status LoadLanguage(int32_t language);
    // The strings manager's language, or the game record's without one.
    int32_t GetCurrentLanguage() const;
    // The developer skip: ends a splash sequence, closes what is open, or skips the level.
    void Skip(uint8_t withControl);
    // With a text: keeps it and asks the player to confirm. With null: opens the kept
    // document, if any, and forgets it.
    void SetPendingDocument(const char16_t* text);

    // ---- world load -------------------------------------------------------------------------
    // Creates and loads every manager of play under the progress bar, then runs the main
    // script. kStatusFailed when a step fails (what was made stays until Unload).
    virtual Status LoadWorld();
    // Appends a manager to the registered managers (told of display changes); null is
    // ignored. kStatusOutOfMemory (latched) when the array cannot grow.
    Status RegisterManager(CManagedObject* pManager);
    uint32_t GetRegisteredCount() const { return m_registeredCount; }
    CManagedObject* GetRegistered(uint32_t index) const
    {
        return index < m_registeredCount ? m_ppRegistered[index] : nullptr;
    }

    // ---- progress bar -----------------------------------------------------------------------
    void SetProgressRange(uint32_t step, uint32_t maximum);
    // Advances the bar by its step (up to the maximum) and runs one whole frame, so that the
    // bar is drawn during a long operation. Nested frames run at most 30 times a second, and
    // always when the bar reaches its maximum.
    void ProgressStep();
    void EmptyProgress(uint8_t runFrame);
    void FillProgress(uint8_t runFrame);
    uint32_t GetProgressPosition() const { return m_progressPosition; }
    uint32_t GetProgressMaximum() const { return m_progressMaximum; }

    // ---- managers ---------------------------------------------------------------------------
    CManagedObject* GetManager(int32_t slot) const
    {
        return slot >= 0 && slot < kManagerCount ? m_pManagers[slot] : nullptr;
    }
    // Puts a manager in its slot (the world owns it from then on); the one there before is
    // unloaded and deleted.
    void SetManager(int32_t slot, CManagedObject* pManager);
    // The profile and chapters managers, null until the loads made them.
    CProfileManager* GetProfileManager() const;
    CChaptersManager* GetChaptersManager() const;
    CTimerManager* GetTimerManager() const;
    CPopupManager* GetPopupManager() const;
    CToolboxManager* GetToolboxManager() const;
    CDragDropManager* GetDragDropManager() const;

    // ---- a level by name --------------------------------------------------------------------
    // The level named `name` becomes current in chapter `chapter` (an index, cut to the last
    // chapter; without chapters the current one stays), as `_command("load_object")` asks;
    // kStatusFailed when no level has that name.
    Status LoadLevelByName(const char* name, uint32_t chapter);
    // A start at a level (the program's "--level NAME --chapter N"): after the main script the
    // world loads it. A name no level has stops the game, and the program says so.
    void SetStartLevel(const char* name, uint32_t chapter);
    bool IsStartLevelUnknown() const { return m_startLevelUnknown; }
    // Ends the game as failed (the program's failure status) with the text as the last error:
    // what a player's choice that leaves nothing to play in does (a display that cannot be
    // switched).
    void EndOnFailure(const char16_t* text);
    bool HasEndedOnFailure() const { return m_endedOnFailure; }
    // The screen transitions and the progress bar, null until the start-up load made them.
    CTransitions* GetTransitions() const;
    CProgressBar* GetProgressBar() const;
    // The shader manager and the splash screens, null until the start-up load made them.
    CShaderManager* GetShaderManager() const;
    CSplashscreens* GetSplashscreens() const;
    CCursors* GetCursors() const;
    CTouchScreen* GetTouchScreen() const;
    CFlashlight* GetFlashlight() const;
    CParticules* GetParticules() const;
    CTutoManager* GetTutoManager() const;
    // The objects manager, null until the world load made it.
    CObjectsManager* GetObjectsManager() const;
    // The number of scene objects of the construction; false while there is no objects
    // manager to ask.
    virtual bool GetObjectCount(uint32_t* pCount);

    // The surround sound and the abuse overlay, null until the world load made them.
    CSurroundManager* GetSurroundManager() const;
    CAbuse* GetAbuse() const;
    // A developer line at the overlay's text cursor, which moves down one line.
    void DrawDebugText(const char16_t* text);

    // The script and command list managers, null until the world load made them.
    CScriptManager* GetScriptManager() const;
    CCommandListManager* GetCommandListManager() const;
    // The extra texts, objectives, labels and item groups, null until the world load made them.
    CExtraTextManager* GetExtraTextManager() const;
    CObjectiveManager* GetObjectiveManager() const;
    CLabels* GetLabels() const;
    CGroups* GetGroups() const;

    // ---- the construction's files -------------------------------------------------------------
    // The name of a file the construction tool made ("_construct.raw", "groups/..."): as it
    // stands in construct modes 1 and 2 and for stored or packed files, under the data folder
    // for a loose file.
    void ConstructionFileName(char16_t name[kWorldTextSize], const char16_t* file);
    // A "groups/" table of this game (header version 20, the world's identity) read whole into
    // an empty table: 0, also for a missing or foreign file, which leaves the table empty and
    // logs `missingLog` with the file name; kStatusFailed with the invalid-construction text for
    // another version or a damaged file; kStatusOutOfMemory (latched). Nothing is kept after a
    // failure.
    Status ReadGroupTable(GroupTableKind kind, const char16_t* missingLog, GroupTable* pTable);

    // ---- scene objects, as scripts and commands reach them ------------------------------------
    // The object that commands of an object number reach; null without such an object.
    virtual CCommandTarget* GetCommandTarget(uint32_t objectNumber);
    // The scene object of that name (as scripts name objects); null without one.
    virtual CObjectsBase* FindObjectByName(const char* name);
    // True when the object's waiting scripts may continue now: its model is loaded, it is
    // wanted in the current level and no level change runs. False without such an object.
    virtual bool IsObjectActivated(uint32_t objectNumber);

    uint32_t GetAssetRow() const { return m_assetRow; }
    int32_t GetPendingLanguage() const { return m_pendingLanguage; }
    // The game record; null only when the world could not allocate it.
    GameData* GetGameData() const { return m_pWorldData ? m_pWorldData->pGame : nullptr; }

protected:
    // ---- what the world asks of its managers ----------------------------------------------------
    // Each answers for an absent manager; a manager's own issue adds its call.
    // Screen transitions.
    virtual Status StartTransition(uint32_t kind, uint32_t argument);
    virtual bool IsScreenTransitionActive();     // kind 3 or 4 running
    virtual bool IsScreenTransitionFirstHalf();
    virtual bool IsFadeValueZero();              // the screen fade level is 0
    // Splash screens.
    virtual bool HasSplashList();
    virtual void AdvanceSplash();
    virtual void CheckSplashEnd();
    virtual bool HasSplashEnded();
    virtual void ReleaseSplashImage();
    // Popups and tool box.
    virtual bool IsPopupOpen();
    virtual bool IsObjectPopupOpen();
    virtual void ClosePopup(uint8_t withSound);
    virtual void CloseObjectPopup(uint8_t withSound);
    virtual bool IsToolboxOpen();
    virtual void CloseToolbox();
    // Abuse overlay, cursors and the click sounds of input.
    virtual bool IsAbuseShowing();
    virtual void AbuseClick();
    virtual void PlayPenaltyClick();
    virtual void SelectDefaultCursor();
    // Objects manager, scene objects and the menu.
    virtual void ZoomStep(uint32_t reset);
    virtual bool HasCurrentLevelObject();
    virtual uint32_t CurrentLevelTypeCode();     // 0 without a current level object
    virtual uint32_t CurrentObjectTypeCode();    // 0 without a current object
    virtual uint32_t CurrentLevelZoomReset();
    virtual void SkipCurrentLevel(uint8_t withControl);
    virtual void NotifyCurrentObject(uint32_t operation);
    virtual int32_t GetMenuPage();               // -1 without a menu
    virtual void SetMenuPage(int32_t page);
    virtual void ReenterCurrentLevel();
    // The splash manager's mode (0 to 3) and whether an entry is pending, after an activation.
    virtual uint32_t SplashMode();
    virtual bool SplashPendingEntry();
    // Profiles, chapters, surround sound, shader, particles, timers, music.
    virtual void ProfileFrameStep();
    virtual void SurroundSplashEnd();
    // The surround manager's checks around a level entered without loading: 0 when they pass.
    virtual int32_t SurroundLevelLeave();
    virtual int32_t SurroundLevelEnter();
    virtual void SurroundEndFrame();
    virtual void BeginDefaultShader();
    virtual void EndDefaultShader();
    virtual void RenderParticles(int32_t layer);
    virtual void UpdateTimers();
    virtual bool HasMusicManager();
    virtual void UpdateMusic(float fadeSpeed);
    virtual void ProgressBarRange(uint32_t step, uint32_t maximum);
    virtual void ProgressBarStep();
    // Strings and fonts.
    virtual uint32_t MainFontKind();
    virtual bool HasOverlayText();
    // A text as the main font draws it (its own codes), in the information style.
    virtual void DrawOverlayText(const char16_t* text, float x, float y, uint32_t flags);
    // The debug line ("chap %d/%d, level %d: %S") and the popup text of the item under the
    // pointer (false for none).
    virtual bool GetDebugLine(char16_t* out, uint32_t capacity);
    virtual bool GetItemDebugText(char16_t* out, uint32_t capacity);
    // Every scene object rebuilt after a display change, each once (0 without an objects
    // manager); kStatusFailed when one fails.
    virtual Status ReloadSceneObjects();
    // Opens a document or web address; true when it could be handed on.
    virtual bool OpenDocument(const char16_t* document);

    // ---- manager creation for the world load --------------------------------------------------
    // A new manager for a slot, or null while that manager does not exist in this program.
    virtual CManagedObject* NewManager(int32_t slot);
    // One frame nested in a long operation (the engine world's frame).
    virtual Status RunNestedFrame();

    // The world-load steps' own work.
    friend const WorldLoadStep* WorldLoadSteps(uint32_t* pCount);
    friend const WorldLoadStep* ShellLoadSteps(uint32_t* pCount);
    Status PackIndexStep();
    Status GammaRampStep();
    Status ExternalParamStep();
    Status FontInfosStep();
    Status LoadFontsStep();
    Status ProfileStep();
    Status ScreenshotStep();
    Status SplashStep();
    Status LoadMusicStep();
    Status SetUpParticlesStep();
    Status SetUpTouchScreenStep();
    Status UniqueIdentifierStep();
    Status LoadReleaseStep();
    Status ExtraTextDataStep();
    Status SurroundPrepareStep();
    Status ReleaseModelsStep();
    Status MainScriptStep();
    // Set-up calls of the steps above, answered for absent managers.
    virtual Status SetUpParticles(const float* sizes, const int32_t* kinds, uint32_t count, uint32_t blendFlags);
    virtual Status SetUpTouchScreen(float halfWidth, uint32_t color, const char16_t* section, const char16_t* key);
    virtual Status LoadMusic();
    virtual Status LoadRelease();
    virtual Status LoadExtraTextData();
    virtual Status PrepareSurroundForRun();
    virtual Status LoadResidentModels();
    virtual Status RunMainScript();

    // The release hook of Unload; 0 in this class.
    virtual Status OnRelease();
    // Creates, stores and loads the manager of a slot (when it exists in this program).
    Status CreateManager(int32_t slot, uint8_t loadIt);
    // A step's work on an existing manager (none: nothing to do); its failure fails the step,
    // with the internal-error line when asked.
    Status ManagerWork(int32_t slot, Status (CNimbrelWorld::*work)(), uint8_t logFailure);

private:
    void SetCurrentLanguage(int32_t language);
    Status UpdateState();
    // States 6 and 7: the level change (the profile saved, then the quick path or the loading
    // path) and the level activation with its recovery. kStatusFailed ends the main loop.
    Status ChangeLevel();
    Status ActivateRequestedLevel();
    void RenderState();
    void RenderDeveloperOverlay();
    void UpdateManager(int32_t slot);
    void RenderManager(int32_t slot);
    void ReleaseManager(int32_t slot);
    // The profile manager's current slot from the game record, then its settings; true when
    // there is none.
    bool LoadProfileParameters();
    // Saves the current profile when there is one: 0, or kStatusFailed.
    Status SaveCurrentProfile();
    // The manager of a receiver code; null for none or an absent one.
    CManagedObject* InputManager(int32_t receiver) const;
    // The options file's exact text: a UTF-8 mark, then the OPTIONS section.
    std::string FormatOptions() const;

    int32_t m_gameState = kGameStateIdle;
    const char* m_pStartLevel = nullptr;  // the caller's text, kept for the program's life
    uint32_t m_startChapter = 0;
    bool m_startLevelUnknown = false;
    bool m_endedOnFailure = false;
    int32_t m_inputReceiver = 0;
    CManagedObject* m_pManagers[kManagerCount] = {};
    CManagedObject** m_ppRegistered = nullptr;
    uint32_t m_registeredCount = 0;
    uint16_t m_laidOutWidth = 0;  // the window size of the last relayout
    uint16_t m_laidOutHeight = 0;
    int32_t m_pendingLanguage = kLanguageNone;

    uint32_t m_assetRow = 0;
    uint32_t m_progressPosition = 0;
    uint32_t m_progressStep = 0;
    uint32_t m_progressMaximum = 0;
    int64_t m_lastNestedFrame = 0;  // counter ticks of the last nested frame; 0: none yet
    bool m_optionsRead = false;
    // The last level activation failed and the navigation chose a level again.
    uint8_t m_activationFailed = 0;
};

// The game world, or null when out of memory.
CNimbrelWorld* CreateNimbrelWorld();

// The developer item text: the string index + base of the table, "MISSING STRING !!!" when the
// lookup answered a negative index or the table holds no such entry.
const char16_t* ResolveItemDebugText(const CStringsRaw* table, uint32_t base, int32_t index);
