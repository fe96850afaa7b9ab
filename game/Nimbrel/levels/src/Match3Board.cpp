// The match-3 board's configuration words, the deal, the input of the three game types, the move
// tests, the saved fields and the text form. The resolution is in Match3Resolution.cpp.
#include "NimbrelLevels/Match3Board.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "NimbrelLevels/LevelValues.h"

namespace {

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

// A size of "%dx%d": each number cut to 8 bits, below 2 raised to 2.
uint8_t SizeValue(int32_t value)
{
    const uint8_t cut = uint8_t(value);
    return cut < 2 ? 2 : cut;
}

// A count or number that is at least 1, else 1.
int32_t AtLeastOne(const char* value)
{
    const int32_t n = TokenInt(value ? value : "");
    return n >= 1 ? n : 1;
}

// A bonus tile that cannot be left: a pick gives up after this many draws and takes the next
// kind that is not the bonus tile.
constexpr uint32_t kMostBonusDraws = 256;

}  // namespace

// ---- configuration ------------------------------------------------------------------------------

void Match3Board::Clear()
{
    m_tilesAcross = m_tilesDown = m_width = m_height = 0;
    m_kindCount = m_kindOffset = 0;
    m_bonusTile = kMatch3NoBonus;
    m_bonusOnBoard = 0;
    m_gameType = 0;
    m_selectedColor = 0;
    m_pointsPerMatch = m_pointsToWin = m_pointsOnHint = 0;
    m_reserved = 1.0f;
    m_helpDelay = 0.0f;
    m_callback.clear();
    ResetRun();
}

void Match3Board::ResetRun()
{
    m_boardItem = m_monitor = m_popups = -1;
    m_animation = kMatch3Idle;
    m_progress = m_lineReturn = 0.0f;
    m_cellA = m_cellB = -1;
    m_helpTimer = 0.0f;
    m_cellSize[0] = m_cellSize[1] = m_corner[0] = m_corner[1] = 0.0f;
    m_cells.clear();
    m_score = 0;
    m_won = m_reshuffle = 0;
    m_selected = m_savedSelection = kMatch3NoCell;
    m_rejected[0] = m_rejected[1] = m_rejected[2] = 0.0f;
    m_unfit = false;
    ClearPress();
}

void Match3Board::ClearPress()
{
    m_pressed[0] = m_pressed[1] = -1;
    m_savedSelection = kMatch3NoCell;
    m_drag[0] = m_drag[1] = m_drag[2] = 0.0f;
    m_last[0] = m_last[1] = 0.0f;
    m_longestDrag = 0.0f;
}

void Match3Board::StopMove()
{
    ClearPress();
    m_selected = kMatch3NoCell;
    m_won = 1;
}

int32_t* Match3Board::ItemWord(const char* name) { return Is(name, "match3_game_play") ? &m_boardItem : nullptr; }

Status Match3Board::Word(const char* name, char* value)
{
    // The dealt board is laid out by these: a word that changes one of them leaves no board,
    // which the next "reset" deals afresh, rather than cells read past their end or kinds off
    // the sheet.
    const uint8_t shape[] = {m_tilesAcross, m_tilesDown, m_width, m_height, m_kindCount, m_kindOffset, m_bonusTile};
    const Status status = ApplyWord(name, value);
    const uint8_t now[] = {m_tilesAcross, m_tilesDown, m_width, m_height, m_kindCount, m_kindOffset, m_bonusTile};
    if (HasBoard() && std::memcmp(shape, now, sizeof shape) != 0)
        DropBoard();
    return status;
}

void Match3Board::DropBoard()
{
    m_cells.clear();
    m_bonusOnBoard = 0;
    m_animation = kMatch3Idle;
    m_progress = m_lineReturn = 0.0f;
    m_cellA = m_cellB = -1;
    m_helpTimer = 0.0f;
    m_selected = kMatch3NoCell;
    ClearPress();
}

