// The picture grid board's rules: the switch words, the shuffle, presses, drags, releases and
// clicks on the cells, the moves and their animation, the win test, the saved board.
#include "NimbrelLevels/PictureGridBoard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "NimbrelLevels/LevelState.h"
#include "NimbrelLevels/LevelValues.h"

namespace {

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

// A grid side: cut to 8 bits, at least 2.
uint8_t Side(int32_t value)
{
    const uint8_t side = uint8_t(value);
    return side < 2 ? 2 : side;
}

}  // namespace

void PictureGridBoard::Clear()
{
    m_play = -1;
    m_type = kGridTypeNone;
    m_columns = m_rows = 0;
    m_excluded = -1;
    m_flags = 0;
    m_randomCount = 0;
    m_selectedColor = 0xFFFFFFFFu;
    m_cellSize[0] = m_cellSize[1] = 0.0f;
    m_origin[0] = m_origin[1] = 0.0f;
    m_unfit = false;
    ResetRun();
}

void PictureGridBoard::ResetRun()
{
    m_links.clear();
    m_linkCount = 0;
    m_linkLists = 0;
    m_cells.clear();
    m_selected = m_savedSelection = kGridNoCell;
    StopMove();
}

void PictureGridBoard::StopMove()
{
    m_animation = kGridIdle;
    m_a = m_b = kGridNoIndex;
    m_progress = 0.0f;
    std::memset(m_returnOffset, 0, sizeof m_returnOffset);
    ClearPointer();
}

void PictureGridBoard::ClearPointer()
{
    m_press[0] = m_press[1] = m_drag[0] = m_drag[1] = -1;
    std::memset(m_dragOffset, 0, sizeof m_dragOffset);
    m_largest = 0.0f;
}

// ---- words -------------------------------------------------------------------------------------

int32_t* PictureGridBoard::ItemWord(const char* name) { return Is(name, "switch_game_play") ? &m_play : nullptr; }

Status PictureGridBoard::Word(const char* name, char* value)
{
    if (!value)
        return kStatusDoneStoreResult;
    if (Is(name, "switch_game_type"))
        return GameType(value);
    if (Is(name, "switch_row_col"))
        return Grid(value);
    if (Is(name, "switch_selected_color"))
        m_selectedColor = ParseColor(value, 0xFFFFFFFFu);
    else if (Is(name, "switch_random_count"))
        m_randomCount = uint8_t(std::max(1, TokenInt(value)));
    else if (Is(name, "switch_link_count"))
        return LinkCount(value);
    else if (Is(name, "switch_link_list"))
        return LinkList(value);
    return kStatusDoneStoreResult;
}

Status PictureGridBoard::GameType(char* value)
{
    bool first = true;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next()) {
        const bool isSwitch = Is(token, "switch"), isRotate = Is(token, "rotate");
        if (!isSwitch && !isRotate)
            continue;
        m_flags |= isSwitch ? kGridFlagSwitch : kGridFlagRotate;
        if (first)
            m_type = isSwitch ? kGridTypeSwitch : kGridTypeRotate;
        first = false;
    }
    return kStatusDoneStoreResult;
}

Status PictureGridBoard::Grid(const char* value)
{
    const RowCol grid = ParseRowCol(value, "%dx%d");
    m_columns = Side(grid.first);
    m_rows = Side(grid.second);
    // The link table and the board were sized by the old grid.
    m_links.clear();
    m_linkCount = 0;
    m_linkLists = 0;
    m_cells.clear();
    m_selected = kGridNoCell;
    StopMove();
    return kStatusDoneStoreResult;
}

Status PictureGridBoard::LinkCount(const char* value)
{
    m_linkCount = uint8_t(std::max(1, TokenInt(value)));
    m_linkLists = 0;
    m_links.assign(size_t(m_linkCount) * CellCount(), 0);
    return kStatusDoneStoreResult;
}

