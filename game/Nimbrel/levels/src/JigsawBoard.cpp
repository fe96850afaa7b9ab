// The jigsaw board's rules: its words, the shuffle families, slides into the blank by clicks and
// pushes, slide repeat, exchanges without lists, the saved board.
#include "NimbrelLevels/JigsawBoard.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "NimbrelLevels/LevelState.h"
#include "NimbrelLevels/LevelValues.h"

namespace {

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

// A 1-based grid coordinate counted from 0; a 0 (or anything below) stays 0.
int64_t FromOne(int32_t value) { return value > 0 ? int64_t(value) - 1 : 0; }

}  // namespace

void JigsawBoard::ResetRun()
{
    PictureGridBoard::ResetRun();
    m_play = -1;
    m_type = kGridTypeNone;
    m_excluded = -1;
}

// ---- words -------------------------------------------------------------------------------------

int32_t* JigsawBoard::ItemWord(const char* name) { return Is(name, "jigsaw_game_play") ? &m_play : nullptr; }

Status JigsawBoard::Word(const char* name, char* value)
{
    if (!value)
        return kStatusDoneStoreResult;
    if (Is(name, "jigsaw_game_type"))
        return TypeWord(value);
    if (Is(name, "jigsaw_row_col"))
        return Grid(value);
    if (Is(name, "jigsaw_selected_color"))
        m_selectedColor = ParseColor(value, 0xFFFFFFFFu);
    else if (Is(name, "jigsaw_random_count"))
        m_randomCount = uint8_t(std::max(1, TokenInt(value)));
    return kStatusDoneStoreResult;
}

Status JigsawBoard::TypeWord(char* value)
{
    m_type = kGridTypeNone;
    LevelListWalk walk(value);
    for (char* token = walk.Next(); token; token = walk.Next()) {
        uint32_t type = kGridTypeNone;
        if (Is(token, "slide_x")) {
            m_flags |= kGridFlagSlide | kGridFlagRows;
            type = kGridTypeSlide;
        } else if (Is(token, "slide_y")) {
            m_flags |= kGridFlagSlide | kGridFlagColumns;
            type = kGridTypeSlide;
        } else if (Is(token, "slide_repeat")) {
            m_flags |= kGridFlagRepeat;
            type = kGridTypeSlide;
        } else if (Is(token, "switch")) {
            m_flags |= kGridFlagSwitch;
            type = kGridTypeSwitch;
        } else if (Is(token, "rotate")) {
            m_flags |= kGridFlagRotate;
            type = kGridTypeRotate;
        } else if (std::strncmp(token, "blank=", 6) == 0) {
            if (m_columns == 0) {
                NoTrace("jigsaw_game_type: blank before jigsaw_row_col");
                return kStatusFailed;
            }
            const RowCol cell = ParseRowCol(token + 6, "%dx%d");
            const int64_t blank = int64_t(m_columns) * FromOne(cell.second) + FromOne(cell.first);
            // The blank is saved in 16 bits: a larger one could only name a cell it is not. A
            // dealt board holds no piece past the grid: such a blank would leave it unplayable,
            // so the board keeps its own (before the deal "reset" refuses it).
            if (blank > INT16_MAX || (IsDealt() && blank >= int64_t(CellCount()))) {
                NoTrace("jigsaw_game_type: blank %s outside the grid", token + 6);
                return kStatusFailed;
            }
            m_excluded = int16_t(blank);
        }
        if (m_type == kGridTypeNone)
            m_type = type;
    }
    return kStatusDoneStoreResult;
}

// ---- the setup and the shuffle -----------------------------------------------------------------

Status JigsawBoard::CheckSetup()
{
    if (m_play < 0 || m_flags == 0)
        return kStatusFailed;
    if ((m_flags & kGridFlagSlide) && !(m_flags & kGridFlagRepeat) && m_excluded < 0)
        return kStatusFailed;
    if (m_excluded >= int32_t(CellCount()))
        return kStatusFailed;
    return PictureGridBoard::CheckSetup();
}

int32_t JigsawBoard::BlankCell() const
{
    if (m_excluded < 0)
        return -1;
    for (uint32_t i = 0; i < m_cells.size(); ++i)
        if (m_cells[i].piece == uint32_t(m_excluded))
            return int32_t(i);
    return -1;
}

