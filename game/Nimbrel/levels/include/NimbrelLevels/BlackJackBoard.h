#pragma once
// The black jack table: the player against the bank, for coins. A bet deals from a shoe of six
// decks, shuffled afresh at every bet; the player hits or stands, the bank draws below 17, and
// each game is settled in coins and reported to the host. The table has no win rule: the scene
// script decides from the reports when the level ends.
//
// The game runs in steps: while it deals, hits, stands or settles, progress rises by the frame
// step times 0.075 and each time it passes 1.0 one step of the game state runs.
//
// Text form: "black jack state 2 step 0 coins 90 bet 10 player Ah Ks (21) bank 7d 9c? (7)
// shoe 308", each card as its rank (A, 2 to 9, T, J, Q, K) and suit (s, h, d, c for suits 0 to
// 3), a face-down card with a '?' after it.
#include <cstdint>
#include <string>
#include <vector>

#include "NimbrelLevels/LevelBoard.h"
#include "NimbrelLevels/LevelState.h"
#include "VornelUtils/Status.h"

// Six decks of thirteen ranks in four suits.
constexpr uint32_t kBlackJackShoeSize = 312;
constexpr uint32_t kBlackJackRanks = 13;
constexpr uint32_t kBlackJackSuits = 4;
// What a frame step of 1.0 adds to the progress of a step.
constexpr float kBlackJackStepRate = 0.075f;
// The bank draws while its value is below this.
constexpr uint32_t kBlackJackBankStands = 17;
constexpr uint32_t kBlackJackBlackJack = 21;

enum BlackJackState : uint32_t {
    kBlackJackWaiting = 0,   // for a bet
    kBlackJackDealing = 1,
    kBlackJackPlayerTurn = 2,
    kBlackJackHitting = 3,
    kBlackJackStanding = 4,
    kBlackJackSettling = 5,
};

// Settlement results as the callback receives them.
enum BlackJackResult : uint32_t {
    kBlackJackWin = 1,
    kBlackJackLose = 2,
    kBlackJackPush = 3,
};

// The twelve items, in the order they are saved.
enum BlackJackItem : uint32_t {
    kBlackJackPlay = 0,
    kBlackJackBetPlace,
    kBlackJackCoinsPlace,
    kBlackJackUserCards,
    kBlackJackBankCards,
    kBlackJackDeck,
    kBlackJackCoin,
    kBlackJackCard,
    kBlackJackSheet,
    kBlackJackBetButton,
    kBlackJackHitButton,
    kBlackJackStandButton,
    kBlackJackItemCount,
};

// What the table asks of the level beyond the common host.
class BlackJackHost : public LevelBoardHost {
public:
    // A game settled: the response callback with the result and the amount.
    virtual void Settled(uint32_t result, uint32_t amount) = 0;
    // A card went onto the table (or the bank's cards were turned up).
    virtual void PlayDealSound() = 0;

protected:
    ~BlackJackHost() = default;
};

// A card on the table. `dealtNow` marks the card of the current step (it slides in from the
// deck); it is not saved.
struct BlackJackCard {
    uint8_t rank;  // 0 ace, 1 to 12 two to king
    uint8_t suit;  // 0 to 3
    uint8_t dealtNow;
    uint8_t faceUp;
};

struct BlackJackShoeEntry {
    uint8_t rank;
    uint8_t suit;
    uint8_t used;
};

class BlackJackBoard {
public:
    using Host = BlackJackHost;
    static constexpr bool kItemWordsClearSolved = false;

    explicit BlackJackBoard(BlackJackHost* pHost) : m_pHost(pHost) { Clear(); }

    // Every item -1, no callback, the game fields, the bet and the coins 0, the shoe full of
    // zero entries, both hands empty.
    void Clear();
    int32_t* ItemWord(const char* name);
    void SetItem(int32_t* pReference, int32_t element) { *pReference = element; }
    // "black_jack_response_callback" and "black_jack_set_coins_count" (below 1 gives 1, and a
    // fresh start); every other word is accepted and ignored.
    Status Word(const char* name, const char* value);
    // "black_jack_action_bet" n (1 to the coins; anything else changes nothing), "_hit" and
    // "_stand", whatever the game state: kStatusDoneNoResult.
    Status Action(const char* name, const char* value = nullptr);
    // kStatusFailed unless the twelve items and the callback are set.
    Status CheckSetup() const;
    // "reset" changes nothing in the game.
    Status Deal() { return kStatusOk; }
    // One frame: the progress, and a step of the game state each time it passes 1.0.
    void Step(float frameStep);
    void StopMove() {}
    bool Fits(uint32_t elementCount) const;

    // The shoe refilled in order and shuffled: 312 swaps, then 4 x 312 swaps of halved pairs.
    void Shuffle();
    // The next card of the shoe into a hand (the shoe refilled first when it is empty).
    void DealTo(bool bank, bool faceUp);
    // The value of the face-up cards: aces 11, falling to 1 one at a time above 21.
    static uint32_t HandValue(const std::vector<BlackJackCard>& hand);

    // Whether each button takes clicks in this game state.
    bool BetEnabled() const;
    bool HitEnabled() const;
    bool StandEnabled() const;

    // The saved fields in their order, the level's paused and solved flags among them.
    void StateFields(LevelState& state, uint8_t& paused, uint8_t& solved);
    void StateFields(LevelState& state)
    {
        uint8_t paused = 0, solved = 0;
        StateFields(state, paused, solved);
    }
    uint32_t Print(char* out, uint32_t capacity) const;

    int32_t Item(BlackJackItem item) const { return m_items[item]; }
    const std::string& Callback() const { return m_callback; }
    uint32_t GameState() const { return m_state; }
    uint32_t StepCount() const { return m_step; }
    float Progress() const { return m_progress; }
    uint32_t Bet() const { return m_bet; }
    uint32_t Coins() const { return m_coins; }
    uint32_t Remaining() const { return m_remaining; }
    const BlackJackShoeEntry& ShoeEntry(uint32_t i) const { return m_shoe[i]; }
    const std::vector<BlackJackCard>& Hand(bool bank) const { return bank ? m_bank : m_user; }
    uint32_t Value(bool bank) const { return bank ? m_bankValue : m_userValue; }
    // The cell of the card sheet that shows a card; the back is kBlackJackBackCell.
    static uint32_t CardCell(const BlackJackCard& card);

private:
    // A new game at the first step of `state`, both hands empty.
    void Restart(uint32_t state);
    void RunStep();
    void Settle();

    BlackJackHost* m_pHost;
    int32_t m_items[kBlackJackItemCount];
    std::string m_callback;
    uint32_t m_state;
    float m_progress;
    uint32_t m_step;
    uint32_t m_bet;
    uint32_t m_coins;
    uint32_t m_remaining;
    BlackJackShoeEntry m_shoe[kBlackJackShoeSize];
    std::vector<BlackJackCard> m_bank;
    uint32_t m_bankValue;
    std::vector<BlackJackCard> m_user;
    uint32_t m_userValue;
    // A load read values that cannot stand; Fits then refuses the whole state.
    bool m_unfit;
};

// The sheet: 9 columns and 6 rows of cells, cell 44 the back of a card.
constexpr uint32_t kBlackJackSheetColumns = 9;
constexpr uint32_t kBlackJackSheetRows = 6;
constexpr uint32_t kBlackJackSheetCells = kBlackJackSheetColumns * kBlackJackSheetRows;
constexpr uint32_t kBlackJackBackCell = 44;
constexpr float kBlackJackCellWidth = 0.107421875f;
constexpr float kBlackJackCellHeight = 0.16503906f;
