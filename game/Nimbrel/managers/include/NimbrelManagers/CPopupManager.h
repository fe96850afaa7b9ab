#pragma once
// The story texts above a scene, on three channels of their own:
// - the popup text: a text of the string table cut into parts ('#') and pages, stepped through
//   with clicks or Space, closed with Escape; while it is open the world hands it every mouse
//   gesture, and a script waiting in _waitForPopupText resumes when it closes;
// - the narrator line: a text whose string begins with "\narrator\"; it fades in at the top,
//   stays for NARRATOR_TIME_SEC and fades out by itself, and nobody waits for it;
// - the object popup: a message bound to a scene object, opened by the tool box's popup
//   messages and closed with the popups object's close button.
// A part may begin with a tag block ("\L=name,A=...\"); the tags are removed from the shown
// text. Texts are laid out with the main font; positions are virtual-screen units.
#include <cstddef>
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class CCommandList;
class CObjectsBase;
class CObjectsInterfacePopups;
class CVornelFont;
class UtilsStream_Chunk;
class UtilsStream_ChunkList;
struct CommandHandle;
struct ElementRecord;
struct GameTextStyle;
struct LabelRecord;

// The channel states of the object popup and the label.
enum PopupFadeState : uint32_t {
    kPopupFadingIn = 0,
    kPopupShown = 1,
    kPopupFadingOut = 2,
    kPopupGone = 3,
};

// The buttons of the popups object, as its hit test names them.
enum PopupButton : uint32_t {
    kPopupButtonNone = 0,
    kPopupButtonNext = 1,
    kPopupButtonPrevious = 2,
    kPopupButtonClose = 3,
    kPopupButtonBeside = 4,
};

constexpr uint32_t kPopupTagCount = 5;
// The narrator prefix "\narrator\" is this long.
constexpr uint32_t kNarratorPrefixLength = 10;

struct PopupTag {
    const char16_t* word;   // as written: "L=", "A=", "narrator", "S=", "T="
    char16_t* matched;      // as matched in texts (remapped for a kind-2 font)
    uint32_t length;
    Status (*handler)(class CPopupManager* pManager, char16_t* value);
};

struct PopupLabelGroup {
    int32_t labelIndex;
    uint8_t active;
};

// A distinct label text of the labels object's elements and how many of its elements are shown.
struct PopupLabelText {
    char* pText;  // owned
    uint32_t shown;
};

// A labels object's element keeps its picture this many part layouts after it last showed.
constexpr uint8_t kLabelCountdown = 3;
// The elements of the labels object are put at rest with these flags at every part: hidden,
// drawn only in their layers, locked.
constexpr uint32_t kLabelRestFlags = 0xC1;
// The members of an earlier label group whose label asks for it are dimmed to this alpha.
constexpr float kLabelDimAlpha = 0.5f;

