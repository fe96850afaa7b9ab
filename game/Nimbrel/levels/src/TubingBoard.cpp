// The tubing board's configuration words, the start, the water, the turns and swaps, the end of
// play, the saved fields and the text form.
#include "NimbrelLevels/TubingBoard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "NimbrelLevels/LevelValues.h"

namespace {

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

// A size of "%dx%d": each number cut to 8 bits, below 2 raised to 2.
uint16_t SizeValue(int32_t value)
{
    const uint8_t cut = uint8_t(value);
    return cut < 2 ? 2 : cut;
}

// Side indexes turn clockwise on the screen: left 0, top 1, right 2, bottom 3.
constexpr uint8_t kSideByIndex[4] = {kTubingLeft, kTubingTop, kTubingRight, kTubingBottom};

int32_t SideIndex(uint8_t side)
{
    for (int32_t i = 0; i < 4; ++i)
        if (kSideByIndex[i] == side)
            return i;
    return -1;
}

uint8_t Opposite(uint8_t side)
{
    switch (side) {
    case kTubingLeft:
        return kTubingRight;
    case kTubingRight:
        return kTubingLeft;
    case kTubingTop:
        return kTubingBottom;
    default:
        return kTubingTop;
    }
}

// The side a token names ("left" ...), 0 for none.
uint8_t SideNamed(const char* name)
{
    const struct {
        const char* name;
        uint8_t side;
    } sides[] = {{"left", kTubingLeft}, {"right", kTubingRight}, {"top", kTubingTop}, {"bottom", kTubingBottom}};
    for (const auto& s : sides)
        if (Is(name, s.name))
            return s.side;
    return 0;
}

bool OneSide(uint8_t side) { return side == 0 || SideIndex(side) >= 0; }

bool Finite(float value) { return std::isfinite(value); }

}  // namespace

// ---- configuration ------------------------------------------------------------------------------

void TubingBoard::Clear()
{
    m_first = m_second = -1;
    m_gameType = 0;
    m_refWidth = m_refHeight = m_columns = m_rows = 0;
    m_refLines = m_boardLines = 0;
    m_entries.clear();
    m_cells.clear();
    m_stars.clear();
    m_ats.clear();
    m_states.clear();
    m_selectedColor = 0xFFFFFFFFu;
    m_cellSize[0] = m_cellSize[1] = m_origin[0] = m_origin[1] = 0.0f;
    m_finishRequested = m_playing = 0;
    m_flowWasMoving = false;
    m_unfit = false;
    StopMove();
    m_playing = 0;
}

void TubingBoard::StopMove()
{
    m_selection = kTubingNoCell;
    m_press[0] = m_press[1] = -1;
    m_dragCell = -1;
    m_pressPoint[0] = m_pressPoint[1] = 0.0f;
    m_dragOffset[0] = m_dragOffset[1] = 0.0f;
    m_dragDistance = 0.0f;
    m_move = TubingMove{kTubingMoveIdle, 0, 0, 0.0f, {0.0f, 0.0f}};
    m_playing = 0;
}

int32_t* TubingBoard::ItemWord(const char* name)
{
    if (Is(name, "tubing_first_item_name"))
        return &m_first;
    if (Is(name, "tubing_second_item_name"))
        return &m_second;
    return nullptr;
}

Status TubingBoard::Word(const char* name, char* value)
{
    if (Is(name, "tubing_game_type")) {
        // Any other value is accepted and leaves the type.
        if (Is(value, "normal"))
            m_gameType = kTubingNormal;
        else if (Is(value, "timed"))
            m_gameType = kTubingTimed;
        return kStatusDoneStoreResult;
    }
    if (Is(name, "tubing_selected_color")) {
        m_selectedColor = ParseColor(value, 0xFFFFFFFFu);
        return kStatusDoneStoreResult;
    }
    Status status = kStatusDoneStoreResult;
    if (Is(name, "tubing_ref_row_col"))
        status = SizeTable(value);
    else if (Is(name, "tubing_add_ref_line"))
        status = AddRefLine(value);
    else if (Is(name, "tubing_set_ref_type"))
        status = SetRefType(value);
    else if (Is(name, "tubing_board_row_col"))
        status = SizeBoard(value);
    else if (Is(name, "tubing_add_board_line"))
        status = AddBoardLine(value);
    else if (Is(name, "tubing_set_input_output_type"))
        status = SetEndSides(value);
    return Failed(status) ? status : kStatusDoneStoreResult;
}

