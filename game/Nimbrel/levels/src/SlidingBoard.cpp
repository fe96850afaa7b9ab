// The sliding blocks board's configuration words, the pieces built and placed, the free range,
// the press, drag and release, the goal test, the saved fields and the text form.
#include "NimbrelLevels/SlidingBoard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "NimbrelLevels/LevelValues.h"

namespace {

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

// A size of "%dx%d": each number cut to 8 bits, below 2 raised to 2.
uint16_t SizeValue(int32_t value)
{
    const uint8_t cut = uint8_t(value);
    return cut < 2 ? 2 : cut;
}

// Both sizes given (2 to 255 each) or neither.
bool SizesFit(uint16_t width, uint16_t height)
{
    return (width == 0 && height == 0) || (width >= 2 && height >= 2 && width <= 255 && height <= 255);
}

bool Finite(float value) { return std::isfinite(value); }

float Clamp(float value, float low, float high) { return value < low ? low : value > high ? high : value; }

// The most whole cells a rounding counts: more than any board is wide.
constexpr int32_t kMostCells = 256;

}  // namespace

// ---- configuration ------------------------------------------------------------------------------

void SlidingBoard::Clear()
{
    m_item = -1;
    m_refWidth = m_refHeight = m_columns = m_rows = 0;
    m_refCodes.clear();
    m_types.clear();
    m_lines.clear();
    m_refLines = m_boardLines = 0;
    m_pieces.clear();
    m_start.clear();
    m_exitSide = 0;
    m_cellSize[0] = m_cellSize[1] = m_origin[0] = m_origin[1] = 0.0f;
    m_leaving = 0;
    m_exitProgress = 0.0f;
    m_play.clear();
    m_unfit = false;
    StopMove();
}

void SlidingBoard::StopMove()
{
    m_pressed[0] = m_pressed[1] = -1;
    m_armed[0] = m_armed[1] = -1;
    m_offset[0] = m_offset[1] = m_offset[2] = 0.0f;
    m_last[0] = m_last[1] = m_last[2] = 0.0f;
    m_range = SlidingRange{};
}

void SlidingBoard::ForgetBuilt()
{
    m_pieces.clear();
    m_start.assign(CellCount(), SlidingCell{});
    m_exitSide = 0;
    m_play.clear();
    m_leaving = 0;
    StopMove();
}

int32_t* SlidingBoard::ItemWord(const char* name) { return Is(name, "sliding_game_play") ? &m_item : nullptr; }

Status SlidingBoard::Word(const char* name, char* value)
{
    Status status = kStatusDoneStoreResult;
    if (Is(name, "sliding_ref_row_col"))
        status = SizeReference(value);
    else if (Is(name, "sliding_add_ref_line"))
        status = AddRefLine(value);
    else if (Is(name, "sliding_set_ref_type"))
        status = SetRefType(value);
    else if (Is(name, "sliding_board_row_col"))
        status = SizeBoard(value);
    else if (Is(name, "sliding_add_board_line"))
        status = AddBoardLine(value);
    return Failed(status) ? status : kStatusDoneStoreResult;
}

Status SlidingBoard::SizeReference(const char* value)
{
    const RowCol size = ParseRowCol(value, "%dx%d");
    m_refWidth = SizeValue(size.first);
    m_refHeight = SizeValue(size.second);
    const size_t tiles = size_t(m_refWidth) * m_refHeight;
    m_refCodes.assign(tiles, 0);
    m_types.assign(tiles, kSlidingAuto);
    m_refLines = 0;
    ForgetBuilt();
    return kStatusOk;
}

Status SlidingBoard::AddRefLine(char* value)
{
    if (m_refLines >= m_refHeight) {
        NoTrace("sliding_add_ref_line: a line beyond the reference grid");
        return kStatusFailed;
    }
    uint16_t* line = &m_refCodes[size_t(m_refLines) * m_refWidth];
    uint32_t column = 0;
    LevelListWalk walk(value);
    // Codes beyond the row's width are left out.
    for (char* token = walk.Next(); token && column < m_refWidth; token = walk.Next())
        line[column++] = uint16_t(TokenInt(token));
    ++m_refLines;
    ForgetBuilt();
    return kStatusOk;
}

