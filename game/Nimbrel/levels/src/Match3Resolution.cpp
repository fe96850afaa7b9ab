// What follows a match-3 move: the frame step (reshuffle, help sparkle, animations), the runs
// found and scored, the collapse and refill, the help marks and the win.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "NimbrelLevels/Match3Board.h"

namespace {

// Progress per frame step of each animation kind.
float AnimationRate(int32_t kind)
{
    switch (kind) {
    case kMatch3ClickBounce:
    case kMatch3DragReturn:
        return 0.075f;
    case kMatch3Fall:
        return 0.05f;
    case kMatch3Shrink:
        return 0.125f;
    default:
        return 0.15f;
    }
}

// A pick that cannot leave the bonus tile gives up after this many draws.
constexpr uint32_t kMostRefillDraws = 256;

}  // namespace

void Match3Board::Step(float frameStep)
{
    if (m_reshuffle) {
        GenerateBoard(false);
        m_reshuffle = 0;
    }
    if (!HasBoard())
        return;
    const bool quiet =
        m_animation == kMatch3Idle || m_animation == kMatch3ClickBounce || m_animation == kMatch3DragReturn;
    if (!m_won && quiet && m_helpDelay != 0.0f) {
        m_helpTimer += frameStep;
        if (m_helpTimer > m_helpDelay) {
            m_helpTimer = 0.0f;
            // Never under a held piece.
            if (!Pressed()) {
                uint32_t marked = 0;
                for (const Match3Cell& cell : m_cells)
                    marked += cell.mark ? 1 : 0;
                if (marked) {
                    uint32_t k = uint32_t(uint64_t(m_pHost->NextRandom()) * marked >> 32);
                    for (uint32_t c = 0; c < m_cells.size(); ++c)
                        if (m_cells[c].mark && k-- == 0) {
                            m_pHost->ShowSparkle(c);
                            break;
                        }
                }
            }
        }
    }
    if (m_animation == kMatch3Idle)
        return;
    m_progress += frameStep * AnimationRate(m_animation);
    if (m_progress > 1.0f)
        EndAnimation();
}

void Match3Board::EndAnimation()
{
    const int32_t kind = m_animation;
    // A kept move or a cascade restarts the help's wait; a refused move does not.
    if (kind == kMatch3ClickSwap || kind == kMatch3DragSwap || kind == kMatch3Fall || kind == kMatch3Shrink)
        m_helpTimer = 0.0f;
    switch (kind) {
    case kMatch3ClickSwap:
    case kMatch3DragSwap:
        m_animation = FindMatches() ? kMatch3Shrink : kMatch3Idle;
        break;
    case kMatch3Fall:
        LandFallingCells(kMatch3Falling, kMatch3Resting);
        if (FindMatches()) {
            m_animation = kMatch3Shrink;
        } else {
            m_animation = kMatch3Idle;
            if (MarkMovableCells() < 2) {
                m_pHost->NoMoveLeft();
                m_reshuffle = 1;
            }
        }
        break;
    case kMatch3Shrink:
        m_animation = kMatch3Fall;
        CollapseAndRefill();
        break;
    default:
        m_animation = kMatch3Idle;
        break;
    }
    m_progress = 0.0f;
    m_lineReturn = 0.0f;
    if (m_animation == kMatch3Idle)
        m_cellA = m_cellB = -1;
}