Status TubingBoard::SizeTable(const char* value)
{
    const RowCol size = ParseRowCol(value, "%dx%d");
    const uint16_t width = SizeValue(size.first), height = SizeValue(size.second);
    if (uint32_t(width) * height > kTubingMostEntries) {
        NoTrace("tubing_ref_row_col: %ux%u entries are more than a cell can name", width, height);
        return kStatusFailed;
    }
    m_refWidth = width;
    m_refHeight = height;
    m_entries.assign(size_t(width) * height, TubingEntry{1, 0, 0, 0});
    m_refLines = 0;
    // The board's cells name the old table's entries by index: its lines are given again.
    if (m_boardLines != 0 || Started())
        ClearBoardLines();
    return kStatusOk;
}

Status TubingBoard::AddRefLine(char* value)
{
    if (m_refLines >= m_refHeight) {
        NoTrace("tubing_add_ref_line: a line beyond the table");
        return kStatusFailed;
    }
    std::vector<uint16_t> codes;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next())
        codes.push_back(uint16_t(TokenInt(token)));
    if (codes.size() > m_refWidth) {
        NoTrace("tubing_add_ref_line: more codes than the table is wide");
        return kStatusFailed;
    }
    TubingEntry* line = &m_entries[size_t(m_refLines) * m_refWidth];
    for (size_t p = 0; p < codes.size(); ++p)
        line[p].code = codes[p];
    ++m_refLines;
    return kStatusOk;
}

Status TubingBoard::SetRefType(char* value)
{
    std::vector<TubingEntry> entries = m_entries;
    TubingEntry* selected = nullptr;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next()) {
        if (const char* code = TokenValue(token, "char=")) {
            const uint16_t wanted = uint16_t(TokenInt(code));
            selected = nullptr;
            for (TubingEntry& entry : entries)
                if (entry.code == wanted) {
                    selected = &entry;
                    break;
                }
            if (!selected) {
                NoTrace("tubing_set_ref_type: no piece of code %u", wanted);
                return kStatusFailed;
            }
            continue;
        }
        const uint8_t side = SideNamed(token);
        if (!selected || (!side && !Is(token, "static"))) {
            NoTrace("tubing_set_ref_type: %s", selected ? "unknown token" : "the list begins without char=");
            return kStatusFailed;
        }
        if (side)
            selected->sides |= side;
        else
            selected->turnable = 0;
    }
    m_entries.swap(entries);
    return kStatusOk;
}

Status TubingBoard::SizeBoard(const char* value)
{
    const RowCol size = ParseRowCol(value, "%dx%d");
    m_columns = SizeValue(size.first);
    m_rows = SizeValue(size.second);
    m_cells.resize(CellCount());
    ClearBoardLines();
    return kStatusOk;
}

void TubingBoard::ClearBoardLines()
{
    for (uint32_t c = 0; c < m_cells.size(); ++c)
        m_cells[c] = TubingCell{0, uint16_t(c), 0, 0};
    m_boardLines = 0;
    // The ends and the cells in play belong to the lines.
    m_stars.clear();
    m_ats.clear();
    m_states.clear();
    StopMove();
}