Status Match3Board::ApplyWord(const char* name, char* value)
{
    if (Is(name, "match3_game_type")) {
        // Bits are only added.
        LevelListWalk walk(value);
        for (char* token = walk.Next(); token; token = walk.Next()) {
            if (Is(token, "slide"))
                m_gameType |= kMatch3Slide;
            else if (Is(token, "slide_one"))
                m_gameType |= kMatch3Slide | kMatch3OneStep;
            else if (Is(token, "switch"))
                m_gameType |= kMatch3Switch;
        }
    } else if (Is(name, "match3_row_col") || Is(name, "match3_grid_row_col")) {
        const RowCol size = ParseRowCol(value, "%dx%d");
        const bool sheet = Is(name, "match3_row_col");
        (sheet ? m_tilesAcross : m_width) = SizeValue(size.first);
        (sheet ? m_tilesDown : m_height) = SizeValue(size.second);
    } else if (Is(name, "match3_elem_used_count")) {
        const int32_t n = TokenInt(value ? value : "");
        m_kindCount = n >= 1 ? uint8_t(n) : 1;
    } else if (Is(name, "match3_elem_bonus_index")) {
        m_bonusTile = uint8_t(TokenInt(value ? value : "") - 1);
    } else if (Is(name, "match3_elem_used_offset")) {
        const int32_t n = TokenInt(value ? value : "");
        m_kindOffset = n >= 1 ? uint8_t(n) : 1;
    } else if (Is(name, "match3_selected_color")) {
        m_selectedColor = ParseColor(value, 0xFFFFFFFFu);
    } else if (Is(name, "match3_points_per_match")) {
        m_pointsPerMatch = AtLeastOne(value);
    } else if (Is(name, "match3_points_to_win")) {
        m_pointsToWin = AtLeastOne(value);
    } else if (Is(name, "match3_points_on_hint")) {
        m_pointsOnHint = AtLeastOne(value);
    } else if (Is(name, "match3_help_seconds")) {
        m_helpDelay = TokenFloat(value ? value : "") * 30.0f;
    } else if (Is(name, "match3_response_callback")) {
        m_callback = value ? value : "";
    }
    return kStatusDoneStoreResult;
}

Status Match3Board::CheckSetup() const
{
    if (m_boardItem < 0 || m_monitor < 0 || m_popups < 0)
        return kStatusFailed;
    if (m_tilesAcross < 3 && m_tilesDown < 3)
        return kStatusFailed;
    const uint32_t cells = uint32_t(m_width) * m_height;
    if (m_kindCount < 4 || m_kindCount > cells)
        return kStatusFailed;
    if (m_kindOffset == kMatch3NoBonus || uint32_t(m_kindOffset) + m_kindCount > cells)
        return kStatusFailed;
    return KindsPlayable() ? kStatusOk : kStatusFailed;
}

void Match3Board::SetArea(float left, float top, float right, float bottom)
{
    m_cellSize[0] = m_width ? (right - left) / float(m_width) : 0.0f;
    m_cellSize[1] = m_height ? (bottom - top) / float(m_height) : 0.0f;
    m_corner[0] = left;
    m_corner[1] = top;
}

// ---- the deal -----------------------------------------------------------------------------------

uint16_t Match3Board::ReplacementKind(uint16_t kind) const
{
    return m_kindCount ? uint16_t((kind + 1) % m_kindCount + m_kindOffset) : kind;
}

uint16_t Match3Board::PickKind()
{
    return uint16_t(m_kindOffset + uint32_t(uint64_t(m_pHost->NextRandom()) * m_kindCount >> 32));
}

bool Match3Board::HoldsKind(uint32_t x, uint32_t y, uint16_t kind) const { return m_cells[Index(x, y)].kind == kind; }

uint16_t Match3Board::PickFresh(uint32_t x, uint32_t y)
{
    uint16_t kind = PickKind();
    const auto left = [&] {
        if (x >= 2 && HoldsKind(x - 1, y, kind) && HoldsKind(x - 2, y, kind))
            kind = ReplacementKind(kind);
    };
    left();
    if (y >= 2 && HoldsKind(x, y - 1, kind) && HoldsKind(x, y - 2, kind))
        kind = ReplacementKind(kind);
    left();
    return kind;
}