uint32_t Match3Board::FindMatches()
{
    if (!HasBoard())
        return 0;
    uint32_t marked = 0;
    std::vector<uint32_t> run;
    // Rows, then columns: a piece in both is counted once.
    for (int pass = 0; pass < 2; ++pass) {
        const bool rows = pass == 0;
        const uint32_t lines = rows ? m_height : m_width, length = rows ? m_width : m_height;
        for (uint32_t line = 0; line < lines; ++line) {
            uint16_t previous = 0xFFFF;
            run.clear();
            for (uint32_t i = 0; i < length; ++i) {
                const uint32_t c = rows ? Index(i, line) : Index(line, i);
                Match3Cell& cell = m_cells[c];
                // Pieces on their way are passed over without ending the run.
                if (cell.state != kMatch3Resting && cell.state != kMatch3InRun)
                    continue;
                if (cell.kind == previous && !(m_bonusTile != kMatch3NoBonus && cell.kind == m_bonusTile)) {
                    run.push_back(c);
                    if (run.size() >= 3)
                        for (uint32_t r : run)
                            if (m_cells[r].state != kMatch3InRun) {
                                m_cells[r].state = kMatch3InRun;
                                ++marked;
                            }
                } else {
                    previous = cell.kind;
                    run.assign(1, c);
                }
            }
        }
    }
    uint32_t collected = 0;
    if (m_bonusTile == kMatch3NoBonus) {
        if (marked)
            AddScore(marked);
    } else {
        for (uint32_t x = 0; x < m_width; ++x) {
            Match3Cell& cell = m_cells[Index(x, m_height - 1u)];
            if (cell.kind != m_bonusTile || cell.state == kMatch3InRun)
                continue;
            cell.state = kMatch3InRun;
            ++collected;
            m_pHost->Collected(Index(x, m_height - 1u));
            if (m_bonusOnBoard)
                --m_bonusOnBoard;
        }
        if (collected)
            AddScore(collected);
    }
    if (marked + collected && !m_callback.empty())
        m_pHost->Removed(m_callback.c_str(), int32_t(m_bonusTile == kMatch3NoBonus ? marked : collected));
    return marked + collected;
}

void Match3Board::AddScore(uint32_t pieces)
{
    // Held at the points to win, never past what 32 bits hold.
    const int64_t score = int64_t(m_score) + int64_t(m_pointsPerMatch) * pieces;
    m_score = int32_t(std::min<int64_t>(score, m_pointsToWin));
    CheckWin();
}

Status Match3Board::CheckWin()
{
    if (m_score < m_pointsToWin || m_won)
        return kStatusFailed;
    m_won = 1;
    m_pHost->BoardFinished(1);
    return kStatusOk;
}

uint32_t Match3Board::CollapseAndRefill()
{
    if (!HasBoard())
        return 0;
    uint32_t moved = 0;
    for (uint32_t x = 0; x < m_width; ++x) {
        int32_t target = int32_t(m_height) - 1;
        for (int32_t y = int32_t(m_height) - 1; y >= 0; --y) {
            Match3Cell& cell = m_cells[Index(x, uint32_t(y))];
            if (cell.state != kMatch3Resting)
                continue;
            if (target != y) {
                cell.state = kMatch3Falling;
                cell.fall = float(target - y) * m_cellSize[1];
                std::swap(cell, m_cells[Index(x, uint32_t(target))]);
                ++moved;
            }
            --target;
        }
    }
    std::vector<uint16_t> lost(m_width, 0);
    for (uint32_t x = 0; x < m_width; ++x)
        for (int32_t y = int32_t(m_height) - 1; y >= 0; --y) {
            Match3Cell& cell = m_cells[Index(x, uint32_t(y))];
            if (cell.state != kMatch3InRun)
                continue;
            const uint16_t c = ++lost[x];
            cell.state = kMatch3Falling;
            cell.fall = float(c + y) * m_cellSize[1];
            cell.mark = 0;
            uint16_t kind = PickKind();
            if (m_bonusTile == kMatch3NoBonus) {
                cell.kind = kind;
                continue;
            }
            if (y == 0 && m_bonusOnBoard == 0)
                kind = m_bonusTile;
            if (kind == m_bonusTile) {
                if (uint32_t(y) + 1 < m_height && m_bonusOnBoard < kMatch3MostBonus) {
                    ++m_bonusOnBoard;
                } else {
                    for (uint32_t draw = 0; kind == m_bonusTile && draw < kMostRefillDraws; ++draw)
                        kind = PickKind();
                    kind = OtherThanBonus(kind);
                }
            }
            cell.kind = kind;
        }
    return moved;
}

uint32_t Match3Board::LandFallingCells(uint32_t from, uint32_t to)
{
    uint32_t changed = 0;
    for (Match3Cell& cell : m_cells)
        if (cell.state == from) {
            cell.fall = 0.0f;
            cell.state = to;
            ++changed;
        }
    return changed;
}