Status TubingBoard::AddBoardLine(char* value)
{
    if (m_boardLines >= m_rows) {
        NoTrace("tubing_add_board_line: a line beyond the board");
        return kStatusFailed;
    }
    std::vector<TubingCell> line;
    std::vector<TubingEnd> stars = m_stars, ats = m_ats;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next()) {
        if (line.size() >= m_columns) {
            NoTrace("tubing_add_board_line: more cells than the board is wide");
            return kStatusFailed;
        }
        const char* at = token;
        uint16_t mark = 0;
        if (*at == '@' || *at == '*')
            mark = *at++ == '@' ? kTubingAtEnd : kTubingStarEnd;
        const uint16_t code = uint16_t(TokenInt(at));
        uint32_t entry = 0;
        while (entry < m_entries.size() && m_entries[entry].code != code)
            ++entry;
        if (entry == m_entries.size()) {
            NoTrace("tubing_add_board_line: no piece of code %u", code);
            return kStatusFailed;
        }
        const uint32_t cell = m_boardLines * m_columns + uint32_t(line.size());
        TubingCell made{uint16_t(entry | mark), uint16_t(cell), 0, 1};
        if (const char* turn = std::strchr(at, '=')) {
            // Whole quarters of the degrees, and no random turn.
            const int32_t quarters = TruncateToInt32(TokenFloat(turn + 1) / 90.0f);
            made.turns = uint8_t(((quarters % 4) + 4) % 4);
            made.random = 0;
        }
        if (mark) {
            std::vector<TubingEnd>& ends = mark == kTubingAtEnd ? ats : stars;
            if (ends.size() >= kTubingMostEnds) {
                NoTrace("tubing_add_board_line: a 16th end of a kind");
                return kStatusFailed;
            }
            ends.push_back(TubingEnd{0, 0, uint16_t(cell), 0});
        }
        line.push_back(made);
    }
    std::copy(line.begin(), line.end(), m_cells.begin() + size_t(m_boardLines) * m_columns);
    m_stars.swap(stars);
    m_ats.swap(ats);
    ++m_boardLines;
    return kStatusOk;
}

Status TubingBoard::SetEndSides(char* value)
{
    std::vector<TubingEnd> stars = m_stars, ats = m_ats;
    uint32_t starSides = 0, atSides = 0;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next()) {
        const bool star = token[0] == '*';
        if ((!star && token[0] != '@') || token[1] != '=')
            continue;
        const uint8_t side = SideNamed(token + 2);
        if (!side)
            continue;
        uint32_t& given = star ? starSides : atSides;
        std::vector<TubingEnd>& ends = star ? stars : ats;
        if (given >= kTubingMostEnds || given >= ends.size()) {
            NoTrace("tubing_set_input_output_type: more sides than ends");
            return kStatusFailed;
        }
        ends[given++].side = side;
    }
    m_stars.swap(stars);
    m_ats.swap(ats);
    return kStatusOk;
}

Status TubingBoard::Action(const char* name, const char* value)
{
    const bool line = Is(name, "tubing_action_line");
    if (!line && !Is(name, "tubing_action_row"))
        return kStatusDoneNoResult;
    const int32_t n = TokenInt(value ? value : "");
    const int32_t count = line ? m_rows : m_columns;
    if (n < 1 || n > count || !Started())
        return kStatusFailed;
    const uint32_t length = line ? m_columns : m_rows;
    for (uint32_t k = 0; k < length; ++k)
        TurnCell(line ? uint32_t(n - 1) * m_columns + k : k * m_columns + uint32_t(n - 1));
    return kStatusDoneNoResult;
}

Status TubingBoard::CheckSetup() const
{
    return m_first < 0 || m_second < 0 ? kStatusFailed : kStatusOk;
}

void TubingBoard::SetArea(float left, float top, float width, float height)
{
    m_origin[0] = left;
    m_origin[1] = top;
    m_cellSize[0] = m_columns ? width / float(m_columns) : 0.0f;
    m_cellSize[1] = m_rows ? height / float(m_rows) : 0.0f;
}

// ---- the start ----------------------------------------------------------------------------------

Status TubingBoard::Deal()
{
    if (m_cells.empty())
        return kStatusFailed;
    // Position k receives the cell whose order index is k.
    std::vector<TubingCell> ordered(m_cells.size());
    std::vector<bool> seen(m_cells.size(), false);
    for (const TubingCell& cell : m_cells) {
        if (cell.order >= ordered.size() || seen[cell.order])
            return kStatusFailed;
        seen[cell.order] = true;
        ordered[cell.order] = cell;
    }
    StopMove();
    m_finishRequested = 0;
    m_cells.swap(ordered);
    m_states.assign(m_cells.size(), TubingCellState{0, 0.0f, 0.0f, 0.0f, kTubingDry});
    for (uint32_t c = 0; c < m_cells.size(); ++c) {
        const TubingEntry* entry = EntryOf(c);
        const bool open = entry && entry->sides != 0;
        m_states[c].turns = m_cells[c].random && open ? uint8_t(uint64_t(m_pHost->NextRandom()) * 4 >> 32)
                                                      : uint8_t(m_cells[c].turns % 4);
    }
    if (IsWon())
        for (TubingCellState& state : m_states)
            state.turns = uint8_t((state.turns + 1) % 4);
    m_flowWasMoving = false;
    m_playing = 1;
    if (m_gameType == kTubingNormal)
        RunWater();
    return kStatusOk;
}