Status SlidingBoard::SetRefType(char* value)
{
    std::vector<uint8_t> types = m_types;
    int32_t selected = -1;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next()) {
        if (const char* code = TokenValue(token, "char=")) {
            selected = TokenInt(code);
            if (selected > 0 && uint32_t(selected) > types.size()) {
                NoTrace("sliding_set_ref_type: code %d beyond the reference grid", selected);
                return kStatusFailed;
            }
            continue;
        }
        const char* mode = TokenValue(token, "mode=");
        if (!mode)
            continue;
        const struct {
            const char* name;
            uint8_t type;
        } modes[] = {{"static", kSlidingStatic},  {"slide_x", kSlidingX}, {"slide_y", kSlidingY},
                     {"slide_xy", kSlidingXY}, {"auto", kSlidingAuto}};
        const auto* found = std::find_if(std::begin(modes), std::end(modes), [&](const auto& m) { return Is(mode, m.name); });
        if (selected <= 0 || found == std::end(modes)) {
            NoTrace("sliding_set_ref_type: %s", selected <= 0 ? "a mode without a code" : "an unknown mode");
            return kStatusFailed;
        }
        types[size_t(selected - 1)] = found->type;
    }
    m_types.swap(types);
    ForgetBuilt();
    return kStatusOk;
}

Status SlidingBoard::SizeBoard(const char* value)
{
    const RowCol size = ParseRowCol(value, "%dx%d");
    m_columns = SizeValue(size.first);
    m_rows = SizeValue(size.second);
    m_lines.assign(CellCount(), 0);
    m_boardLines = 0;
    ForgetBuilt();
    return kStatusOk;
}

Status SlidingBoard::AddBoardLine(char* value)
{
    if (m_boardLines >= m_rows) {
        NoTrace("sliding_add_board_line: a line beyond the board");
        return kStatusFailed;
    }
    uint16_t* line = &m_lines[size_t(m_boardLines) * m_columns];
    uint32_t column = 0;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token && column < m_columns; token = walk.Next()) {
        const char* at = token;
        uint16_t mark = 0;
        if (*at == '@' || *at == '*')
            mark = *at++ == '@' ? kSlidingGoalCell : kSlidingGoalPiece;
        line[column++] = uint16_t(uint16_t(TokenInt(at)) & kSlidingCodeBits) | mark;
    }
    ++m_boardLines;
    ForgetBuilt();
    return kStatusOk;
}

// ---- pieces and the start board -----------------------------------------------------------------

Status SlidingBoard::CheckSetup()
{
    m_pieces.clear();
    m_exitSide = 0;
    if (m_item < 0 || m_refCodes.empty() || m_lines.empty())
        return kStatusFailed;
    if (Failed(BuildPieces()) || Failed(PlacePieces()) || Failed(FindExitSide()))
        return kStatusFailed;
    return kStatusOk;
}

Status SlidingBoard::BuildPieces()
{
    m_pieces.clear();
    std::vector<bool> seen(m_refCodes.size() + 1, false);
    uint32_t count = 0, highest = 0;
    for (uint16_t code : m_refCodes) {
        if (code == 0)
            continue;
        // A code beyond the tiles leaves a gap below it.
        if (code >= seen.size()) {
            NoTrace("sliding: code %u beyond the reference grid", unsigned(code));
            return kStatusFailed;
        }
        count += seen[code] ? 0 : 1;
        seen[code] = true;
        highest = std::max<uint32_t>(highest, code);
    }
    // Codes with a gap would name pieces without tiles; a board without pieces has no play.
    if (highest != count || count == 0) {
        NoTrace("sliding: the codes are not 1 to %u without gaps", count);
        return kStatusFailed;
    }
    m_pieces.assign(count, SlidingPiece{});
    for (uint32_t p = 0; p < count; ++p) {
        SlidingPiece& piece = m_pieces[p];
        int32_t low[2] = {0, 0}, high[2] = {0, 0};
        for (uint32_t t = 0; t < m_refCodes.size(); ++t) {
            if (m_refCodes[t] != p + 1)
                continue;
            const int32_t column = int32_t(t % m_refWidth), row = int32_t(t / m_refWidth);
            if (piece.tiles.empty()) {
                piece.column = uint16_t(column);
                piece.row = uint16_t(row);
            }
            const SlidingTile tile{column - piece.column, row - piece.row, t};
            piece.tiles.push_back(tile);
            low[0] = std::min(low[0], tile.dx);
            low[1] = std::min(low[1], tile.dy);
            high[0] = std::max(high[0], tile.dx);
            high[1] = std::max(high[1], tile.dy);
        }
        switch (m_types[p]) {
        case kSlidingX:
            piece.moves = kSlidingMovesX;
            break;
        case kSlidingY:
            piece.moves = kSlidingMovesY;
            break;
        case kSlidingXY:
            piece.moves = kSlidingMovesX | kSlidingMovesY;
            break;
        case kSlidingAuto: {
            const int32_t width = high[0] - low[0] + 1, height = high[1] - low[1] + 1;
            piece.moves = width == height  ? kSlidingMovesX | kSlidingMovesY
                          : width > height ? kSlidingMovesX
                                           : kSlidingMovesY;
            break;
        }
        default:
            piece.moves = 0;
            break;
        }
    }
    return kStatusOk;
}

