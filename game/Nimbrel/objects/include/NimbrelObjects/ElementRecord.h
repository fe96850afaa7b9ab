#pragma once
// The element record: one item of a scene object (one sub-object of its render model), with
// the records it owns, the flag and action bits and the anchor codes. The part read from the
// element-info file comes first; the run-time part after it is put at rest by
// CObjectsBase::ResetElement before the file fills the record.
#include <cstdint>

// Element flag word.
constexpr uint32_t kElementHidden = 0x1;
constexpr uint32_t kElementClickable = 0x2;
constexpr uint32_t kElementDraggable = 0x4;
constexpr uint32_t kElementHasDropRecord = 0x8;
constexpr uint32_t kElementDropTarget = 0x10;
constexpr uint32_t kElementRotatable = 0x20;
constexpr uint32_t kElementPassFiltered = 0x40;
constexpr uint32_t kElementLocked = 0x80;
constexpr uint32_t kElementHintable = 0x100;
constexpr uint32_t kElementRollOverDisabled = 0x200;
constexpr uint32_t kElementTutorialMark = 0x400;
constexpr uint32_t kElementReturning = 0x800;
constexpr uint32_t kElementFound = 0x10000000;
// What making an element clickable, draggable or rotatable clears beside the other two kinds.
constexpr uint32_t kElementInteractionBits =
    kElementClickable | kElementDraggable | kElementHasDropRecord | kElementRotatable | kElementFound;

// Action word: what a click or a release does. The whole word is also the kind of the fade
// that a click starts.
constexpr uint32_t kActionReleaseFinds = 0x2;      // released without a target: marked found
constexpr uint32_t kActionCheat = 0x8;             // added to a click action started by the cheat
constexpr uint32_t kActionNoClickAction = 0x10;    // a click runs the commands only; a drag is unbounded
constexpr uint32_t kActionHorizontalDrag = 0x20;   // with wrap
constexpr uint32_t kActionVerticalDrag = 0x40;     // with wrap
constexpr uint32_t kActionStayA = 0x80;            // both: the element stays where it was released
constexpr uint32_t kActionStayB = 0x100;

// Effect kinds.
enum ElementEffectKind : uint32_t {
    kEffectNone = 0,
    kEffectStorm = 1,
    kEffectFlicker = 2,
    kEffectPulse = 3,
    kEffectFlickerCycle = 4,
    kEffectDrift = 5,
    kEffectKindLast = kEffectDrift,
};

// Anchor words: bit 0x100 anchored to a screen edge, 0x200 top, 0x400 bottom, 0x800 left,
// 0x1000 right, 0x2000 centred on the axis no other bit fixes; 0x4 the area is the full
// screen, 0x8 the view's safe rectangle (drawn with the scene or alternate matrix).
constexpr uint16_t kAnchorScreenEdge = 0x100;
constexpr uint16_t kAnchorTop = 0x200;
constexpr uint16_t kAnchorBottom = 0x400;
constexpr uint16_t kAnchorLeft = 0x800;
constexpr uint16_t kAnchorRight = 0x1000;
constexpr uint16_t kAnchorCentre = 0x2000;
constexpr uint16_t kAnchorFullScreen = 0x4;
constexpr uint16_t kAnchorSafeRect = 0x8;

constexpr uint32_t kAnchorCodeCount = 30;
constexpr uint32_t kAnchorOwnOffset = 1;   // placed by its own offset, without the object's position
constexpr uint32_t kAnchorScreenBottom = 16;

constexpr uint16_t kAnchorWords[kAnchorCodeCount] = {
    0x0,   0x1,    0x2,    0x304,  0x504,  0x904,  0x1104, 0x2104, 0xb04,  0x1304,
    0xd04, 0x1504, 0x2304, 0x2504, 0x2904, 0x3104, 0x10,   0x308,  0x508,  0x908,
    0x1108, 0x2108, 0xb08, 0x1308, 0xd08,  0x1508, 0x2308, 0x2508, 0x2908, 0x3108,
};

// The anchor word of a code; 0 for a code outside the table.
inline uint16_t AnchorWord(uint32_t code) { return code < kAnchorCodeCount ? kAnchorWords[code] : 0; }