class CPopupManager : public CManagedObject {
public:
    explicit CPopupManager(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CPopupManager() override;

    // Section NARRATOR, the tag table and the command list. kStatusOutOfMemory (latched).
    Status Load() override;
    // Frees every text, page and tag and the command list.
    Status Unload() override;
    void Update() override;
    void Render() override;
    // The object popup, drawn with its scene object.
    void RenderWithObjects(uint32_t objectIndex);

    Status OnMouseDown(float x, float y, uint32_t state) override;
    Status OnMouseMove(float x, float y, uint32_t state) override;
    Status OnMouseUp(float x, float y, uint32_t state) override;

    // The popup group of that name (the extra-text table); kStatusFailed when unknown.
    Status ShowString(const char* name);
    // The scale that fits a picture of that size into the box: 1.0 when it fits already.
    static float FitScale(const float* itemSize, const float* boxSize);

    // Index from the first popup text of the string table. 0: a popup text opened;
    // kStatusFailed: the string was a narrator line (nobody waits for it) or had no text.
    Status ShowStringIndex(int32_t index);
    // Index into the common strings; as a narrator line or as a popup text (string index -1).
    Status ShowCommonString(uint32_t index, uint8_t asNarrator);
    // The object popup of a scene object: the popup group's text and the element of that name.
    Status ShowObjectPopup(uint32_t objectIndex, const char* popupName, const char* elementName);
    // The commands burn, the current level object runs its queued commands and the click of
    // this frame is taken. 0.
    Status Close(uint8_t transition);
    Status CloseObjectPopup(uint8_t transition);
    Status AddCommand(const CommandHandle& handle);
    void ResetNarratorLine();
    // Forgets the pending label groups.
    void ResetLabelsGroups();

    // Labels. The "L=" tag: the label of that name attaches to the text and its members show
    // (a name the labels table does not know attaches nothing). kStatusFailed when a member
    // cannot be prepared; kStatusOutOfMemory (latched).
    Status OnLabelTag(const char16_t* value);
    // The labels object's elements, each with the label text it shows (-1 none): called when
    // that object loads its model.
    Status BuildLabelsList();
    // At level activation: the members of the pending groups keep their pictures.
    void UpdateLabelsGroups();
    // The current group's members stop their animations.
    void StopLabelAnimations();
    // The labels object's element that is the attached label's text box; null when the label
    // names none (its page is centred on the screen) or no label is attached. Its anchor mode
    // places the page in it, and its word is the popup text of the label's title.
    ElementRecord* LabelTextBox() const;
    // The halvings a label picture loads with: none under the game's picture-quality flag, else
    // those of the labels object's model (its texture bias on the window's level).
    static uint8_t LabelPictureShift(const WorldData* pWorldData, int8_t bias);
    // Lays the three channels out again from their string indexes (after a display change);
    // the popup text keeps its current part.
    Status Relayout();
    // The world's relayout (a new window size or text scale).
    Status Reload() override { return Relayout(); }

    // One step of the popup text: the reveal finished, the next page or the next part (text:
    // the current part, null for the first). True when there is nothing more to show.
    bool AdvancePopupText(char16_t* text, uint8_t instant);
    void PreviousPopupPage();
    // The object popup's message from an absolute string index.
    Status SetObjectPopupText(int32_t stringIndex);

    // Chunk 70000 with 70001 (popup text), 70002 (narrator), 70003 (object popup) and 70004
    // (label channel).
    Status SaveToStream(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pStream);
    Status LoadFromStream(UtilsStream_Chunk* pStream);

    bool IsPopupOpen() const { return m_pText != nullptr; }
    bool IsObjectPopupOpen() const { return m_objectIndex != -1; }
    bool IsNarratorShowing() const { return m_pNarratorText != nullptr; }
    const char16_t* GetText() const { return m_pText; }
    const char16_t* GetPageText() const { return m_pPageText; }
    const char16_t* GetNarratorText() const { return m_pNarratorText; }
    const char16_t* GetMessageText() const { return m_pMessageText; }
    uint32_t GetPageCount() const { return m_pageCount; }
    uint32_t GetPageIndex() const { return m_pageIndex; }
    // The page's and the message's places in their boxes.
    float GetPageX() const { return m_pageX; }
    float GetPageY() const { return m_pageY; }
    float GetMessageX() const { return m_messageX; }
    float GetMessageY() const { return m_messageY; }
    const char16_t* GetPage(uint32_t index) const { return index < m_pageCount ? m_ppPages[index] : nullptr; }
    uint32_t GetPartIndex() const;
    // Whether the previous button shows: a later page or a later part.
    bool IsPreviousShown() const;
    float GetNarratorAlpha() const { return m_narratorAlpha; }
    float GetNarratorHold() const { return m_narratorHold; }
    float GetNarratorTime() const { return m_narratorTime; }
    float GetNarratorFadeSpeed() const { return m_narratorFadeSpeed; }
    const PopupTag* GetTag(uint32_t index) const { return index < kPopupTagCount ? &m_tags[index] : nullptr; }
    int32_t GetLabelIndex() const { return m_labelIndex; }
    uint32_t GetLabelState() const { return m_labelState; }
    float GetLabelAlpha() const { return m_labelAlpha; }
    uint32_t GetGroupCount() const { return m_groupCount; }
    const PopupLabelGroup* GetGroup(uint32_t index) const { return index < m_groupCount ? &m_pGroups[index] : nullptr; }
    int32_t GetCurrentGroup() const { return m_currentGroup; }
    uint32_t GetLabelElementCount() const { return m_labelElementCount; }
    // The countdown and the label text index of a labels object's element; 0 and -1 outside.
    uint8_t GetLabelCountdown(uint32_t element) const
    {
        return element < m_labelElementCount ? m_pCountdowns[element] : 0;
    }
    int32_t GetElementLabel(uint32_t element) const
    {
        return element < m_labelElementCount ? m_pElementLabels[element] : -1;
    }
    uint32_t GetLabelTextCount() const { return m_labelTextCount; }
    const PopupLabelText* GetLabelText(uint32_t index) const
    {
        return index < m_labelTextCount ? &m_pLabelTexts[index] : nullptr;
    }
    bool IsRevealing() const { return m_pReveal != nullptr; }
    CCommandList* GetCommandList() const { return m_pCommands; }

    // The current language's symbol for an ASCII character.
    char16_t Symbol(char16_t ascii) const;

protected:
    // What the manager asks of the game; through the world by default.
    virtual CVornelFont* Font() const;
    // The string at an absolute index, null past the table.
    virtual const char16_t* StringAt(int32_t absoluteIndex) const;
    // The first popup text and the first common string of the table.
    virtual int32_t PopupTextBase() const;
    virtual int32_t CommonStringBase() const;
    virtual int32_t FindPopupGroup(const char* name) const;
    virtual float TextScale() const;
    virtual void StartTransition();
    // The button of the popups object under the point (0 none, 4 beside the buttons); a button
    // found plays its own click sound.
    virtual uint32_t HitTestButtons(float x, float y);
    // The surround manager's click sounds (a kSurroundClick role); silent without it.
    virtual void PlayClick(uint32_t role);
    // Tells the popups object which buttons show.
    virtual void ShowButtons(uint8_t previous, uint8_t next, uint8_t close);
    // The objects manager's popups object, null when there is none.
    CObjectsInterfacePopups* PopupsObject() const;
    // After a popup closed: the current level object's queued commands, the click of this
    // frame taken, the tool box's next request. kStatusFailed when that fails.
    virtual Status AfterClose();
    // The labels table (-1 and null for a name or an index it does not hold) and its size.
    virtual int32_t FindLabel(const char* name) const;
    virtual const LabelRecord* LabelAt(int32_t index) const;
    virtual uint32_t LabelCount() const;
    // The objects manager's labels object, null when there is none.
    virtual CObjectsBase* LabelsObject() const;
    // A scene object by its index, null when there is none.
    virtual CObjectsBase* ObjectAt(uint32_t index) const;
    // The picture of a labels object's element, which its model only names: loaded when it is
    // not (a failure when it cannot be), released.
    virtual Status LoadLabelPicture(uint32_t element);
    virtual void ReleaseLabelPicture(uint32_t element);

private:
    void FreeTags();
    void FreePages();
    void FreePopupText();
    void RestoreCut();
    void EndReveal();
    Status ShowText(const char16_t* text, int32_t stringIndex);
    Status ShowNarrator(const char16_t* text, int32_t stringIndex);
    // Lays out the part starting at `part` into pages (the cut is in place).
    bool LayOutPart(char16_t* part, uint8_t instant);
    char16_t* RunTags(char16_t* part);
    static constexpr size_t kLengthUnknown = ~size_t(0);
    bool SetCurrentPage(uint32_t index, size_t length = kLengthUnknown);
    // The current page's place in the label's text box, by the box's anchor mode.
    void PlacePage();
    // The attached label's title, null when it asks for none.
    const char16_t* LabelTitle() const;
    // The title, its line breaks made newlines (spaces under the game's popup layout flag), in
    // front of `length` characters of the part; owned.
    char16_t* TitledPart(const char16_t* title, const char16_t* part, size_t length) const;
    // The owned text with its lines centred under its widest at that style's size; the text
    // itself when it cannot be centred.
    char16_t* CentreLinesOwned(char16_t* text, const GameTextStyle& style);
    void SetButtons();
    void StepReveal(float step);
    void DrawText(const char16_t* text, float x, float y, uint32_t flags, const GameTextStyle& style, uint32_t color);
    // A size of the popups' pictures (reference units) in the units the texts are laid out and
    // drawn in: scaled as the interface view scales the pictures themselves.
    void VirtualToScreen(float* pSize) const;
    bool HasInterfaceView() const;
    // A text box's width and height in the units of the texts.
    void BoxToScreen(const ElementRecord* pBox, float* pSize) const;
    // The text box of a page without a label's box: that share of the reference screen.
    void ScreenTextBox(float ratio, float* pSize) const;
    // The object popup's element of its scene object, fitted into the item box about its centre.
    void DrawObjectItem(uint32_t objectIndex, ElementRecord* pBox, const float* pCentre);
    void StepNarrator(float step);
    // The labels object's elements at rest and their countdowns one part further.
    void RestLabelElements();
    void CountDownLabelElements();
    // The labels object's element keeps its picture for the next parts; its text counts it.
    void KeepLabelPicture(uint32_t element);
    // The member's element of its object; null outside the scene.
    ElementRecord* MemberElement(uint32_t object, uint32_t element, CObjectsBase** ppObject) const;
    // The text index of a label text, added when new; -1 out of memory.
    int32_t LabelTextIndex(const char* text);
    void FreeLabelsList();
    // The labels object's layers first to last (its elements' draw passes), at the label's
    // alpha; the first layer begins the object's draw.
    void DrawLabelLayers(uint32_t first, uint32_t last);
    // A copy of `length` characters with `from` replaced by `to`; owned.
    static char16_t* CopyReplacing(const char16_t* text, size_t length, char16_t from, char16_t to);
    // The full text of a popup, its line-break symbols made newlines; owned.
    char16_t* OpenText(const char16_t* text);
    // `length` characters of the text wrapped to maxWidth at that font width into a buffer
    // `factor` times their length, its length written; owned. With `breaks` the line-break
    // symbols become newlines first (a popup text had them replaced when it opened).
    char16_t* WrapOwned(const char16_t* text, size_t length, float width, float maxWidth, uint32_t factor, bool breaks,
                        size_t* pWrappedLength);

    Status SaveNarrator(UtilsStream_Chunk* pChunk);
    Status SavePopupText(UtilsStream_Chunk* pChunk);
    Status SaveObjectPopup(UtilsStream_Chunk* pChunk);
    Status SaveLabels(UtilsStream_Chunk* pChunk);
    Status LoadNarrator(UtilsStream_Chunk* pChunk);
    Status LoadPopupText(UtilsStream_Chunk* pChunk);
    Status LoadObjectPopup(UtilsStream_Chunk* pChunk);
    Status LoadLabels(UtilsStream_Chunk* pChunk);
    Status OutOfMemory();

    // Settings.
    float m_narratorFadeSpeed = 0.075f;
    float m_narratorTime = 150.0f;
    PopupTag m_tags[kPopupTagCount] = {};
    char16_t* m_pNarratorPrefix = nullptr;
    CCommandList* m_pCommands = nullptr;

    // Popup text.
    char16_t* m_pText = nullptr;
    char16_t* m_pPart = nullptr;
    char16_t* m_pFirstPart = nullptr;
    int32_t m_stringIndex = -1;
    char16_t* m_pCut = nullptr;
    // The part laid out last and the separator after it (null for the last part).
    const char16_t* m_pLaidOutPart = nullptr;
    char16_t* m_pPartEnd = nullptr;
    char16_t m_cutChar = 0;
    char16_t** m_ppPages = nullptr;
    uint32_t m_pageCount = 0;
    uint32_t m_pageIndex = 0;
    char16_t* m_pPageText = nullptr;
    char16_t* m_pReveal = nullptr;
    char16_t m_revealChar = 0;
    float m_revealTime = 0.0f;
    float m_pageX = 0.0f, m_pageY = 0.0f;
    uint32_t m_pageAlign = 0;
    int32_t m_labelIndex = -1;
    uint32_t m_labelState = kPopupGone;
    float m_labelAlpha = 0.0f;
    PopupLabelGroup* m_pGroups = nullptr;
    uint32_t m_groupCount = 0;
    int32_t m_currentGroup = -1;
    // Per element of the labels object.
    uint8_t* m_pCountdowns = nullptr;
    int32_t* m_pElementLabels = nullptr;
    uint32_t m_labelElementCount = 0;
    PopupLabelText* m_pLabelTexts = nullptr;
    uint32_t m_labelTextCount = 0;

    // Object popup.
    int32_t m_objectIndex = -1;
    int32_t m_elementIndex = -1;
    uint32_t m_objectState = kPopupGone;
    float m_objectAlpha = 0.0f;
    char16_t* m_pMessageText = nullptr;
    float m_messageX = 0.0f, m_messageY = 0.0f;
    uint32_t m_messageAlign = 0;
    int32_t m_messageIndex = -1;

    // Narrator line.
    uint8_t m_narratorShowing = 0;
    float m_narratorAlpha = 0.0f;
    float m_narratorHold = 0.0f;
    char16_t* m_pNarratorText = nullptr;
    int32_t m_narratorIndex = -1;

    uint8_t m_pressTaken = 0;
    uint8_t m_previousShown = 0;
};
