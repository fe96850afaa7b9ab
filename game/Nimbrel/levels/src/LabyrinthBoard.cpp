// The labyrinth board's rules: the words that build the maze, "reset", the token's slide and
// its stops, the pushes and presses on the way, the input directions, the saved fields and
// the text form.
#include "NimbrelLevels/LabyrinthBoard.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "NimbrelLevels/LevelValues.h"

namespace {

constexpr int32_t kStep[kLabyrinthDirections][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
// A swipe shorter than this on both axes is no swipe.
constexpr float kShortestSwipe = 2.0f;
// Rows of the text form: the characters of the kinds drawn over the others come first.
constexpr uint32_t kPrintOrder[] = {kLabyrinthToken, kLabyrinthBlock, kLabyrinthGate, kLabyrinthSwitch,
                                    kLabyrinthGoal, kLabyrinthWall};

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }
uint32_t Bit(uint32_t direction) { return 1u << direction; }
uint32_t Opposite(uint32_t direction) { return direction ^ 1u; }
bool SizeFits(float size) { return std::isfinite(size) && size >= 0.0f; }

}  // namespace

LabyrinthBoard::~LabyrinthBoard() = default;

void LabyrinthBoard::Clear()
{
    m_maze = m_reset = -1;
    m_cellSize[0] = m_cellSize[1] = m_halfCell[0] = m_halfCell[1] = 0.0f;
    m_reserved = 0;
    const Arrow arrows[kLabyrinthDirections] = {{0, 1, 2, -1}, {0, 2, 1, -1}, {0, 4, 8, -1}, {0, 8, 4, -1}};
    std::memcpy(m_arrows, arrows, sizeof m_arrows);
    m_columns = m_rows = m_rowsGiven = 0;
    m_characters.clear();
    m_occupancy.clear();
    m_elements.clear();
    m_token = m_goal = -1;
    m_moving = m_solved = m_flashlight = m_gestures = 0;
    m_unfit = false;
}

void LabyrinthBoard::StopMove()
{
    m_moving = 0;
    for (auto& element : m_elements)
        element->m_pending[0] = element->m_pending[1] = 0.0f;
}

// ---- words ---------------------------------------------------------------------------------------

int32_t* LabyrinthBoard::ItemWord(const char* name)
{
    const struct {
        const char* word;
        int32_t* reference;
    } words[] = {
        {"labyrinthe_item_name", &m_maze},
        {"labyrinthe_register_arrow_up", &m_arrows[kLabyrinthUp].item},
        {"labyrinthe_register_arrow_down", &m_arrows[kLabyrinthDown].item},
        {"labyrinthe_register_arrow_left", &m_arrows[kLabyrinthLeft].item},
        {"labyrinthe_register_arrow_right", &m_arrows[kLabyrinthRight].item},
        {"labyrinthe_register_arrow_reset", &m_reset},
    };
    for (const auto& w : words)
        if (Is(name, w.word))
            return w.reference;
    return nullptr;
}

void LabyrinthBoard::SetItem(int32_t* pReference, int32_t element) { *pReference = element; }

Status LabyrinthBoard::Word(const char* name, char* value)
{
    if (Is(name, "labyrinthe_add_col_row"))
        return SizeGrids(value);
    if (Is(name, "labyrinthe_add_row"))
        return AddRow(value);
    if (Is(name, "labyrinthe_enable_gestures")) {
        if (Is(value, "on") || Is(value, "off"))
            m_gestures = Is(value, "on");
        return kStatusDoneStoreResult;
    }
    int32_t index = -1;
    if (Is(name, "labyrinthe_register_token") || Is(name, "labyrinthe_register_goal")) {
        const bool token = Is(name, "labyrinthe_register_token");
        int32_t& reference = token ? m_token : m_goal;
        if (reference >= 0) {
            NoTrace("%s: the maze has one already", name);
            return kStatusFailed;
        }
        const Status status = AddElement(token ? kLabyrinthToken : kLabyrinthGoal, value, &index);
        if (status == kStatusDoneStoreResult)
            reference = index;
        return status;
    }
    if (Is(name, "labyrinthe_register_wall"))
        return AddElement(kLabyrinthWall, value, &index);
    if (Is(name, "labyrinthe_register_sliding_block"))
        return AddElement(kLabyrinthBlock, value, &index);
    if (Is(name, "labyrinthe_register_switch_and_gate"))
        return AddSwitchAndGate(value);
    return kStatusDoneStoreResult;
}