bool Match3Board::KindsPlayable() const
{
    // Every kind and the bonus piece have a tile of the sheet, and a kind that is not the bonus.
    const uint32_t tiles = uint32_t(m_tilesAcross) * m_tilesDown;
    return m_kindCount != 0 && m_width != 0 && m_height != 0 && uint32_t(m_kindOffset) + m_kindCount <= tiles &&
           (m_bonusTile == kMatch3NoBonus || (m_bonusTile < tiles && !(m_kindCount == 1 && m_kindOffset == m_bonusTile)));
}

uint16_t Match3Board::OtherThanBonus(uint16_t kind) const
{
    for (uint32_t k = m_kindOffset; kind == m_bonusTile && k < uint32_t(m_kindOffset) + m_kindCount; ++k)
        kind = uint16_t(k);
    return kind;
}

Status Match3Board::GenerateBoard(bool fullReset)
{
    // Pieces that could not be drawn, or only bonus pieces, make no board.
    if (!KindsPlayable())
        return kStatusFailed;
    m_won = 0;
    m_selected = kMatch3NoCell;
    m_pressed[0] = m_pressed[1] = -1;
    m_pHost->Reseed();
    m_bonusOnBoard = 0;
    const uint32_t count = uint32_t(m_width) * m_height;
    std::vector<Match3Cell> cells(count, Match3Cell{0.0f, 0, kMatch3Falling, 0});
    std::vector<bool> kept(count, false);
    if (!fullReset && m_bonusTile != kMatch3NoBonus && m_cells.size() == count) {
        for (uint32_t c = 0; c < count; ++c)
            if (m_cells[c].kind == m_bonusTile && m_bonusOnBoard < kMatch3MostBonus) {
                cells[c].kind = m_bonusTile;
                kept[c] = true;
                ++m_bonusOnBoard;
            }
    }
    m_cells.swap(cells);
    for (uint32_t y = 0; y < m_height; ++y)
        for (uint32_t x = 0; x < m_width; ++x) {
            Match3Cell& cell = m_cells[Index(x, y)];
            // A bonus piece kept by a reshuffle stays where it is.
            if (kept[Index(x, y)])
                continue;
            uint16_t kind = PickFresh(x, y);
            if (m_bonusTile != kMatch3NoBonus && kind == m_bonusTile) {
                if (y + 1 < m_height && m_bonusOnBoard < kMatch3MostBonus) {
                    ++m_bonusOnBoard;
                } else {
                    for (uint32_t draw = 0; kind == m_bonusTile && draw < kMostBonusDraws; ++draw)
                        kind = PickFresh(x, y);
                    // Kinds that all lead to the bonus tile: the first other kind instead.
                    kind = OtherThanBonus(kind);
                }
            }
            cell.kind = kind;
            cell.state = kMatch3Falling;
            cell.mark = 0;
            cell.fall = (float(m_height - y) + 0.5f) * m_cellSize[1];
        }
    if (fullReset)
        m_score = 0;
    m_cellA = m_cellB = -1;
    m_animation = kMatch3Fall;
    m_progress = m_lineReturn = m_helpTimer = 0.0f;
    m_pHost->RemoveSparkle();
    return kStatusOk;
}

// ---- input --------------------------------------------------------------------------------------

int32_t Match3Board::CellAtPoint(float x, float y) const
{
    if (!HasBoard() || !(m_cellSize[0] > 0.0f) || !(m_cellSize[1] > 0.0f))
        return -1;
    const float fx = (x - m_corner[0]) / m_cellSize[0], fy = (y - m_corner[1]) / m_cellSize[1];
    if (!(fx > 0.0f && fy > 0.0f && fx < float(m_width) && fy < float(m_height)))
        return -1;
    const float cx = std::floor(fx), cy = std::floor(fy);
    // A point on a border line is in no cell.
    if (cx == fx || cy == fy)
        return -1;
    return int32_t(Index(uint32_t(cx), uint32_t(cy)));
}

