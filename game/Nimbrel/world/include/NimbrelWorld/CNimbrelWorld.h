#pragma once
// The game's world: the one world object of the program, made by CreateNimbrelWorld and owned
// by the program entry. It fills the managed world's options and pointer operations, gives the
// window its title and loads the game shell over the managed world's load.
#include <cstdint>

#include "NimbrelWorld/GameData.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"

// The window class name; also the single-instance key and the key of the window title.
constexpr const char16_t* kNimbrelClassName = u"KESTRAN_NB_v3";
// The application number: resources from the pack (source 2), textures by name from the pack.
constexpr uint32_t kNimbrelResourceMode = 0x42422;
// The word of the per-user folder and the options file in it.
constexpr const char16_t* kNimbrelUserFolderWord = u"Nimbrel";
constexpr const char16_t* kNimbrelOptionsFile = u"options.sav";
constexpr const char16_t* kNimbrelDefaultDataPath = u"Data_full_Win32\\";

class CNimbrelWorld : public CManagedWorld {
public:
    CNimbrelWorld();
    ~CNimbrelWorld() override;

    // The managed world's load, then the game shell: the sorted index of the main pack and
    // the display gamma ramp. kStatusFailed when a step fails.
    Status Load(void* pWindow, uint16_t width, uint16_t height, uint8_t colorDepth, uint32_t displayValue,
                uint8_t fullScreen, uint8_t resizable, uint8_t verticalSync, uint32_t orientation,
                const char16_t* dataPath, uint16_t virtualWidth, uint16_t virtualHeight) override;
    Status Unload() override;
    Status Update() override;
    Status Render() override;

    Status Prepare(uint32_t value) override;
    // Sets the data folder, keeps the asset row and reads the options file of the per-user
    // folder ("ENABLE_FULLSCREEN", default 1, into the world data record's full-screen flag).
    // A missing file gives the defaults. 0.
    Status LoadOptions(const char16_t* appName, const char16_t* dataPath, uint32_t a, uint32_t b,
                       uint32_t assetRow) override;
    Status SaveOptions() override;

    // The window title: without a strings manager the given text, or the application name when
    // the text is null. 0.
    Status GetGameString(const char16_t* key, const char16_t* text, char16_t* out) override;

    // No scene receives pointer input yet: each returns 0.
    Status OnMouseDown(float x, float y, uint32_t flag) override;
    Status OnMouseMove(float x, float y, uint32_t flag) override;
    Status OnMouseInput3(float x, float y, uint32_t flag) override;
    Status OnMouseUp(float x, float y, uint32_t flag) override;
    Status OnGesture(float x1, float y1, float x2, float y2) override;
    Status OnMouseWheel(float delta) override;

    // The application identity with the game's class name and resource mode, a null folder
    // taken as "Data_full_Win32\\"; the window is fitted to the desktop from then on.
    uint8_t SetDataFolder(const char16_t* appName, const char16_t* dataPath, uint32_t a, uint32_t b);
    // The full path (for reading) of a file in the per-user folder: "<word> <name>\" in the
    // user's data folder, then "<name>.v3.<file>". 0; kStatusFailed (out empty) when there is
    // no per-user folder or the path does not fit kWorldTextSize characters.
    Status BuildUserDataPath(const char16_t* fileName, const char16_t* folderWord, char16_t* out);

    uint32_t GetAssetRow() const { return m_assetRow; }
    // The game record; null only when the world could not allocate it.
    GameData* GetGameData() const { return m_pWorldData ? m_pWorldData->pGame : nullptr; }

private:
    uint32_t m_assetRow = 0;
};

// The game world, or null when out of memory.
CNimbrelWorld* CreateNimbrelWorld();
