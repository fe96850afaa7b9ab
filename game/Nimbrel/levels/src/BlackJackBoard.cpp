// The black jack table's rules: the shoe, the deals, the game's steps, the settlement, the
// buttons' states, the saved table and its text form.
#include "NimbrelLevels/BlackJackBoard.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "NimbrelLevels/LevelValues.h"

namespace {

constexpr const char* kItemWords[kBlackJackItemCount] = {
    "black_jack_game_play",
    "black_jack_register_user_bet",
    "black_jack_register_user_coins",
    "black_jack_register_user_cards",
    "black_jack_register_bank_cards",
    "black_jack_register_deck",
    "black_jack_register_item_one_coin",
    "black_jack_register_item_one_card",
    "black_jack_register_item_list_cards",
    "black_jack_register_button_bet",
    "black_jack_register_button_hit",
    "black_jack_register_button_stand",
};

// The sheet cells of the ten, jack, queen and king of each suit; ace to nine of suit s are
// cells 9 s to 9 s + 8.
constexpr uint8_t kCourtCells[kBlackJackSuits][4] = {
    {36, 38, 40, 42},
    {37, 39, 41, 43},
    {46, 48, 50, 52},
    {45, 47, 49, 51},
};

constexpr char kRankLetters[] = "A23456789TJQK";
constexpr char kSuitLetters[] = "shdc";

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

}  // namespace

void BlackJackBoard::Clear()
{
    for (int32_t& item : m_items)
        item = -1;
    m_callback.clear();
    m_state = kBlackJackWaiting;
    m_progress = 0.0f;
    m_step = 0;
    m_bet = 0;
    m_coins = 0;
    m_remaining = kBlackJackShoeSize;
    std::memset(m_shoe, 0, sizeof m_shoe);
    m_bank.clear();
    m_bank.shrink_to_fit();
    m_user.clear();
    m_user.shrink_to_fit();
    m_bankValue = m_userValue = 0;
    m_unfit = false;
}

int32_t* BlackJackBoard::ItemWord(const char* name)
{
    for (uint32_t i = 0; i < kBlackJackItemCount; ++i)
        if (Is(name, kItemWords[i]))
            return &m_items[i];
    return nullptr;
}

Status BlackJackBoard::Word(const char* name, const char* value)
{
    if (Is(name, "black_jack_response_callback")) {
        m_callback = value ? value : "";
    } else if (Is(name, "black_jack_set_coins_count")) {
        const int32_t coins = TokenInt(value);
        m_coins = coins < 1 ? 1u : uint32_t(coins);
        m_bet = 0;
        Restart(kBlackJackWaiting);
    }
    return kStatusDoneStoreResult;
}

void BlackJackBoard::Restart(uint32_t state)
{
    m_progress = 1.0f;
    m_step = 0;
    m_state = state;
    m_bank.clear();
    m_user.clear();
    m_bankValue = m_userValue = 0;
}

Status BlackJackBoard::Action(const char* name, const char* value)
{
    if (Is(name, "black_jack_action_bet")) {
        const int32_t bet = TokenInt(value);
        if (bet < 1 || uint32_t(bet) > m_coins) {
            NoTrace("invalid bet number %s", value ? value : "");
            return kStatusDoneNoResult;
        }
        // A bet in the middle of a game starts a new one: the earlier bet stays taken.
        Restart(kBlackJackDealing);
        m_bet = uint32_t(bet);
        m_coins -= m_bet;
        Shuffle();
    } else if (Is(name, "black_jack_action_hit")) {
        m_progress = 1.0f;
        m_step = 0;
        m_state = kBlackJackHitting;
    } else if (Is(name, "black_jack_action_stand")) {
        m_progress = 1.0f;
        m_step = 0;
        m_state = kBlackJackStanding;
    }
    return kStatusDoneNoResult;
}

Status BlackJackBoard::CheckSetup() const
{
    for (int32_t item : m_items)
        if (item < 0)
            return kStatusFailed;
    return m_callback.empty() ? kStatusFailed : kStatusOk;
}

// ---- the shoe and the hands ------------------------------------------------------------------------

void BlackJackBoard::Shuffle()
{
    uint32_t next = 0;
    for (uint32_t run = 0; run < 24; ++run)
        for (uint32_t rank = 0; rank < kBlackJackRanks; ++rank)
            m_shoe[next++] = {uint8_t(rank), uint8_t(run % kBlackJackSuits), 0};
    m_remaining = kBlackJackShoeSize;
    const auto pick = [this] { return uint32_t(uint64_t(m_pHost->NextRandom()) * kBlackJackShoeSize >> 32); };
    const auto swap = [this](uint32_t a, uint32_t b) {
        if (a == b)
            return;
        BlackJackShoeEntry& x = m_shoe[a];
        BlackJackShoeEntry& y = m_shoe[b];
        const uint8_t rank = x.rank, suit = x.suit;
        x.rank = y.rank;
        x.suit = y.suit;
        y.rank = rank;
        y.suit = suit;
    };
    for (uint32_t i = 0; i < kBlackJackShoeSize; ++i)
        swap(i, pick());
    for (uint32_t n = 0; n < 4 * kBlackJackShoeSize; ++n) {
        const uint32_t j1 = pick(), j2 = pick(), j3 = pick(), j4 = pick();
        swap((j1 + j2) / 2, (j3 + j4) / 2);
    }
}

