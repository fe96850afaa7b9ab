// Commands: adding, locking, burning and removing records; lists of handles burnt together,
// also when a target changes the list being burnt; both stream layouts, byte for byte, and
// damaged streams.
#include <gtest/gtest.h>

#include <vector>

#include "ScriptWorld.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

constexpr uint32_t kTarget = 2;

class CommandListTest : public ::testing::Test {
protected:
    CommandHandle Add(uint32_t function = 0, uint32_t event = kCommandEventClick, uint8_t keep = 0)
    {
        CommandHandle handle{};
        EXPECT_EQ(commands->AddCommand(kTarget, keep, kCommandResumeWait, event, function, function, 0, &handle), 0);
        return handle;
    }
    bool Burn(const CommandHandle& handle, uint32_t event = kCommandEventClick)
    {
        return commands->OnBurnCommand(handle, event, 0, 0, 0);
    }

    ScriptWorld world;
    CCommandListManager* commands = world.Commands();
    TestObject* target = world.AddObject(kTarget);
};

// The bytes a stream holds after `save`.
template <typename T>
std::vector<uint8_t> Saved(const T& saver)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    EXPECT_EQ(saver.Save(&stream), 0);
    std::vector<uint8_t> bytes(stream.GetBlock(), stream.GetBlock() + stream.GetSize());
    stream.Close();
    return bytes;
}

template <typename T>
Status LoadBytes(T& loader, std::vector<uint8_t> bytes)
{
    UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    stream.Open();
    return loader.Load(&stream);
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> bytes;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(w >> (8 * i)));
    return bytes;
}

TEST_F(CommandListTest, BurningReachesTheTargetOnceAndFreesTheRecord)
{
    const CommandHandle handle = Add(3);
    EXPECT_EQ(handle.kind, kCommandResumeWait);
    EXPECT_EQ(handle.magicIndex, 1u);
    EXPECT_EQ(handle.word3, 3u);
    // The event must match.
    EXPECT_TRUE(Burn(handle, kCommandEventFade));
    EXPECT_EQ(target->burns, 0);
    EXPECT_TRUE(Burn(handle));
    EXPECT_EQ(target->burns, 1);
    EXPECT_EQ(commands->GetRecord(handle.recordIndex)->magicIndex, 0u);
    // Twice: the second burn finds a free record and does nothing.
    EXPECT_TRUE(Burn(handle));
    EXPECT_EQ(target->burns, 1);
    // A declining target keeps the command armed.
    const CommandHandle second = Add(4);
    target->accept = false;
    EXPECT_FALSE(Burn(second));
    EXPECT_EQ(commands->GetRecord(second.recordIndex)->burning, 0);
    target->accept = true;
    EXPECT_TRUE(Burn(second));
    EXPECT_EQ(target->burns, 3);
    // A command without a function stays armed after a burn and burns again.
    const CommandHandle lasting = Add(kCommandNoFunction);
    EXPECT_TRUE(Burn(lasting));
    EXPECT_TRUE(Burn(lasting));
    EXPECT_EQ(target->burns, 5);
    // A target that is no existing object takes the command without a call.
    CommandHandle orphan{};
    ASSERT_EQ(commands->AddCommand(77, 0, kCommandChangeLevel, kCommandEventClick, 1, 0, 0, &orphan), 0);
    EXPECT_TRUE(Burn(orphan));
    EXPECT_EQ(commands->GetRecord(orphan.recordIndex)->magicIndex, 0u);
}

TEST_F(CommandListTest, LockedCommandsDoNotBurnUntilUnlocked)
{
    const CommandHandle handle = Add();
    commands->Lock(handle);
    commands->Lock(handle);
    EXPECT_TRUE(Burn(handle));
    commands->Unlock(handle);
    EXPECT_TRUE(Burn(handle));
    EXPECT_EQ(target->burns, 0);
    commands->Unlock(handle);
    commands->Unlock(handle);  // not below 0
    EXPECT_EQ(commands->GetRecord(handle.recordIndex)->lockCount, 0u);
    EXPECT_TRUE(Burn(handle));
    EXPECT_EQ(target->burns, 1);
    // Out of range or free: nothing.
    commands->Lock(CommandHandle{3, 40, 1, 0, 0});
    commands->Lock(handle);
    EXPECT_EQ(commands->GetRecord(handle.recordIndex)->lockCount, 0u);
}