Status TubingBoard::Finished()
{
    StopMove();
    m_finishRequested = 1;
    if (!Started() || Failed(RunWater())) {
        m_finishRequested = 0;
        m_pHost->BoardEnded(0);
    }
    return kStatusWait;
}

// ---- the water ----------------------------------------------------------------------------------

const TubingEntry* TubingBoard::EntryOf(uint32_t cell) const
{
    const uint32_t entry = m_cells[cell].piece & kTubingEntryBits;
    return entry < m_entries.size() ? &m_entries[entry] : nullptr;
}

uint8_t TubingBoard::TurnSide(uint8_t side, int32_t quarters)
{
    const int32_t index = SideIndex(side);
    return index < 0 ? 0 : kSideByIndex[((index + quarters) % 4 + 4) % 4];
}

uint8_t TubingBoard::TurnSides(uint8_t sides, int32_t quarters)
{
    uint8_t turned = 0;
    for (uint8_t side : kSideByIndex)
        if (sides & side)
            turned |= TurnSide(side, quarters);
    return turned;
}

bool TubingBoard::IsOpen(uint32_t cell, uint8_t side) const
{
    const TubingEntry* entry = EntryOf(cell);
    return entry && Started() && (TurnSides(entry->sides, m_states[cell].turns) & side) != 0;
}

void TubingBoard::Flood(uint32_t starMask, std::vector<int32_t>& waves) const
{
    waves.assign(m_cells.size(), -1);
    // Cells join in wave order, so that one pass over the queue runs the waves one by one.
    std::vector<uint32_t> queue;
    queue.reserve(m_cells.size());
    for (uint32_t i = 0; i < m_stars.size(); ++i) {
        const TubingEnd& star = m_stars[i];
        if (!(starMask & (1u << i)) || !IsOpen(star.cell, star.side) || waves[star.cell] == 0)
            continue;
        waves[star.cell] = 0;
        queue.push_back(star.cell);
    }
    // Right, left, below, above.
    const int32_t steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    const uint8_t sides[4] = {kTubingRight, kTubingLeft, kTubingBottom, kTubingTop};
    for (size_t at = 0; at < queue.size(); ++at) {
        const uint32_t c = queue[at];
        const int32_t column = int32_t(c % m_columns), row = int32_t(c / m_columns);
        for (int d = 0; d < 4; ++d) {
            const int32_t x = column + steps[d][0], y = row + steps[d][1];
            if (x < 0 || y < 0 || x >= int32_t(m_columns) || y >= int32_t(m_rows))
                continue;
            const uint32_t next = uint32_t(y) * m_columns + uint32_t(x);
            if (waves[next] != -1 || !IsOpen(c, sides[d]) || !IsOpen(next, Opposite(sides[d])))
                continue;
            waves[next] = waves[c] + 1;
            queue.push_back(next);
        }
    }
}

Status TubingBoard::RunWater()
{
    if (!Started())
        return kStatusFailed;
    for (TubingEnd& at : m_ats)
        at.mask = 0;
    std::vector<int32_t> waves;
    Flood(0xFFFFu, waves);
    bool reached = false;
    for (uint32_t c = 0; c < m_cells.size(); ++c) {
        TubingCellState& state = m_states[c];
        if (waves[c] < 0) {
            if (state.flow == kTubingWaiting)
                state.flow = kTubingDry;
            else if (state.flow == kTubingFilling || state.flow == kTubingFull)
                state.flow = kTubingDraining;
            continue;
        }
        reached = true;
        if (state.flow == kTubingDry || state.flow == kTubingWaiting) {
            state.flow = kTubingWaiting;
            state.delay = float(waves[c]);
        } else if (state.flow == kTubingDraining) {
            state.flow = kTubingFilling;
        }
    }
    // Which star ends reach each at end, each star end's water alone.
    for (uint32_t i = 0; i < m_stars.size(); ++i) {
        Flood(1u << i, waves);
        for (TubingEnd& at : m_ats)
            if (waves[at.cell] >= 0)
                at.mask |= uint16_t(1u << i);
    }
    return reached ? kStatusOk : kStatusFailed;
}