Status LabyrinthBoard::AddElement(uint32_t kind, char* list, int32_t* pIndex)
{
    std::unique_ptr<CLabyrintheElement> element(MakeElement(kind));
    if (!element)
        return kStatusOutOfMemory;
    if (Failed(element->Parse(list))) {
        NoTrace("labyrinth: the element's list \"%s\" is refused", list);
        return kStatusFailed;
    }
    *pIndex = int32_t(m_elements.size());
    m_elements.push_back(std::move(element));
    return kStatusDoneStoreResult;
}

// Both sides from 1 to 255: a side of 0 gave no cell size, and larger ones overflowed the
// grids' byte counts.
Status LabyrinthBoard::SizeGrids(const char* value)
{
    const RowCol size = ParseRowCol(value, "%dx%d");
    if (size.first < 1 || size.first > kLabyrinthMaxSide || size.second < 1 || size.second > kLabyrinthMaxSide) {
        NoTrace("labyrinthe_add_col_row: %s is no size of 1 to 255 columns and rows", value);
        return kStatusFailed;
    }
    m_columns = uint32_t(size.first);
    m_rows = uint32_t(size.second);
    m_rowsGiven = 0;
    m_characters.assign(size_t(m_columns) * m_rows, CharacterCell{0, -1});
    m_occupancy.assign(size_t(m_columns) * m_rows * kLabyrinthPlaces, -1);
    // What was placed on the old grids is gone until the next "reset".
    for (auto& element : m_elements)
        element->m_cells.clear();
    m_cellSize[0] = m_cellSize[1] = m_halfCell[0] = m_halfCell[1] = 0.0f;
    return kStatusDoneStoreResult;
}

Status LabyrinthBoard::AddRow(const char* row)
{
    if (m_rowsGiven >= m_rows) {
        NoTrace("labyrinthe_add_row: more rows than the %u given", m_rows);
        return kStatusFailed;
    }
    uint32_t length = 0;
    for (const char* c = row; *c; ++c)
        length += *c != ' ' && *c != '\t';
    if (length > m_columns) {
        NoTrace("labyrinthe_add_row: \"%s\" is longer than the %u columns", row, m_columns);
        return kStatusFailed;
    }
    CharacterCell* cell = &m_characters[size_t(m_rowsGiven) * m_columns];
    for (const char* c = row; *c; ++c) {
        if (*c == ' ' || *c == '\t')
            continue;
        cell->character = uint8_t(*c);
        cell->element = -1;
        for (int32_t e = int32_t(m_elements.size()) - 1; e >= 0 && cell->element < 0; --e)
            if (m_elements[e]->m_character == cell->character)
                cell->element = e;
        ++cell;
    }
    ++m_rowsGiven;
    return kStatusDoneStoreResult;
}

Status LabyrinthBoard::CheckSetup() const
{
    if (m_maze < 0 || m_reset < 0)
        return kStatusFailed;
    for (const Arrow& arrow : m_arrows)
        if (arrow.item < 0)
            return kStatusFailed;
    return kStatusOk;
}

// ---- reset -----------------------------------------------------------------------------------------