void JigsawBoard::RotateLine(uint32_t first, uint32_t stride, uint32_t count, int32_t shift)
{
    std::vector<PictureGridCell> line(count);
    for (uint32_t i = 0; i < count; ++i)
        line[size_t(((int64_t(i) + shift) % count + count) % count)] = m_cells[first + i * stride];
    for (uint32_t i = 0; i < count; ++i)
        m_cells[first + i * stride] = line[i];
}

bool JigsawBoard::RandomSlide()
{
    const bool rows = m_flags & kGridFlagRows, columns = m_flags & kGridFlagColumns;
    if (!rows && !columns)
        return false;
    if (m_excluded >= 0 && (m_flags & kGridFlagSlide)) {
        const int32_t blank = BlankCell();
        if (blank < 0)
            return false;
        const uint32_t c = uint32_t(blank) % m_columns, r = uint32_t(blank) / m_columns;
        for (uint32_t draw = 0; draw < kGridPairDraws; ++draw) {
            const uint32_t d = Pick(4);
            int64_t other = -1;
            if (d == 0 && columns && r > 0)
                other = At(c, r - 1);
            else if (d == 1 && columns && r + 1 < m_rows)
                other = At(c, r + 1);
            else if (d == 2 && rows && c > 0)
                other = At(c - 1, r);
            else if (d == 3 && rows && c + 1 < m_columns)
                other = At(c + 1, r);
            if (other >= 0) {
                std::swap(m_cells[size_t(blank)], m_cells[size_t(other)]);
                return true;
            }
        }
        return false;
    }
    if (!(m_flags & kGridFlagRepeat))
        return false;
    for (uint32_t draw = 0; draw < kGridPairDraws; ++draw) {
        const uint32_t d = Pick(4);
        if (d < 2 && columns) {
            const uint32_t column = Pick(m_columns);
            RotateColumn(column, int32_t(Pick(m_rows)));
            return true;
        }
        if (d >= 2 && rows) {
            const uint32_t row = Pick(m_rows);
            RotateRow(row, int32_t(Pick(m_columns)));
            return true;
        }
    }
    return false;
}

Status JigsawBoard::Deal()
{
    const uint32_t n = CellCount();
    if (Failed(CheckSetup()) || m_randomCount == 0)
        return kStatusFailed;
    // Only the game type's own moves shuffle, so that the player can undo each of them: 0 the
    // slide family, 1 an exchange, 2 a quarter turn.
    uint32_t family = 3;
    if (m_type == kGridTypeSlide)
        family = 0;
    else if (m_type == kGridTypeSwitch && (m_flags & kGridFlagSwitch))
        family = 1;
    else if (m_type == kGridTypeRotate && (m_flags & kGridFlagRotate))
        family = 2;
    if (family == 3)
        return kStatusFailed;
    m_selected = m_savedSelection = kGridNoCell;
    ClearPointer();
    m_cells.resize(n);
    for (uint32_t i = 0; i < n; ++i)
        m_cells[i] = {uint16_t(i), 0, 0};
    bool drawn = true;
    for (uint32_t tries = 0; drawn && IsWon(); ++tries) {
        drawn = tries < kGridShuffleTries;
        for (uint32_t move = 0; drawn && move < m_randomCount; ++move) {
            uint32_t k = Pick(3), draws = 0;
            while (k != family && ++draws < kGridPairDraws)
                k = Pick(3);
            drawn = k == family;
            if (drawn && family == 0)
                drawn = RandomSlide();
            if (drawn && family == 1) {
                const uint32_t a = Pick(n);
                uint32_t b = Pick(n);
                for (draws = 0; b == a && draws < kGridPairDraws; ++draws)
                    b = Pick(n);
                drawn = a != b;
                std::swap(m_cells[a], m_cells[b]);
            }
            if (drawn && family == 2) {
                PictureGridCell& cell = m_cells[Pick(n)];
                cell.turn = uint8_t((cell.turn + 1) & 3);
            }
        }
    }
    if (!drawn) {
        m_cells.clear();
        return kStatusFailed;
    }
    m_animation = kGridIdle;
    m_a = m_b = kGridNoIndex;
    m_progress = 0.0f;
    return kStatusOk;
}

