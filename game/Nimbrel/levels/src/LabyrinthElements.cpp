// The labyrinth's element kinds: token, goal, wall, sliding block, gate and switch, with their
// keys, what they do when a mover comes, and their saved fields.
#include <cmath>
#include <cstring>
#include <new>

#include "NimbrelLevels/LabyrinthBoard.h"
#include "NimbrelLevels/LevelValues.h"

namespace {

// The longest function name a saved element may carry.
constexpr uint32_t kMostFunctionName = 255;

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

// A pending offset read back stays within the maze.
bool OffsetFits(float offset) { return std::isfinite(offset) && std::fabs(offset) <= float(kLabyrinthMaxSide); }

}  // namespace

// ---- every element -------------------------------------------------------------------------------

CLabyrintheElement::~CLabyrintheElement() = default;

Status CLabyrintheElement::ParseCharacter(const char* token, const char* key)
{
    if (const char* value = TokenValue(token, key))
        m_character = uint8_t(*value);
    else if (const char* function = TokenValue(token, "function_name="))
        m_function = function;
    return kStatusOk;
}

Status CLabyrintheElement::Parse(char* list)
{
    LevelListWalk walk(list);
    for (char* token = walk.Next(); token; token = walk.Next())
        ParseCharacter(token, "char=");
    return kStatusOk;
}

bool CLabyrintheElement::CanEnter(CLabyrintheElement*, bool, uint32_t) const { return m_kind == kLabyrinthGoal; }
bool CLabyrintheElement::StopsMover(CLabyrintheElement*) { return false; }
void CLabyrintheElement::Changed() {}
void CLabyrintheElement::Entered(CLabyrintheElement*, uint32_t) {}
void CLabyrintheElement::Left(CLabyrintheElement*) {}
Status CLabyrintheElement::Reset()
{
    m_pending[0] = m_pending[1] = 0.0f;
    m_moved = 0;
    m_changeFlags = m_seenFlags = 0;
    return kStatusOk;
}
void CLabyrintheElement::Draw(LabyrinthPainter&) const {}
int32_t CLabyrintheElement::Item(uint32_t) const { return -1; }
bool CLabyrintheElement::Shown(uint32_t) const { return false; }

void CLabyrintheElement::Step(float frameStep)
{
    for (float& offset : m_pending) {
        if (offset > 0.0f)
            offset = offset > frameStep ? offset - frameStep : 0.0f;
        else if (offset < 0.0f)
            offset = -offset > frameStep ? offset + frameStep : 0.0f;
    }
}

// Character, cells (count, then column and row each), anchor, pending offset, moved flag, change
// flags and those last seen, function name (length, then its characters).
bool CLabyrintheElement::SaveLoad(LevelState& state)
{
    state.Byte(m_character);
    uint32_t count = uint32_t(m_cells.size());
    state.Word(count);
    if (!state.Writing())
        m_cells.clear();
    for (uint32_t i = 0; i < count && state.Ok(); ++i) {
        LabyrinthCellRef cell = state.Writing() ? m_cells[i] : LabyrinthCellRef{0, 0};
        state.Word(cell.column).Word(cell.row);
        if (state.Writing())
            continue;
        if (state.Ok() && !m_pBoard->Inside(cell.column, cell.row))
            return false;
        m_cells.push_back(cell);
    }
    state.Word(m_anchor.column).Word(m_anchor.row).Word(m_pending[0]).Word(m_pending[1]).Byte(m_moved);
    state.Word(m_changeFlags).Word(m_seenFlags);
    uint32_t length = uint32_t(m_function.size());
    state.Word(length);
    if (!state.Writing()) {
        if (!state.Ok())
            return true;
        if (length > kMostFunctionName)
            return false;
        m_function.assign(length, '\0');
    }
    state.Bytes(&m_function[0], length);
    if (!state.Writing() && std::memchr(m_function.data(), 0, m_function.size()))
        return false;
    // The anchor is stepped with its cells: it stays on the grid's scale.
    return !state.Ok() || state.Writing() ||
           (m_moved <= 1 && OffsetFits(m_pending[0]) && OffsetFits(m_pending[1]) && m_anchor.column >= 0 &&
            m_anchor.row >= 0 && m_anchor.column <= kLabyrinthMaxSide && m_anchor.row <= kLabyrinthMaxSide);
}