Status LabyrinthBoard::Deal()
{
    float width = 0.0f, height = 0.0f;
    if (m_columns == 0 || m_maze < 0 || !m_pHost->ItemSize(m_maze, &width, &height))
        return kStatusFailed;
    m_cellSize[0] = width / float(m_columns);
    m_cellSize[1] = height / float(m_rows);
    m_halfCell[0] = m_cellSize[0] * 0.5f;
    m_halfCell[1] = m_cellSize[1] * 0.5f;
    m_solved = m_moving = 0;
    for (auto& element : m_elements)
        element->m_cells.clear();
    std::fill(m_occupancy.begin(), m_occupancy.end(), -1);
    for (int32_t row = 0; row < int32_t(m_rows); ++row)
        for (int32_t column = 0; column < int32_t(m_columns); ++column) {
            const int32_t e = m_characters[size_t(row) * m_columns + column].element;
            if (e < 0)
                continue;
            Places(column, row)[0] = e;
            if (m_elements[e]->m_kind != kLabyrinthWall)
                m_elements[e]->m_cells.push_back({column, row});
        }
    Status status = kStatusOk;
    for (auto& element : m_elements) {
        LabyrinthCellRef anchor = element->m_cells.empty() ? LabyrinthCellRef{0, 0} : element->m_cells[0];
        for (const LabyrinthCellRef& cell : element->m_cells) {
            anchor.column = cell.column < anchor.column ? cell.column : anchor.column;
            anchor.row = cell.row < anchor.row ? cell.row : anchor.row;
        }
        element->m_anchor = anchor;
        if (Failed(element->Reset()))
            status = kStatusFailed;
    }
    RefreshArrows();
    return status;
}

// ---- cells -------------------------------------------------------------------------------------------

bool LabyrinthBoard::Inside(int32_t column, int32_t row) const
{
    return column >= 0 && row >= 0 && uint32_t(column) < m_columns && uint32_t(row) < m_rows;
}

int32_t* LabyrinthBoard::Places(int32_t column, int32_t row)
{
    return &m_occupancy[(size_t(row) * m_columns + column) * kLabyrinthPlaces];
}

const int32_t* LabyrinthBoard::Occupants(int32_t column, int32_t row) const
{
    return Inside(column, row) ? &m_occupancy[(size_t(row) * m_columns + column) * kLabyrinthPlaces] : nullptr;
}

int32_t LabyrinthBoard::IndexOf(const CLabyrintheElement* element) const
{
    for (size_t e = 0; e < m_elements.size(); ++e)
        if (m_elements[e].get() == element)
            return int32_t(e);
    return -1;
}

bool LabyrinthBoard::Holds(LabyrinthCellRef cell, const CLabyrintheElement* element) const
{
    const int32_t* places = Occupants(cell.column, cell.row);
    const int32_t index = IndexOf(element);
    for (uint32_t k = 0; places && index >= 0 && k < kLabyrinthPlaces; ++k)
        if (places[k] == index)
            return true;
    return false;
}

bool LabyrinthBoard::HoldsOther(LabyrinthCellRef cell, const CLabyrintheElement* element) const
{
    const int32_t* places = Occupants(cell.column, cell.row);
    const int32_t index = IndexOf(element);
    for (uint32_t k = 0; places && k < kLabyrinthPlaces; ++k)
        if (places[k] >= 0 && places[k] != index)
            return true;
    return false;
}

// ---- moves -----------------------------------------------------------------------------------------

bool LabyrinthBoard::CanMove(const CLabyrintheElement* mover, uint32_t direction, bool listing) const
{
    if (m_solved || !mover || direction >= kLabyrinthDirections)
        return false;
    for (const LabyrinthCellRef& cell : mover->m_cells) {
        const int32_t column = cell.column + kStep[direction][0], row = cell.row + kStep[direction][1];
        const int32_t* places = Occupants(column, row);
        if (!places)
            return false;
        // A full cell takes nobody more: its three places are all another element's.
        bool room = false;
        for (uint32_t k = 0; k < kLabyrinthPlaces; ++k) {
            if (places[k] < 0) {
                room = true;
                continue;
            }
            CLabyrintheElement* other = m_elements[places[k]].get();
            if (other->m_character == mover->m_character) {
                room = true;
                continue;
            }
            if (other->m_kind == kLabyrinthWall ||
                !other->CanEnter(const_cast<CLabyrintheElement*>(mover), listing, direction))
                return false;
        }
        if (!room)
            return false;
    }
    return true;
}