bool TubingBoard::IsWon() const
{
    uint32_t reached = 0;
    for (const TubingEnd& at : m_ats) {
        const TubingCellState& state = m_states[at.cell];
        if (state.flow != kTubingFull || state.turning != 0.0f || !IsOpen(at.cell, at.side))
            return false;
        reached |= at.mask;
    }
    return reached == (1u << m_stars.size()) - 1;
}

bool TubingBoard::FlowMoving() const
{
    for (const TubingCellState& state : m_states)
        if (state.flow == kTubingWaiting || state.flow == kTubingFilling || state.flow == kTubingDraining)
            return true;
    return false;
}

// ---- play ---------------------------------------------------------------------------------------

bool TubingBoard::Turnable(uint32_t cell) const
{
    const TubingEntry* entry = EntryOf(cell);
    return entry && entry->turnable;
}

// A piece open nowhere looks the same every way round: turning it is no move.
bool TubingBoard::TurnsVisibly(uint32_t cell) const
{
    const TubingEntry* entry = EntryOf(cell);
    return entry && entry->turnable && entry->sides != 0;
}

bool TubingBoard::TurnCell(uint32_t cell)
{
    if (!Started() || cell >= m_states.size() || !TurnsVisibly(cell))
        return false;
    m_states[cell].turns = uint8_t((m_states[cell].turns + 1) % 4);
    m_states[cell].turning = -1.0f;
    return true;
}

void TubingBoard::CellCentre(uint32_t cell, float* pX, float* pY) const
{
    *pX = m_origin[0] + (float(cell % m_columns) + 0.5f) * m_cellSize[0];
    *pY = m_origin[1] + (float(cell / m_columns) + 0.5f) * m_cellSize[1];
}

int32_t TubingBoard::CellAt(float x, float y) const
{
    if (!Started() || !(m_cellSize[0] > 0.0f) || !(m_cellSize[1] > 0.0f))
        return -1;
    const float column = std::floor((x - m_origin[0]) / m_cellSize[0]);
    const float row = std::floor((y - m_origin[1]) / m_cellSize[1]);
    if (!(column >= 0.0f && row >= 0.0f && column < float(m_columns) && row < float(m_rows)))
        return -1;
    return int32_t(row) * int32_t(m_columns) + int32_t(column);
}

void TubingBoard::Swap(uint32_t a, uint32_t b)
{
    std::swap(m_cells[a], m_cells[b]);
    std::swap(m_states[a], m_states[b]);
}

bool TubingBoard::Click(float x, float y)
{
    const int32_t cell = CellAt(x, y);
    if (!m_playing || cell < 0 || !Turnable(uint32_t(cell)))
        return false;
    if (m_gameType == kTubingNormal)
        return TurnCell(uint32_t(cell));
    // The timed game moves pieces: a blank one may have to make room for a pipe.
    if (m_gameType != kTubingTimed)
        return false;
    if (m_selection == uint16_t(cell)) {
        m_selection = kTubingNoCell;
    } else if (m_selection != kTubingNoCell) {
        Swap(m_selection, uint32_t(cell));
        m_move = TubingMove{kTubingMoveClickSwap, m_selection, uint32_t(cell), 0.0f, {0.0f, 0.0f}};
        m_selection = kTubingNoCell;
    } else {
        m_selection = uint16_t(cell);
    }
    m_pHost->PlayBoardSound(false);
    return true;
}

bool TubingBoard::Press(float x, float y)
{
    const int32_t cell = CellAt(x, y);
    if (m_gameType != kTubingTimed || !m_playing || cell < 0 || !Turnable(uint32_t(cell)))
        return false;
    m_press[0] = cell % int32_t(m_columns);
    m_press[1] = cell / int32_t(m_columns);
    m_dragCell = cell;
    m_pressPoint[0] = x;
    m_pressPoint[1] = y;
    m_dragOffset[0] = m_dragOffset[1] = 0.0f;
    m_dragDistance = 0.0f;
    return true;
}