Status SlidingBoard::PlacePieces()
{
    const uint32_t cells = CellCount();
    if (m_lines.size() != cells)
        return kStatusFailed;
    std::vector<uint16_t> working = m_lines;
    std::vector<SlidingCell> board(cells);
    for (uint32_t c = 0; c < cells; ++c) {
        board[c].marks = m_lines[c] & (kSlidingGoalCell | kSlidingGoalPiece);
        if ((m_lines[c] & kSlidingCodeBits) > m_pieces.size()) {
            NoTrace("sliding: the board names code %u, which no piece has", unsigned(m_lines[c] & kSlidingCodeBits));
            return kStatusFailed;
        }
    }
    uint32_t instance = 0;
    for (uint32_t p = 0; p < m_pieces.size(); ++p) {
        for (;;) {
            uint32_t anchor = 0;
            while (anchor < cells && (working[anchor] & kSlidingCodeBits) != p + 1)
                ++anchor;
            if (anchor == cells)
                break;
            const int32_t column = int32_t(anchor % m_columns), row = int32_t(anchor / m_columns);
            for (const SlidingTile& tile : m_pieces[p].tiles) {
                const int32_t x = column + tile.dx, y = row + tile.dy;
                // An instance must stand on the board and on free cells.
                if (x < 0 || y < 0 || x >= int32_t(m_columns) || y >= int32_t(m_rows) ||
                    board[uint32_t(y) * m_columns + uint32_t(x)].Occupied()) {
                    NoTrace("sliding: an instance of code %u leaves the board or overlaps another", p + 1);
                    return kStatusFailed;
                }
                const uint32_t c = uint32_t(y) * m_columns + uint32_t(x);
                SlidingCell& cell = board[c];
                cell.anchorColumn = uint16_t(column);
                cell.anchorRow = uint16_t(row);
                cell.tile = uint16_t(tile.tile);
                cell.piece = uint16_t(p);
                cell.instance = uint16_t(instance);
                working[c] &= uint16_t(~kSlidingCodeBits);
            }
            ++instance;
        }
    }
    m_start.swap(board);
    return kStatusOk;
}

Status SlidingBoard::FindExitSide()
{
    m_exitSide = 0;
    for (uint32_t c = 0; c < m_start.size(); ++c) {
        if (!(m_start[c].marks & kSlidingGoalCell))
            continue;
        if (c % m_columns == 0)
            m_exitSide = kSlidingExitLeft;
        else if (c % m_columns == uint32_t(m_columns) - 1)
            m_exitSide = kSlidingExitRight;
    }
    return m_exitSide ? kStatusOk : kStatusFailed;
}

void SlidingBoard::SetArea(float left, float top, float width, float height)
{
    m_origin[0] = left;
    m_origin[1] = top;
    m_cellSize[0] = m_columns ? width / float(m_columns) : 0.0f;
    m_cellSize[1] = m_rows ? height / float(m_rows) : 0.0f;
}

Status SlidingBoard::Deal()
{
    if (m_exitSide == 0 || m_pieces.empty() || m_start.size() != CellCount())
        return kStatusFailed;
    m_play = m_start;
    m_leaving = 0;
    m_exitProgress = 0.0f;
    StopMove();
    return kStatusOk;
}

// ---- play ---------------------------------------------------------------------------------------

void SlidingBoard::CellCentre(uint32_t cell, float* pX, float* pY) const
{
    const uint32_t columns = std::max<uint32_t>(m_columns, 1);
    *pX = m_origin[0] + (float(cell % columns) + 0.5f) * m_cellSize[0];
    *pY = m_origin[1] + (float(cell / columns) + 0.5f) * m_cellSize[1];
}