void LabyrinthBoard::StepElement(CLabyrintheElement* mover, uint32_t direction)
{
    const int32_t index = IndexOf(mover);
    const std::vector<LabyrinthCellRef> old = mover->m_cells;
    for (const LabyrinthCellRef& cell : old) {
        int32_t* places = Places(cell.column, cell.row);
        for (uint32_t k = 0; k < kLabyrinthPlaces; ++k)
            if (places[k] == index) {
                places[k] = -1;
                break;
            }
    }
    for (const LabyrinthCellRef& cell : old) {
        int32_t left[kLabyrinthPlaces];
        std::memcpy(left, Places(cell.column, cell.row), sizeof left);
        for (int32_t e : left)
            if (e >= 0 && m_elements[e]->m_character != mover->m_character)
                m_elements[e]->Left(mover);
    }
    for (LabyrinthCellRef& cell : mover->m_cells) {
        cell.column += kStep[direction][0];
        cell.row += kStep[direction][1];
    }
    // An element placed nowhere has no anchor to move, and nothing slides on screen.
    if (!old.empty()) {
        mover->m_anchor.column += kStep[direction][0];
        mover->m_anchor.row += kStep[direction][1];
        mover->m_pending[0] += float(kStep[direction][0]);
        mover->m_pending[1] += float(kStep[direction][1]);
    }
    mover->m_moved = 1;
    for (const LabyrinthCellRef& cell : mover->m_cells) {
        int32_t* places = Places(cell.column, cell.row);
        for (uint32_t k = 0; k < kLabyrinthPlaces; ++k)
            if (places[k] < 0) {
                places[k] = index;
                break;
            }
    }
    for (const LabyrinthCellRef& cell : mover->m_cells) {
        // A pushed block leaves the cell while its occupants are told: walk a copy.
        int32_t entered[kLabyrinthPlaces];
        std::memcpy(entered, Places(cell.column, cell.row), sizeof entered);
        for (int32_t e : entered)
            if (e >= 0 && m_elements[e]->m_character != mover->m_character)
                m_elements[e]->Entered(mover, direction);
    }
}

bool LabyrinthBoard::StopsHere(CLabyrintheElement* mover)
{
    bool stops = false;
    for (const LabyrinthCellRef& cell : mover->m_cells) {
        int32_t here[kLabyrinthPlaces];
        std::memcpy(here, Places(cell.column, cell.row), sizeof here);
        // Every element is asked, so that each switch under the mover is pressed.
        for (int32_t e : here)
            if (e >= 0 && m_elements[e]->m_character != mover->m_character && m_elements[e]->StopsMover(mover))
                stops = true;
    }
    return stops;
}

// Beside the token's box, in the lines along its way: more than one sliding block in one line
// stops it, exactly one lets it go on; with none there, a block at a diagonal of the box's
// corners stops it. Blocks are counted, not their cells: a block of two cells beside the box
// is one block.
bool LabyrinthBoard::StopsBesideBlocks(uint32_t direction) const
{
    const CLabyrintheElement* token = Token();
    if (!token || token->m_cells.empty())
        return false;
    LabyrinthCellRef low = token->m_cells[0], high = low;
    for (const LabyrinthCellRef& cell : token->m_cells) {
        low = {cell.column < low.column ? cell.column : low.column, cell.row < low.row ? cell.row : low.row};
        high = {cell.column > high.column ? cell.column : high.column, cell.row > high.row ? cell.row : high.row};
    }
    // The blocks standing in a cell join those of its line.
    auto addBlocks = [this](int32_t column, int32_t row, std::vector<int32_t>& blocks) {
        const int32_t* places = Occupants(column, row);
        for (uint32_t k = 0; places && k < kLabyrinthPlaces; ++k)
            if (places[k] >= 0 && m_elements[places[k]]->m_kind == kLabyrinthBlock &&
                std::find(blocks.begin(), blocks.end(), places[k]) == blocks.end())
                blocks.push_back(places[k]);
    };
    std::vector<int32_t> before, after;
    if (direction == kLabyrinthUp || direction == kLabyrinthDown) {
        for (int32_t row = low.row; row <= high.row; ++row) {
            addBlocks(low.column - 1, row, before);
            addBlocks(high.column + 1, row, after);
        }
    } else {
        for (int32_t column = low.column; column <= high.column; ++column) {
            addBlocks(column, low.row - 1, before);
            addBlocks(column, high.row + 1, after);
        }
    }
    if (before.size() > 1 || after.size() > 1)
        return true;
    if (before.size() == 1 || after.size() == 1)
        return false;
    std::vector<int32_t> corners;
    addBlocks(low.column - 1, low.row - 1, corners);
    addBlocks(high.column + 1, low.row - 1, corners);
    addBlocks(low.column - 1, high.row + 1, corners);
    addBlocks(high.column + 1, high.row + 1, corners);
    return !corners.empty();
}

