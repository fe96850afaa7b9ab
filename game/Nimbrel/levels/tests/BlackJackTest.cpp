// The black jack table and level: the shoe, the deal order, hand values, the bank's draws,
// settlements with their coins and callbacks, bets refused and mid-game, the buttons, the shoe
// refilled under repeated hits, the saved table and its checks, the card mesh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "CountingLevel.h"
#include "LevelPayload.h"
#include "NimbrelLevels/CObjectsLevelBlackJack.h"
#include "NimbrelLevels/LevelStateText.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsRandom.h"

namespace {

struct Card {
    uint8_t rank;  // 0 ace .. 12 king
    uint8_t suit;
};
constexpr uint8_t A = 0, K = 12, Q = 11, J = 10;
constexpr uint8_t N(int pips) { return uint8_t(pips - 1); }

// The table's host. Random numbers come from the world's generator, or, for a stacked shoe,
// are chosen so that the shuffle's first swaps bring the given cards to the front in order
// (and every later swap changes nothing).
class TestHost : public BlackJackHost {
public:
    TestHost() { UtilsRandom_Seed(&m_world, 3); }
    uint32_t NextRandom() override
    {
        if (m_stacked.empty())
            return UtilsRandom_Next(&m_world);
        const uint32_t value = m_stacked.front();
        m_stacked.erase(m_stacked.begin());
        return value;
    }
    void BoardFinished(uint8_t) override {}
    void Settled(uint32_t result, uint32_t amount) override { settled.push_back({result, amount}); }
    void PlayDealSound() override { ++sounds; }

    // The next shuffle leaves `cards` on top of the shoe.
    void Stack(const std::vector<Card>& cards)
    {
        std::vector<Card> shoe;
        for (uint8_t run = 0; run < 24; ++run)
            for (uint8_t rank = 0; rank < 13; ++rank)
                shoe.push_back({rank, uint8_t(run % 4)});
        m_stacked.clear();
        for (uint32_t i = 0; i < kBlackJackShoeSize; ++i) {
            uint32_t at = i;
            if (i < cards.size()) {
                const auto it = std::find_if(shoe.begin() + i, shoe.end(), [&](const Card& c) {
                    return c.rank == cards[i].rank && c.suit == cards[i].suit;
                });
                ASSERT_NE(it, shoe.end());
                at = uint32_t(it - shoe.begin());
                std::swap(shoe[i], shoe[at]);
            }
            // The smallest value whose pick is `at`.
            m_stacked.push_back(uint32_t(((uint64_t(at) << 32) + kBlackJackShoeSize - 1) / kBlackJackShoeSize));
        }
        // The halved pairs all pick entry 0 twice: no swap.
        m_stacked.insert(m_stacked.end(), 4 * 4 * kBlackJackShoeSize, 0u);
    }

    std::vector<std::pair<uint32_t, uint32_t>> settled;
    uint32_t sounds = 0;

private:
    WorldData m_world;
    std::vector<uint32_t> m_stacked;
};

std::vector<Card> Suited(std::initializer_list<uint8_t> ranks)
{
    std::vector<Card> cards;
    uint8_t suit = 0;
    for (uint8_t rank : ranks)
        cards.push_back({rank, uint8_t(suit++ % 4)});
    return cards;
}

void Frames(BlackJackBoard& board, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        board.Step(1.0f);
}

// Frames until the game reaches `state` (at most a few hundred).
bool RunTo(BlackJackBoard& board, uint32_t state)
{
    for (uint32_t i = 0; i < 2000 && board.GameState() != state; ++i)
        board.Step(1.0f);
    return board.GameState() == state;
}

class BlackJackTable : public ::testing::Test {
protected:
    BlackJackTable() : board(&host) {}
    void SetUp() override
    {
        ASSERT_EQ(board.Word("black_jack_set_coins_count", "100"), kStatusDoneStoreResult);
    }
    // A bet of 10 dealt from a shoe whose top cards are `cards` (player, bank up, player,
    // bank down, then the draws in order), played to the player's turn.
    void Deal(const std::vector<Card>& cards)
    {
        host.Stack(cards);
        ASSERT_EQ(board.Action("black_jack_action_bet", "10"), kStatusDoneNoResult);
        ASSERT_TRUE(RunTo(board, kBlackJackPlayerTurn));
    }
    std::string Text()
    {
        char text[512];
        board.Print(text, sizeof text);
        return text;
    }