void BlackJackBoard::DealTo(bool bank, bool faceUp)
{
    // Hits sent whatever the game state would deal past the last entry: an empty shoe is
    // filled and shuffled again first.
    if (m_remaining == 0 || m_remaining > kBlackJackShoeSize)
        Shuffle();
    BlackJackShoeEntry& entry = m_shoe[kBlackJackShoeSize - m_remaining];
    entry.used = 1;
    --m_remaining;
    std::vector<BlackJackCard>& hand = bank ? m_bank : m_user;
    for (BlackJackCard& card : hand)
        card.dealtNow = 0;
    hand.push_back({entry.rank, entry.suit, 1, uint8_t(faceUp ? 1 : 0)});
    m_pHost->PlayDealSound();
}

uint32_t BlackJackBoard::HandValue(const std::vector<BlackJackCard>& hand)
{
    uint32_t total = 0, aces = 0;
    for (const BlackJackCard& card : hand) {
        if (!card.faceUp)
            continue;
        if (card.rank == 0) {
            total += 11;
            ++aces;
        } else {
            total += card.rank + 1u < 10u ? card.rank + 1u : 10u;
        }
    }
    for (; total > kBlackJackBlackJack && aces; --aces)
        total -= 10;
    return total;
}

uint32_t BlackJackBoard::CardCell(const BlackJackCard& card)
{
    const uint32_t suit = card.suit % kBlackJackSuits;
    if (card.rank < 9)
        return 9 * suit + card.rank;
    return card.rank < kBlackJackRanks ? kCourtCells[suit][card.rank - 9] : kBlackJackBackCell;
}

// ---- the game ---------------------------------------------------------------------------------------

void BlackJackBoard::Step(float frameStep)
{
    if (m_state == kBlackJackWaiting || m_state == kBlackJackPlayerTurn || m_state > kBlackJackSettling)
        return;
    m_progress += frameStep * kBlackJackStepRate;
    if (!(m_progress > 1.0f))
        return;
    m_progress = 0.0f;
    for (std::vector<BlackJackCard>* hand : {&m_bank, &m_user})
        for (BlackJackCard& card : *hand)
            card.dealtNow = 0;
    const uint32_t state = m_state;
    RunStep();
    if (m_state == state)
        ++m_step;
}

void BlackJackBoard::RunStep()
{
    switch (m_state) {
    case kBlackJackDealing:
        switch (m_step) {
        case 0:
            break;
        case 1:
            DealTo(false, true);
            break;
        case 2:
            m_userValue = HandValue(m_user);
            DealTo(true, true);
            break;
        case 3:
            m_bankValue = HandValue(m_bank);
            DealTo(false, true);
            break;
        case 4:
            m_userValue = HandValue(m_user);
            DealTo(true, false);
            break;
        case 5:
            m_bankValue = HandValue(m_bank);
            break;
        default:
            m_step = 0;
            m_state = m_userValue > kBlackJackBlackJack ? kBlackJackSettling : kBlackJackPlayerTurn;
            break;
        }
        break;
    case kBlackJackHitting:
        if (m_step == 0) {
            DealTo(false, true);
        } else if (m_step == 1) {
            m_userValue = HandValue(m_user);
        } else {
            m_step = 0;
            m_state = m_userValue > kBlackJackBlackJack ? kBlackJackSettling : kBlackJackPlayerTurn;
        }
        break;
    case kBlackJackStanding:
        if (m_step == 0) {
            for (BlackJackCard& card : m_bank)
                card.faceUp = 1;
            m_bankValue = HandValue(m_bank);
            m_pHost->PlayDealSound();
        } else if (m_step == 1) {
            if (m_bankValue >= kBlackJackBankStands) {
                m_step = 0;
                m_state = kBlackJackSettling;
            } else {
                DealTo(true, true);
            }
        } else if (m_step == 2) {
            m_bankValue = HandValue(m_bank);
            // Counted up to 1 after this step: the next step deals again.
            if (m_bankValue < kBlackJackBankStands)
                m_step = 0;
        } else {
            m_step = 0;
            m_state = kBlackJackSettling;
        }
        break;
    case kBlackJackSettling:
        if (m_step == 0) {
            Settle();
        } else {
            m_step = 0;
            m_state = kBlackJackWaiting;
        }
        break;
    default:
        break;
    }
}