uint32_t LabyrinthBoard::OpenDirections() const
{
    uint32_t open = 0;
    for (uint32_t d = 0; d < kLabyrinthDirections; ++d)
        if (CanMove(Token(), d, true))
            open |= Bit(d);
    return open;
}

void LabyrinthBoard::RunChanged()
{
    for (auto& element : m_elements)
        if (element->m_changeFlags != element->m_seenFlags) {
            element->Changed();
            element->m_seenFlags = element->m_changeFlags;
        }
}

void LabyrinthBoard::ClearMoveFlags()
{
    for (auto& element : m_elements) {
        element->m_pending[0] = element->m_pending[1] = 0.0f;
        element->m_moved = 0;
        element->m_changeFlags = 0;
    }
}

bool LabyrinthBoard::OnGoal() const
{
    const CLabyrintheElement* token = Token();
    if (!token)
        return false;
    const CLabyrintheElement* goal = m_goal >= 0 ? m_elements[m_goal].get() : nullptr;
    for (const LabyrinthCellRef& cell : token->m_cells)
        if (!goal || !Holds(cell, goal))
            return false;
    return true;
}

Status LabyrinthBoard::Move(uint32_t direction)
{
    CLabyrintheElement* token = m_token >= 0 ? m_elements[m_token].get() : nullptr;
    // A token that cannot go this way does not move at all (a push is a move the listing of
    // the open directions leaves out).
    if (!CanMove(token, direction, false))
        return kStatusFailed;
    ClearMoveFlags();
    uint32_t open = OpenDirections();
    const uint32_t straight = Bit(direction) | Bit(Opposite(direction));
    for (;;) {
        StepElement(token, direction);
        m_moving = 1;
        if (OnGoal()) {
            m_solved = 1;
            break;
        }
        if (StopsHere(token) || StopsBesideBlocks(direction))
            break;
        RunChanged();
        const uint32_t now = OpenDirections();
        if (!(now & Bit(direction)) || (now & ~open & ~straight))
            break;
        open = now;
    }
    RunChanged();
    Status status = kStatusOk;
    for (auto& element : m_elements) {
        if (!element->m_moved || !element->Function())
            continue;
        const char text[2] = {char(element->m_character), '\0'};
        if (Failed(m_pHost->CallElementFunction(element->Function(), text)))
            status = kStatusFailed;
    }
    RefreshArrows();
    return status;
}

bool LabyrinthBoard::Press(uint32_t direction)
{
    if (!InPlay() || m_moving || !CanMove(Token(), direction, false))
        return false;
    Move(direction);
    return true;
}

int32_t LabyrinthBoard::SwipeDirection(float dx, float dy)
{
    if (std::fabs(dx) < kShortestSwipe && std::fabs(dy) < kShortestSwipe)
        return -1;
    if (std::fabs(dy) >= std::fabs(dx))
        return dy < 0.0f ? kLabyrinthUp : kLabyrinthDown;
    return dx < 0.0f ? kLabyrinthLeft : kLabyrinthRight;
}