int32_t SlidingBoard::CellAt(float x, float y) const
{
    if (!(m_cellSize[0] > 0.0f) || !(m_cellSize[1] > 0.0f) || m_columns == 0)
        return -1;
    const float fx = (x - m_origin[0]) / m_cellSize[0], fy = (y - m_origin[1]) / m_cellSize[1];
    const float column = std::floor(fx), row = std::floor(fy);
    // The open rectangles: a point on a border line is in no cell.
    if (!(column >= 0.0f && row >= 0.0f && column < float(m_columns) && row < float(m_rows)) || fx == column ||
        fy == row)
        return -1;
    return int32_t(row) * int32_t(m_columns) + int32_t(column);
}

int32_t SlidingBoard::PieceCellAt(float x, float y) const
{
    const int32_t open = CellAt(x, y);
    if (open >= 0 || !(m_cellSize[0] > 0.0f) || !(m_cellSize[1] > 0.0f) || m_play.size() != CellCount())
        return open;
    const float fx = (x - m_origin[0]) / m_cellSize[0], fy = (y - m_origin[1]) / m_cellSize[1];
    if (!Finite(fx) || !Finite(fy) || fx < 0.0f || fy < 0.0f || fx > float(m_columns) || fy > float(m_rows))
        return -1;
    // A point on a seam touches the cells on both sides of each line it lies on; it lies inside
    // a piece when every one of them holds that same instance.
    const int32_t column = int32_t(std::floor(fx)), row = int32_t(std::floor(fy));
    const int32_t firstColumn = float(column) == fx ? column - 1 : column;
    const int32_t firstRow = float(row) == fy ? row - 1 : row;
    int32_t found = -1;
    for (int32_t r = firstRow; r <= row; ++r)
        for (int32_t c = firstColumn; c <= column; ++c) {
            if (c < 0 || r < 0 || c >= int32_t(m_columns) || r >= int32_t(m_rows))
                return -1;
            const int32_t cell = r * int32_t(m_columns) + c;
            const SlidingCell& at = m_play[uint32_t(cell)];
            if (!at.Occupied() || (found >= 0 && at.instance != m_play[uint32_t(found)].instance))
                return -1;
            found = found < 0 ? cell : found;
        }
    return found;
}

SlidingRange SlidingBoard::FreeRange(uint32_t cell) const
{
    SlidingRange range;
    if (cell >= m_play.size() || !m_play[cell].Occupied() || m_play[cell].piece >= m_pieces.size())
        return range;
    const uint16_t instance = m_play[cell].instance;
    const uint8_t moves = m_pieces[m_play[cell].piece].moves;
    std::vector<uint32_t> own;
    for (uint32_t c = 0; c < m_play.size(); ++c)
        if (m_play[c].Occupied() && m_play[c].instance == instance)
            own.push_back(c);
    auto free = [&](int32_t sx, int32_t sy) {
        for (uint32_t c : own) {
            const int32_t x = int32_t(c % m_columns) + sx, y = int32_t(c / m_columns) + sy;
            if (x < 0 || y < 0 || x >= int32_t(m_columns) || y >= int32_t(m_rows))
                return false;
            const SlidingCell& to = m_play[uint32_t(y) * m_columns + uint32_t(x)];
            if (to.Occupied() && to.instance != instance)
                return false;
        }
        return true;
    };
    // Each direction stops at its first shift that is not free.
    auto reach = [&](int32_t ux, int32_t uy) {
        int32_t k = 0;
        while (k < kMostCells && free((k + 1) * ux, (k + 1) * uy))
            ++k;
        return k;
    };
    if (moves & kSlidingMovesX) {
        range.minX = -float(reach(-1, 0)) * m_cellSize[0];
        range.maxX = float(reach(1, 0)) * m_cellSize[0];
    }
    if (moves & kSlidingMovesY) {
        range.minY = -float(reach(0, -1)) * m_cellSize[1];
        range.maxY = float(reach(0, 1)) * m_cellSize[1];
    }
    return range;
}