void Match3Board::CellCentre(uint32_t cell, float* pX, float* pY) const
{
    const uint32_t x = m_width ? cell % m_width : 0, y = m_width ? cell / m_width : 0;
    *pX = m_corner[0] + float(x) * m_cellSize[0] + m_cellSize[0] * 0.5f;
    *pY = m_corner[1] + float(y) * m_cellSize[1] + m_cellSize[1] * 0.5f;
}

bool Match3Board::Neighbours(uint32_t a, uint32_t b) const
{
    const int32_t ax = int32_t(a % m_width), ay = int32_t(a / m_width);
    const int32_t bx = int32_t(b % m_width), by = int32_t(b / m_width);
    return (ay == by && std::abs(ax - bx) == 1) || (ax == bx && std::abs(ay - by) == 1);
}

bool Match3Board::Press(float x, float y)
{
    if (!InPlay())
        return false;
    m_last[0] = x;
    m_last[1] = y;
    m_pressed[0] = m_pressed[1] = -1;
    m_drag[0] = m_drag[1] = m_drag[2] = 0.0f;
    m_rejected[0] = m_rejected[1] = m_rejected[2] = 0.0f;
    m_longestDrag = 0.0f;
    m_savedSelection = kMatch3NoCell;
    const int32_t cell = CellAtPoint(x, y);
    if (cell < 0 || (m_gameType & (kMatch3Slide | kMatch3Switch)) == 0)
        return false;
    m_pressed[0] = cell % m_width;
    m_pressed[1] = cell / m_width;
    if (!(m_gameType & kMatch3Slide) && m_selected != kMatch3NoCell)
        m_savedSelection = m_selected;
    return true;
}

void Match3Board::ClampToPressed(float* pX, float* pY) const
{
    const float lowX = m_corner[0] + (float(m_pressed[0]) - 0.5f) * m_cellSize[0];
    const float lowY = m_corner[1] + (float(m_pressed[1]) - 0.5f) * m_cellSize[1];
    *pX = std::min(std::max(*pX, lowX), lowX + 2.0f * m_cellSize[0]);
    *pY = std::min(std::max(*pY, lowY), lowY + 2.0f * m_cellSize[1]);
}

void Match3Board::ClampForDisplay(const float* offset, float* out2) const
{
    const int32_t column = m_pressed[0], row = m_pressed[1];
    float x = std::min(std::max(offset[0], -m_cellSize[0]), m_cellSize[0]);
    float y = std::min(std::max(offset[1], -m_cellSize[1]), m_cellSize[1]);
    // Nothing leaves the board at its edges.
    if ((column == 0 && x < 0.0f) || (column == int32_t(m_width) - 1 && x > 0.0f))
        x = 0.0f;
    if ((row == 0 && y < 0.0f) || (row == int32_t(m_height) - 1 && y > 0.0f))
        y = 0.0f;
    if (std::fabs(y) <= std::fabs(x))
        y = 0.0f;
    else
        x = 0.0f;
    out2[0] = x;
    out2[1] = y;
}

