#pragma once
// The world data record: one zero-initialised record per world, shared by pointer with every
// engine object (through CBaseObject). Field order follows the engine's record; higher layers
// are reached through forward-declared pointers only.
#include <cstdint>
#include <cstdio>

#include "VornelUtils/Status.h"
#include "VornelUtils/WorldDataGame.h"

class CBaseObject;
class CWorld;
class C3DEngine;
class C3DMath;
class UtilsTimer;
class UtilsParameters;
struct PackIndex;
struct PackRecord;
struct GameData;
struct WorldData;

constexpr int kWorldTextSize = 260;   // wide characters of every path and text field
constexpr int kEngineKeyCount = 101;  // engine key codes 0..100

// Positions an open pack at a named entry (FindPackEntry); see UtilsPack.h.
using PackLocatorFn = Status (*)(const char16_t* name, PackRecord* pPack);
// Finds a resource stored in the program (none in this program).
using StaticLocatorFn = Status (*)(WorldData* pWorldData, const char16_t* name);

// A module object is a CBaseObject (C3DEngine, CAudioEngine, CNetworkEngine ...).
using ModuleCreateFn = CBaseObject* (*)(WorldData* pWorldData);
using ModuleDestroyFn = void (*)(CBaseObject* pModule);

// One row of a module descriptor table.
struct ModuleDescriptor {
    uint32_t id;
    const char16_t* code;
    const char16_t* name;
    uint32_t version;  // 0x10000, 0 for the "-Disabled-" rows
    uint32_t mask;
};

struct ModuleEntry {
    const ModuleDescriptor* pDescriptor;
    ModuleCreateFn pfnCreate;
    ModuleDestroyFn pfnDestroy;
};

enum ModuleKind : int { kModule3D = 0, kModuleAudio = 1, kModuleInput = 2, kModuleNetwork = 3, kModuleKindCount = 4 };

// A render switch: the value in force and the value read from the settings.
struct RenderSwitch {
    uint8_t current;
    uint8_t configured;
};

struct LightRecord {
    RenderSwitch enabled;
    int32_t type;
    float x, y, z;                    // position, or where a directional light shines from
    float directionX, directionY, directionZ;  // zero after the load; written by the renderer
    float diffuse, specular, ambient;
    float materialDiffuse, materialSpecular, materialAmbient;
};

struct FogRecord {
    RenderSwitch enabled;
    uint32_t color;  // ARGB
    float start, end, density;
    uint8_t tableFog;  // 1 after the load (per-pixel fog table)
    uint32_t tableMode;  // 0 after the load
    uint8_t tailFlag;  // 1 after the load
};

// The open resource pack (see UtilsPack.h).
struct PackRecord {
    std::FILE* pFile;                 // the open pack file, null when closed
    uint32_t startOffset;             // where the records begin
    char16_t path[kWorldTextSize];
    uint32_t lastEntrySize;           // data size of the entry last found
    char16_t lastEntryName[kWorldTextSize];
    PackIndex* pIndex;                // sorted index, null until built
};

struct StaticResource {
    const void* pAddress;
    uint32_t size;
};

struct WorldData {
    // View matrices (16 floats row by row); the scale factors stand between the second and third.
    float matrix1[16];                // projection (perspective)
    float matrix2[16];                // screen projection (orthographic)
    float scaleX, scaleY, scaleZ;     // real size / virtual size
    float matrixCameraInitial[16];
    float matrixCamera[16];
    float matrix5[16];                // identity after the load

    C3DMath* pMath;
    UtilsTimer* pTimer;
    UtilsParameters* pWorldSettings;
    UtilsParameters* pAppSettings;
    CWorld* pWorld;
    C3DEngine* p3DEngine;             // the 3D engine records itself here for its lifetime
    void* pRendererBlock;             // the renderer's device record (OpenGL: its context record), for its lifetime
    void* pAudioBlock;                // the audio module's device record, for its lifetime
    void* pNetworkBlock;              // the network module's record, for its lifetime
    uint32_t word30000;               // 0x30000 from construction

    Status lastErrorCode;
    char16_t lastErrorText[kWorldTextSize];
    char16_t logPath[kWorldTextSize];

    int32_t dataPathWord;             // length of the data-path prefix; -1 (unknown) from construction
    char16_t dataPath[kWorldTextSize];

    WorldGameExtension game;          // filled by the game world (WorldDataGame.h)

    StaticResource staticResource;
    StaticLocatorFn pfnStaticLocator;

    PackRecord pack;
    PackLocatorFn pfnPackLocator;

    // Keyboard, by engine key code.
    uint8_t keyDown[kEngineKeyCount];
    uint8_t keyReleased[kEngineKeyCount];
    uint8_t releaseCount;
    uint8_t keyPressed[kEngineKeyCount];
    uint8_t pressCount;
    char16_t lastChar;
    uint32_t frameBlockA[12];         // cleared each frame
    uint32_t frameBlockB[8];          // cleared each frame

    // Mouse buttons and positions (real client coordinates, signed).
    uint8_t leftDown, middleDown, rightDown;
    uint8_t leftReleased, middleReleased, rightReleased;
    uint8_t leftPressed, middlePressed, rightPressed;
    float pressX, pressY;
    float previousX, previousY;
    float mouseX, mouseY;

    uint16_t virtualWidth, virtualHeight;
    uint8_t colorDepth;
    uint32_t displayValue;
    uint16_t realWidth, realHeight;
    uint32_t orientation;
    uint8_t verticalSync, resizable, fullScreen;
    uint8_t inFrame;
    uint8_t displayChanging;
    uint8_t minimised, hasFocus;
    int32_t canRender;
    void* pWindow;                    // the platform window

    // Texture limits: every image is fitted to them when it is decoded.
    uint8_t textureMipShift;          // halvings applied to every loaded image
    uint8_t texturePowerOfTwo;        // the renderer demands power-of-two sizes
    uint32_t maxTextureWidth, maxTextureHeight;          // 0 = no limit; set by the renderer
    uint32_t maxTextureWidthCopy, maxTextureHeightCopy;  // the renderer writes both pairs

    int32_t gammaInitial, gammaRed, gammaGreen, gammaBlue;
    uint8_t cursorShownFullScreen, cursorShownWindowed;

    float pointSpriteMin, pointSpriteMax;
    float pointSpriteAttenuation0, pointSpriteAttenuation1, pointSpriteAttenuation2;

    RenderSwitch lighting, specular, alpha, stencilShadow, renderPair;
    uint8_t wireframe, text;

    uint32_t colorText, colorClear, colorAmbient, colorWireframe;

    float nearDistance, farDistance, nearDistanceScreen, farDistanceScreen, fieldOfView;
    float aspectRatio;                // display width / height, written by the view

    LightRecord light1, light2;
    LightRecord light1Loaded, light2Loaded;
    FogRecord fog;
    FogRecord fogLoaded;

    double framesPerSecond;
    double frameTime;                 // thirtieths of a second

    ModuleEntry selected[kModuleKindCount];
    ModuleEntry** moduleLists[kModuleKindCount];

    uint32_t randomState[624];
    uint32_t randomIndex;

    GameData* pGame;                  // filled by the game world
};