bool TubingBoard::Drag(float x, float y)
{
    if (m_dragCell < 0)
        return false;
    m_dragOffset[0] = x - m_pressPoint[0];
    m_dragOffset[1] = y - m_pressPoint[1];
    m_dragDistance = std::fmax(m_dragDistance, std::hypot(m_dragOffset[0], m_dragOffset[1]));
    const int32_t cell = CellAt(x, y);
    m_selection = cell >= 0 && cell != m_dragCell && Turnable(uint32_t(cell)) ? uint16_t(cell) : kTubingNoCell;
    return true;
}

bool TubingBoard::Release(float x, float y)
{
    const int32_t dragged = m_dragCell;
    const int32_t pressed = m_press[1] * int32_t(m_columns) + m_press[0];
    const float offset[2] = {m_dragOffset[0], m_dragOffset[1]};
    const bool click = dragged < 0 || CellAt(x, y) == pressed ||
                       m_dragDistance <= std::hypot(m_cellSize[0] / 8.0f, m_cellSize[1] / 8.0f);
    m_press[0] = m_press[1] = -1;
    m_dragCell = -1;
    m_dragOffset[0] = m_dragOffset[1] = 0.0f;
    m_dragDistance = 0.0f;
    if (click) {
        // The press's highlight is no selection of the click that follows.
        if (dragged >= 0 && m_selection != kTubingNoCell && m_selection != uint16_t(dragged))
            m_selection = kTubingNoCell;
        return false;
    }
    if (m_selection != kTubingNoCell && m_selection != uint16_t(dragged)) {
        Swap(uint32_t(dragged), m_selection);
        m_move = TubingMove{kTubingMoveDropSwap, uint32_t(dragged), m_selection, 0.0f, {0.0f, 0.0f}};
        m_selection = kTubingNoCell;
        m_pHost->PlayBoardSound(false);
    } else {
        m_move = TubingMove{kTubingMoveDropOutside, uint32_t(dragged), uint32_t(dragged), 0.0f, {offset[0], offset[1]}};
        m_selection = kTubingNoCell;
        m_pHost->PlayBoardSound(true);
    }
    return true;
}

void TubingBoard::Step(float frameStep)
{
    if (m_move.kind != kTubingMoveIdle) {
        m_move.progress += frameStep * kTubingMoveRate;
        if (m_move.progress >= 1.0f)
            m_move = TubingMove{kTubingMoveIdle, 0, 0, 0.0f, {0.0f, 0.0f}};
    }
    if (!Started())
        return;
    bool turned = false;
    for (TubingCellState& state : m_states) {
        if (state.turning < 0.0f) {
            state.turning += frameStep * kTubingTurnRate;
            if (!(state.turning < 0.0f)) {
                state.turning = 0.0f;
                turned = true;
            }
        }
        switch (state.flow) {
        case kTubingWaiting:
            state.delay -= frameStep * kTubingFlowRate;
            if (state.delay < 0.0f) {
                state.flow = kTubingFilling;
                state.fill = 0.0f;
            }
            break;
        case kTubingFilling:
            state.fill += frameStep * kTubingFlowRate;
            if (state.fill > 1.0f) {
                state.flow = kTubingFull;
                state.fill = 1.0f;
            }
            break;
        case kTubingDraining:
            state.fill -= frameStep * kTubingFlowRate;
            if (state.fill < 0.0f) {
                state.flow = kTubingDry;
                state.fill = 0.0f;
            }
            break;
        default:
            break;
        }
    }
    if (turned && m_gameType == kTubingNormal)
        RunWater();
    const bool moving = FlowMoving();
    if (moving != m_flowWasMoving) {
        m_flowWasMoving = moving;
        m_pHost->WaterMoving(moving);
    }
    if (!moving)
        EndOfPlay();
}

void TubingBoard::EndOfPlay()
{
    if (m_gameType == kTubingNormal && m_playing) {
        if (!IsWon())
            return;
        m_finishRequested = m_playing = 0;
        m_pHost->BoardFinished(1);
    } else if (m_gameType == kTubingTimed && m_finishRequested) {
        m_finishRequested = m_playing = 0;
        m_pHost->BoardEnded(IsWon() ? 1 : 0);
    }
}

// ---- saved fields -------------------------------------------------------------------------------

