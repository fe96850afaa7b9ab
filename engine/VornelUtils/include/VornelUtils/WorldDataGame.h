#pragma once
// The game's part of the world data record (WorldData::game): fields that the game world
// fills and that its managers and scene objects read through the record. Zero from the
// world's construction; the game world gives them their starting values when it is made.
#include <cstdint>

constexpr int kGameNameSize = 260;        // 8-bit data-name prefix
constexpr int kGamePathSize = 260;        // wide characters of the path buffer
constexpr int kGameScratchSize = 4096;    // bytes of the 8-bit scratch buffer
constexpr int kGameTextLineSize = 1024;   // wide characters of the shared text line

// How the authored screen is placed in the window; recomputed after every size change.
struct GameViewRecord {
    char dataNamePrefix[kGameNameSize];   // prefix of the game's data file names (8-bit)
    int8_t textureLevel;                  // texture halvings chosen for this window
    uint8_t alternateViewEnabled;         // the game may switch to the alternate view
    uint8_t alternateActive;              // the alternate view is in use
    float alternateOffsetX, alternateOffsetY;
    float sceneScaleX, sceneScaleY;
    float alternateScaleX, alternateScaleY;
    float interfaceScaleX, interfaceScaleY;
    float matrixScene[16];                // 4 x 4, row by row like the engine's matrices
    float matrixAlternate[16];
    float matrixOverlay[16];
    float matrixPopup[16];
    float virtualScreenWidth, virtualScreenHeight;
    float safeLeft, safeTop, safeRight, safeBottom;  // the safe rectangle, in virtual units
    float defaultFadeSeconds;
};

// Kept across the draws of all scene objects so that consecutive draws of one element or zone
// do not repeat the renderer set-up. The game world starts both indexes at -1 (none).
struct GameDrawCache {
    const void* pRenderModel;             // the 3D object last prepared; null: none
    int32_t elementIndex;
    int32_t zoneIndex;
};

// Engine key codes of the arrow keys (the world's key table).
constexpr uint32_t kEngineKeyUp = 34;
constexpr uint32_t kEngineKeyRight = 35;
constexpr uint32_t kEngineKeyDown = 36;
constexpr uint32_t kEngineKeyLeft = 37;

// Input of the current frame that the game's managers consume.
struct GameFrameInput {
    uint8_t clicked;                      // a click this frame; cleared by whoever takes it
    uint8_t escapeReleased;               // cleared by the manager that takes the key
    uint8_t spaceReleased;
    uint8_t arrowUp, arrowRight, arrowDown, arrowLeft;  // the frame the key went down
    float zoomCentreX, zoomCentreY;       // centre of the last zoom gesture
};

struct WorldGameExtension {
    GameViewRecord view;
    GameDrawCache drawCache;
    GameFrameInput input;
    int32_t languageIndex;                // row of the language table in use
    float screenDiagonal;                 // inches; 0 when the system gives none
    uint8_t textureLoading;               // copied from the game record around texture loads
    uint32_t defaultSources;              // texture source in bits 0-3, video source in 16-19
                                          // (1 program, 2 pack, 4 loose file)
    char16_t pathBuffer[kGamePathSize];   // where file paths are built (profiles, options)
    char scratch[kGameScratchSize];       // 8-bit names and text fields read from files
    char16_t textLine[kGameTextLineSize]; // one line of display text at a time
};