// A holder that kept the handle of a freed command (a move of a waiting call that failed) must
// not unlock, nor lock, the command that took its record.
TEST_F(CommandListTest, AStaleHandleNeitherLocksNorUnlocksItsRecordsNewCommand)
{
    Add();
    const CommandHandle stale = Add();
    commands->Lock(stale);
    ASSERT_EQ(commands->RemoveLastCommand(), 0);
    const CommandHandle fresh = Add();
    ASSERT_EQ(fresh.recordIndex, stale.recordIndex);
    commands->Lock(fresh);
    commands->Unlock(stale);
    EXPECT_TRUE(Burn(fresh));
    EXPECT_EQ(target->burns, 0);
    commands->Lock(stale);
    commands->Unlock(fresh);
    EXPECT_EQ(commands->GetRecord(fresh.recordIndex)->lockCount, 0u);
    EXPECT_TRUE(Burn(fresh));
    EXPECT_EQ(target->burns, 1);
}

TEST_F(CommandListTest, RecordsAreReusedFromTheTopAndRemovedByTheirRules)
{
    const CommandHandle first = Add(0);
    // The last added is record 0: it cannot be removed that way.
    EXPECT_EQ(commands->RemoveLastCommand(), kStatusFailed);
    const CommandHandle second = Add(1);
    EXPECT_EQ(commands->RemoveLastCommand(), 0);
    EXPECT_EQ(commands->RemoveLastCommand(), kStatusFailed);
    // The freed record 1 is taken again; a freed record 0 never is.
    EXPECT_EQ(Add(2).recordIndex, 1u);
    EXPECT_EQ(commands->RemoveCommandByIndex(first.recordIndex, first.magicIndex), 0);
    EXPECT_EQ(commands->RemoveCommandByIndex(first.recordIndex, first.magicIndex), kStatusFailed);
    EXPECT_EQ(Add(3).recordIndex, 2u);
    EXPECT_EQ(commands->RemoveCommandByIndex(second.recordIndex, second.magicIndex), kStatusFailed);  // reused
    EXPECT_EQ(commands->RemoveCommandByIndex(99, 1), kStatusFailed);

    // Kept records survive every removal.
    const CommandHandle kept = Add(5, kCommandEventFade, 1);
    const CommandHandle fade = Add(5, kCommandEventFade);
    const CommandHandle click = Add(5, kCommandEventClick);
    EXPECT_EQ(commands->RemoveLastCommand(), 0);  // click
    EXPECT_EQ(commands->RemoveCommandByIndex(kept.recordIndex, kept.magicIndex), kStatusFailed);
    EXPECT_EQ(commands->RemoveCommandByFunctionIndex(kTarget, kCommandResumeWait, kCommandEventFade, 5), 0);
    EXPECT_EQ(commands->GetRecord(fade.recordIndex)->magicIndex, 0u);
    EXPECT_EQ(commands->GetRecord(click.recordIndex)->magicIndex, 0u);
    EXPECT_EQ(commands->GetRecord(kept.recordIndex)->magicIndex, kept.magicIndex);
    EXPECT_EQ(commands->RemoveObjectCommands(kTarget), 0);
    uint32_t live = 0;
    for (uint32_t i = 0; i < commands->GetCount(); ++i)
        live += commands->GetRecord(i)->magicIndex != 0;
    EXPECT_EQ(live, 1u);
}

TEST_F(CommandListTest, TheMagicIndexAfterTheLastIsOne)
{
    ASSERT_EQ(LoadBytes(*commands, Words({0xFFFFFFFFu, 0, 0})), 0);
    EXPECT_EQ(Add().magicIndex, 0xFFFFFFFFu);
    EXPECT_EQ(Add().magicIndex, 1u);
}

TEST_F(CommandListTest, ListsKeepWhatTheirBurnsDecline)
{
    CCommandList list(world.GetWorldData());
    const CommandHandle a = Add(1), b = Add(2), c = Add(3);
    EXPECT_EQ(list.Add(a), 0);
    EXPECT_EQ(list.Add(b), 0);
    EXPECT_EQ(list.Add(a), 0);
    EXPECT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(list.Add(c), 0);
    // b declines: it stays, the others go.
    target->onBurn = [&] { target->accept = target->burns != 2; };
    EXPECT_EQ(list.BurnAll(kCommandEventClick, 0, 0, 0), 0);
    ASSERT_EQ(list.GetCount(), 1u);
    EXPECT_EQ(list.GetHandle(0)->magicIndex, b.magicIndex);
}