Status PictureGridBoard::LinkList(char* value)
{
    const uint32_t n = CellCount();
    if (m_linkLists >= m_linkCount || n == 0) {
        NoTrace("switch_link_list: no room for list %u", m_linkLists + 1);
        return kStatusFailed;
    }
    std::vector<uint32_t> cells;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next()) {
        const long number = std::atol(token);
        if (number < 1 || uint64_t(number) > n) {
            NoTrace("switch_link_list: cell %ld outside the grid", number);
            return kStatusFailed;
        }
        cells.push_back(uint32_t(number - 1));
    }
    for (uint32_t cell : cells)
        m_links[size_t(m_linkLists) * n + cell] = 1;
    ++m_linkLists;
    return kStatusDoneStoreResult;
}

// ---- the setup and the shuffle -----------------------------------------------------------------

Status PictureGridBoard::CheckSetup()
{
    float bounds[4];
    if (m_play < 0 || m_flags == 0 || m_columns == 0 || !m_pHost->ItemBounds(m_play, bounds))
        return kStatusFailed;
    m_origin[0] = std::fmin(bounds[0], bounds[2]);
    m_origin[1] = std::fmin(bounds[1], bounds[3]);
    m_cellSize[0] = std::fabs(bounds[2] - bounds[0]) / float(m_columns);
    m_cellSize[1] = std::fabs(bounds[3] - bounds[1]) / float(m_rows);
    return kStatusOk;
}

uint32_t PictureGridBoard::Pick(uint32_t n) { return uint32_t(uint64_t(m_pHost->NextRandom()) * n >> 32); }

bool PictureGridBoard::Linked(uint32_t a, uint32_t b) const
{
    const uint32_t n = CellCount();
    if (a >= n || b >= n)
        return false;
    for (size_t list = 0; list < m_linkCount && (list + 1) * n <= m_links.size(); ++list)
        if (m_links[list * n + a] && m_links[list * n + b])
            return true;
    return false;
}

uint32_t PictureGridBoard::LinkedPairs() const
{
    // A list of three cells holds three pairs; lists of two hold one each, maybe the same.
    const uint32_t n = CellCount();
    int64_t pair[2] = {-1, -1};
    uint32_t pairs = 0;
    for (size_t list = 0; list < m_linkCount && (list + 1) * n <= m_links.size(); ++list) {
        uint32_t members[3], count = 0;
        for (uint32_t c = 0; c < n && count < 3; ++c)
            if (m_links[list * n + c])
                members[count++] = c;
        if (count == 3)
            return 2;
        if (count < 2)
            continue;
        const int64_t key = int64_t(members[0]) * n + members[1];
        if (pairs == 0 || key != pair[0])
            pair[pairs++] = key;
        if (pairs == 2)
            return 2;
    }
    return pairs;
}

bool PictureGridBoard::RandomExchange()
{
    const uint32_t n = CellCount();
    for (uint32_t draw = 0; draw < kGridPairDraws; ++draw) {
        const uint32_t a = Pick(n);
        uint32_t b = Pick(n);
        for (; b == a && draw < kGridPairDraws; ++draw)
            b = Pick(n);
        if (a != b && Linked(a, b)) {
            std::swap(m_cells[a], m_cells[b]);
            return true;
        }
    }
    return false;
}