// ---- the kinds with a picture ----------------------------------------------------------------------

// An element drawn by its items: the first shows after a reset, the second (a gate's or a
// switch's other look) hides; both are scaled to span the element's cells.
class CLabyrinthePicture : public CLabyrintheElement {
public:
    using CLabyrintheElement::CLabyrintheElement;

    Status Reset() override
    {
        CLabyrintheElement::Reset();
        m_shown[0] = 1;
        m_shown[1] = 0;
        LabyrinthCellRef low = m_anchor, high = m_anchor;
        for (const LabyrinthCellRef& cell : m_cells) {
            high.column = cell.column > high.column ? cell.column : high.column;
            high.row = cell.row > high.row ? cell.row : high.row;
        }
        m_span[0] = float(high.column - low.column + 1);
        m_span[1] = float(high.row - low.row + 1);
        float width = 0.0f, height = 0.0f;
        m_scale[0] = m_scale[1] = 1.0f;
        if (m_items[0] >= 0 && m_pBoard->TheHost()->ItemSize(m_items[0], &width, &height) && width > 0.0f && height > 0.0f) {
            m_scale[0] = m_span[0] * m_pBoard->CellWidth() / width;
            m_scale[1] = m_span[1] * m_pBoard->CellHeight() / height;
        }
        return kStatusOk;
    }

    // Each shown item at the element's cells less its pending offset, centred on them.
    void Draw(LabyrinthPainter& painter) const override
    {
        float x, y;
        Place(&x, &y);
        for (uint32_t which = 0; which < 2; ++which)
            if (m_shown[which] && m_items[which] >= 0)
                painter.DrawItem(m_items[which], x, y, m_scale[0], m_scale[1]);
    }

    // The centre of the picture from the maze item's centre.
    void Place(float* pX, float* pY) const
    {
        const float w = m_pBoard->CellWidth(), h = m_pBoard->CellHeight();
        *pX = (float(m_anchor.column) - m_pending[0]) * w - m_pBoard->m_halfCell[0] * float(m_pBoard->m_columns) +
              m_span[0] * w * 0.5f;
        *pY = (float(m_anchor.row) - m_pending[1]) * h - m_pBoard->m_halfCell[1] * float(m_pBoard->m_rows) +
              m_span[1] * h * 0.5f;
    }

    int32_t Item(uint32_t which) const override { return which < 2 ? m_items[which] : -1; }
    bool Shown(uint32_t which) const override { return which < 2 && m_shown[which]; }

    // Items, shown flags, the span in cells and the scale.
    bool SaveLoad(LevelState& state) override
    {
        if (!CLabyrintheElement::SaveLoad(state))
            return false;
        state.Word(m_items[0]).Word(m_items[1]).Byte(m_shown[0]).Byte(m_shown[1]);
        state.Word(m_span[0]).Word(m_span[1]).Word(m_scale[0]).Word(m_scale[1]);
        return state.Writing() || !state.Ok() ||
               (m_shown[0] <= 1 && m_shown[1] <= 1 && std::isfinite(m_scale[0]) && std::isfinite(m_scale[1]) &&
                OffsetFits(m_span[0]) && OffsetFits(m_span[1]));
    }

    bool ItemsFit(uint32_t elementCount) const
    {
        for (int32_t item : m_items)
            if (item < -1 || (item >= 0 && uint32_t(item) >= elementCount))
                return false;
        return true;
    }

