// The puzzle board's rules: its words, the scatter, presses, drags and drops of pieces, turns by
// short presses, locks at home, joins of groups, the win test and the saved board.
#include "NimbrelLevels/PuzzleBoard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "NimbrelLevels/LevelState.h"
#include "NimbrelLevels/LevelValues.h"

namespace {

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

// A grid side: cut to 8 bits, at least 2.
uint32_t Side(int32_t value)
{
    const uint8_t side = uint8_t(value);
    return side < 2 ? 2 : side;
}

// A number cut to 8 bits, at least 1.
uint8_t AtLeastOne(int32_t value)
{
    const uint8_t cut = uint8_t(value);
    return cut < 1 ? 1 : cut;
}

float Distance(const float* a, const float* b)
{
    const float x = a[0] - b[0], y = a[1] - b[1], z = a[2] - b[2];
    return std::sqrt(x * x + y * y + z * z);
}

// A share r / 2^32 of the span from `low` to `high`.
float Scatter(float low, float high, uint32_t r) { return float(low + (high - low) * (double(r) / 4294967296.0)); }

}  // namespace

void PuzzleBoard::Clear()
{
    m_play = -1;
    m_selectedColor = 0;
    m_randomCount = 0;
    m_snapRange = 0;
    m_snap.clear();
    m_rotate = m_snapFinish = m_grid = 0;
    m_columns = m_rows = 0;
    m_snapRowSize = 0;
    m_snapRows = 0;
    m_unfit = false;
    ResetRun();
}

void PuzzleBoard::ResetRun()
{
    m_pieces.clear();
    m_joined.clear();
    m_allowed.clear();
    m_snap.clear();
    m_last[0] = m_last[1] = m_last[2] = 0.0f;
    m_shortPress = 1;
}

void PuzzleBoard::StopMove()
{
    for (PuzzlePiece& piece : m_pieces) {
        piece.held = 0;
        piece.travelled = 0.0f;
    }
    m_shortPress = 1;
}

int32_t PuzzleBoard::Held() const
{
    for (uint32_t i = 0; i < Count(); ++i)
        if (m_pieces[i].held)
            return int32_t(i);
    return -1;
}

void PuzzleBoard::Turn(const float* v, uint32_t t, float* pOut)
{
    const float x = v[0], y = v[1];
    switch (t & 3) {
    case 1:
        pOut[0] = -y;
        pOut[1] = x;
        break;
    case 2:
        pOut[0] = -x;
        pOut[1] = -y;
        break;
    case 3:
        pOut[0] = y;
        pOut[1] = -x;
        break;
    default:
        pOut[0] = x;
        pOut[1] = y;
        break;
    }
}

// ---- words -------------------------------------------------------------------------------------

int32_t* PuzzleBoard::ItemWord(const char* name) { return Is(name, "puzzle_game_play") ? &m_play : nullptr; }

Status PuzzleBoard::Word(const char* name, char* value)
{
    if (!value)
        return kStatusDoneStoreResult;
    Status status = kStatusDoneStoreResult;
    if (Is(name, "puzzle_rotate")) {
        m_rotate = TokenInt(value) == 1;
    } else if (Is(name, "puzzle_grid")) {
        m_grid = TokenInt(value) == 1;
    } else if (Is(name, "puzzle_grid_row_col")) {
        const RowCol size = ParseRowCol(value, "%dx%d");
        m_columns = Side(size.first);
        m_rows = Side(size.second);
    } else if (Is(name, "puzzle_snap_range")) {
        m_snapRange = AtLeastOne(TokenInt(value));
    } else if (Is(name, "puzzle_number_element")) {
        status = PieceCount(value);
    } else if (Is(name, "puzzle_game_element")) {
        PieceItems(value);
    } else if (Is(name, "puzzle_selected_color")) {
        m_selectedColor = ParseColor(value, 0xFFFFFFFFu);
    } else if (Is(name, "puzzle_random_count")) {
        m_randomCount = AtLeastOne(TokenInt(value));
    } else if (Is(name, "puzzle_snap")) {
        status = SnapSize(value);
    } else if (Is(name, "snap_piece")) {
        status = SnapPiece(value);
    } else if (Is(name, "finish_snap")) {
        m_snapFinish = TokenInt(value) == 1;
    }
    return Failed(status) ? status : kStatusDoneStoreResult;
}

Status PuzzleBoard::PieceCount(const char* value)
{
    const int32_t n = std::max(1, TokenInt(value));
    if (uint32_t(n) > kPuzzleMostPieces) {
        NoTrace("puzzle_number_element: %d pieces are more than %u", n, kPuzzleMostPieces);
        return kStatusFailed;
    }
    const size_t table = size_t(n) * size_t(n);
    // A piece names no item until "puzzle_game_element" finds one.
    m_pieces.assign(size_t(n), PuzzlePiece{-1, 0, 0, 0, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, 0, 0, 0.0f});
    m_joined.assign(table, 0);
    m_allowed.assign(table, 0);
    m_snap.assign(table, 0);
    return kStatusDoneStoreResult;
}