Status PictureGridBoard::Deal()
{
    const uint32_t n = CellCount();
    // Only the game type's own moves shuffle, so that the player can undo each of them.
    const bool exchanges = m_type == kGridTypeSwitch && (m_flags & kGridFlagSwitch);
    const bool turns = m_type == kGridTypeRotate && (m_flags & kGridFlagRotate);
    if (Failed(CheckSetup()) || m_randomCount == 0 || (!exchanges && !turns))
        return kStatusFailed;
    if (exchanges) {
        const uint32_t pairs = LinkedPairs();
        // One pair only: an even count of exchanges always ends where it began.
        if (pairs == 0 || (pairs == 1 && m_randomCount % 2 == 0)) {
            NoTrace("# CObjectsLevelSwitch::PrepareSwitchDatas error unitialised link_list !!!\n");
            return kStatusFailed;
        }
    }
    m_selected = m_savedSelection = kGridNoCell;
    ClearPointer();
    m_cells.resize(n);
    for (uint32_t i = 0; i < n; ++i)
        m_cells[i] = {uint16_t(i), 0, 0};
    for (uint32_t tries = 0; IsWon(); ++tries) {
        if (tries == kGridShuffleTries)
            return kStatusFailed;
        for (uint32_t move = 0; move < m_randomCount; ++move) {
            // One of three, until it is a move of the game type.
            uint32_t k = Pick(3), draws = 0;
            while (k != (exchanges ? 1u : 2u) && ++draws < kGridPairDraws)
                k = Pick(3);
            if (k != (exchanges ? 1u : 2u))
                return kStatusFailed;
            if (exchanges && !RandomExchange())
                return kStatusFailed;
            if (turns) {
                PictureGridCell& cell = m_cells[Pick(n)];
                cell.turn = uint8_t((cell.turn + 1) & 3);
            }
        }
    }
    m_animation = kGridIdle;
    m_a = m_b = kGridNoIndex;
    m_progress = 0.0f;
    return kStatusOk;
}

// ---- moves and the win test ----------------------------------------------------------------------

void PictureGridBoard::Exchange(uint32_t a, uint32_t b, PictureGridAnimation kind)
{
    if (kind != kGridGoingBack)
        std::swap(m_cells[a], m_cells[b]);
    m_animation = kind;
    m_a = a;
    m_b = b;
    m_progress = 0.0f;
}

void PictureGridBoard::QuarterTurn(uint32_t cell)
{
    m_cells[cell].turn = uint8_t((m_cells[cell].turn + 1) & 3);
    m_animation = kGridQuarterTurn;
    m_a = cell;
    m_b = kGridNoIndex;
    m_progress = 0.0f;
}

bool PictureGridBoard::IsWon() const
{
    for (uint32_t i = 0; i < m_cells.size(); ++i)
        if (int32_t(i) != m_excluded && (m_cells[i].piece != i || m_cells[i].turn != 0))
            return false;
    return true;
}

void PictureGridBoard::Step(float frameStep)
{
    if (m_animation == kGridIdle)
        return;
    m_progress += frameStep * kGridRate;
    if (!(m_progress > 1.0f))
        return;
    m_animation = kGridIdle;
    m_progress = 0.0f;
    m_a = m_b = kGridNoIndex;
    m_pHost->BoardFinished(IsWon() ? 1 : 0);
}

// ---- the pointer ---------------------------------------------------------------------------------

int32_t PictureGridBoard::CellAt(float x, float y) const
{
    for (uint32_t i = 0; i < m_columns; ++i)
        for (uint32_t j = 0; j < m_rows; ++j) {
            const float left = m_origin[0] + float(i) * m_cellSize[0], top = m_origin[1] + float(j) * m_cellSize[1];
            if (left < x && x < left + m_cellSize[0] && top < y && y < top + m_cellSize[1])
                return int32_t(j * m_columns + i);
        }
    return -1;
}

void PictureGridBoard::Sound() { m_pHost->PlayItemSound(m_play); }

Status PictureGridBoard::Press(float x, float y)
{
    for (PictureGridCell& cell : m_cells)
        cell.scratch = 0;
    ClearPointer();
    m_last[0] = x;
    m_last[1] = y;
    m_savedSelection = kGridNoCell;
    const int32_t cell = CellAt(x, y);
    if (cell < 0)
        return kStatusFailed;
    m_press[0] = m_drag[0] = cell % int32_t(m_columns);
    m_press[1] = m_drag[1] = cell / int32_t(m_columns);
    if (m_type != kGridTypeSwitch)
        return kStatusFailed;
    m_savedSelection = m_selected;
    return kStatusOk;
}