bool Match3Board::Drag(float x, float y)
{
    if (!InPlay() || !Pressed())
        return false;
    const float right = m_corner[0] + float(m_width) * m_cellSize[0];
    const float bottom = m_corner[1] + float(m_height) * m_cellSize[1];
    if (x < m_corner[0] || x > right || y < m_corner[1] || y > bottom)
        return false;
    const float dx = x - m_last[0], dy = y - m_last[1];
    m_last[0] = x;
    m_last[1] = y;
    if (m_gameType & kMatch3Slide) {
        if (m_pressed[0] >= 0 && m_pressed[1] >= 0) {
            // The first step chooses the axis.
            if (std::fabs(dx) <= std::fabs(dy)) {
                m_pressed[1] = -1;
                m_drag[1] += dy;
            } else {
                m_pressed[0] = -1;
                m_drag[0] += dx;
            }
        } else if (m_drag[0] != 0.0f) {
            m_drag[0] += dx;
        } else if (m_drag[1] != 0.0f) {
            m_drag[1] += dy;
        }
        if (m_gameType & kMatch3OneStep) {
            m_drag[0] = std::min(std::max(m_drag[0], -m_cellSize[0]), m_cellSize[0]);
            m_drag[1] = std::min(std::max(m_drag[1], -m_cellSize[1]), m_cellSize[1]);
        }
        m_pHost->RemoveSparkle();
    } else if (m_gameType & kMatch3Switch) {
        m_selected = kMatch3NoCell;
        m_drag[0] += dx;
        m_drag[1] += dy;
        float cx = x, cy = y;
        ClampToPressed(&cx, &cy);
        const int32_t cell = CellAtPoint(cx, cy);
        if (cell >= 0 && Neighbours(uint32_t(cell), Index(uint32_t(m_pressed[0]), uint32_t(m_pressed[1]))))
            m_selected = uint16_t(cell);
    }
    m_longestDrag = std::max(m_longestDrag, std::sqrt(m_drag[0] * m_drag[0] + m_drag[1] * m_drag[1]));
    return true;
}

bool Match3Board::Release(float x, float y)
{
    if (!InPlay() || !Pressed())
        return false;
    if (m_gameType & kMatch3Slide)
        ReleaseSlide();
    else
        ReleaseSwitch(x, y);
    return true;
}

void Match3Board::ReleaseSlide()
{
    const bool vertical = m_pressed[0] >= 0 && m_pressed[1] < 0;
    const bool horizontal = m_pressed[1] >= 0 && m_pressed[0] < 0;
    bool moved = false;
    if (vertical || horizontal) {
        const float d = vertical ? m_drag[1] : m_drag[0];
        const float s = vertical ? m_cellSize[1] : m_cellSize[0];
        if (std::fabs(d) > s / 2.0f) {
            // Rounded to whole cells: the first from half a cell, each further at a whole one.
            int32_t n = 1;
            if (d < 0.0f) {
                for (float rest = d + s / 2.0f; rest < -s && n < 255; rest += s)
                    ++n;
                n = -n;
            } else {
                for (float rest = d - s / 2.0f; rest > s && n < 255; rest -= s)
                    ++n;
            }
            const int32_t column = vertical ? m_pressed[0] : -1, row = horizontal ? m_pressed[1] : -1;
            const int32_t length = vertical ? int32_t(m_height) : int32_t(m_width);
            // Position i then shows the cell at i + shift.
            const int32_t shift = ((-n) % length + length) % length;
            if (LineShiftWouldMatch(column, row, shift, 2)) {
                RotateLine(column, row, n);
                m_animation = kMatch3Shrink;
                m_progress = 0.0f;
                FindMatches();
            } else {
                m_animation = kMatch3LineReturn;
                m_progress = 0.0f;
                m_cellA = vertical ? column : kMatch3WholeLine;
                m_cellB = vertical ? kMatch3WholeLine : row;
                m_lineReturn = d;
            }
            moved = true;
        }
    }
    m_pHost->PlayBoardSound(false);
    ClearPress();
    if (moved)
        m_selected = kMatch3NoCell;
}

void Match3Board::RotateLine(int32_t column, int32_t row, int32_t n)
{
    const bool vertical = column >= 0;
    const uint32_t length = vertical ? m_height : m_width;
    std::vector<Match3Cell> line(length);
    for (uint32_t i = 0; i < length; ++i)
        line[i] = m_cells[vertical ? Index(uint32_t(column), i) : Index(i, uint32_t(row))];
    for (uint32_t i = 0; i < length; ++i) {
        const uint32_t from = uint32_t(((int32_t(i) - n) % int32_t(length) + int32_t(length)) % int32_t(length));
        m_cells[vertical ? Index(uint32_t(column), i) : Index(i, uint32_t(row))] = line[from];
    }
}

