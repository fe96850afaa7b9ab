#pragma once
// The title-screen menu (type code 257): the main page (play or continue, options, exit, the
// web buttons) on elements of its own that a scene script names, and the further pages drawn
// by the menu itself inside the frame of the popups object: the profile list, the name entry,
// options, languages, credits and the questions. Entries are texts of the commons strings,
// laid out in the frame; buttons are drawn with the menu's button skin, the profile marks
// and the language flags from two sheets, the texts with the main font.
//
// The game world reaches the menu to change its page (SetPage) and to lay it out again.
#include "NimbrelInterfaces/CObjectsInterface.h"

class C3DObject;
class C3DTexture;
class CMenuButtonSkin;
class CMenuDialogSkin;
class CExtraDimTextString;
class CObjectsInterfacePopups;
class CProfileManager;
class CStringsManager;
class CVornelFont;
struct ProfileSlot;

// The pages.
enum MenuPage : uint32_t {
    kMenuMain = 0,
    kMenuProfiles = 1,
    kMenuProfileName = 2,
    kMenuOptions = 3,
    kMenuLanguages = 4,
    kMenuCredits = 5,
    kMenuLeave = 14,
    kMenuDeleteProfile = 15,
    kMenuText17 = 17,
    kMenuText18 = 18,
};

// Entry kinds: a plain text, a button of the left or right column, a centred button.
enum MenuEntryKind : uint32_t {
    kMenuEntryText = 0,
    kMenuEntryLeft = 1,
    kMenuEntryRight = 2,
    kMenuEntryCentred = 3,
};

// Commons strings the menu shows; each entry's id is also its action.
enum MenuStringId : uint32_t {
    kMenuIdUsedSlotLabel = 12,
    kMenuIdClockLabel = 13,
    kMenuIdText17 = 25,
    kMenuIdText18 = 32,
    kMenuIdNameField = 40,
    kMenuIdMusic = 41,
    kMenuIdSound = 44,
    kMenuIdLanguage = 48,
    kMenuIdCredits = 49,
    kMenuIdFullScreen = 52,
    kMenuIdFirstSlot = 53,
    kMenuIdNameTitle = 57,
    kMenuIdLeaveQuestion = 58,
    kMenuIdDeleteQuestion = 59,
    kMenuIdYes = 70,
    kMenuIdNo = 71,
    kMenuIdFirstLanguage = 74,
    kMenuIdOk = 109,
    kMenuIdCancel = 110,
};

// One entry of a page, laid out in screen units (x, y its centre).
struct MenuEntry {
    uint8_t toggle;             // 1: the alternate id and text show
    uint32_t id;
    const char16_t* text;       // borrowed from the strings, or owned by a paragraph
    uint32_t alternateId;       // 0 = none
    const char16_t* alternateText;
    uint32_t kind;              // MenuEntryKind
    uint32_t halfLine;          // placed half a line lower
    uint32_t paragraph;         // wrapped, its texts owned
    float x, y, z;
    float scale;                // the page's fit, at most 1.0
    float textWidth, textHeight;
    float widestText;
    float buttonWidth, buttonHeight;
};

// The page lists.
enum MenuList : uint32_t {
    kMenuListProfiles = 0,
    kMenuListName,
    kMenuListOptions,
    kMenuListText17,
    kMenuListText18,
    kMenuListLanguages,
    kMenuListConfirm,
    kMenuListCount,
};

// The element roles of the main page, in their field order.
enum MenuRole : uint32_t {
    kMenuTextPlay = 0,
    kMenuTextContinue,
    kMenuTextOptions,
    kMenuTextExtras,
    kMenuTextExit,
    kMenuButton01,
    kMenuButton02,
    kMenuButton03,
    kMenuButton04,
    kMenuButton05,
    kMenuButtonParent,
    kMenuButtonFacebook,
    kMenuButtonFacebookPublish,
    kMenuButtonTwitter,
    kMenuButtonGamecenter,
    kMenuButtonQuilmark,
    kMenuButtonFenwright,
    kMenuButtonBrannock,
    kMenuRoleCount,
};