// ---- the pointer ---------------------------------------------------------------------------------

bool JigsawBoard::SlideIntoBlank(uint32_t cell)
{
    const int32_t blank = BlankCell();
    if (blank < 0)
        return false;
    const uint32_t c = cell % m_columns, r = cell / m_columns, b = uint32_t(blank);
    const bool rows = m_flags & kGridFlagRows, columns = m_flags & kGridFlagColumns;
    const bool next = (columns && r > 0 && At(c, r - 1) == b) || (columns && r + 1 < m_rows && At(c, r + 1) == b) ||
                      (rows && c > 0 && At(c - 1, r) == b) || (rows && c + 1 < m_columns && At(c + 1, r) == b);
    if (next)
        Exchange(cell, b, kGridSlide);
    return next;
}

void JigsawBoard::Moved()
{
    Sound();
    if (m_animation == kGridIdle)
        m_pHost->BoardFinished(IsWon() ? 1 : 0);
    m_selected = kGridNoCell;
}

Status JigsawBoard::Press(float x, float y)
{
    for (PictureGridCell& cell : m_cells)
        cell.scratch = 0;
    ClearPointer();
    m_last[0] = x;
    m_last[1] = y;
    m_savedSelection = kGridNoCell;
    const int32_t cell = CellAt(x, y);
    const int32_t b = BlankCell();
    if (cell < 0 || cell == b)
        return kStatusFailed;
    const uint32_t c = uint32_t(cell) % m_columns, r = uint32_t(cell) / m_columns;
    m_press[0] = m_drag[0] = int32_t(c);
    m_press[1] = m_drag[1] = int32_t(r);
    if (m_type == kGridTypeSwitch) {
        m_savedSelection = m_selected;
        return kStatusOk;
    }
    if (m_type != kGridTypeSlide)
        return kStatusFailed;
    if (!(m_flags & kGridFlagSlide) || (m_flags & kGridFlagRepeat) || b < 0)
        return kStatusOk;
    const auto blankAt = [&](int64_t column, int64_t row) {
        return column >= 0 && row >= 0 && column < m_columns && row < m_rows &&
               At(uint32_t(column), uint32_t(row)) == uint32_t(b);
    };
    uint8_t& own = m_cells[uint32_t(cell)].scratch;
    own = blankAt(c, int64_t(r) - 1) ? kSlideUp
          : blankAt(c, r + 1)        ? kSlideDown
          : blankAt(int64_t(c) - 1, r) ? kSlideLeft
          : blankAt(c + 1, r)        ? kSlideRight
                                     : 0;
    if (own)
        return kStatusOk;
    // Every cell between the blank and the pressed one is pushed along with it.
    bool on = false;
    for (int64_t row = 0; row <= r; ++row)
        if ((on = on || blankAt(c, row - 1)))
            m_cells[At(c, uint32_t(row))].scratch = kSlideUp;
    on = false;
    for (int64_t row = int64_t(m_rows) - 1; row >= r; --row)
        if ((on = on || blankAt(c, row + 1)))
            m_cells[At(c, uint32_t(row))].scratch = kSlideDown;
    on = false;
    for (int64_t column = 0; column <= c; ++column)
        if ((on = on || blankAt(column - 1, r)))
            m_cells[At(uint32_t(column), r)].scratch = kSlideLeft;
    on = false;
    for (int64_t column = int64_t(m_columns) - 1; column >= c; --column)
        if ((on = on || blankAt(column + 1, r)))
            m_cells[At(uint32_t(column), r)].scratch = kSlideRight;
    return kStatusOk;
}