int32_t LabyrinthBoard::KeyDirection(const uint8_t* upRightDownLeft)
{
    const uint32_t order[kLabyrinthDirections][2] = {
        {0, kLabyrinthUp}, {2, kLabyrinthDown}, {3, kLabyrinthLeft}, {1, kLabyrinthRight}};
    for (const auto& key : order)
        if (upRightDownLeft[key[0]])
            return int32_t(key[1]);
    return -1;
}

int32_t LabyrinthBoard::ArrowDirection(int32_t item) const
{
    for (uint32_t d = 0; item >= 0 && d < kLabyrinthDirections; ++d)
        if (m_arrows[d].item == item)
            return int32_t(d);
    return -1;
}

void LabyrinthBoard::RefreshArrows()
{
    for (uint32_t d = 0; d < kLabyrinthDirections; ++d) {
        m_arrows[d].enabled = CanMove(Token(), d, false);
        if (m_arrows[d].item >= 0)
            m_pHost->ShowArrow(m_arrows[d].item, m_arrows[d].enabled != 0);
    }
}

void LabyrinthBoard::Step(float frameStep)
{
    for (auto& element : m_elements)
        element->Step(frameStep);
    const CLabyrintheElement* token = Token();
    if (!m_moving || (token && token->MovingOnScreen()))
        return;
    m_moving = 0;
    if (m_solved)
        m_pHost->BoardFinished(1);
}

// ---- drawing -----------------------------------------------------------------------------------------

void LabyrinthBoard::Draw(LabyrinthPainter& painter) const
{
    if (!IsDealt())
        return;
    for (const auto& element : m_elements)
        element->Draw(painter);
}

bool LabyrinthBoard::TokenPlace(float* pX, float* pY) const
{
    const CLabyrintheElement* token = Token();
    return token && IsDealt() && PicturePlace(*token, pX, pY);
}

// ---- saved fields ------------------------------------------------------------------------------------

void LabyrinthBoard::StateFields(LevelState& state)
{
    const bool reading = !state.Writing();
    state.Byte(m_flashlight).Byte(m_gestures).Word(m_reset).Word(m_maze);
    state.Word(m_cellSize[0]).Word(m_cellSize[1]).Word(m_halfCell[0]).Word(m_halfCell[1]).Word(m_reserved);
    for (Arrow& arrow : m_arrows)
        state.Byte(arrow.enabled).Byte(arrow.bit).Byte(arrow.oppositeBit).Word(arrow.item);
    state.Word(m_columns).Word(m_rows);
    if (reading) {
        if (!state.Ok())
            return;
        // Grid sizes are checked before anything is sized by them.
        if (m_columns > uint32_t(kLabyrinthMaxSide) || m_rows > uint32_t(kLabyrinthMaxSide) ||
            (m_columns == 0) != (m_rows == 0)) {
            m_unfit = true;
            return;
        }
        m_characters.assign(size_t(m_columns) * m_rows, CharacterCell{0, -1});
        m_occupancy.assign(size_t(m_columns) * m_rows * kLabyrinthPlaces, -1);
    }
    for (CharacterCell& cell : m_characters)
        state.Byte(cell.character).Word(cell.element);
    uint32_t cells = m_columns * m_rows;
    state.Word(cells);
    if (reading && state.Ok() && cells != m_columns * m_rows) {
        m_unfit = true;
        return;
    }
    state.Words(m_occupancy.data(), uint32_t(m_occupancy.size()));
    state.Word(m_rowsGiven);
    uint32_t count = uint32_t(m_elements.size());
    state.Word(count);
    // Elements are made one at a time as they are read: a count larger than the state holds
    // ends at its first missing field.
    for (uint32_t e = 0; e < count && state.Ok(); ++e) {
        uint32_t kind = reading ? 0 : m_elements[e]->m_kind;
        state.Word(kind);
        if (reading) {
            if (!state.Ok())
                return;
            CLabyrintheElement* element = MakeElement(kind);
            if (!element) {
                m_unfit = true;
                return;
            }
            m_elements.emplace_back(element);
        }
        if (!m_elements[e]->SaveLoad(state)) {
            m_unfit = true;
            return;
        }
    }
    state.Word(m_token).Word(m_goal);
    // Neither flag is saved: a board read back mid-slide runs its slide out, and one whose token
    // already stands on the goal finishes when it comes to rest instead of playing on past it.
    if (reading && state.Ok() && m_token >= -1 && m_token < int32_t(m_elements.size()) && m_goal >= -1 &&
        m_goal < int32_t(m_elements.size())) {
        const CLabyrintheElement* token = Token();
        m_moving = token && token->MovingOnScreen();
        m_solved = IsDealt() && token && OnGoal();
    }
}