// After the level's part: the two items, the game type, the table's and the board's sizes (16
// bits each), the line counts, the board's cells, the table's entries, the star ends and the at
// ends (each a count and its records), then the cells in play as a count (0 before the first
// start, else the cell count) and per cell its quarter turns (8 bits), its turn, delay and fill
// (floats) and its flow state (32 bits); the selected colour, the cell size and the origin, the
// four flags (finish requested, playing, paused, solved); then the selection (16 bits), the
// press cell's column and row, the dragged cell (-1 none), the press point, the drag offset and
// distance (floats), and the swap: its kind, source and target cells, progress and offset.
void TubingBoard::StateFields(LevelState& state, uint8_t& paused, uint8_t& solved)
{
    const bool reading = !state.Writing();
    state.Word(m_first).Word(m_second).Word(m_gameType);
    state.Bytes(&m_refWidth, 2).Bytes(&m_refHeight, 2).Bytes(&m_columns, 2).Bytes(&m_rows, 2);
    state.Word(m_refLines).Word(m_boardLines);
    if (reading) {
        if (!state.Ok())
            return;
        // Sizes are checked before anything is sized by them: both given or neither.
        const uint32_t entries = uint32_t(m_refWidth) * m_refHeight;
        const bool table = (m_refWidth == 0 && m_refHeight == 0) ||
                           (m_refWidth >= 2 && m_refHeight >= 2 && m_refWidth <= 255 && m_refHeight <= 255 &&
                            entries <= kTubingMostEntries);
        const bool board = (m_columns == 0 && m_rows == 0) ||
                           (m_columns >= 2 && m_rows >= 2 && m_columns <= 255 && m_rows <= 255);
        if (!table || !board || m_refLines > m_refHeight || m_boardLines > m_rows) {
            m_unfit = true;
            return;
        }
        m_cells.assign(CellCount(), TubingCell{});
        m_entries.assign(entries, TubingEntry{});
    }
    for (TubingCell& cell : m_cells)
        state.Bytes(&cell.piece, 2).Bytes(&cell.order, 2).Byte(cell.turns).Byte(cell.random);
    for (TubingEntry& entry : m_entries)
        state.Byte(entry.turnable).Bytes(&entry.code, 2).Bytes(&entry.spare, 2).Byte(entry.sides);
    for (std::vector<TubingEnd>* ends : {&m_stars, &m_ats}) {
        uint32_t count = uint32_t(ends->size());
        state.Word(count);
        if (reading) {
            if (!state.Ok())
                return;
            if (count > kTubingMostEnds) {
                m_unfit = true;
                return;
            }
            ends->assign(count, TubingEnd{});
        }
        for (TubingEnd& end : *ends)
            state.Byte(end.spare).Bytes(&end.mask, 2).Bytes(&end.cell, 2).Byte(end.side);
    }
    uint32_t inPlay = uint32_t(m_states.size());
    state.Word(inPlay);
    if (reading) {
        if (!state.Ok())
            return;
        if (inPlay != 0 && inPlay != CellCount()) {
            m_unfit = true;
            return;
        }
        m_states.assign(inPlay, TubingCellState{});
    }
    for (TubingCellState& cell : m_states)
        state.Byte(cell.turns).Word(cell.turning).Word(cell.delay).Word(cell.fill).Word(cell.flow);
    state.Word(m_selectedColor).Word(m_cellSize[0]).Word(m_cellSize[1]).Word(m_origin[0]).Word(m_origin[1]);
    state.Byte(m_finishRequested).Byte(m_playing).Byte(paused).Byte(solved);
    state.Bytes(&m_selection, 2).Word(m_press[0]).Word(m_press[1]).Word(m_dragCell);
    state.Word(m_pressPoint[0]).Word(m_pressPoint[1]).Word(m_dragOffset[0]).Word(m_dragOffset[1]).Word(m_dragDistance);
    state.Word(m_move.kind).Word(m_move.source).Word(m_move.target).Word(m_move.progress);
    state.Word(m_move.offset[0]).Word(m_move.offset[1]);
    if (reading)
        m_flowWasMoving = FlowMoving();
}

bool TubingBoard::CellFits(const TubingCell& cell) const
{
    // A cell no line gave names entry 0, also before there is a table.
    const uint32_t entry = cell.piece & kTubingEntryBits;
    return (entry < m_entries.size() || cell.piece == 0) && cell.order < CellCount() &&
           (cell.piece & (kTubingAtEnd | kTubingStarEnd)) != (kTubingAtEnd | kTubingStarEnd) && cell.random <= 1;
}