    // Shows the first look or the second.
    void ShowFirst(bool first)
    {
        m_shown[0] = first;
        m_shown[1] = !first;
    }

protected:
    // The kind's keys: its character's, its item's and its second look's, "function_name=", and
    // those ParseOther reads; an unknown item or a value ParseOther refuses refuses the list.
    Status ParseKeys(char* list, const char* characterKey, const char* itemKey, const char* secondKey)
    {
        LevelListWalk walk(list);
        for (char* token = walk.Next(); token; token = walk.Next()) {
            const char* first = TokenValue(token, itemKey);
            const char* second = secondKey ? TokenValue(token, secondKey) : nullptr;
            if ((first && Failed(TakeItem(first, &m_items[0]))) || (second && Failed(TakeItem(second, &m_items[1]))) ||
                Failed(ParseOther(token)))
                return kStatusFailed;
            ParseCharacter(token, characterKey);
        }
        return kStatusOk;
    }
    virtual Status ParseOther(const char*) { return kStatusOk; }

    // An item key: kStatusFailed for an unknown item.
    Status TakeItem(const char* name, int32_t* pItem)
    {
        const int32_t item = m_pBoard->TheHost()->FindItem(name);
        if (item < 0)
            return kStatusFailed;
        *pItem = item;
        return kStatusOk;
    }

    int32_t m_items[2] = {-1, -1};
    uint8_t m_shown[2] = {1, 0};
    float m_span[2] = {1.0f, 1.0f};
    float m_scale[2] = {1.0f, 1.0f};
};

// The token: "char=", "item=", "function_name="; nothing enters it.
class CLabyrintheToken : public CLabyrinthePicture {
public:
    explicit CLabyrintheToken(LabyrinthBoard* pBoard) : CLabyrinthePicture(pBoard, kLabyrinthToken) {}

    Status Parse(char* list) override { return ParseKeys(list, "char=", "item=", nullptr); }
    bool CanEnter(CLabyrintheElement*, bool, uint32_t) const override { return false; }
};

// A sliding block: "char=", "item=", "function_name=", "mode=" (slide_x, slide_y, slide_xy).
// Only the token pushes it, one cell, along an allowed axis, and never while the open
// directions are listed.
class CLabyrintheBlock : public CLabyrinthePicture {
public:
    explicit CLabyrintheBlock(LabyrinthBoard* pBoard) : CLabyrinthePicture(pBoard, kLabyrinthBlock) {}

    Status Parse(char* list) override { return ParseKeys(list, "char=", "item=", nullptr); }
    Status ParseOther(const char* token) override
    {
        const char* mode = TokenValue(token, "mode=");
        if (Is(mode, "slide_x"))
            m_directions = kHorizontal;
        else if (Is(mode, "slide_y"))
            m_directions = kVertical;
        else if (Is(mode, "slide_xy"))
            m_directions = kHorizontal | kVertical;
        return kStatusOk;
    }

    bool CanEnter(CLabyrintheElement* mover, bool listing, uint32_t direction) const override
    {
        return !listing && mover && mover->Kind() == kLabyrinthToken && (m_directions >> direction & 1) &&
               m_pBoard->CanMove(this, direction, false);
    }

    void Entered(CLabyrintheElement* mover, uint32_t direction) override
    {
        if (!mover || mover->Kind() != kLabyrinthToken)
            return;
        m_changeFlags |= kLabyrinthPushed;
        m_pBoard->StepElement(this, direction);
        m_pBoard->StopsHere(this);
    }

    bool SaveLoad(LevelState& state) override
    {
        if (!CLabyrinthePicture::SaveLoad(state))
            return false;
        state.Byte(m_directions);
        return state.Writing() || !state.Ok() || m_directions <= (kHorizontal | kVertical);
    }

private:
    // Direction bits: up 1, down 2, left 4, right 8.
    static constexpr uint8_t kVertical = 1 | 2;
    static constexpr uint8_t kHorizontal = 4 | 8;