bool Match3Board::SwitchWouldMatch(uint32_t a, uint32_t b) const
{
    const int32_t ax = int32_t(a % m_width), ay = int32_t(a / m_width);
    const int32_t bx = int32_t(b % m_width), by = int32_t(b / m_width);
    return WouldMatchAt(ax, ay, 2, m_cells[b].kind, int32_t(a), int32_t(b)) ||
           WouldMatchAt(bx, by, 2, m_cells[a].kind, int32_t(a), int32_t(b));
}

void Match3Board::ReleaseSwitch(float x, float y)
{
    ClampToPressed(&x, &y);
    const float threshold = std::sqrt(m_cellSize[0] * m_cellSize[0] + m_cellSize[1] * m_cellSize[1]) / 8.0f;
    const int32_t target = CellAtPoint(x, y);
    const uint32_t pressed = Index(uint32_t(m_pressed[0]), uint32_t(m_pressed[1]));
    if (target >= 0 && (m_longestDrag <= threshold || uint32_t(target) == pressed)) {
        // A click: the selection before the press takes it.
        m_selected = m_savedSelection;
        CellCentre(pressed, &x, &y);
        Click(x, y);
        ClearPress();
        return;
    }
    const bool kept = target >= 0 && Neighbours(pressed, uint32_t(target)) &&
                      m_cells[pressed].kind != m_cells[uint32_t(target)].kind &&
                      SwitchWouldMatch(pressed, uint32_t(target));
    m_progress = 0.0f;
    m_cellA = int32_t(pressed);
    if (kept) {
        std::swap(m_cells[pressed], m_cells[uint32_t(target)]);
        m_animation = kMatch3DragSwap;
        m_cellB = target;
        m_rejected[0] = m_rejected[1] = m_rejected[2] = 0.0f;
    } else {
        m_animation = kMatch3DragReturn;
        m_cellB = -1;
        ClampForDisplay(m_drag, m_rejected);
        m_rejected[2] = 0.0f;
    }
    m_pHost->PlayBoardSound(!kept);
    ClearPress();
    m_selected = kMatch3NoCell;
}

bool Match3Board::Click(float x, float y)
{
    if (!InPlay() || !Pressed())
        return false;
    const int32_t cell = CellAtPoint(x, y);
    if (cell < 0 || m_pressed[0] < 0 || m_pressed[1] < 0 ||
        uint32_t(cell) != Index(uint32_t(m_pressed[0]), uint32_t(m_pressed[1])))
        return false;
    const uint32_t clicked = uint32_t(cell);
    if (m_selected == clicked) {
        m_selected = kMatch3NoCell;
    } else if (m_selected == kMatch3NoCell || m_selected >= CellCount()) {
        if (!(m_gameType & kMatch3Slide) && (m_gameType & kMatch3Switch)) {
            m_selected = uint16_t(clicked);
            m_pHost->PlayBoardSound(false);
        }
    } else if (!Neighbours(m_selected, clicked)) {
        m_selected = uint16_t(clicked);
        m_pHost->PlayBoardSound(false);
    } else {
        const uint32_t selected = m_selected;
        const bool kept = m_cells[selected].kind != m_cells[clicked].kind && SwitchWouldMatch(selected, clicked);
        m_cellA = int32_t(selected);
        m_cellB = int32_t(clicked);
        m_progress = 0.0f;
        if (kept) {
            std::swap(m_cells[selected], m_cells[clicked]);
            m_animation = kMatch3ClickSwap;
            m_pHost->RemoveSparkle();
        } else {
            m_animation = kMatch3ClickBounce;
        }
        m_pHost->PlayBoardSound(!kept);
        m_selected = kMatch3NoCell;
    }
    ClearPress();
    return true;
}

// ---- move tests ---------------------------------------------------------------------------------