// The piece that carried an end's mark may have been swapped away: the end stays at its cell.
bool TubingBoard::EndFits(const TubingEnd& end) const
{
    return end.cell < CellCount() && OneSide(end.side) && end.mask < (1u << m_stars.size());
}

bool TubingBoard::Fits(uint32_t elementCount) const
{
    if (m_unfit)
        return false;
    for (int32_t item : {m_first, m_second})
        if (item < -1 || (item >= 0 && uint32_t(item) >= elementCount))
            return false;
    if (m_gameType > kTubingTimed || m_refLines > m_refHeight || m_boardLines > m_rows)
        return false;
    if (m_cells.size() != CellCount() || m_entries.size() != size_t(m_refWidth) * m_refHeight)
        return false;
    for (const TubingCell& cell : m_cells)
        if (!CellFits(cell))
            return false;
    for (const TubingEntry& entry : m_entries)
        if (entry.turnable > 1 || entry.sides > 15)
            return false;
    if (m_stars.size() > kTubingMostEnds || m_ats.size() > kTubingMostEnds)
        return false;
    for (const std::vector<TubingEnd>* ends : {&m_stars, &m_ats})
        for (const TubingEnd& end : *ends)
            if (!EndFits(end))
                return false;
    if (!m_states.empty() && m_states.size() != CellCount())
        return false;
    for (const TubingCellState& cell : m_states)
        if (cell.turns > 3 || cell.flow < kTubingDry || cell.flow > kTubingDraining || !Finite(cell.turning) ||
            cell.turning < -1.0f || cell.turning > 0.0f || !Finite(cell.delay) || !Finite(cell.fill) ||
            cell.fill < 0.0f || cell.fill > 1.0f)
            return false;
    const float floats[] = {m_cellSize[0], m_cellSize[1], m_origin[0],     m_origin[1],     m_pressPoint[0],
                            m_pressPoint[1], m_dragOffset[0], m_dragOffset[1], m_dragDistance, m_move.progress,
                            m_move.offset[0], m_move.offset[1]};
    for (float value : floats)
        if (!Finite(value))
            return false;
    if (m_finishRequested > 1 || m_playing > 1)
        return false;
    const uint32_t cells = CellCount();
    const bool inPlay = !m_states.empty();
    if (m_selection != kTubingNoCell && (!inPlay || m_selection >= cells))
        return false;
    const bool noPress = m_press[0] == -1 && m_press[1] == -1;
    if (!noPress && (!inPlay || m_press[0] < 0 || m_press[1] < 0 || m_press[0] >= int32_t(m_columns) ||
                     m_press[1] >= int32_t(m_rows)))
        return false;
    if (m_dragCell < -1 || (m_dragCell >= 0 && (!inPlay || uint32_t(m_dragCell) >= cells)))
        return false;
    const uint32_t kind = m_move.kind;
    if (kind != kTubingMoveIdle && kind != kTubingMoveClickSwap && kind != kTubingMoveDropSwap &&
        kind != kTubingMoveDropOutside)
        return false;
    if (kind != kTubingMoveIdle && (!inPlay || m_move.source >= cells || m_move.target >= cells))
        return false;
    return true;
}

// ---- text form ----------------------------------------------------------------------------------

uint32_t TubingBoard::Print(char* out, uint32_t capacity) const
{
    if (!capacity)
        return 0;
    std::string text;
    if (!Started()) {
        text = "tubing not started";
    } else {
        char cell[48];
        std::snprintf(cell, sizeof cell, "tubing %ux%u", unsigned(m_columns), unsigned(m_rows));
        text = cell;
        for (uint32_t c = 0; c < m_cells.size(); ++c) {
            const TubingEntry* entry = EntryOf(c);
            const uint16_t piece = m_cells[c].piece;
            std::snprintf(cell, sizeof cell, "%s%s%u:%u~%d", c % m_columns ? " " : "\n",
                          piece & kTubingStarEnd ? "*" : piece & kTubingAtEnd ? "@" : "",
                          entry ? unsigned(entry->code) : 0u, unsigned(m_states[c].turns), int(m_states[c].flow));
            text += cell;
        }
    }
    std::snprintf(out, capacity, "%s", text.c_str());
    return uint32_t(std::strlen(out));
}