Status PictureGridBoard::Move(float x, float y, bool inside)
{
    if (!inside)
        return kStatusFailed;
    if (m_type == kGridTypeSwitch && m_drag[0] >= 0) {
        m_dragOffset[0] += x - m_last[0];
        m_dragOffset[1] += y - m_last[1];
        m_selected = kGridNoCell;
        const int32_t cell = CellAt(x, y);
        // The cell it would be exchanged with shows the selected colour.
        if (cell >= 0 && cell != DragCell() && Linked(uint32_t(cell), uint32_t(DragCell())))
            m_selected = uint16_t(cell);
    }
    m_last[0] = x;
    m_last[1] = y;
    m_largest = std::fmax(m_largest, std::hypot(m_dragOffset[0], m_dragOffset[1]));
    return kStatusOk;
}

Status PictureGridBoard::Release(float x, float y)
{
    const int32_t dragged = DragCell();
    if (m_type != kGridTypeSwitch || dragged < 0) {
        ClearPointer();
        return kStatusFailed;
    }
    const float threshold = std::hypot(m_cellSize[0] * 0.125f, m_cellSize[1] * 0.125f);
    const int32_t cell = CellAt(x, y);
    bool back = false;
    if (cell >= 0 && (!(m_largest > threshold) || cell == dragged)) {
        m_selected = m_savedSelection;
        return Click(x, y);
    }
    if (cell >= 0 && Linked(uint32_t(dragged), uint32_t(cell))) {
        Exchange(uint32_t(dragged), uint32_t(cell), kGridDragExchange);
    } else {
        back = true;
        Exchange(uint32_t(dragged), kGridNoIndex, kGridGoingBack);
        std::memcpy(m_returnOffset, m_dragOffset, sizeof m_returnOffset);
    }
    m_selected = kGridNoCell;
    if (back)
        m_pHost->PlayNull();
    else
        Sound();
    ClearPointer();
    return kStatusOk;
}

Status PictureGridBoard::Click(float x, float y)
{
    const int32_t cell = CellAt(x, y);
    if (cell < 0)
        return kStatusFailed;
    const int32_t press = m_press[0] < 0 ? -1 : m_press[1] * int32_t(m_columns) + m_press[0];
    if (cell != press) {
        ClearPointer();
        return kStatusFailed;
    }
    const uint32_t c = uint32_t(cell);
    const bool switching = m_type == kGridTypeSwitch && (m_flags & kGridFlagSwitch);
    if (m_selected == c) {
        m_selected = kGridNoCell;
        Sound();
    } else if (m_selected == kGridNoCell) {
        if (switching) {
            m_selected = uint16_t(c);
            Sound();
        } else if (m_type == kGridTypeRotate && (m_flags & kGridFlagRotate)) {
            QuarterTurn(c);
            Sound();
        }
    } else if (switching) {
        if (Linked(m_selected, c)) {
            Exchange(m_selected, c, kGridClickExchange);
            m_selected = kGridNoCell;
        } else {
            m_selected = uint16_t(c);
        }
        Sound();
    }
    ClearPointer();
    return kStatusOk;
}

// ---- the saved board ------------------------------------------------------------------------------

void PictureGridBoard::StateFields(LevelState& state, uint8_t& paused, uint8_t& solved)
{
    const bool reading = !state.Writing();
    state.Word(m_play).Word(m_type).Word(m_animation).Word(m_a).Word(m_b).Word(m_progress).Word(m_linkLists);
    state.Word(m_cellSize[0]).Word(m_cellSize[1]).Word(m_origin[0]).Word(m_origin[1]);
    state.Byte(paused).Byte(solved).Byte(m_columns).Byte(m_rows);
    uint16_t excluded = uint16_t(m_excluded);
    state.Bytes(&excluded, 2).Bytes(&m_flags, 2).Byte(m_randomCount).Word(m_selectedColor).Byte(m_linkCount);
    m_excluded = int16_t(excluded);
    // The table holds link count lists of the grid's cells: another size cannot be this grid's.
    uint32_t tableSize = uint32_t(m_links.size());
    state.Word(tableSize);
    if (reading) {
        if (!state.Ok())
            return;
        if (tableSize != uint32_t(m_columns) * m_linkCount * m_rows) {
            m_unfit = true;
            return;
        }
        m_links.assign(tableSize, 0);
    }
    state.Bytes(m_links.data(), tableSize);
    CellFields(state);
}