// Where an element is in the frame's draw: not prepared, prepared and visible, prepared but
// not visible (hidden, or fully transparent), drawn. The hit tests consider prepared elements.
enum ElementDrawState : uint32_t {
    kDrawNotPrepared = 0,
    kDrawVisible = 1,
    kDrawHidden = 2,
    kDrawDrawn = 3,
};

// How a popup text's label shows one of its members: not by a label, as the label asks, as a
// plain element, as a drop place.
enum ElementDisplayState : uint32_t {
    kDisplayNone = 0,
    kDisplayAsLabel = 1,
    kDisplayNormal = 2,
    kDisplayDropPlace = 3,
};

// A named place: the object's positions and an element's positions. An absent name answers to
// "default".
struct NamedPosition {
    float x, y, z;
    char* pName;
};

// A named rotation or scale.
struct NamedValue {
    float value;
    char* pName;
};

// One animation of an element: the range of keys its modifier tracks play.
struct AnimationTrack {
    uint32_t trackWord;
    uint8_t flag;
    uint32_t rangeWord;
    uint32_t firstKey;
    uint32_t lastKey;
    char* pName;
};

// The element's effect values, stored as the file lays them out: the effects read them (and a
// storm writes its interval into the period).
struct EffectParameters {
    float period;       // seconds
    uint8_t minimum;    // levels 0..255
    uint8_t maximum;
    float angle;        // degrees: the direction of a drift
};

// An extra record of four words, stored as read.
struct ElementExtra {
    uint32_t words[4];
};

// A rectangle of the object that bounds the positions of the elements that name it; also the
// hit rectangles.
struct ObjectZone {
    uint32_t word;
    uint8_t flag;
    float left, top, right, bottom;
    char* pName;
};

class CExtraDimTextString;
class CExtraDimTextNumber;

struct ElementRecord {
    // ---- from the element-info file ------------------------------------------------------
    uint8_t leadByte;               // stored as read
    uint32_t drawSlot;              // the element drawn at this position of the draw order
    uint8_t inactive;               // never hit, no click sound
    uint8_t additive;               // the sub-object is drawn with its additive render flag
    uint8_t pickable;               // 0: never hit
    uint8_t flagByte4;              // stored as read
    uint32_t anchor;                // anchor code 0..29
    int32_t lockScreenRef;          // laid out first; its anchor offsets are copied; -1 none
    uint32_t color;                 // 0xAARRGGBB
    uint32_t effectKind;            // ElementEffectKind
    EffectParameters* pEffectParameters;  // owned; present once an effect kind was set
    int32_t referenceWord;          // -1 none
    uint32_t textSize;
    uint32_t textRect;
    int32_t hitProxy;               // element hit-tested instead; -1 none
    int32_t hitRect;                // zone used as hit rectangle; -1: the collision mesh
    int32_t materialElement;        // element whose material this one is drawn with; -1 none
    uint32_t passMask;              // draw passes of a pass-filtered element
    int32_t zone;                   // zone bounding the element's position; -1 none
    int32_t thirdReference;         // element index stored as read; -1 none
    char* pName;                    // owned, unique within the object
    NamedPosition* pPositions;      // owned, with their names
    uint32_t positionCount;
    NamedValue* pRotations;
    uint32_t rotationCount;
    NamedValue* pScales;            // the first value is the element's model scale
    uint32_t scaleCount;
    AnimationTrack* pTracks;
    uint32_t trackCount;
    uint8_t animationByteA;         // both bytes set: the tracks start with mode flag 1
    ElementExtra* pExtras;          // owned; null when there are none
    uint32_t extraCount;
    float bounds[4];                // local rectangle: left, top, right, bottom
    float size[2];                  // width, height
    float hitMargin;
    float baseOffset[3];            // the element's offset within the object
    float placeOffset[3];           // added when the element is placed onto another
    float pivot[2];                 // centre of rotation and scaling
    uint32_t geometryWord;          // stored as read
    uint8_t animationByteB;