bool SlidingBoard::Press(float x, float y)
{
    StopMove();
    m_last[0] = x;
    m_last[1] = y;
    const int32_t cell = PieceCellAt(x, y);
    if (cell < 0)
        return false;
    m_pressed[0] = cell % int32_t(m_columns);
    m_pressed[1] = cell / int32_t(m_columns);
    if (uint32_t(cell) < m_play.size() && m_play[uint32_t(cell)].Occupied()) {
        m_range = FreeRange(uint32_t(cell));
        if (m_range.minX != 0.0f || m_range.maxX != 0.0f)
            m_armed[0] = cell;
        if (m_range.minY != 0.0f || m_range.maxY != 0.0f)
            m_armed[1] = cell;
    }
    return true;
}

void SlidingBoard::Drag(float x, float y)
{
    const float dx = x - m_last[0], dy = y - m_last[1];
    m_last[0] = x;
    m_last[1] = y;
    if (!Finite(dx) || !Finite(dy))
        return;
    auto moves = [&](int32_t cell) {
        if (cell < 0 || uint32_t(cell) >= m_play.size() || m_play[uint32_t(cell)].piece >= m_pieces.size())
            return uint8_t(0);
        return m_pieces[m_play[uint32_t(cell)].piece].moves;
    };
    const bool rangeX = m_range.minX != 0.0f || m_range.maxX != 0.0f;
    const bool rangeY = m_range.minY != 0.0f || m_range.maxY != 0.0f;
    if (m_armed[0] >= 0 && rangeX && (moves(m_armed[0]) & kSlidingMovesX) && std::fabs(dx) > std::fabs(dy)) {
        m_armed[1] = -1;
        m_offset[0] = Clamp(m_offset[0] + dx, m_range.minX, m_range.maxX);
    } else if (rangeY && m_armed[1] >= 0 && (moves(m_armed[1]) & kSlidingMovesY)) {
        m_armed[0] = -1;
        m_offset[1] = Clamp(m_offset[1] + dy, m_range.minY, m_range.maxY);
    }
}

int32_t SlidingBoard::WholeCells(float offset, float cell)
{
    if (!(cell > 0.0f) || !Finite(offset))
        return 0;
    const float half = cell * 0.5f;
    int32_t n = 0;
    if (offset < -half) {
        n = -1;
        for (int32_t k = 0; k < kMostCells && offset + half + float(k) * cell < -cell; ++k)
            --n;
    } else if (offset > half) {
        n = 1;
        for (int32_t k = 0; k < kMostCells && offset - half - float(k) * cell > cell; ++k)
            ++n;
    }
    return n;
}

bool SlidingBoard::Shift(uint32_t cell, int32_t columns, int32_t rows)
{
    if (cell >= m_play.size() || !m_play[cell].Occupied())
        return false;
    const uint16_t instance = m_play[cell].instance;
    std::vector<uint32_t> own;
    for (uint32_t c = 0; c < m_play.size(); ++c)
        if (m_play[c].Occupied() && m_play[c].instance == instance)
            own.push_back(c);
    auto target = [&](uint32_t c) {
        const int32_t x = int32_t(c % m_columns) + columns, y = int32_t(c / m_columns) + rows;
        return x < 0 || y < 0 || x >= int32_t(m_columns) || y >= int32_t(m_rows)
                   ? -1
                   : y * int32_t(m_columns) + x;
    };
    for (uint32_t c : own) {
        const int32_t to = target(c);
        if (to < 0 || (m_play[uint32_t(to)].Occupied() && m_play[uint32_t(to)].instance != instance))
            return false;
    }
    const std::vector<SlidingCell> before = m_play;
    for (uint32_t c : own) {
        SlidingCell& cleared = m_play[c];
        cleared.anchorColumn = cleared.anchorRow = cleared.tile = cleared.piece = cleared.instance = kSlidingNone;
        cleared.marks &= uint16_t(~kSlidingGoalPiece);
    }
    for (uint32_t c : own) {
        const SlidingCell& from = before[c];
        SlidingCell& to = m_play[uint32_t(target(c))];
        to.anchorColumn = uint16_t(int32_t(from.anchorColumn) + columns);
        to.anchorRow = uint16_t(int32_t(from.anchorRow) + rows);
        to.tile = from.tile;
        to.piece = from.piece;
        to.instance = from.instance;
        to.marks = uint16_t((to.marks & ~kSlidingGoalPiece) | (from.marks & kSlidingGoalPiece));
    }
    return true;
}