    uint8_t m_directions = 0;
};

// A gate: "char_gate=", "item_gate_on=" (its look while closed), "item_gate_off=" (while open).
// Movers enter it while it is open.
class CLabyrintheGate : public CLabyrinthePicture {
public:
    explicit CLabyrintheGate(LabyrinthBoard* pBoard) : CLabyrinthePicture(pBoard, kLabyrinthGate) {}

    Status Parse(char* list) override { return ParseKeys(list, "char_gate=", "item_gate_on=", "item_gate_off="); }

    bool CanEnter(CLabyrintheElement*, bool, uint32_t) const override { return m_open != 0; }

    Status Reset() override
    {
        CLabyrinthePicture::Reset();
        m_open = m_initiallyOpen;
        ShowFirst(!m_open);
        return kStatusOk;
    }

    bool SaveLoad(LevelState& state) override
    {
        if (!CLabyrinthePicture::SaveLoad(state))
            return false;
        state.Byte(m_open).Byte(m_initiallyOpen);
        return state.Writing() || !state.Ok() || (m_open <= 1 && m_initiallyOpen <= 1);
    }

    uint8_t m_open = 0;
    uint8_t m_initiallyOpen = 0;
};

// A switch: "char_switch=", "item_switch_on=", "item_switch_off=", "function_name=", "mode="
// (push; switch_opened or switch_closed, a toggle whose gate starts open or closed). A push
// switch holds its gate open while something stands on it; a toggle switch flips its gate at
// each press of the token.
class CLabyrintheSwitch : public CLabyrinthePicture {
public:
    explicit CLabyrintheSwitch(LabyrinthBoard* pBoard) : CLabyrinthePicture(pBoard, kLabyrinthSwitch) {}

    Status Parse(char* list) override
    {
        return ParseKeys(list, "char_switch=", "item_switch_on=", "item_switch_off=");
    }
    // Another mode is refused.
    Status ParseOther(const char* token) override
    {
        const char* mode = TokenValue(token, "mode=");
        if (!mode)
            return kStatusOk;
        if (!Is(mode, "push") && !Is(mode, "switch_opened") && !Is(mode, "switch_closed"))
            return kStatusFailed;
        m_mode = Is(mode, "push") ? kPush : kToggle;
        m_startsOpen = Is(mode, "switch_opened");
        return kStatusOk;
    }

    bool CanEnter(CLabyrintheElement*, bool, uint32_t) const override { return true; }

    bool StopsMover(CLabyrintheElement* mover) override
    {
        for (const LabyrinthCellRef& cell : m_cells)
            if (!m_pBoard->Holds(cell, mover))
                return false;
        if (m_mode == kToggle && mover->Kind() != kLabyrinthToken)
            return false;
        m_changeFlags |= kLabyrinthPressed;
        return m_mode == kPush;
    }

    // The gate follows a new press and, for a push switch, whether anything still stands on it.
    void Changed() override
    {
        const bool newlyPressed = (m_changeFlags & kLabyrinthPressed) && !(m_seenFlags & kLabyrinthPressed);
        bool occupied = !m_cells.empty();
        for (const LabyrinthCellRef& cell : m_cells)
            occupied = occupied && m_pBoard->HoldsOther(cell, this);
        CLabyrintheGate* gate = Gate();
        if (m_mode == kPush) {
            if (newlyPressed)
                SetGate(gate, true);
            else if (!occupied)
                SetGate(gate, false);
            occupied = occupied || newlyPressed;
        } else if (newlyPressed && gate) {
            SetGate(gate, !gate->m_open);
        }
        m_changeFlags = occupied ? m_changeFlags | kLabyrinthHeld : m_changeFlags & ~kLabyrinthHeld;
    }

    // Whatever leaves lets the switch look again at what stands on it.
    void Left(CLabyrintheElement*) override { m_changeFlags &= ~kLabyrinthHeld; }