    // ---- run time ---------------------------------------------------------------------------
    uint32_t index;
    float* pScale;                  // the model scale (the first scale value), null without scales
    float turnAngle;                // radians added by turning
    float turnFactor;               // [1.0]
    float dragOffset[3];
    uint32_t flags;
    uint8_t cursorStop;             // the cursor search stops here
    uint8_t noAutoPrepare;
    uint8_t noDraw;
    int32_t drawSlotOverride;       // replaces the draw slot when not -1
    uint32_t clickSound;            // surround sound id, 0 = the default click
    uint8_t loadOnClick;
    uint32_t action;
    // The animator words, in the order the profile stores them.
    uint32_t fadeId;                // 1-based, 0 none
    float alpha;                    // 1.0 shown, 0.0 hidden
    uint32_t reservedAfterAlpha;
    float alphaMultiplier;          // [1.0]
    int32_t dragParameters[2];      // drawn in its place while dragged; prepared along; -1 none
    uint32_t dropRecord;            // 1-based, 0 none
    uint32_t placeUses;             // drop rules naming this element as a place
    uint32_t reservedAfterDrop[5];
    uint32_t turnTarget;            // rotation key frame started when a turn ends, 0 none
    uint32_t rotationId;
    float rotationOffset;           // added to the rotation while a rotation animator runs
    uint32_t rotationIndex;         // selected rotation
    uint32_t scaleId;
    float scaleOffset;              // added to the current scale's value while a scaling runs
    uint32_t positionIndex;         // selected element position
    uint32_t reservedAfterPosition;
    uint32_t scaleIndex;            // selected scale
    // The eight run-time bytes, in the order the profile stores them.
    uint8_t positionPaused;
    uint8_t rotationPaused;
    uint8_t scalePaused;
    uint8_t animationResumed;       // the animation went on from where it was ("resume")
    uint8_t animationMode[2];       // inverted, paused: handed to the tracks
    uint8_t animationRandom;        // started at a random phase (setItemsAnimationRandom)
    uint8_t animationWaited;        // a script waits for the animation's end
    uint32_t currentTrack;
    int32_t levelTag;               // a mini-game level's mark on its items; -1 none
    float anchorOffsets[2][3];      // the second is part of the element's position
    float brightness;               // [1.0]
    int32_t clickHandler;           // -1 none
    // The popup text shown on the element (setItemsText): an index among the extra-text
    // manager's popup names, whose string follows the extra-text slots; -1 none.
    int32_t textStringId;
    CExtraDimTextString* pStringText;  // owned
    int32_t reservedAfterString[2]; // [-1]
    CExtraDimTextNumber* pNumberText;  // owned
    int32_t reservedAfterNumber;    // [-1]
    uint8_t reservedByteAfterNumber;
    // The group led by this element (setItemGroup): its members' indexes; an items list counts
    // them as copies of the element.
    uint32_t* pGroupMembers;        // owned
    uint32_t groupMemberCount;
    uint8_t grouped;                // a member of another element's group
    uint8_t markByte;               // [0xFF]
    uint32_t effectId;              // in the effect manager, 0 none
    uint32_t positionId;            // 1-based position animator, 0 none
    float positionOffset[3];
    float snapFactor;               // 0 = no snapping
    uint32_t* pSavedTrackState;     // owned: seven pairs kept until the models load
    float localMatrix[16];
    float worldMatrix[16];
    uint32_t drawState;             // 0 not prepared, 1 visible, 2 not visible, 3 drawn
    uint8_t animationEnded;
    int32_t score;                  // shown by the number text, wrapping as 32 bits
    uint32_t scoreEasing;           // easing index of its count
    uint32_t textColor;             // 0xAARRGGBB of the texts while ownTextColor is set
    uint8_t ownTextColor;
    float fadeVelocityFactor;       // of a looped velocity fade, 0 none
    uint32_t drawColor;             // RGB of the last preparation (its colour word or track)
    uint8_t drawAlpha;              // alpha of the last preparation, 0 to 255
    // How a popup text's label shows the element (ElementDisplayState) and since when.
    uint32_t displayState;
    float displayTime;
};