// How many languages the languages sheet holds, and the profile-name limits.
constexpr uint32_t kMenuLanguageQuads = 17;
constexpr uint32_t kMenuNameBufferSize = 260;
constexpr uint32_t kMenuNameMaxLength = 12;
// The characters a profile name may hold, besides the accented letters the main font draws.
extern const char16_t kMenuNameCharacters[];
// The two developer codes typed as a profile name.
constexpr const char16_t* kMenuDeveloperCode = u"plovestar";
constexpr const char16_t* kMenuDeveloperCodeCompleted = u"plovestar*";

// Frames of the profiles sheet.
enum MenuProfileFrame : uint32_t {
    kMenuFrameSelector = 0,
    kMenuFrameSelected = 1,
    kMenuFrameDelete = 2,
    kMenuFrameRename = 3,
};

// What a page's layout measures with: the text of a commons string and the size of a text at
// the menu's font size (a paragraph is wrapped first into `wrapped`, owned by the caller).
class MenuTextSource {
public:
    virtual ~MenuTextSource() = default;
    virtual const char16_t* CommonString(uint32_t id) = 0;
    // The text's size (width, height) at scale 1.
    virtual void Measure(const char16_t* text, float* pSize) = 0;
    // A paragraph's copy, wrapped to the width; null when out of memory. Freed with UTILS_FREE.
    virtual char16_t* WrapParagraph(const char16_t* text, float width) = 0;
};

// How many quads of a sheet of lines x rows are drawn (counts below 1 take the defaults), at
// most `maximum` (0: no more than the grid): a frame past them is not drawn.
uint32_t MenuSheetQuads(int32_t lines, int32_t rows, int32_t defaultLines, int32_t defaultRows, uint32_t maximum);

// The credits' scroll after one frame: up by two units a frame step; once the text has passed
// above the frame by half the frame's height it starts again below, at 1.1 frame heights; then
// the player's drag glide is added.
float MenuCreditsScroll(float position, float frameStep, float textHeight, float frameHeight, float glide);
// The characters the credits text holds: the credits file, the extra credits file and the
// identification block, each cut to what is left.
constexpr uint32_t kMenuCreditsTextSize = 2 * 4096 + 1024;

// Lays out `count` entries in the rectangle (top-left, bottom-right) with the margin and the
// widest text to start from.
void LayoutMenuEntries(MenuTextSource& source, MenuEntry* pEntries, uint32_t count, const float* pTopLeft,
                       const float* pBottomRight, float margin, float widest);
// The sheet quad k of a grid of lines x rows: texture corner and size {u, v, du, dv}. Counts
// below 1 take the defaults given.
void MenuSheetCell(uint32_t k, int32_t lines, int32_t rows, int32_t defaultLines, int32_t defaultRows, float* pUV);