void BlackJackBoard::Settle()
{
    const uint32_t user = m_userValue, bank = m_bankValue;
    uint32_t result = kBlackJackLose, amount = m_bet;
    if (user > kBlackJackBlackJack) {
        result = kBlackJackLose;
    } else if (bank > kBlackJackBlackJack || bank < user) {
        result = kBlackJackWin;
        amount = 2 * m_bet;
        m_coins += amount;
    } else if (bank == user) {
        result = kBlackJackPush;
        m_coins += m_bet;
    }
    m_pHost->Settled(result, amount);
}

bool BlackJackBoard::BetEnabled() const { return m_state == kBlackJackWaiting && m_coins > 0; }

bool BlackJackBoard::HitEnabled() const
{
    return m_state == kBlackJackPlayerTurn && m_userValue != kBlackJackBlackJack;
}

bool BlackJackBoard::StandEnabled() const { return m_state == kBlackJackPlayerTurn; }

// ---- saved state --------------------------------------------------------------------------------------

// The twelve items, the callback, the game state, progress and step, the level's paused and
// solved flags, the bet and the coins, the shoe (cards left, then each entry as suit, rank and
// used), then each hand (the bank's first) as its count, each card as suit, rank and face-up,
// and its value.
void BlackJackBoard::StateFields(LevelState& state, uint8_t& paused, uint8_t& solved)
{
    const bool reading = !state.Writing();
    state.Words(m_items, kBlackJackItemCount).Text(m_callback);
    state.Word(m_state).Word(m_progress).Word(m_step).Byte(paused).Byte(solved);
    state.Word(m_bet).Word(m_coins).Word(m_remaining);
    for (BlackJackShoeEntry& entry : m_shoe)
        state.Byte(entry.suit).Byte(entry.rank).Byte(entry.used);
    for (bool bank : {true, false}) {
        std::vector<BlackJackCard>& hand = bank ? m_bank : m_user;
        uint32_t count = uint32_t(hand.size());
        state.Word(count);
        if (reading) {
            if (!state.Ok())
                return;
            // Three bytes a card: a count beyond what is left cannot be read.
            if (int64_t(count) > state.BytesLeft() / 3) {
                m_unfit = true;
                return;
            }
            hand.assign(count, BlackJackCard{});
        }
        for (BlackJackCard& card : hand)
            state.Byte(card.suit).Byte(card.rank).Byte(card.faceUp);
        state.Word(bank ? m_bankValue : m_userValue);
    }
}

bool BlackJackBoard::Fits(uint32_t elementCount) const
{
    if (m_unfit)
        return false;
    for (int32_t item : m_items)
        if (item < -1 || (item >= 0 && uint32_t(item) >= elementCount))
            return false;
    if (m_state > kBlackJackSettling || !(m_progress >= 0.0f && m_progress <= 1.0f))
        return false;
    if (m_remaining > kBlackJackShoeSize)
        return false;
    for (const BlackJackShoeEntry& entry : m_shoe)
        if (entry.rank >= kBlackJackRanks || entry.suit >= kBlackJackSuits || entry.used > 1)
            return false;
    for (const std::vector<BlackJackCard>* hand : {&m_bank, &m_user})
        for (const BlackJackCard& card : *hand)
            if (card.rank >= kBlackJackRanks || card.suit >= kBlackJackSuits || card.faceUp > 1)
                return false;
    return true;
}

// ---- text form -------------------------------------------------------------------------------------

uint32_t BlackJackBoard::Print(char* out, uint32_t capacity) const
{
    if (!capacity)
        return 0;
    std::string text;
    char part[64];
    std::snprintf(part, sizeof part, "black jack state %u step %u coins %u bet %u", unsigned(m_state),
                  unsigned(m_step), unsigned(m_coins), unsigned(m_bet));
    text = part;
    for (bool bank : {false, true}) {
        text += bank ? " bank" : " player";
        for (const BlackJackCard& card : bank ? m_bank : m_user) {
            const bool known = card.rank < kBlackJackRanks && card.suit < kBlackJackSuits;
            std::snprintf(part, sizeof part, " %c%c%s", known ? kRankLetters[card.rank] : '?',
                          known ? kSuitLetters[card.suit] : '?', card.faceUp ? "" : "?");
            text += part;
        }
        std::snprintf(part, sizeof part, " (%u)", unsigned(bank ? m_bankValue : m_userValue));
        text += part;
    }
    std::snprintf(part, sizeof part, " shoe %u", unsigned(m_remaining));
    text += part;
    std::snprintf(out, capacity, "%s", text.c_str());
    return uint32_t(std::strlen(out));
}