void SlidingBoard::Release()
{
    const int32_t rows = WholeCells(m_offset[1], m_cellSize[1]);
    const int32_t columns = std::fabs(m_offset[1]) <= m_cellSize[1] * 0.5f ? WholeCells(m_offset[0], m_cellSize[0]) : 0;
    const int32_t cell = m_armed[0] >= 0 ? m_armed[0] : m_armed[1];
    if ((columns != 0 || rows != 0) && cell >= 0 && Shift(uint32_t(cell), columns, rows) && IsWon()) {
        m_leaving = 1;
        m_pHost->BoardFinished(1);
    }
    StopMove();
}

bool SlidingBoard::IsWon() const
{
    if (m_play.empty() || m_play.size() != m_start.size())
        return false;
    for (uint32_t c = 0; c < m_start.size(); ++c)
        if ((m_start[c].marks & kSlidingGoalCell) && !(m_play[c].marks & kSlidingGoalPiece))
            return false;
    return true;
}

uint16_t SlidingBoard::DraggedInstance() const
{
    const int32_t cell = m_armed[0] >= 0 ? m_armed[0] : m_armed[1];
    if (cell < 0 || uint32_t(cell) >= m_play.size())
        return kSlidingNone;
    return m_play[uint32_t(cell)].instance;
}

// ---- saved fields -------------------------------------------------------------------------------

namespace {

void CellFields(LevelState& state, SlidingCell& cell)
{
    state.Bytes(&cell.anchorColumn, 2).Bytes(&cell.anchorRow, 2).Bytes(&cell.tile, 2);
    state.Bytes(&cell.piece, 2).Bytes(&cell.instance, 2).Bytes(&cell.marks, 2);
}

}  // namespace

// After the level's part: the board item, the reference grid's sizes (16 bits each) and its
// codes, the pieces (a 16-bit count, then each one's reference column and row, its tile count,
// its tiles as three 32-bit values and its move flags), the board's sizes, the exit side, the
// start board (six 16-bit fields a cell), the reference and board line counters, the board lines
// and the piece types, the cell size and the origin, the paused, solved and leaving flags, the
// exit progress, and the play board as its cell count (0 before "reset") and its cells.
void SlidingBoard::StateFields(LevelState& state, uint8_t& paused, uint8_t& solved)
{
    const bool reading = !state.Writing();
    state.Word(m_item).Bytes(&m_refWidth, 2).Bytes(&m_refHeight, 2);
    const uint32_t tiles = uint32_t(m_refWidth) * m_refHeight;
    if (reading) {
        // Sizes are checked before anything is sized by them.
        if (!state.Ok() || !SizesFit(m_refWidth, m_refHeight)) {
            m_unfit = state.Ok();
            return;
        }
        m_refCodes.assign(tiles, 0);
        m_types.assign(tiles, kSlidingAuto);
    }
    if (tiles)
        state.Bytes(m_refCodes.data(), 2 * tiles);
    uint16_t pieces = uint16_t(m_pieces.size());
    state.Bytes(&pieces, 2);
    if (reading) {
        if (!state.Ok() || pieces > tiles) {
            m_unfit = state.Ok();
            return;
        }
        m_pieces.assign(pieces, SlidingPiece{});
    }
    for (SlidingPiece& piece : m_pieces) {
        uint16_t count = uint16_t(piece.tiles.size());
        state.Bytes(&piece.column, 2).Bytes(&piece.row, 2).Bytes(&count, 2);
        if (reading) {
            if (!state.Ok() || count == 0 || count > tiles) {
                m_unfit = state.Ok();
                return;
            }
            piece.tiles.assign(count, SlidingTile{});
        }
        for (SlidingTile& tile : piece.tiles)
            state.Word(tile.dx).Word(tile.dy).Word(tile.tile);
        state.Byte(piece.moves);
    }
    state.Bytes(&m_columns, 2).Bytes(&m_rows, 2);
    if (reading) {
        if (!state.Ok() || !SizesFit(m_columns, m_rows)) {
            m_unfit = state.Ok();
            return;
        }
        m_start.assign(CellCount(), SlidingCell{});
        m_lines.assign(CellCount(), 0);
    }
    state.Word(m_exitSide);
    for (SlidingCell& cell : m_start)
        CellFields(state, cell);
    state.Word(m_refLines).Word(m_boardLines);
    if (!m_lines.empty())
        state.Bytes(m_lines.data(), 2 * uint32_t(m_lines.size()));
    if (!m_types.empty())
        state.Bytes(m_types.data(), uint32_t(m_types.size()));
    state.Word(m_cellSize[0]).Word(m_cellSize[1]).Word(m_origin[0]).Word(m_origin[1]);
    state.Byte(paused).Byte(solved).Byte(m_leaving).Word(m_exitProgress);
    uint32_t inPlay = uint32_t(m_play.size());
    state.Word(inPlay);
    if (reading) {
        if (!state.Ok() || (inPlay != 0 && inPlay != CellCount())) {
            m_unfit = state.Ok();
            return;
        }
        m_play.assign(inPlay, SlidingCell{});
    }
    for (SlidingCell& cell : m_play)
        CellFields(state, cell);
    if (reading)
        StopMove();
}

