#pragma once
// The AutoLoad family: a resource object loaded by name from one source, 1 (stored in the
// program, through the world's static locator), 2 (the main pack, through the world's pack
// locator; the external pack is not searched here) or 4 (a loose file under the data path).
// Any other source loads nothing and succeeds. A failure is written to the log file (flag 1),
// names the file in the world's last error text ("Missing file: %s") and gives kStatusFailed.
#include <cstdint>

#include "VornelUtils/Status.h"

class C3DObject;
class C3DShader;
class C3DTexture;
class C3DVideo;
class CVornelFont;
class CVornelFontEx;
class UtilsParameters;
struct PackRecord;
struct WorldData;

// The object's three loading operations, as an AutoLoad function calls them.
class CAutoLoadTarget {
public:
    virtual ~CAutoLoadTarget() = default;
    virtual Status FromAddress(const void* data, uint32_t size, const char16_t* name) = 0;
    virtual Status FromPacker(PackRecord* pEntry) = 0;
    virtual Status FromFile(const char16_t* path) = 0;
};

// What an AutoLoad function is called in its log lines: its own name and those of its three
// operations (address, pack, file).
struct AutoLoadNames {
    const char16_t* function;
    const char16_t* fromAddress;
    const char16_t* fromPacker;
    const char16_t* fromFile;
};

// The road shared by the family: `name` serves sources 1 and 2, `path` (the full path) source
// 4; the log line names the one used, and the last error text names `missing`.
Status AutoLoadFromSource(uint32_t source, const AutoLoadNames& names, const char16_t* name, const char16_t* path,
                          const char16_t* missing, CAutoLoadTarget& target, WorldData* pWorldData);

// A texture by the caller's name (a loose file: data path + name). The error text names the
// name as given, for every source.
Status AutoLoadTexture(uint32_t source, C3DTexture* pTexture, const char16_t* name, WorldData* pWorldData);

// One texture of a 3D object by the caller's name (a loose file: data path + name), into
// `group` (k3DAllGroups: every group) and `stage` with the texture words a and b. The error text
// names the name as given, or the full path for a loose file.
Status AutoLoad3DObjectTexture(uint32_t source, C3DObject* pObject, uint32_t a, uint32_t b, int32_t group,
                               uint32_t stage, const char16_t* name, WorldData* pWorldData);

// One texture of a 3D object named by a settings key (default `defaultName`; for a loose file
// read as a path, the data path in front), into `group` and `stage` with the texture words a
// and b. The error text names the text read (the full path for a loose file).
Status AutoLoad3DObjectOneTextureFromParam(uint32_t source, C3DObject* pObject, uint32_t a, uint32_t b,
                                           int32_t group, uint32_t stage, const char16_t* section,
                                           const char16_t* key, const char16_t* defaultName,
                                           UtilsParameters* pSettings, WorldData* pWorldData);

// A shader, or a texture made by the caller, named by a settings key (default `defaultName`; for
// a loose file read as a path, the data path in front). The error text names the text read.
Status AutoLoadShaderFromParam(uint32_t source, C3DShader* pShader, const char16_t* section, const char16_t* key,
                               const char16_t* defaultName, UtilsParameters* pSettings, WorldData* pWorldData);
Status AutoLoadTextureFromParam(uint32_t source, C3DTexture* pTexture, const char16_t* section,
                                const char16_t* key, const char16_t* defaultName, UtilsParameters* pSettings,
                                WorldData* pWorldData);

// A video by the caller's name (a loose file: data path + name), its sound at `volume` (0..1);
// a and b go to the player's loader. The error text names the name as given.
Status AutoLoadVideoObject(uint32_t source, C3DVideo* pVideo, const char16_t* name, float volume, uint32_t a,
                           uint32_t b, WorldData* pWorldData);

// Whether a resource of that name is there for the source: stored in the program, in the main
// pack, or a loose file under the data path that opens for reading. Any other source counts as
// present (it loads nothing and succeeds).
bool AutoLoadResourceExists(uint32_t source, const char16_t* name, WorldData* pWorldData);

// A live TrueType sheet of the face named by a settings key (no default), fitted to charSize
// with cells spaceSize pixels wider than the advances.
Status AutoLoadFontTTFFromParam(uint32_t source, CVornelFont* pFont, const char16_t* section, const char16_t* key,
                                uint32_t charSize, uint32_t spaceSize, UtilsParameters* pSettings,
                                WorldData* pWorldData);
// A prepared glyph pair named by two settings keys: the sheet picture and the glyph table.
// From the pack both entries are looked up first (the table with a record of its own), so a
// missing one is named before anything loads.
Status AutoLoadFontGlyphFromParam(uint32_t source, CVornelFont* pFont, const char16_t* section,
                                  const char16_t* textureKey, const char16_t* tableKey, UtilsParameters* pSettings,
                                  WorldData* pWorldData);
// The charset of a charset font named by a settings key (no default).
Status AutoLoadFontCharsetFromParam(uint32_t source, CVornelFontEx* pFont, const char16_t* section,
                                    const char16_t* key, UtilsParameters* pSettings, WorldData* pWorldData);

// A new texture of the engine named by a settings key (default `defaultName`), from source 1
// (stored in the program), 2 (the external pack first, when the world has one, then the main
// pack) or 4 (a loose file: the key read as a path under the data path), with the engine's
// texture words `kind` and `flags`. Null for another source (silently) and on failure (logged
// with flag 1, "Missing file: %s" in the last error text).
C3DTexture* AutoLoadTextureFromParamEx(uint32_t source, uint32_t kind, uint32_t flags, const char16_t* section,
                                       const char16_t* key, const char16_t* defaultName, UtilsParameters* pSettings,
                                       WorldData* pWorldData);