class CObjectsInterfaceMenu : public CObjectsInterface, public MenuTextSource {
public:
    CObjectsInterfaceMenu(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsInterfaceMenu() override;

    Status Load() override;
    Status Release() override;
    // Also leaves out the languages that have become unavailable since the lists were built.
    Status UpdateComponents() override;
    Status UpdateState() override;
    Status Draw() override;
    Status PickElementUnderCursor(float x, float y, uint32_t state) override;
    // The release of the press the credits took still comes to the menu as a click.
    Status OnMouseUp(float x, float y, uint32_t state) override;
    Status OnClick(float x, float y, uint32_t state) override;
    Status UpdateCursorState(float x, float y, void* pOut) override;
    // The popups object, the play text and the exit text bound: 0.
    Status CheckSetup() override;
    Status setObjectParameters(ScriptBuiltinCall& call) override;

    // Stores the page and asks the timer for an extra update; the page.
    uint32_t SetPage(uint32_t page);
    uint32_t GetPage() const { return m_page; }

    // -1 plays the null click, 0 the default click, another id this object's element sound.
    virtual void PlayElementClickSound(int32_t sound);
    // The credits text of the language (its file, the extra credits, the identification block)
    // laid out in the popups object's frame: 0; kStatusFailed when the credits file cannot be
    // read or laid out, kStatusOutOfMemory.
    Status LoadStrings(uint32_t language);
    // The credits file at the path into the buffer (kCreditsFileCapacity + 1 characters), from
    // the external pack only or from any source: 0 when it was read.
    Status OnLoadCreditsTextEx(const char16_t* path, char16_t* pBuffer, bool externalOnly);
    // Drops the credits text block and its size: 0.
    Status ReleaseCredits();
    // The options entry's action (a click on it).
    void OnOptionEntry(MenuEntry& entry);
    float GetCreditsScroll() const { return m_creditsScroll; }
    const CExtraDimTextString* GetCredits() const { return m_pCredits; }
    // The credits text as last built (empty without one).
    const char16_t* GetCreditsText() const { return m_pCreditsText ? m_pCreditsText : u""; }
    // The screen rectangle {left, top, right, bottom} of the popups object's first frame
    // element (with `clip`, its clip rectangle when it has one); false without one.
    bool GetPopupFrameRect(float* pRect, bool clip = false);
    // The list's layout, measured with the menu's strings and font.
    void LayoutEntries(MenuEntry* pEntries, uint32_t count, const float* pTopLeft, const float* pBottomRight,
                       float margin, float widest);
    // Frees the owned texts and the array; the count becomes 0.
    void ReleaseEntries(uint32_t list);
    // The name entry's keyboard: 0 when Enter was typed this frame, kStatusFailed otherwise.
    Status OnProfileNameKey(uint8_t maximum, const char16_t* allowed);
    // Applies a typed name to the current slot: 0 when it was taken (or left the slot as it
    // was), kStatusFailed when the name entry must go back to the profile list.
    Status ValidateProfileName(char16_t* name);

    int32_t GetRole(uint32_t role) const { return role < kMenuRoleCount ? m_roles[role] : -1; }
    int32_t GetPopupsIndex() const { return m_popups; }
    const MenuEntry* GetEntries(uint32_t list, uint32_t* pCount) const;
    const char16_t* GetNameBuffer() const { return m_name; }

    // MenuTextSource: the commons strings and the main font at the menu's text size.
    const char16_t* CommonString(uint32_t id) override;
    void Measure(const char16_t* text, float* pSize) override;
    char16_t* WrapParagraph(const char16_t* text, float width) override;

protected:
    // What the menu asks of the game; a test replaces them.
    virtual CObjectsInterfacePopups* Popups();
    virtual CProfileManager* Profiles();
    virtual CVornelFont* Font();
    virtual CStringsManager* Strings();
    // Whether the main font draws the (unmapped) character.
    virtual bool DrawsCharacter(char16_t c);
    // SelectChapterLevel: 0 when the game starts.
    virtual Status StartGame();
    // Restarts the current game state with a screen transition (the developer codes).
    virtual void RestartGameState();
    virtual bool HasMusic();
    // Whether language i (0 to 16) has string tables.
    virtual bool IsLanguageAvailable(uint32_t language);
    virtual bool HasSoundOptions();
    virtual void SetPendingDocument(const char16_t* address);
    // The menu's text size (width, height): the main text style times the text scale.
    virtual void TextSize(float* pSize);
    // The options' settings.
    virtual bool IsMusicOn();
    virtual void SetMusicVolume(float volume);
    virtual bool IsSoundOn();
    virtual void SetSoundVolume(float volume);
    virtual bool IsFullScreen();
    // Asks the world to switch the display: 0 when it did.
    virtual Status SwitchDisplay(uint8_t fullScreen);
    // The program ends with the failure status, the line logged.
    virtual void EndOnFailure(const char16_t* line);
    virtual void ChangeLanguage(uint32_t language);
    virtual uint32_t CurrentLanguage();

    // Pages other than the main page, drawn and played every frame.
    void DrawEntries(uint32_t list, uint32_t page);
    void DrawProfileList();
    void DrawNameEntry();
    void DrawOptions();
    void DrawLanguages();
    void DrawCredits();
    void DrawVersionLine();
    // The identification block after the credits, cut to the capacity.
    void AppendIdentification(char16_t* text, size_t capacity);
    // Reads the named credits file of the language ("_strings.<code>.<name><suffix>").
    Status ReadCreditsFile(uint32_t language, const char16_t* name, char16_t* pBuffer);
    // A text entry at its place (a button entry on its button, unless `button` is false), the
    // pointer tested; true when the pointer is over it (or over its button).
    bool DrawEntry(const MenuEntry& entry, const char16_t* text, float factor, uint8_t alpha = 0xFF,
                   bool button = true);
    // Draws nothing for a quad past the sheet's drawn quads.
    void DrawSheetQuad(C3DObject* pSheet, uint32_t quad, float x, float y, float size, uint32_t color);
    void DrawPopupFrame();
    // The click of this frame, taken once.
    bool TakeClick();
    void OnConfirm(uint32_t page, bool yes);
    void OpenNameEntry(int32_t slot);
    void AcceptName();
    // The slot of the profile list row, its targets.
    bool PointerNear(float x, float y, float radius) const;

    void ShowRole(uint32_t role, bool clickable);
    void HideRole(uint32_t role);
    void PlaceTextOn(uint32_t text, uint32_t button);
    bool OnRoleElement(int32_t element, const uint32_t* roles, uint32_t count) const;

    Status LoadSkins();
    Status LoadSheets();
    Status BuildLists();
    MenuEntry* NewList(uint32_t list, uint32_t count);
    // Language entry n of `count`: six or more languages take two columns, each row half a line down.
    static void PlaceLanguageEntry(MenuEntry& entry, uint32_t n, uint32_t count);
    // A language whose tables failed to load is marked unavailable once the lists exist: its
    // entry goes, and with fewer than two languages left the language button goes too.
    void LeaveOutUnavailableLanguages();
    void FreeSheets();
    bool UsesRemappedSymbols();
    char16_t Symbol(char16_t c);
    // The credits text cut into lines no wider than the block (width in screen units), in place.
    Status WrapCredits(CVornelFont* pFont, float sizeX, float width);

    uint32_t m_page = kMenuMain;
    int32_t m_popups = -1;
    int32_t m_roles[kMenuRoleCount];
    C3DObject* m_pLanguagesSheet = nullptr;
    C3DObject* m_pProfilesSheet = nullptr;
    uint32_t m_languagesQuads = 0, m_profilesQuads = 0;
    C3DTexture* m_pLanguagesTexture = nullptr;
    C3DTexture* m_pProfilesTexture = nullptr;
    C3DTexture* m_dialogTextures[9] = {};
    C3DTexture* m_buttonTextures[3] = {};
    CMenuDialogSkin* m_pDialogSkin = nullptr;
    CMenuButtonSkin* m_pButtonSkin = nullptr;
    float m_dialogWidthRatio = 1.0f, m_dialogHeightRatio = 1.0f;
    uint8_t m_dialogRepeat = 0;
    float m_buttonWidthRatio = 1.0f, m_buttonHeightRatio = 1.0f;
    uint8_t m_buttonRepeat = 0;
    MenuEntry* m_lists[kMenuListCount] = {};
    uint32_t m_listCounts[kMenuListCount] = {};
    char16_t m_name[kMenuNameBufferSize] = {};
    CExtraDimTextString* m_pCredits = nullptr;
    float m_creditsSize[3] = {};
    float m_creditsScroll = 0.0f;
    char16_t* m_pCreditsText = nullptr;   // owned, kMenuCreditsTextSize characters
};