Status JigsawBoard::Move(float x, float y, bool inside)
{
    if (!inside)
        return kStatusFailed;
    const float dx = x - m_last[0], dy = y - m_last[1];
    m_last[0] = x;
    m_last[1] = y;
    const bool rows = m_flags & kGridFlagRows, columns = m_flags & kGridFlagColumns;
    const bool repeat = m_flags & kGridFlagRepeat;
    if (Sliding()) {
        if (m_drag[0] >= 0 && m_drag[1] >= 0) {
            if (rows && std::fabs(dx) > std::fabs(dy)) {
                m_dragOffset[0] += dx;
                if (repeat)
                    m_drag[0] = -1;  // a row drag from now on
            } else if (columns) {
                m_dragOffset[1] += dy;
                if (repeat)
                    m_drag[1] = -1;
            }
        } else if (rows && m_dragOffset[0] != 0.0f) {
            m_dragOffset[0] += dx;
        } else if (columns && m_dragOffset[1] != 0.0f) {
            m_dragOffset[1] += dy;
        }
    } else if (m_type == kGridTypeSwitch && m_drag[0] >= 0) {
        m_dragOffset[0] += dx;
        m_dragOffset[1] += dy;
        const int32_t cell = CellAt(x, y);
        m_selected = cell >= 0 && cell != DragCell() ? uint16_t(cell) : kGridNoCell;
    }
    const float width = m_cellSize[0], height = m_cellSize[1];
    if (repeat) {
        // A whole line's length further on shows the same picture.
        if (width > 0.0f)
            m_dragOffset[0] = std::fmod(m_dragOffset[0], float(m_columns) * width);
        if (height > 0.0f)
            m_dragOffset[1] = std::fmod(m_dragOffset[1], float(m_rows) * height);
    } else if (m_flags & kGridFlagSlide) {
        m_dragOffset[0] = std::clamp(m_dragOffset[0], -width, width);
        m_dragOffset[1] = std::clamp(m_dragOffset[1], -height, height);
    }
    m_largest = std::fmax(m_largest, std::hypot(m_dragOffset[0], m_dragOffset[1]));
    return kStatusOk;
}

bool JigsawBoard::Shift()
{
    const float* offset = m_dragOffset;
    const float width = m_cellSize[0], height = m_cellSize[1];
    uint8_t direction = 0;
    if ((m_flags & kGridFlagRows) && offset[0] <= -width * 0.5f)
        direction = kSlideLeft;
    else if ((m_flags & kGridFlagRows) && offset[0] > width * 0.5f)
        direction = kSlideRight;
    else if ((m_flags & kGridFlagColumns) && offset[1] <= -height * 0.5f)
        direction = kSlideUp;
    else if ((m_flags & kGridFlagColumns) && offset[1] > height * 0.5f)
        direction = kSlideDown;
    const uint32_t pc = uint32_t(m_press[0]), pr = uint32_t(m_press[1]), pressed = At(pc, pr);
    const int32_t blank = BlankCell();
    if (!direction || blank < 0 || m_cells[pressed].scratch != direction)
        return false;
    const uint32_t bc = uint32_t(blank) % m_columns, br = uint32_t(blank) / m_columns;
    // The blank walks to the pressed cell, each piece on its way moving one cell toward where it was.
    int32_t step = 0;
    if (direction == kSlideLeft && br == pr && bc < pc)
        step = 1;
    else if (direction == kSlideRight && br == pr && bc > pc)
        step = -1;
    else if (direction == kSlideUp && bc == pc && br < pr)
        step = int32_t(m_columns);
    else if (direction == kSlideDown && bc == pc && br > pr)
        step = -int32_t(m_columns);
    if (!step)
        return false;
    for (int32_t at = blank; at != int32_t(pressed); at += step)
        std::swap(m_cells[uint32_t(at)], m_cells[uint32_t(at + step)]);
    return true;
}

bool JigsawBoard::RepeatShift()
{
    const float width = m_cellSize[0], height = m_cellSize[1];
    const float* offset = m_dragOffset;
    if (m_drag[1] < 0 && m_drag[0] >= 0 && height > 0.0f && std::fabs(offset[1]) >= height * 0.5f) {
        const int32_t cells = int32_t(std::lround(std::fabs(offset[1]) / height));
        RotateColumn(uint32_t(m_drag[0]), offset[1] < 0.0f ? -cells : cells);
        return true;
    }
    if (m_drag[0] < 0 && m_drag[1] >= 0 && width > 0.0f && std::fabs(offset[0]) >= width * 0.5f) {
        const int32_t cells = int32_t(std::lround(std::fabs(offset[0]) / width));
        RotateRow(uint32_t(m_drag[1]), offset[0] < 0.0f ? -cells : cells);
        return true;
    }
    return false;
}