void PictureGridBoard::CellFields(LevelState& state)
{
    // The board's cells, only once "reset" has dealt them: nothing follows the fields before.
    // A count of 0 in their place is read as no board too, as earlier builds wrote it.
    uint32_t cells = uint32_t(m_cells.size());
    if (state.Writing() && cells == 0)
        return;
    if (!state.Writing() && state.Ok() && state.BytesLeft() == 0) {
        m_cells.clear();
        return;
    }
    state.Word(cells);
    if (!state.Writing()) {
        if (!state.Ok())
            return;
        if (cells != 0 && cells != CellCount()) {
            m_unfit = true;
            return;
        }
        m_cells.assign(cells, PictureGridCell{0, 0, 0});
    }
    for (PictureGridCell& cell : m_cells)
        state.Bytes(&cell.piece, 2).Byte(cell.turn).Byte(cell.scratch);
}

bool PictureGridBoard::CellsFit(uint8_t mostScratch) const
{
    const uint32_t n = CellCount();
    if ((m_columns == 0) != (m_rows == 0) || m_columns == 1 || m_rows == 1)
        return false;
    if (!m_cells.empty() && m_cells.size() != n)
        return false;
    for (const PictureGridCell& cell : m_cells)
        if (cell.piece >= n || cell.turn > 3 || cell.scratch > mostScratch)
            return false;
    for (uint32_t cell : {m_a, m_b})
        if (cell != kGridNoIndex && cell >= m_cells.size())
            return false;
    const float values[] = {m_progress, m_cellSize[0], m_cellSize[1], m_origin[0], m_origin[1]};
    for (float value : values)
        if (!std::isfinite(value))
            return false;
    return m_selected == kGridNoCell || m_selected < m_cells.size();
}

bool PictureGridBoard::Fits(uint32_t elementCount) const
{
    const uint32_t n = CellCount();
    const bool animation = m_animation == kGridIdle || m_animation == kGridClickExchange ||
                           m_animation == kGridDragExchange || m_animation == kGridGoingBack ||
                           m_animation == kGridQuarterTurn;
    if (m_unfit || (m_play < -1 || (m_play >= 0 && uint32_t(m_play) >= elementCount)) || m_type > kGridTypeRotate ||
        m_type == kGridTypeSlide || !animation || (m_flags & ~(kGridFlagSwitch | kGridFlagRotate)) || m_excluded != -1)
        return false;
    if (m_linkLists > m_linkCount || m_links.size() != size_t(n) * m_linkCount)
        return false;
    for (uint8_t mark : m_links)
        if (mark > 1)
            return false;
    return CellsFit(0xFF);
}

uint32_t PictureGridBoard::Print(char* out, uint32_t capacity) const
{
    if (!capacity)
        return 0;
    if (m_cells.empty()) {
        std::snprintf(out, capacity, "grid not dealt");
        return uint32_t(std::strlen(out));
    }
    std::string text = "grid " + std::to_string(m_columns) + "x" + std::to_string(m_rows) + " [";
    for (uint32_t i = 0; i < m_cells.size(); ++i) {
        text += i == 0 ? "" : i % m_columns == 0 ? "/" : " ";
        text += std::to_string(m_cells[i].piece);
        if (m_cells[i].turn)
            text += "^" + std::to_string(m_cells[i].turn);
    }
    text += "]";
    if (m_selected != kGridNoCell)
        text += " selected " + std::to_string(m_selected);
    if (m_animation != kGridIdle)
        text += " moving";
    std::snprintf(out, capacity, "%s", text.c_str());
    return uint32_t(std::strlen(out));
}