bool LabyrinthBoard::GridsFit() const
{
    const int32_t elements = int32_t(m_elements.size());
    if (m_rowsGiven > m_rows)
        return false;
    for (const CharacterCell& cell : m_characters)
        if (cell.element < -1 || cell.element >= elements)
            return false;
    for (int32_t e : m_occupancy)
        if (e < -1 || e >= elements)
            return false;
    return true;
}

bool LabyrinthBoard::Fits(uint32_t elementCount) const
{
    if (m_unfit || m_flashlight > 1 || m_gestures > 1 || m_moving > 1 || m_solved > 1)
        return false;
    auto item = [elementCount](int32_t reference) {
        return reference == -1 || (reference >= 0 && uint32_t(reference) < elementCount);
    };
    if (!item(m_maze) || !item(m_reset))
        return false;
    const Arrow fresh[kLabyrinthDirections] = {{0, 1, 2, -1}, {0, 2, 1, -1}, {0, 4, 8, -1}, {0, 8, 4, -1}};
    for (uint32_t d = 0; d < kLabyrinthDirections; ++d) {
        const Arrow& arrow = m_arrows[d];
        if (arrow.enabled > 1 || arrow.bit != fresh[d].bit || arrow.oppositeBit != fresh[d].oppositeBit ||
            !item(arrow.item))
            return false;
    }
    for (const float size : {m_cellSize[0], m_cellSize[1], m_halfCell[0], m_halfCell[1]})
        if (!SizeFits(size))
            return false;
    if (m_characters.size() != size_t(m_columns) * m_rows || !GridsFit())
        return false;
    const int32_t elements = int32_t(m_elements.size());
    if (m_token < -1 || m_token >= elements || (m_token >= 0 && m_elements[m_token]->m_kind != kLabyrinthToken))
        return false;
    if (m_goal < -1 || m_goal >= elements || (m_goal >= 0 && m_elements[m_goal]->m_kind != kLabyrinthGoal))
        return false;
    for (const auto& element : m_elements)
        if (!ElementFits(*element, elementCount))
            return false;
    return true;
}

// ---- text form ---------------------------------------------------------------------------------------

uint32_t LabyrinthBoard::Print(char* out, uint32_t capacity) const
{
    if (!capacity)
        return 0;
    std::string text;
    if (!IsDealt()) {
        text = "labyrinth not set";
    } else {
        for (int32_t row = 0; row < int32_t(m_rows); ++row) {
            if (row)
                text += '\n';
            for (int32_t column = 0; column < int32_t(m_columns); ++column) {
                const int32_t* places = Occupants(column, row);
                char shown = '.';
                for (uint32_t kind : kPrintOrder) {
                    for (uint32_t k = 0; k < kLabyrinthPlaces && shown == '.'; ++k)
                        if (places[k] >= 0 && m_elements[places[k]]->m_kind == kind)
                            shown = char(m_elements[places[k]]->m_character);
                    if (shown != '.')
                        break;
                }
                text += shown;
            }
        }
    }
    const size_t length = text.size() < capacity - 1 ? text.size() : capacity - 1;
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
    return uint32_t(length);
}