Status JigsawBoard::Release(float x, float y)
{
    if ((m_drag[0] < 0 && m_drag[1] < 0) || m_press[0] < 0 || !IsDealt() || m_type == kGridTypeRotate ||
        m_type == kGridTypeNone) {
        ClearPointer();
        return kStatusFailed;
    }
    const float threshold = std::hypot(m_cellSize[0] * 0.125f, m_cellSize[1] * 0.125f);
    const int32_t cell = CellAt(x, y), pressed = m_press[1] * int32_t(m_columns) + m_press[0];
    bool moved = false;
    if (m_type == kGridTypeSlide && !(m_flags & kGridFlagRepeat)) {
        if (!(m_largest > threshold) && cell == pressed)
            return Click(x, y);
        moved = (m_flags & kGridFlagSlide) && Shift();
    } else if (m_type == kGridTypeSlide) {
        moved = (m_flags & kGridFlagSlide) && RepeatShift();
    } else {
        const int32_t dragged = DragCell();
        if (cell >= 0 && (!(m_largest > threshold) || cell == dragged)) {
            m_selected = m_savedSelection;
            return Click(x, y);
        }
        if (m_selected != kGridNoCell && m_selected != dragged) {
            Exchange(uint32_t(dragged), m_selected, kGridDragExchange);
            moved = true;
        } else {
            Exchange(uint32_t(dragged), kGridNoIndex, kGridGoingBack);
            std::memcpy(m_returnOffset, m_dragOffset, sizeof m_returnOffset);
            m_pHost->PlayNull();
        }
        m_selected = kGridNoCell;
    }
    if (moved)
        Moved();
    ClearPointer();
    return kStatusOk;
}

Status JigsawBoard::Click(float x, float y)
{
    const int32_t cell = CellAt(x, y);
    const int32_t press = m_press[0] < 0 ? -1 : m_press[1] * int32_t(m_columns) + m_press[0];
    if (cell < 0 || cell != press || cell == BlankCell()) {
        ClearPointer();
        return kStatusFailed;
    }
    const uint32_t c = uint32_t(cell);
    if (m_selected == c) {
        m_selected = kGridNoCell;
        Sound();
    } else if (m_selected == kGridNoCell) {
        if (Sliding() && m_excluded >= 0) {
            if (SlideIntoBlank(c))
                Moved();
        } else if (m_type == kGridTypeSwitch && (m_flags & kGridFlagSwitch)) {
            m_selected = uint16_t(c);
            Sound();
        } else if (m_type == kGridTypeRotate && (m_flags & kGridFlagRotate)) {
            QuarterTurn(c);
            Moved();
        }
    } else if (m_type == kGridTypeSwitch) {
        Exchange(m_selected, c, kGridClickExchange);
        Moved();
    }
    ClearPointer();
    return kStatusOk;
}

// ---- the saved board ------------------------------------------------------------------------------

void JigsawBoard::StateFields(LevelState& state, uint8_t& paused, uint8_t& solved)
{
    state.Word(m_play).Word(m_type).Word(m_animation);
    state.Word(m_cellSize[0]).Word(m_cellSize[1]).Word(m_origin[0]).Word(m_origin[1]);
    state.Byte(paused).Byte(solved).Byte(m_columns).Byte(m_rows);
    uint16_t blank = uint16_t(m_excluded);
    state.Bytes(&blank, 2).Bytes(&m_flags, 2).Byte(m_randomCount).Word(m_selectedColor);
    m_excluded = int16_t(blank);
    CellFields(state);
}

bool JigsawBoard::Fits(uint32_t elementCount) const
{
    const uint32_t n = CellCount();
    const bool animation = m_animation == kGridIdle || m_animation == kGridSlide || m_animation == kGridClickExchange ||
                           m_animation == kGridDragExchange || m_animation == kGridGoingBack ||
                           m_animation == kGridQuarterTurn;
    const uint16_t flags = kGridFlagSlide | kGridFlagRows | kGridFlagColumns | kGridFlagRepeat | kGridFlagSwitch |
                           kGridFlagRotate;
    if (m_unfit || m_play < -1 || (m_play >= 0 && uint32_t(m_play) >= elementCount) || m_type > kGridTypeRotate ||
        !animation || (m_flags & ~flags) || m_excluded < -1 || (IsDealt() && m_excluded >= 0 && uint32_t(m_excluded) >= n))
        return false;
    return m_links.empty() && CellsFit(kSlideRight);
}