void Match3Board::MarkPair(uint32_t a, uint32_t b, bool rowTest, uint16_t* pMarked)
{
    if (m_bonusTile != kMatch3NoBonus && m_cells[a].kind == m_bonusTile)
        return;
    const int32_t ax = int32_t(a % m_width), ay = int32_t(a / m_width);
    const int32_t bx = int32_t(b % m_width), by = int32_t(b / m_width);
    const auto test = [&](int32_t x, int32_t y, uint16_t kind) {
        if (m_bonusTile != kMatch3NoBonus && kind == m_bonusTile)
            return false;
        return rowTest ? RowRunWouldForm(x, y, 0, 2, kind, int32_t(a), int32_t(b))
                       : ColumnRunWouldForm(x, y, 0, 2, kind, int32_t(a), int32_t(b));
    };
    if (!m_cells[b].mark && test(ax, ay, m_cells[b].kind)) {
        m_cells[b].mark = 1;
        ++*pMarked;
    }
    if (!m_cells[a].mark && test(bx, by, m_cells[a].kind)) {
        m_cells[a].mark = 1;
        ++*pMarked;
    }
}

uint16_t Match3Board::MarkMovableCells()
{
    for (Match3Cell& cell : m_cells)
        cell.mark = 0;
    uint16_t marked = 0;
    if (!HasBoard())
        return 0;
    const uint32_t w = m_width, h = m_height;
    const auto mark = [&](uint32_t c) {
        if (!m_cells[c].mark) {
            m_cells[c].mark = 1;
            ++marked;
        }
    };
    if (m_gameType & kMatch3Switch) {
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                const uint32_t a = Index(x, y);
                if (x + 1 < w && !(m_bonusTile != kMatch3NoBonus && m_cells[a].kind == m_bonusTile)) {
                    const uint32_t b = Index(x + 1, y);
                    if (!m_cells[b].mark && WouldMatchAt(int32_t(x), int32_t(y), 2, m_cells[b].kind, int32_t(a), int32_t(b)))
                        mark(b);
                    if (!m_cells[a].mark &&
                        WouldMatchAt(int32_t(x + 1), int32_t(y), 2, m_cells[a].kind, int32_t(a), int32_t(b)))
                        mark(a);
                }
                if (y + 1 < h && !(m_bonusTile != kMatch3NoBonus && m_cells[a].kind == m_bonusTile)) {
                    const uint32_t b = Index(x, y + 1);
                    if (!m_cells[b].mark && WouldMatchAt(int32_t(x), int32_t(y), 2, m_cells[b].kind, int32_t(a), int32_t(b)))
                        mark(b);
                    if (!m_cells[a].mark &&
                        WouldMatchAt(int32_t(x), int32_t(y + 1), 2, m_cells[a].kind, int32_t(a), int32_t(b)))
                        mark(a);
                }
            }
    }
    if ((m_gameType & (kMatch3Slide | kMatch3OneStep)) == (kMatch3Slide | kMatch3OneStep)) {
        // One step, the neighbours taken round the board's edges.
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                const uint32_t a = Index(x, y);
                MarkPair(a, Index((x + 1) % w, y), false, &marked);
                MarkPair(a, Index((x + w - 1) % w, y), false, &marked);
                MarkPair(a, Index(x, (y + 1) % h), true, &marked);
                MarkPair(a, Index(x, (y + h - 1) % h), true, &marked);
            }
    } else if (m_gameType & kMatch3Slide) {
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                for (uint32_t s = 1; x + s < w; ++s)
                    MarkPair(Index(x, y), Index(x + s, y), false, &marked);
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t s = 1; y + s < h; ++s)
                    MarkPair(Index(x, y), Index(x, y + s), true, &marked);
        // A line slid round its end: the pieces at one end meet those at the other.
        const auto holds = [&](uint32_t c, uint32_t d, uint32_t e) {
            return m_cells[c].kind == m_cells[e].kind && m_cells[d].kind == m_cells[e].kind;
        };
        if (h > 3)
            for (uint32_t y = 0; y < h; ++y) {
                if (holds(Index(0, y), Index(1, y), Index(w - 1, y)))
                    mark(Index(w - 1, y));
                if (holds(Index(w - 1, y), Index(w - 2, y), Index(0, y)))
                    mark(Index(0, y));
            }
        if (w > 3)
            for (uint32_t x = 0; x < w; ++x) {
                if (holds(Index(x, 0), Index(x, 1), Index(x, h - 1)))
                    mark(Index(x, h - 1));
                if (holds(Index(x, h - 1), Index(x, h - 2), Index(x, 0)))
                    mark(Index(x, 0));
            }
    }
    return marked;
}