int32_t Match3Board::CountRun(bool row, int32_t line, int32_t position, int32_t step, int32_t shift, int32_t need,
                              uint16_t kind, int32_t excludedA, int32_t excludedB) const
{
    const int32_t length = row ? int32_t(m_width) : int32_t(m_height);
    int32_t count = 0;
    for (int32_t k = 1; k <= need; ++k) {
        const int32_t i = position + step * k;
        if (i < 0 || i >= length)
            break;
        const int32_t shown = ((i + shift) % length + length) % length;
        const int32_t cell = int32_t(row ? Index(uint32_t(shown), uint32_t(line)) : Index(uint32_t(line), uint32_t(shown)));
        if (cell == excludedA || cell == excludedB)
            break;
        const Match3Cell& c = m_cells[uint32_t(cell)];
        // A piece on its way is passed over.
        if (c.state != kMatch3Resting)
            continue;
        if (c.kind != kind)
            break;
        ++count;
    }
    return count;
}

bool Match3Board::RowRunWouldForm(int32_t x, int32_t y, int32_t shift, int32_t need, uint16_t kind,
                                  int32_t excludedA, int32_t excludedB) const
{
    if (!HasBoard() || x < 0 || y < 0 || x >= int32_t(m_width) || y >= int32_t(m_height))
        return false;
    return CountRun(true, y, x, -1, shift, need, kind, excludedA, excludedB) +
               CountRun(true, y, x, 1, shift, need, kind, excludedA, excludedB) >=
           need;
}

bool Match3Board::ColumnRunWouldForm(int32_t x, int32_t y, int32_t shift, int32_t need, uint16_t kind,
                                     int32_t excludedA, int32_t excludedB) const
{
    if (!HasBoard() || x < 0 || y < 0 || x >= int32_t(m_width) || y >= int32_t(m_height))
        return false;
    return CountRun(false, x, y, -1, shift, need, kind, excludedA, excludedB) +
               CountRun(false, x, y, 1, shift, need, kind, excludedA, excludedB) >=
           need;
}

bool Match3Board::WouldMatchAt(int32_t x, int32_t y, int32_t need, uint16_t kind, int32_t excludedA,
                               int32_t excludedB) const
{
    if (m_bonusTile != kMatch3NoBonus && kind == m_bonusTile)
        return false;
    return RowRunWouldForm(x, y, 0, need, kind, excludedA, excludedB) ||
           ColumnRunWouldForm(x, y, 0, need, kind, excludedA, excludedB);
}

bool Match3Board::LineShiftWouldMatch(int32_t column, int32_t row, int32_t shift, int32_t need) const
{
    if (!HasBoard() || (column < 0) == (row < 0) || column >= int32_t(m_width) || row >= int32_t(m_height))
        return false;
    const bool vertical = column >= 0;
    const int32_t length = vertical ? int32_t(m_height) : int32_t(m_width);
    for (int32_t i = 0; i < length; ++i) {
        const int32_t from = ((i + shift) % length + length) % length;
        const Match3Cell& arriving = m_cells[vertical ? Index(uint32_t(column), uint32_t(from))
                                                      : Index(uint32_t(from), uint32_t(row))];
        if (arriving.state != kMatch3Resting || (m_bonusTile != kMatch3NoBonus && arriving.kind == m_bonusTile))
            continue;
        const int32_t x = vertical ? column : i, y = vertical ? i : row;
        const bool along = vertical ? ColumnRunWouldForm(x, y, shift, need, arriving.kind, -1, -1)
                                    : RowRunWouldForm(x, y, shift, need, arriving.kind, -1, -1);
        const bool across = vertical ? RowRunWouldForm(x, y, 0, need, arriving.kind, -1, -1)
                                     : ColumnRunWouldForm(x, y, 0, need, arriving.kind, -1, -1);
        if (along || across)
            return true;
    }
    return false;
}

// ---- saved fields and the text form -------------------------------------------------------------

