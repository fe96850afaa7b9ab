#pragma once
// The game record: what the game world keeps for the whole game and shares with every
// manager and scene object through the world data record (WorldData::pGame). The game world
// allocates it zero-filled and gives the fields below their starting values; the fields that
// the engine itself reads stay in WorldData::game.
#include <cstdarg>
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/WorldData.h"

constexpr int32_t kLanguageNone = 17;         // no language chosen: the system's language is used
constexpr uint16_t kBrightnessUnchanged = 0xFFFF;  // the display gamma is left as it is

// A text kind's size (virtual units, before the text scale) and colour (0xAARRGGBB).
struct GameTextStyle {
    float width;
    float height;
    uint32_t color;
};

// How the reference screen is fitted into the window; recomputed after every display change.
struct GameScreenScale {
    float referenceWidth;            // CAMERA DEFAULT_APP_WIDTH
    float referenceHeight;           // CAMERA DEFAULT_APP_HEIGHT
    float smallScreenTextRatio;      // MAIN_FONT MINIZ_SPECIAL_RATIO
    float referenceDiagonal;         // MAIN_FONT DIAGONAL_INCH_REF, inches
    float widthRatio, heightRatio;   // window size over reference size
    float baseTextScale;
    float textScale;
    uint8_t textureLevelShift;       // halvings of every texture
    int32_t assetIndex;              // row of the asset table (suffix, texture scale)
    float uniformScaleX, uniformScaleY, depthScale;  // 1.0 at construction
    float specialTextRatio;          // MAIN_FONT SPECIAL_TEXT_RATIO
    uint8_t smallScreen;
    float zoomReferenceRatio;        // CAMERA MAX_ZOOM_REF_RATIO
    float defaultFadeSeconds;        // TRANSITIONS DEFAULT_FADE_SECONDS
    float defaultTransitionSeconds;  // TRANSITIONS DEFAULT_TRANSITION_RATIO_SECONDS
    // The fit of the reference screen in the window, the fixed safe rectangle and the overflow.
    float fitX, fitY, fitScaleX, fitScaleY;
    float safeRect[4];
    float overflowX, overflowY;
    // The fit once adjusted for a small screen, its transform, and the window's corners in
    // reference coordinates.
    float viewX, viewY, viewScaleX, viewScaleY;
    float viewTransform[16];
    float viewLeft, viewTop, viewRight, viewBottom;
    // What the progress bar's reference units are multiplied by on the virtual screen: its
    // position by the window's ratios, its size by the uniform scale (1.0 at construction).
    float layoutPositionX, layoutPositionY, layoutSizeX, layoutSizeY;
};

// The sizes and colours of the game's texts (the menu and extra texts are the managed
// world's).
struct GameTextAppearance {
    float menuButtonSizeRatio;       // a ratio: not multiplied by the global text ratio
    GameTextStyle credits;           // size only
    GameTextStyle toolbar;
    uint32_t toolbarDroppableColor;
    GameTextStyle information;
    GameTextStyle inventory;
    GameTextStyle monitor;           // size only
    GameTextStyle particleText;      // size only
    GameTextStyle popup;
    float popupBorderRatio;          // a ratio: not multiplied by the global text ratio
    GameTextStyle narrator;
    GameTextStyle message;
    GameTextStyle tutorial;
};

// A social link of the external settings.
struct GameSocialLink {
    uint8_t enabled;
    char16_t address[kWorldTextSize];
};

// Bits of the mode word: the source of the object files in bits 0-3 (1 program, 2 pack,
// 4 loose file), the construct mode in bits 12-15.
constexpr uint32_t kGameModeSourceMask = 0x000F;
constexpr uint32_t kGameModeConstructShift = 12;
constexpr uint32_t kGameModeConstructMask = 0xF000;

struct BuiltinTrace;
// Where builtins and parameter handlers send their error texts: the game leaves it null and
// they are dropped; tests and tools put a sink of their own here to read them.
using BuiltinTraceSink = void (*)(void* context, const BuiltinTrace& trace, const char* format, va_list args);

struct GameData {
    uint8_t inRender;                // Render is running
    uint8_t busy;                    // a world load, language change or level change runs
    uint8_t stop;                    // the quit request: Update fails while it is set
    uint8_t prefetch;
    uint8_t developerMode;
    // The developer overlay: the text cursor (reset by every Update) and its two toggles.
    int32_t overlayX;
    float overlayY;
    uint8_t itemDebug;               // F3
    uint8_t debugLine;               // F2

    char16_t rawFolder[kWorldTextSize];       // "_raw.full.Win32/"
    char16_t mainWebSite[kWorldTextSize];     // WEB_SCORING MAIN_WEB_SITE_URL

    GameScreenScale screen;
    GameTextAppearance text;

    // The material draw cache of the scene objects' model drawing (-1: none).
    int32_t drawElement;
    int32_t drawMaterial;

    int32_t profileIndex;
    int32_t language;                // 0..16, kLanguageNone
    float musicVolume;               // 0.0..1.0
    float soundsVolume;
    uint16_t brightness;             // 0..255, kBrightnessUnchanged
    GameSocialLink socialLinks[2];   // FACEBOOK, TWITTER
    char16_t pendingDocument[kWorldTextSize];  // waits for the player's confirmation

    // The construction: how object files are named and where they come from.
    uint32_t modeWord;
    // 8-bit; names "%s_construct.raw", "%s_object_%d.raw" and "%s_main.script".
    char constructBaseName[kManagedNameSize];
    uint32_t constructionStampA;     // from the construction file; profiles are checked against them
    uint32_t constructionStampB;
    uint32_t constructionReserved;
    uint8_t noSave;                  // set by the menu together with developer mode
    uint8_t noShaderFades;           // the dissolve could not be loaded: fades use alpha instead
    uint8_t popupLayout;             // the line breaks of a label's title become spaces
    uint8_t pictureQuality;          // label pictures load whole, without the window's halvings
    // The machine's identifier (here: the 8-bit application name) and its length.
    char uniqueIdentifier[kManagedNameSize];
    uint32_t uniqueIdentifierLength;
    // The mini-games' play area in scene coordinates (x0, y0, x1, y1): set with the view from
    // the reference size (ComputePlayArea); the default reference's until then.
    float playArea[4];
    BuiltinTraceSink traceSink;
    void* traceContext;
};

inline uint32_t GameConstructMode(const GameData& game)
{
    return (game.modeWord & kGameModeConstructMask) >> kGameModeConstructShift;
}
inline uint32_t GameObjectSource(const GameData& game) { return game.modeWord & kGameModeSourceMask; }

// A zero-filled record with the starting values; null when out of memory. GameDataFree
// takes null.
GameData* GameDataCreate();
void GameDataFree(GameData* pGame);
// The construction names of a game whose base name is the 8-bit application name: construct
// mode 0, object files from the pack.
void GameDataSetConstruction(GameData& game, const char* baseName);