    TestHost host;
    BlackJackBoard board;
};

TEST(BlackJackBoard, HandValuesCountFaceUpCardsWithAcesFallingOneAtATime)
{
    const struct {
        std::vector<uint8_t> ranks;
        uint32_t value;
    } cases[] = {
        {{A, K}, 21}, {{A, A}, 12}, {{A, A, N(9)}, 21}, {{K, Q, N(5)}, 25}, {{A, N(6)}, 17},
        {{A, N(6), K}, 17}, {{A, A, A, A}, 14}, {{J, N(2)}, 12}, {{}, 0},
    };
    for (const auto& c : cases) {
        std::vector<BlackJackCard> hand;
        for (uint8_t rank : c.ranks)
            hand.push_back({rank, 1, 0, 1});
        EXPECT_EQ(BlackJackBoard::HandValue(hand), c.value) << c.ranks.size();
        // A face-down card does not count.
        hand.push_back({K, 0, 0, 0});
        EXPECT_EQ(BlackJackBoard::HandValue(hand), c.value) << c.ranks.size();
    }
}

TEST(BlackJackBoard, TheShoeIsShuffledByTheSwapsOfItsRandomNumbers)
{
    TestHost host;
    BlackJackBoard board(&host);
    board.Word("black_jack_set_coins_count", "50");
    ASSERT_EQ(board.Action("black_jack_action_bet", "5"), kStatusDoneNoResult);

    // The same shuffle worked out here from a generator seeded alike.
    WorldData world;
    UtilsRandom_Seed(&world, 3);
    std::vector<std::pair<int, int>> shoe;  // rank, suit
    for (int run = 0; run < 24; ++run)
        for (int rank = 0; rank < 13; ++rank)
            shoe.push_back({rank, run % 4});
    const auto pick = [&] { return int((uint64_t(UtilsRandom_Next(&world)) * 312) >> 32); };
    for (int i = 0; i < 312; ++i)
        std::swap(shoe[i], shoe[pick()]);
    for (int n = 0; n < 4 * 312; ++n) {
        const int j1 = pick(), j2 = pick(), j3 = pick(), j4 = pick();
        std::swap(shoe[(j1 + j2) / 2], shoe[(j3 + j4) / 2]);
    }
    ASSERT_EQ(board.Remaining(), 312u);
    for (uint32_t i = 0; i < 312; ++i) {
        EXPECT_EQ(board.ShoeEntry(i).rank, shoe[i].first) << i;
        EXPECT_EQ(board.ShoeEntry(i).suit, shoe[i].second) << i;
        EXPECT_EQ(board.ShoeEntry(i).used, 0) << i;
    }
    EXPECT_EQ(board.Coins(), 45u);
    EXPECT_EQ(board.Bet(), 5u);
}

TEST_F(BlackJackTable, TheDealGoesPlayerBankUpPlayerBankDown)
{
    Deal({{N(5), 0}, {N(7), 1}, {N(3), 2}, {K, 3}});
    const auto& user = board.Hand(false);
    const auto& bank = board.Hand(true);
    ASSERT_EQ(user.size(), 2u);
    ASSERT_EQ(bank.size(), 2u);
    EXPECT_EQ(user[0].rank, N(5));
    EXPECT_EQ(user[1].rank, N(3));
    EXPECT_EQ(bank[0].rank, N(7));
    EXPECT_EQ(bank[1].rank, K);
    EXPECT_EQ(bank[0].faceUp, 1);
    EXPECT_EQ(bank[1].faceUp, 0);
    // The bank's shown value leaves its face-down card out until the stand.
    EXPECT_EQ(board.Value(false), 8u);
    EXPECT_EQ(board.Value(true), 7u);
    EXPECT_EQ(board.Remaining(), 308u);
    EXPECT_EQ(host.sounds, 4u);
    EXPECT_EQ(Text(), "black jack state 2 step 0 coins 90 bet 10 player 5s 3d (8) bank 7h Kc? (7) shoe 308");
    EXPECT_FALSE(board.BetEnabled());
    EXPECT_TRUE(board.HitEnabled());
    EXPECT_TRUE(board.StandEnabled());
    board.Action("black_jack_action_stand");
    Frames(board, 15);
    EXPECT_EQ(board.Hand(true)[1].faceUp, 1);
    EXPECT_EQ(board.Value(true), 17u);
}

TEST_F(BlackJackTable, BlackJackDisablesHit)
{
    Deal(Suited({A, N(9), K, N(8)}));
    EXPECT_EQ(board.Value(false), 21u);
    EXPECT_FALSE(board.HitEnabled());
    EXPECT_TRUE(board.StandEnabled());
}

TEST_F(BlackJackTable, EachGameIsSettledInCoinsAndReported)
{
    const struct {
        const char* what;
        std::vector<uint8_t> cards;  // player, bank, player, bank, then the draws
        uint32_t hits;
        uint32_t result, amount, coins;
        uint32_t bankCards;
    } cases[] = {
        {"player bust", {K, K, Q, N(7), N(5)}, 1, kBlackJackLose, 10, 90, 2},
        {"bank bust", {K, K, N(9), N(6), K}, 0, kBlackJackWin, 20, 110, 3},
        {"higher", {K, K, Q, N(8)}, 0, kBlackJackWin, 20, 110, 2},
        {"equal", {K, K, N(8), N(8)}, 0, kBlackJackPush, 10, 100, 2},
        {"lower", {K, K, N(7), N(9)}, 0, kBlackJackLose, 10, 90, 2},
        {"bank draws to a soft 17 and stands", {K, N(2), N(8), N(4), A, N(9)}, 0, kBlackJackWin, 20, 110, 3},
        {"after a hit", {N(5), K, N(6), N(7), Q}, 1, kBlackJackWin, 20, 110, 2},
    };
    for (const auto& c : cases) {
        TestHost host;
        BlackJackBoard table(&host);
        table.Word("black_jack_set_coins_count", "100");
        std::vector<Card> cards;
        for (size_t i = 0; i < c.cards.size(); ++i)
            cards.push_back({c.cards[i], uint8_t(i % 4)});
        host.Stack(cards);
        table.Action("black_jack_action_bet", "10");
        ASSERT_TRUE(RunTo(table, kBlackJackPlayerTurn)) << c.what;
        for (uint32_t h = 0; h < c.hits; ++h) {
            table.Action("black_jack_action_hit");
            Frames(table, 45);
        }
        if (table.GameState() == kBlackJackPlayerTurn)
            table.Action("black_jack_action_stand");
        ASSERT_TRUE(RunTo(table, kBlackJackWaiting)) << c.what;
        ASSERT_EQ(host.settled.size(), 1u) << c.what;
        EXPECT_EQ(host.settled[0], std::make_pair(c.result, c.amount)) << c.what;
        EXPECT_EQ(table.Coins(), c.coins) << c.what;
        EXPECT_EQ(table.Hand(true).size(), c.bankCards) << c.what;
        EXPECT_TRUE(table.BetEnabled()) << c.what;
    }
}

TEST_F(BlackJackTable, RefusedBetsChangeNothing)
{
    for (const char* bet : {"0", "-5", "101", "", "x"}) {
        EXPECT_EQ(board.Action("black_jack_action_bet", bet), kStatusDoneNoResult) << bet;
        EXPECT_EQ(board.GameState(), kBlackJackWaiting) << bet;
        EXPECT_EQ(board.Coins(), 100u) << bet;
        EXPECT_EQ(board.Bet(), 0u) << bet;
    }
    // Every coin is a good bet.
    board.Action("black_jack_action_bet", "100");
    EXPECT_EQ(board.Coins(), 0u);
    EXPECT_EQ(board.GameState(), kBlackJackDealing);
}

TEST_F(BlackJackTable, WithNoCoinsLeftTheBetStaysDisabled)
{
    board.Word("black_jack_set_coins_count", "10");
    Deal({{K, 0}, {K, 1}, {N(7), 2}, {N(9), 3}});
    board.Action("black_jack_action_stand");
    ASSERT_TRUE(RunTo(board, kBlackJackWaiting));
    EXPECT_EQ(board.Coins(), 0u);
    EXPECT_FALSE(board.BetEnabled());
    board.Action("black_jack_action_bet", "1");
    EXPECT_EQ(board.GameState(), kBlackJackWaiting);
    // The coins word gives at least one coin and a fresh start.
    board.Word("black_jack_set_coins_count", "-3");
    EXPECT_EQ(board.Coins(), 1u);
    EXPECT_TRUE(board.BetEnabled());
}

TEST_F(BlackJackTable, ABetMidGameStartsAnewAndTheEarlierBetStaysTaken)
{
    Deal(Suited({N(5), N(7), N(3), K}));
    ASSERT_EQ(board.Coins(), 90u);
    board.Action("black_jack_action_bet", "20");
    EXPECT_EQ(board.GameState(), kBlackJackDealing);
    EXPECT_EQ(board.StepCount(), 0u);
    EXPECT_TRUE(board.Hand(false).empty());
    EXPECT_TRUE(board.Hand(true).empty());
    EXPECT_EQ(board.Bet(), 20u);
    EXPECT_EQ(board.Coins(), 70u);
    EXPECT_EQ(board.Remaining(), 312u);
}

TEST_F(BlackJackTable, HitsWhateverTheStateRefillAnEmptyShoe)
{
    Deal(Suited({N(2), N(2), N(2), N(2)}));
    for (uint32_t i = 0; i < 330; ++i) {
        board.Action("black_jack_action_hit");
        Frames(board, 15);
        ASSERT_LE(board.Remaining(), kBlackJackShoeSize);
    }
    EXPECT_EQ(board.Hand(false).size(), 332u);
    // 4 + 330 cards: the shoe ran out once and was refilled.
    EXPECT_EQ(board.Remaining(), 2u * kBlackJackShoeSize - 334u);
}

TEST_F(BlackJackTable, TheSavedTableComesBackAndItsChecksRefuseBadValues)
{
    *board.ItemWord("black_jack_register_button_stand") = 3;
    board.Word("black_jack_response_callback", "OnSettled");
    Deal(Suited({N(5), N(7), N(3), K}));
    const std::vector<uint8_t> saved = SavedBoard(board);
    TestHost other;
    BlackJackBoard copy(&other);
    ASSERT_TRUE(LoadBoard(copy, saved));
    EXPECT_TRUE(copy.Fits(4));
    EXPECT_EQ(SavedBoard(copy), saved);
    EXPECT_EQ(copy.Callback(), "OnSettled");
    char a[512], b[512];
    board.Print(a, sizeof a);
    copy.Print(b, sizeof b);
    EXPECT_STREQ(a, b);
    EXPECT_FALSE(copy.Fits(3));

    // From the end: the hands of two cards each with their counts and values, the shoe.
    const size_t remaining = saved.size() - 2 * (4 + 3 * 2 + 4) - 3 * kBlackJackShoeSize - 4;
    const size_t shoe = remaining + 4;
    const size_t bankCount = shoe + 3 * kBlackJackShoeSize;
    const struct {
        const char* what;
        size_t at;
        uint32_t size;
        uint32_t value;
    } damages[] = {
        {"game state", remaining - 22, 4, 6},
        {"progress", remaining - 18, 4, 0x7FC00000},
        {"cards left", remaining, 4, 313},
        {"a suit", shoe, 1, 4},
        {"a rank", shoe + 1, 1, 13},
        {"a used mark", shoe + 2, 1, 2},
        {"a face-up mark", bankCount + 4 + 2, 1, 2},
        {"a bank card's rank", bankCount + 4 + 1, 1, 200},
        {"a hand longer than what is left", bankCount, 4, 0x40000000},
    };
    for (const auto& d : damages) {
        std::vector<uint8_t> damaged = saved;
        std::memcpy(&damaged[d.at], &d.value, d.size);
        BlackJackBoard bad(&other);
        LoadBoard(bad, damaged);
        EXPECT_FALSE(bad.Fits(4)) << d.what;
    }
    // The tools print a saved table as its text form.
    const auto describe = [](const std::vector<uint8_t>& bytes) {
        UtilsStream_Chunk chunk(1);
        chunk.Open(kStreamReadWriteGrowable);
        chunk.Write(bytes.data(), 1, uint32_t(bytes.size()));
        chunk.Rewind();
        char text[512];
        EXPECT_TRUE(DescribeLevelState(kObjectKindBlackJack, &chunk, 4, text, sizeof text));
        return std::string(text);
    };
    EXPECT_EQ(describe(saved), a);
    std::vector<uint8_t> damaged = saved;
    damaged[shoe + 1] = 13;
    EXPECT_EQ(describe(damaged), std::string(a) + " (does not fit)");
    EXPECT_EQ(describe(std::vector<uint8_t>(saved.begin(), saved.begin() + 100)), "cut short");
}

// ---- the level ----------------------------------------------------------------------------------

class CRecordingBlackJack : public CCounting<CObjectsLevelBlackJack> {
public:
    using CCounting<CObjectsLevelBlackJack>::CCounting;
    Status CallScriptFunction(const char* name, uint32_t, uint8_t, uintptr_t* arguments, uint32_t code) override
    {
        calls.push_back(std::string(name) + " " + std::to_string(arguments[0]) + " " + std::to_string(arguments[1]) +
                        " " + std::to_string(arguments[2]) + " " + std::to_string(code));
        return kStatusOk;
    }
    std::vector<std::string> calls;
};
using CFixtureBlackJack = CFixtureObject<CRecordingBlackJack>;

const std::vector<const char*> kItems = {"table", "bet", "coins", "user", "bank", "deck",
                                         "coin",  "card", "sheet", "b_bet", "b_hit", "b_stand"};

class BlackJackLevel : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Scripts()->Init();
        level = std::make_unique<CFixtureBlackJack>(world.GetWorldData(), 0, kObjectKindBlackJack, "blackjack", kItems,
                                                    &world.requests);
        world.Objects()->Adopt({level.get()});
        ASSERT_EQ(level->Load(), kStatusOk);
        world.Objects()->SetCurrentObject(level.get());
        UtilsRandom_Seed(world.GetWorldData(), 5);
    }
    void TearDown() override
    {
        world.Objects()->Forget();
        level.reset();
    }
    Status Word(const char* name, const char* value)
    {
        std::string copy = value;
        return level->LoadEventsFromParam(name, copy.data());
    }
    Status Event(const char* name, const char* value)
    {
        std::string copy = value;
        return level->OnEvent(name, copy.data());
    }
    void Configure()
    {
        const char* words[] = {"black_jack_game_play",
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
                               "black_jack_register_button_stand"};
        for (size_t i = 0; i < 12; ++i)
            ASSERT_EQ(Word(words[i], kItems[i]), kStatusDoneStoreResult) << words[i];
        ASSERT_EQ(Word("black_jack_set_coins_count", "30"), kStatusDoneStoreResult);
    }
    void Frames(uint32_t count)
    {
        world.GetWorldData()->frameTime = 1.0;
        for (uint32_t i = 0; i < count; ++i)
            level->UpdateState();
    }
    const ElementRecord& Item(uint32_t i) { return *level->GetItemRecord(i); }

    CBuiltinWorld world;
    std::unique_ptr<CFixtureBlackJack> level;
};