void Match3Board::StateFields(LevelState& state, uint8_t& paused)
{
    const bool reading = !state.Writing();
    state.Word(m_boardItem).Word(m_monitor).Word(m_popups).Word(m_animation);
    state.Word(m_cellSize[0]).Word(m_cellSize[1]).Word(m_corner[0]).Word(m_corner[1]);
    state.Byte(m_tilesAcross).Byte(m_tilesDown).Byte(m_width).Byte(m_height);
    state.Byte(m_kindCount).Byte(m_kindOffset).Byte(m_bonusTile).Byte(m_bonusOnBoard);
    state.Bytes(&m_gameType, 2).Word(m_selectedColor).Word(m_pointsPerMatch).Word(m_pointsToWin).Word(m_pointsOnHint);
    state.Word(m_reserved).Word(m_helpDelay).Text(m_callback);
    uint32_t count = uint32_t(m_cells.size());
    state.Word(count);
    if (reading) {
        if (!state.Ok())
            return;
        // A count that is not the board's is never sized by: the level starts afresh.
        count &= 0xFFFF;
        if (count != 0 && count != uint32_t(m_width) * m_height) {
            m_unfit = true;
            return;
        }
        m_cells.assign(count, Match3Cell{0.0f, 0, 0, 0});
    }
    for (Match3Cell& cell : m_cells)
        state.Word(cell.fall).Bytes(&cell.kind, 2).Word(cell.state).Byte(cell.mark);
    state.Word(m_score).Byte(paused).Byte(m_won).Byte(m_reshuffle);
}

bool Match3Board::Fits(uint32_t elementCount) const
{
    if (m_unfit)
        return false;
    if (m_boardItem < -1 || (m_boardItem >= 0 && uint32_t(m_boardItem) >= elementCount) || m_monitor < -1 ||
        m_popups < -1)
        return false;
    if (m_animation < kMatch3Idle || m_animation > kMatch3Shrink || m_gameType > 7 || m_won > 1 || m_reshuffle > 1)
        return false;
    for (float value : {m_cellSize[0], m_cellSize[1], m_corner[0], m_corner[1], m_reserved, m_helpDelay})
        if (!std::isfinite(value))
            return false;
    if (m_cells.empty())
        return true;
    if (m_cells.size() != uint32_t(m_width) * m_height || m_width < 2 || m_height < 2)
        return false;
    const uint32_t tiles = uint32_t(m_tilesAcross) * m_tilesDown;
    uint32_t bonus = 0;
    for (const Match3Cell& cell : m_cells) {
        if (cell.kind >= tiles || cell.state > kMatch3InRun || cell.mark > 1 || !std::isfinite(cell.fall))
            return false;
        if (m_bonusTile != kMatch3NoBonus && cell.kind == m_bonusTile)
            ++bonus;
    }
    return bonus <= kMatch3MostBonus && m_bonusOnBoard <= kMatch3MostBonus;
}

uint32_t Match3Board::Print(char* out, uint32_t capacity) const
{
    if (!capacity)
        return 0;
    std::string text;
    char cell[96];
    if (!HasBoard()) {
        text = "match3 no board";
    } else {
        std::snprintf(cell, sizeof cell, "match3 %ux%u score %d/%d animation %d%s%s", unsigned(m_width),
                      unsigned(m_height), int(m_score), int(m_pointsToWin), int(m_animation), m_won ? " won" : "",
                      m_reshuffle ? " reshuffle" : "");
        text = cell;
        for (uint32_t c = 0; c < m_cells.size(); ++c) {
            std::snprintf(cell, sizeof cell, "%s%u:%u", c % m_width ? " " : "\n", unsigned(m_cells[c].kind),
                          unsigned(m_cells[c].state));
            text += cell;
        }
    }
    std::snprintf(out, capacity, "%s", text.c_str());
    return uint32_t(std::strlen(out));
}

void Match3Board::SetCell(uint32_t cell, uint16_t kind, uint32_t state)
{
    if (cell < m_cells.size()) {
        m_cells[cell].kind = kind;
        m_cells[cell].state = state;
        m_cells[cell].fall = 0.0f;
    }
}
