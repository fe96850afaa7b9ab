#pragma once
// The readable source of an element-info file ("hall.scene"): what `vornel scene build` reads
// and `vornel scene dump` prints. Line-based, in reference pixels (origin top-left, y down):
//
//   object NAME [overlay=N] [bias=N] [marks=FIRST,LAST]
//   size WORD
//   variant BYTE ...                    one byte per chapter
//   sound NAME
//   zone NAME LEFT TOP RIGHT BOTTOM [word=N] [flag=N]
//   position NAME X Y Z                 object positions; the first is the base point
//   element NAME at=X,Y size=W,H [OPTION ...]
//     position NAME X Y Z | rotation NAME V | scale NAME V
//     track NAME word=N flag=N range=SECONDS first=N last=N
//     texture NAME                      the picture of the element's quad in the render model
//     hit polygon X,Y X,Y X,Y ...       its collision shape about its centre (else the quad)
//     anim KIND DURATION=VALUE ...      a keyframe track of the animation file: scale V,
//                                       position X,Y,Z, rotation X,Y,Z, alpha V, colour #AARRGGBB;
//                                       durations in thirtieths of a second
//     effect storm|flicker|pulse|flicker-cycle|drift [SECONDS MIN MAX ANGLE]
//     extra W0 W1 W2 W3
//     raw KEY=VALUE ...
//
// "-" is an unnamed position, rotation, scale or track ("default" to lookups); names with
// blanks are quoted; '#' at the start of a word begins a comment. Element references name
// elements or zones; draw slots (file order), the name index, the bounds (the size about the
// centre) and the element marks are derived, and a `raw` key overrides each derivation.
#include <string>
#include <vector>

#include "NimbrelObjects/CObjectsBase.h"
#include "Vornel3D/C3DObjectModifier.h"

// The whole source, owning its texts; View() points into it.
struct SceneSource {
    struct Element {
        ElementRecord record;
        EffectParameters effect;
        std::string name;
        std::vector<std::string> positionNames, rotationNames, scaleNames, trackNames;
        std::vector<NamedPosition> positions;
        std::vector<NamedValue> rotations, scales;
        std::vector<AnimationTrack> tracks;
        std::vector<ElementExtra> extras;
        // The model files' part: texture, collision polygon, tracks (per key the duration and
        // the value words, colours as their bits).
        std::string texture;
        std::vector<float> polygon;
        struct Anim {
            uint32_t kind;
            std::vector<float> keys;
        };
        std::vector<Anim> anims;
        // References by name, resolved once every line is read.
        std::string proxy, material, third, lock, zone, hit;
        float at[2] = {0.0f, 0.0f};
        bool offsetGiven = false, boundsGiven = false, slotGiven = false;
        int line = 0;
    };
    uint8_t overlay = 0;
    int8_t textureBias = 0;
    uint32_t sizeWord = 0;
    std::string name;
    bool marksGiven = false;
    int32_t firstMark = -1, lastMark = -1;
    std::vector<Element> elements;
    std::vector<uint32_t> nameIndex;
    std::vector<ObjectZone> zones;
    std::vector<std::string> zoneNames;
    std::vector<NamedPosition> positions;
    std::vector<std::string> positionNames;
    std::vector<uint8_t> variants;
    std::vector<std::string> sounds;
    std::vector<const char*> soundPointers;

    // The file's view; valid while the source is unchanged.
    ElementInfoView View();
};

// Reads the source at `path`; false with "FILE:LINE: what" in `error`.
bool SceneSource_Read(const std::string& path, SceneSource& source, std::string& error);
// Words of the value of one key of a track kind, 0 for a kind the source cannot write.
uint32_t SceneSource_AnimValueWords(uint32_t kind);
// The model lines of one element: its texture, its polygon (none: the quad), its tracks
// (kElementTrackKinds entries, null where there is none).
std::string SceneSource_PrintModelLines(const char* texture, const std::vector<float>& polygon,
                                        C3DObjectModifier* const* tracks);
// The source text of an object's element infos, with its sound names and, per element, the
// model lines (none when empty).
std::string SceneSource_Print(const ElementInfoView& view, const std::vector<std::string>& sounds,
                              const std::vector<std::string>& modelLines = {});