TEST_F(CommandListTest, ATargetMayAddToEmptyOrGrowTheListBeingBurnt)
{
    CCommandList list(world.GetWorldData());
    std::vector<CommandHandle> handles;
    for (uint32_t i = 0; i < 4; ++i) {
        handles.push_back(Add(i));
        list.Add(handles.back());
    }
    // The second burn adds twenty handles (the array moves) and declines; the others accept.
    std::vector<CommandHandle> added;
    target->onBurn = [&] {
        target->accept = target->burns != 2;
        if (target->burns == 2)
            for (uint32_t i = 0; i < 20; ++i) {
                added.push_back(Add(100 + i));
                list.Add(added.back());
            }
    };
    list.BurnAll(kCommandEventClick, 0, 0, 0);
    ASSERT_EQ(list.GetCount(), 21u);
    EXPECT_EQ(list.GetHandle(0)->magicIndex, handles[1].magicIndex);
    for (uint32_t i = 0; i < 20; ++i)
        EXPECT_EQ(list.GetHandle(1 + i)->magicIndex, added[i].magicIndex);

    // A burn that empties the list ends the walk at once.
    target->onBurn = [&] { list.Clear(); };
    target->accept = true;
    const int burns = target->burns;
    list.BurnAll(kCommandEventClick, 0, 0, 0);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(target->burns, burns + 1);
    // A burn of the same list from inside a burn does nothing.
    list.Add(Add(200));
    list.Add(Add(201));
    target->onBurn = [&] { list.BurnAll(kCommandEventClick, 0, 0, 0); };
    list.BurnAll(kCommandEventClick, 0, 0, 0);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(target->burns, burns + 3);
}

TEST_F(CommandListTest, StreamLayoutsByteForByte)
{
    Add(7, kCommandEventFade, 1);
    const CommandHandle lasting = Add(kCommandNoFunction);
    commands->Lock(lasting);
    const std::vector<uint8_t> manager = Saved(*commands);
    std::vector<uint8_t> expected = Words({3, 1, 2});
    for (const auto& [keep, words] :
         {std::pair<uint8_t, std::vector<uint8_t>>{1, Words({1, kTarget, 7, 0, 3, 0})},
          {0, Words({2, kTarget, 0xFFFFFFFFu, 1, 3, 1})}}) {
        expected.push_back(keep);
        expected.insert(expected.end(), words.begin(), words.end());
    }
    EXPECT_EQ(manager, expected);

    CCommandList list(world.GetWorldData());
    list.Add(CommandHandle{3, 1, 2, 9, 8});
    EXPECT_EQ(Saved(list), Words({1, 1, 3, 2, 9, 8}));

    // Read back, they write the same bytes.
    ScriptWorld other;
    ASSERT_EQ(LoadBytes(*other.Commands(), manager), 0);
    EXPECT_EQ(Saved(*other.Commands()), manager);
    CCommandList copy(other.GetWorldData());
    ASSERT_EQ(LoadBytes(copy, Saved(list)), 0);
    EXPECT_EQ(Saved(copy), Saved(list));
}

TEST_F(CommandListTest, DamagedStreamsFailAndOddWordsAreMended)
{
    Add(7, kCommandEventFade, 1);
    Add(kCommandNoFunction);
    const std::vector<uint8_t> manager = Saved(*commands);
    CCommandList list(world.GetWorldData());
    list.Add(CommandHandle{3, 1, 2, 9, 8});
    list.Add(CommandHandle{3, 4, 5, 6, 7});
    const std::vector<uint8_t> handles = Saved(list);

    ScriptWorld other;
    for (size_t n = 0; n < manager.size(); ++n)
        EXPECT_EQ(LoadBytes(*other.Commands(), std::vector<uint8_t>(manager.begin(), manager.begin() + n)),
                  kStatusFailed)
            << n;
    CCommandList copy(other.GetWorldData());
    for (size_t n = 0; n < handles.size(); ++n)
        EXPECT_EQ(LoadBytes(copy, std::vector<uint8_t>(handles.begin(), handles.begin() + n)), kStatusFailed) << n;
    EXPECT_EQ(copy.GetCount(), 0u);

    // Counts far beyond the bytes are refused before anything is allocated.
    EXPECT_EQ(LoadBytes(*other.Commands(), Words({1, 0, 0x10000000u})), kStatusFailed);
    EXPECT_EQ(LoadBytes(copy, Words({0xFFFFFFFFu})), kStatusFailed);
    // A last-added index beyond the records becomes 0; a next magic index of 0 becomes 1.
    std::vector<uint8_t> odd = manager;
    odd[0] = odd[1] = odd[2] = odd[3] = 0;
    odd[4] = 9;
    ASSERT_EQ(LoadBytes(*other.Commands(), odd), 0);
    EXPECT_EQ(other.Commands()->GetNextMagicIndex(), 1u);
    EXPECT_EQ(other.Commands()->GetLastAdded(), 0u);
    EXPECT_EQ(other.Commands()->RemoveLastCommand(), kStatusFailed);
}

}  // namespace