bool SlidingBoard::PieceFits(const SlidingPiece& piece) const
{
    if (piece.column >= m_refWidth || piece.row >= m_refHeight || piece.tiles.empty() || piece.moves > 3)
        return false;
    for (const SlidingTile& tile : piece.tiles)
        if (tile.tile >= m_refCodes.size() || tile.dx <= -int32_t(m_refWidth) || tile.dx >= int32_t(m_refWidth) ||
            tile.dy < 0 || tile.dy >= int32_t(m_refHeight))
            return false;
    return true;
}

bool SlidingBoard::CellFits(const SlidingCell& cell) const
{
    if (cell.marks & uint16_t(~(kSlidingGoalCell | kSlidingGoalPiece)))
        return false;
    if (!cell.Occupied())
        return cell.anchorColumn == kSlidingNone && cell.anchorRow == kSlidingNone && cell.tile == kSlidingNone &&
               cell.instance == kSlidingNone;
    return cell.piece < m_pieces.size() && cell.tile < m_refCodes.size() && cell.anchorColumn < m_columns &&
           cell.anchorRow < m_rows && cell.instance < CellCount();
}

bool SlidingBoard::Fits(uint32_t elementCount) const
{
    if (m_unfit || m_item < -1 || (m_item >= 0 && uint32_t(m_item) >= elementCount))
        return false;
    if (!SizesFit(m_refWidth, m_refHeight) || !SizesFit(m_columns, m_rows))
        return false;
    const size_t tiles = size_t(m_refWidth) * m_refHeight;
    if (m_refCodes.size() != tiles || m_types.size() != tiles || m_refLines > m_refHeight || m_boardLines > m_rows)
        return false;
    if (m_lines.size() != CellCount() || m_start.size() != CellCount() || m_pieces.size() > tiles)
        return false;
    for (uint8_t type : m_types)
        if (type > kSlidingXY && type != kSlidingAuto)
            return false;
    for (const SlidingPiece& piece : m_pieces)
        if (!PieceFits(piece))
            return false;
    if (m_exitSide != 0 && m_exitSide != kSlidingExitLeft && m_exitSide != kSlidingExitRight)
        return false;
    if (!m_play.empty() && m_play.size() != CellCount())
        return false;
    for (const std::vector<SlidingCell>* board : {&m_start, &m_play})
        for (const SlidingCell& cell : *board)
            if (!CellFits(cell))
                return false;
    for (float value : {m_cellSize[0], m_cellSize[1], m_origin[0], m_origin[1], m_exitProgress})
        if (!Finite(value))
            return false;
    return m_cellSize[0] >= 0.0f && m_cellSize[1] >= 0.0f && m_leaving <= 1;
}

// ---- text form ----------------------------------------------------------------------------------

uint32_t SlidingBoard::Print(char* out, uint32_t capacity) const
{
    if (!capacity)
        return 0;
    std::string text;
    if (!InPlay()) {
        text = "sliding not reset";
    } else {
        char cell[32];
        std::snprintf(cell, sizeof cell, "sliding %ux%u", unsigned(m_columns), unsigned(m_rows));
        text = cell;
        for (uint32_t c = 0; c < m_play.size(); ++c) {
            text += c % m_columns ? " " : "\n";
            if (c < m_start.size() && (m_start[c].marks & kSlidingGoalCell))
                text += '@';
            if (m_play[c].marks & kSlidingGoalPiece)
                text += '*';
            text += m_play[c].Occupied() ? std::to_string(m_play[c].piece + 1u) : std::string(".");
        }
    }
    std::snprintf(out, capacity, "%s", text.c_str());
    return uint32_t(std::strlen(out));
}