TEST_F(BlackJackLevel, WordsActionsAndCommands)
{
    EXPECT_EQ(Word("black_jack_game_play", "ghost"), kStatusFailed);
    EXPECT_EQ(Word("black_jack_unknown", "1"), kStatusDoneStoreResult);
    Configure();
    // The callback is needed; with no sheet texture on the memory renderer the mesh fails.
    EXPECT_EQ(level->CheckSetup(), kStatusFailed);
    ASSERT_EQ(Word("black_jack_response_callback", "OnSettled"), kStatusDoneStoreResult);
    EXPECT_EQ(level->CheckSetup(), kStatusFailed);
    EXPECT_EQ(level->GetBoard().CheckSetup(), kStatusOk);

    EXPECT_EQ(Event("black_jack_action_bet", "10"), kStatusDoneNoResult);
    EXPECT_EQ(level->GetBoard().Coins(), 20u);
    // "reset" leaves the game as it is; "skip" finishes, and finishes again after a reset.
    EXPECT_EQ(level->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(level->GetBoard().GameState(), kBlackJackDealing);
    EXPECT_EQ(Event("event", "skip"), kStatusDoneStoreResult);
    EXPECT_EQ(level->finishes, 1u);
    EXPECT_EQ(level->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(level->IsSolved(), 1);
    EXPECT_EQ(Event("event", "skip"), kStatusDoneStoreResult);
    EXPECT_EQ(level->finishes, 2u);
}

TEST_F(BlackJackLevel, TheButtonsFollowTheGameAndSettlementsCallBack)
{
    Configure();
    Word("black_jack_response_callback", "OnSettled");
    ElementRecord* hit = level->GetItemRecord(10);
    hit->flags |= kElementDraggable | kElementRotatable;
    Frames(1);
    EXPECT_EQ(Item(9).flags & (kElementClickable | kElementFound), kElementClickable);
    EXPECT_FLOAT_EQ(Item(9).alpha, 1.0f);
    EXPECT_NE(Item(10).flags & kElementFound, 0u);
    EXPECT_FLOAT_EQ(Item(10).alpha, 0.75f);
    Event("black_jack_action_bet", "10");
    Frames(1);
    EXPECT_NE(Item(9).flags & kElementFound, 0u);
    for (uint32_t i = 0; i < 200 && level->GetBoard().GameState() != kBlackJackPlayerTurn; ++i)
        Frames(1);
    ASSERT_EQ(level->GetBoard().GameState(), kBlackJackPlayerTurn);
    EXPECT_EQ(Item(11).flags & (kElementClickable | kElementFound), kElementClickable);
    if (level->GetBoard().Value(false) != 21) {
        EXPECT_EQ(Item(10).flags & (kElementClickable | kElementFound | kElementDraggable | kElementRotatable),
                  kElementClickable);
    }
    Event("black_jack_action_stand", "");
    for (uint32_t i = 0; i < 400 && level->GetBoard().GameState() != kBlackJackWaiting; ++i)
        Frames(1);
    ASSERT_EQ(level->calls.size(), 1u);
    const BlackJackBoard& b = level->GetBoard();
    const bool won = b.Coins() == 40u, push = b.Coins() == 30u;
    const std::string expected = std::string("OnSettled 0 ") + (won ? "1 20" : push ? "3 10" : "2 10") + " " +
                                 std::to_string(0x30000111u);
    EXPECT_EQ(level->calls[0], expected);
}

TEST_F(BlackJackLevel, ABadSavedTableStartsAfreshAndTheLoadGoesOn)
{
    Configure();
    Word("black_jack_response_callback", "OnSettled");
    Event("black_jack_action_bet", "10");
    Frames(40);
    const std::vector<uint8_t> payload = SavedPayload(*level);
    ASSERT_EQ(LoadPayload(*level, payload), kStatusOk);
    EXPECT_EQ(SavedPayload(*level), payload);
    EXPECT_EQ(level->GetBoard().Coins(), 20u);

    // The cards left stand before the shoe and the hands, at the end.
    std::vector<uint8_t> damaged = payload;
    const size_t kindEnd = payload.size();
    const BlackJackBoard& b = level->GetBoard();
    const size_t hands = 4 + 3 * b.Hand(true).size() + 4 + 4 + 3 * b.Hand(false).size() + 4;
    const size_t remaining = kindEnd - hands - 3 * kBlackJackShoeSize - 4;
    const uint32_t bad = 400;
    std::memcpy(&damaged[remaining], &bad, 4);
    EXPECT_EQ(LoadPayload(*level, damaged), kStatusOk);
    EXPECT_EQ(level->GetBoard().Coins(), 0u);
    EXPECT_EQ(level->GetBoard().Item(kBlackJackPlay), -1);
    EXPECT_EQ(LoadPayload(*level, payload, payload.size() - 2), kStatusFailed);
}

}  // namespace