void PuzzleBoard::PieceItems(const char* base)
{
    for (uint32_t k = 0; k < Count(); ++k) {
        const std::string name = std::string(base) + (k + 1 < 10 ? "_0" : "_") + std::to_string(k + 1);
        m_pieces[k].element = m_pHost->FindItem(name.c_str());
    }
}

Status PuzzleBoard::SnapSize(const char* value)
{
    const uint32_t size = uint32_t(std::max(0, TokenInt(value)));
    // A row longer than the piece count has no room in the tables.
    if (size > Count()) {
        NoTrace("puzzle_snap: rows of %u pieces among %u", size, Count());
        return kStatusFailed;
    }
    m_snapRowSize = size;
    m_snapRows = 0;
    return kStatusDoneStoreResult;
}

Status PuzzleBoard::SnapPiece(char* value)
{
    const uint32_t n = Count();
    if (m_snapRows >= n) {
        NoTrace("snap_piece: a row beyond the %u pieces", n);
        return kStatusFailed;
    }
    // Every number is checked before any is marked: a refused row leaves the table.
    std::vector<uint32_t> marks;
    {
        LevelListWalk walk(value);
        for (char* token = walk.Next(); token; token = walk.Next()) {
            const int32_t k = TokenInt(token);
            if (k < 1 || uint32_t(k) > m_snapRowSize || uint32_t(k) > n) {
                NoTrace("# CScreenLayeredLevelPuzzle::LoadEventsFromParam error invalud snap_piece !!!\n");
                return kStatusFailed;
            }
            marks.push_back(uint32_t(k) - 1);
        }
    }
    for (uint32_t k : marks)
        m_snap[size_t(m_snapRows) * n + k] = 1;
    ++m_snapRows;
    return kStatusDoneStoreResult;
}

Status PuzzleBoard::CheckSetup() const { return m_play < 0 ? kStatusFailed : kStatusOk; }

// ---- play --------------------------------------------------------------------------------------

Status PuzzleBoard::Deal()
{
    if (m_pieces.empty())
        return kStatusFailed;
    std::fill(m_joined.begin(), m_joined.end(), 0);
    m_allowed = m_snap;
    float area[4];
    m_pHost->PlayArea(area);
    for (uint32_t k = 0; k < Count(); ++k) {
        PuzzlePiece& piece = m_pieces[k];
        float half[2] = {0.0f, 0.0f};
        if (!m_pHost->ItemPlace(piece.element, piece.home, half))
            piece.home[0] = piece.home[1] = piece.home[2] = 0.0f;
        piece.current[0] = Scatter(area[0] + half[0], area[2] - half[0], m_pHost->NextRandom());
        piece.current[1] = Scatter(area[1] + half[1], area[3] - half[1], m_pHost->NextRandom());
        piece.current[2] = piece.home[2];
        piece.locked = piece.joined = piece.held = 0;
        piece.rank = k;
        piece.turn = m_rotate ? uint8_t((uint64_t(m_pHost->NextRandom()) * 3) >> 32) : 0;
        piece.travelled = 0.0f;
    }
    m_shortPress = 1;
    return kStatusOk;
}

Status PuzzleBoard::Press(const float* p)
{
    const uint32_t n = Count();
    if (n == 0)
        return kStatusFailed;
    for (PuzzlePiece& piece : m_pieces)
        piece.held = 0;
    for (uint32_t rank = n; rank-- > 0;) {
        for (uint32_t i = 0; i < n; ++i) {
            PuzzlePiece& piece = m_pieces[i];
            if (piece.rank != rank || piece.locked || piece.element < 0)
                continue;
            // The point in the piece's own frame: the turn taken back.
            const float d[2] = {p[0] - piece.current[0], p[1] - piece.current[1]};
            float local[2];
            Turn(d, 4u - piece.turn, local);
            if (!m_pHost->PieceHit(piece.element, local[0], local[1]))
                continue;
            piece.held = 1;
            for (PuzzlePiece& other : m_pieces)
                if (other.rank > rank)
                    --other.rank;
            for (uint32_t j : Group(i))
                m_pieces[j].rank = n - 1;
            std::memcpy(m_last, p, sizeof m_last);
            return kStatusOk;
        }
    }
    return kStatusFailed;
}