    Status Reset() override
    {
        CLabyrinthePicture::Reset();
        if (CLabyrintheGate* gate = Gate())
            ShowFirst(!gate->m_open);
        return kStatusOk;
    }

    bool SaveLoad(LevelState& state) override
    {
        if (!CLabyrinthePicture::SaveLoad(state))
            return false;
        state.Byte(m_mode).Byte(m_startsOpen).Word(m_gate);
        return state.Writing() || !state.Ok() || (m_mode <= kToggle && m_startsOpen <= 1);
    }

    static constexpr uint8_t kPush = 0;
    static constexpr uint8_t kToggle = 1;

    uint8_t m_mode = kPush;
    uint8_t m_startsOpen = 0;
    int32_t m_gate = -1;

    CLabyrintheGate* Gate() const
    {
        const uint32_t count = uint32_t(m_pBoard->m_elements.size());
        if (m_gate < 0 || uint32_t(m_gate) >= count || m_pBoard->m_elements[m_gate]->Kind() != kLabyrinthGate)
            return nullptr;
        return static_cast<CLabyrintheGate*>(m_pBoard->m_elements[m_gate].get());
    }

private:
    // The gate and this switch show their closed looks ("_on") or their open looks ("_off"),
    // and the switch counts as moved so that its function runs.
    void SetGate(CLabyrintheGate* gate, bool open)
    {
        if (gate) {
            gate->m_open = open;
            gate->ShowFirst(!open);
        }
        ShowFirst(!open);
        m_moved = 1;
    }
};

// ---- making them ---------------------------------------------------------------------------------

CLabyrintheElement* LabyrinthBoard::MakeElement(uint32_t kind)
{
    switch (kind) {
    case kLabyrinthToken:
        return new (std::nothrow) CLabyrintheToken(this);
    case kLabyrinthGoal:
    case kLabyrinthWall:
        return new (std::nothrow) CLabyrintheElement(this, kind);
    case kLabyrinthBlock:
        return new (std::nothrow) CLabyrintheBlock(this);
    case kLabyrinthGate:
        return new (std::nothrow) CLabyrintheGate(this);
    case kLabyrinthSwitch:
        return new (std::nothrow) CLabyrintheSwitch(this);
    default:
        return nullptr;
    }
}

Status LabyrinthBoard::AddSwitchAndGate(char* list)
{
    int32_t gate = -1, lever = -1;
    Status status = AddElement(kLabyrinthGate, list, &gate);
    if (status != kStatusDoneStoreResult)
        return status;
    status = AddElement(kLabyrinthSwitch, list, &lever);
    if (status != kStatusDoneStoreResult) {
        m_elements.pop_back();
        return status;
    }
    auto* pSwitch = static_cast<CLabyrintheSwitch*>(m_elements[lever].get());
    auto* pGate = static_cast<CLabyrintheGate*>(m_elements[gate].get());
    pSwitch->m_gate = gate;
    pGate->m_initiallyOpen = pSwitch->m_startsOpen;
    return kStatusDoneStoreResult;
}

bool LabyrinthBoard::ElementFits(const CLabyrintheElement& element, uint32_t elementCount) const
{
    if (element.Kind() == kLabyrinthGoal || element.Kind() == kLabyrinthWall)
        return true;
    if (!static_cast<const CLabyrinthePicture&>(element).ItemsFit(elementCount))
        return false;
    return element.Kind() != kLabyrinthSwitch || static_cast<const CLabyrintheSwitch&>(element).Gate();
}

bool LabyrinthBoard::PicturePlace(const CLabyrintheElement& element, float* pX, float* pY) const
{
    if (element.Kind() == kLabyrinthGoal || element.Kind() == kLabyrinthWall)
        return false;
    static_cast<const CLabyrinthePicture&>(element).Place(pX, pY);
    return true;
}