Status PuzzleBoard::Move(const float* p)
{
    const int32_t held = Held();
    if (held < 0)
        return kStatusFailed;
    PuzzlePiece& piece = m_pieces[uint32_t(held)];
    const float d[3] = {p[0] - m_last[0], p[1] - m_last[1], p[2] - m_last[2]};
    std::memcpy(m_last, p, sizeof m_last);
    if (m_rotate) {
        piece.travelled += std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        if (piece.travelled > float(m_snapRange) * kPuzzleShortPressShare)
            m_shortPress = 0;
    }
    float area[4];
    m_pHost->PlayArea(area);
    for (int a = 0; a < 2; ++a)
        piece.current[a] = std::min(std::max(piece.current[a] + d[a], area[a]), area[a + 2]);
    piece.current[2] += d[2];
    Follow(uint32_t(held));
    return kStatusOk;
}

Status PuzzleBoard::Release()
{
    const int32_t held = Held();
    if (held < 0)
        return kStatusFailed;
    const uint32_t h = uint32_t(held);
    PuzzlePiece& piece = m_pieces[h];
    m_pHost->PlayItemSound(m_play);
    piece.held = 0;
    if (m_shortPress && m_rotate) {
        for (uint32_t j : Group(h)) {
            m_pieces[j].turn = uint8_t((m_pieces[j].turn + 1) & 3);
            m_pieces[j].travelled = 0.0f;
        }
        Follow(h);
        WinTest();
        return kStatusOk;
    }
    piece.travelled = 0.0f;
    m_shortPress = 1;
    if (Distance(piece.home, piece.current) < float(m_snapRange) && piece.turn == 0 && !m_snapFinish) {
        Lock(h);
        WinTest();
    } else if (Join(h) && m_snapFinish) {
        WinTest();
    }
    return kStatusOk;
}

void PuzzleBoard::Follow(uint32_t piece)
{
    const PuzzlePiece& held = m_pieces[piece];
    for (uint32_t j : Group(piece)) {
        if (j == piece)
            continue;
        PuzzlePiece& other = m_pieces[j];
        const float v[2] = {other.home[0] - held.home[0], other.home[1] - held.home[1]};
        float turned[2];
        Turn(v, held.turn, turned);
        other.current[0] = held.current[0] + turned[0];
        other.current[1] = held.current[1] + turned[1];
    }
}

std::vector<uint32_t> PuzzleBoard::Group(uint32_t piece) const
{
    std::vector<uint32_t> group{piece};
    for (uint32_t j = 0; j < Count(); ++j)
        if (j != piece && Joined(piece, j))
            group.push_back(j);
    return group;
}

void PuzzleBoard::Lock(uint32_t h)
{
    PuzzlePiece& piece = m_pieces[h];
    std::memcpy(piece.current, piece.home, sizeof piece.current);
    piece.held = 0;
    piece.locked = 1;
    piece.joined = 0;
    for (PuzzlePiece& other : m_pieces)
        if (other.rank < piece.rank)
            ++other.rank;
    piece.rank = 0;
    for (uint32_t j : Group(h)) {
        PuzzlePiece& other = m_pieces[j];
        if (j == h || other.locked)
            continue;
        std::memcpy(other.current, other.home, sizeof other.current);
        other.locked = 1;
        other.joined = 0;
        other.rank = 0;
    }
}

bool PuzzleBoard::Join(uint32_t h)
{
    const uint32_t n = Count();
    PuzzlePiece& piece = m_pieces[h];
    for (uint32_t k = 0; k < n; ++k) {
        const PuzzlePiece& other = m_pieces[k];
        if (k == h || Joined(h, k) || !Allowed(h, k) || other.turn != piece.turn)
            continue;
        const float v[2] = {piece.home[0] - other.home[0], piece.home[1] - other.home[1]};
        float turned[2];
        Turn(v, piece.turn, turned);
        const float at[3] = {other.current[0] + turned[0], other.current[1] + turned[1], piece.current[2]};
        if (!(Distance(at, piece.current) < float(m_snapRange)))
            continue;
        std::memcpy(piece.current, at, sizeof at);
        Follow(h);
        std::vector<uint32_t> group = Group(h);
        for (uint32_t j : Group(k))
            group.push_back(j);
        for (uint32_t j : group)
            m_pieces[j].rank = n - 1;
        piece.joined = m_pieces[k].joined = 1;
        // Both tables closed over both groups: what one piece is joined to or may join, every
        // piece of the new group is and may.
        std::vector<uint8_t> allowed(n, 0);
        for (uint32_t a : group)
            for (uint32_t m = 0; m < n; ++m)
                allowed[m] = uint8_t(allowed[m] | m_allowed[size_t(a) * n + m]);
        for (uint32_t a : group) {
            for (uint32_t b : group)
                if (a != b)
                    m_joined[size_t(a) * n + b] = 1;
            for (uint32_t m = 0; m < n; ++m)
                if (allowed[m] && m != a)
                    m_allowed[size_t(a) * n + m] = m_allowed[size_t(m) * n + a] = 1;
        }
        return true;
    }
    return false;
}

bool PuzzleBoard::IsWon() const
{
    if (!m_snapFinish) {
        for (const PuzzlePiece& piece : m_pieces)
            if (!piece.locked)
                return false;
        return true;
    }
    for (uint32_t i = 0; i + 1 < Count(); ++i)
        if (!Joined(i, i + 1))
            return false;
    return true;
}

void PuzzleBoard::WinTest()
{
    if (IsWon())
        m_pHost->BoardFinished(1);
}

// ---- the saved board ------------------------------------------------------------------------------

void PuzzleBoard::StateFields(LevelState& state, uint8_t& paused, uint8_t& solved)
{
    const bool reading = !state.Writing();
    uint32_t n = Count();
    state.Word(m_play).Byte(paused).Byte(solved).Word(n);
    if (reading) {
        if (!state.Ok())
            return;
        // A count beyond the most pieces cannot be this level's: nothing more is read.
        if (n > kPuzzleMostPieces) {
            m_unfit = true;
            return;
        }
        ResetRun();
        m_pieces.assign(n, PuzzlePiece{-1, 0, 0, 0, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, 0, 0, 0.0f});
        m_joined.assign(size_t(n) * n, 0);
        m_allowed.assign(size_t(n) * n, 0);
        m_snap.assign(size_t(n) * n, 0);
    }
    if (n == 0)
        return;
    for (PuzzlePiece& piece : m_pieces) {
        state.Word(piece.element).Word(piece.rank).Byte(piece.turn).Byte(piece.held);
        for (float& value : piece.home)
            state.Word(value);
        for (float& value : piece.current)
            state.Word(value);
        state.Byte(piece.locked).Byte(piece.joined).Word(piece.travelled);
    }
    const uint32_t table = n * n;
    state.Bytes(m_joined.data(), table).Bytes(m_allowed.data(), table).Byte(m_shortPress).Word(m_snapRows);
    state.Word(m_selectedColor).Byte(m_randomCount).Byte(m_snapRange).Bytes(m_snap.data(), table);
    state.Byte(m_rotate).Byte(m_snapFinish).Byte(m_grid).Word(m_columns).Word(m_rows).Word(m_snapRowSize);
}

bool PuzzleBoard::Fits(uint32_t elementCount) const
{
    const uint32_t n = Count();
    const auto fits = [elementCount](int32_t item) { return item == -1 || (item >= 0 && uint32_t(item) < elementCount); };
    // The snap rows and their counter may outlast a smaller piece count: "snap_piece" checks both.
    if (m_unfit || !fits(m_play) || n > kPuzzleMostPieces)
        return false;
    for (const PuzzlePiece& piece : m_pieces) {
        if (!fits(piece.element) || piece.turn > 3 || piece.rank >= n || piece.held > 1 || piece.locked > 1 ||
            piece.joined > 1 || !std::isfinite(piece.travelled))
            return false;
        for (int a = 0; a < 3; ++a)
            if (!std::isfinite(piece.home[a]) || !std::isfinite(piece.current[a]))
                return false;
    }
    for (const std::vector<uint8_t>* table : {&m_joined, &m_allowed, &m_snap})
        for (uint8_t mark : *table)
            if (mark > 1)
                return false;
    return m_shortPress <= 1 && std::isfinite(m_last[0]) && std::isfinite(m_last[1]) && std::isfinite(m_last[2]);
}

uint32_t PuzzleBoard::Print(char* out, uint32_t capacity) const
{
    if (!capacity)
        return 0;
    if (m_pieces.empty()) {
        std::snprintf(out, capacity, "puzzle no pieces");
        return uint32_t(std::strlen(out));
    }
    std::string text = "puzzle";
    char part[96];
    for (uint32_t i = 0; i < Count(); ++i) {
        const PuzzlePiece& piece = m_pieces[i];
        std::snprintf(part, sizeof part, "%s %u@(%g,%g)", i ? " |" : "", i + 1, double(piece.current[0]),
                      double(piece.current[1]));
        text += part;
        if (piece.turn)
            text += "^" + std::to_string(piece.turn);
        text += " r" + std::to_string(piece.rank);
        if (piece.locked)
            text += " locked";
        const char* lead = " +";
        for (uint32_t j = 0; j < Count(); ++j)
            if (j != i && Joined(i, j)) {
                text += lead + std::to_string(j + 1);
                lead = ",";
            }
    }
    std::snprintf(out, capacity, "%s", text.c_str());
    return uint32_t(std::strlen(out));
}
