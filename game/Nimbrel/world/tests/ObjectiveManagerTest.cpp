// The objective manager: sequences of script operations and what they leave (the current
// objective, the order, the flags, the order numbers, the notifications), and its profile chunk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NimbrelWorld/CObjectiveManager.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

namespace {

// Counts the change notifications.
class CountingObjectives : public CObjectiveManager {
public:
    using CObjectiveManager::CObjectiveManager;
    void OnObjectivesChanged() override { ++notifications; }
    int notifications = 0;
};

// The list as text: "id:flags#order" per record, flags 'i' implicit and 'd' done, sub-objectives
// in brackets.
std::string Describe(CObjectiveManager& manager)
{
    auto one = [](const ObjectiveRecord* r) {
        std::string text = std::to_string(r->identifier) + ":";
        if (r->implicit)
            text += "i";
        if (r->done)
            text += "d";
        return text + "#" + std::to_string(r->orderNumber);
    };
    std::string text;
    CFIFOList& list = manager.GetObjectives();
    for (void* p = list.GetFirst(); p; p = list.GetNext()) {
        const auto* objective = static_cast<ObjectiveRecord*>(p);
        text += (text.empty() ? "" : " ") + one(objective);
        if (CFIFOList* subs = objective->pSubObjectives) {
            text += "[";
            for (void* s = subs->GetFirst(); s; s = subs->GetNext())
                text += (text.back() == '[' ? "" : " ") + one(static_cast<ObjectiveRecord*>(s));
            text += "]";
        }
    }
    return text;
}

struct Step {
    char op;  // a add, c complete, t to top, s add sub, x complete sub, u sub to top
    uint32_t id, sub;
    Status status;
};

struct SequenceCase {
    const char* name;
    std::vector<Step> steps;
    int32_t current;
    const char* list;
    int notifications;
};

Status Apply(CObjectiveManager& m, const Step& s)
{
    switch (s.op) {
    case 'a': return m.AddObjective(s.id);
    case 'c': return m.CompleteObjective(s.id);
    case 't': return m.PutObjectiveToTop(s.id);
    case 's': return m.AddSubObjective(s.id, s.sub);
    case 'x': return m.CompleteSubObjective(s.id, s.sub);
    default: return m.PutSubObjectiveToTop(s.id, s.sub);
    }
}

TEST(ObjectiveManager, OperationSequencesLeaveTheExpectedList)
{
    const SequenceCase cases[] = {
        {"a completed objective is not current", {{'a', 1}, {'a', 2}, {'c', 2}}, 1, "1:#1 2:d#2", 3},
        {"adding again moves an open objective to the top", {{'a', 1}, {'a', 2}, {'a', 1}}, 1, "2:#2 1:#1", 3},
        {"a sub-objective makes its objective implicit until it is added",
         {{'s', 3, 30}, {'a', 4}},
         4,
         "3:i#1[30:#2] 4:#3",
         2},
        {"adding the implicit objective makes its sub-objective current",
         {{'s', 3, 30}, {'a', 4}, {'a', 3}},
         30,
         "4:#3 3:#1[30:#2]",
         3},
        {"completing an objective completes its sub-objectives",
         {{'a', 5}, {'s', 5, 50}, {'s', 5, 51}, {'c', 5}},
         -1,
         "5:d#1[50:d#2 51:d#3]",
         4},
        {"completed sub-objectives leave the objective open and current",
         {{'a', 5}, {'s', 5, 50}, {'x', 5, 50}, {'x', 5, 51}},
         5,
         "5:#1[50:d#2 51:d#3]",
         4},
        {"an unknown objective completed is recorded done without notice, and stays",
         {{'c', 6}, {'a', 7}, {'a', 6}},
         7,
         "6:d#1 7:#2",
         1},
        {"the current sub-objective is the last open one",
         {{'a', 8}, {'s', 8, 80}, {'s', 8, 81}, {'s', 8, 80}},
         80,
         "8:#1[81:#3 80:#2]",
         4},
        {"moving a sub-objective up moves its objective up",
         {{'a', 8}, {'s', 8, 80}, {'s', 8, 81}, {'a', 9}, {'u', 8, 80}},
         80,
         "9:#4 8:#1[81:#3 80:#2]",
         5},
        {"unknown records to the top",
         {{'a', 1}, {'t', 2, 0, kStatusFailed}, {'u', 2, 1, kStatusFailed}, {'u', 1, 9}},
         1,
         "1:#1",
         1},
        {"a done sub-objective added again stays where it is",
         {{'a', 1}, {'x', 1, 10}, {'s', 1, 11}, {'s', 1, 10}},
         11,
         "1:#1[10:d#2 11:#3]",
         3},
    };
    WorldData world = {};
    for (const SequenceCase& c : cases) {
        SCOPED_TRACE(c.name);
        CountingObjectives manager(&world);
        for (const Step& step : c.steps)
            EXPECT_EQ(Apply(manager, step), step.status) << step.op << step.id;
        EXPECT_EQ(manager.GetCurrentObjective(), c.current);
        EXPECT_EQ(Describe(manager), c.list);
        EXPECT_EQ(manager.notifications, c.notifications);
    }
}

// A chunk holding these payload bytes, read from its start.
void Fill(UtilsStream_Chunk& chunk, const std::vector<uint8_t>& bytes)
{
    chunk.Open(kStreamReadWriteGrowable);
    if (!bytes.empty())
        chunk.Write(bytes.data(), 1, uint32_t(bytes.size()));
    chunk.Rewind();
}

std::vector<uint8_t> Saved(CObjectiveManager& manager)
{
    UtilsStream_Chunk chunk(220000);
    chunk.Open(kStreamReadWriteGrowable);
    EXPECT_EQ(manager.SaveToStream(nullptr, &chunk), kStatusOk);
    chunk.Rewind();
    std::vector<uint8_t> bytes(chunk.GetPayloadSize());
    if (!bytes.empty())
        chunk.Read(bytes.data(), 1, uint32_t(bytes.size()));
    return bytes;
}

TEST(ObjectiveManager, ASavedListLoadsBackAndSavesTheSameBytes)
{
    WorldData world = {};
    CountingObjectives manager(&world);
    manager.AddObjective(1);
    manager.AddSubObjective(2, 20);
    manager.CompleteSubObjective(2, 21);
    manager.AddSubObjective(2, 22);
    manager.AddObjective(2);
    const std::vector<uint8_t> bytes = Saved(manager);
    // Counter 5, two objectives; the second has three sub-objectives.
    ASSERT_EQ(bytes.size(), 8u + 2 * 14 + 3 * 10);
    EXPECT_EQ(bytes[0], 5);
    EXPECT_EQ(bytes[4], 2);

    CountingObjectives loaded(&world);
    loaded.AddObjective(99);  // replaced by the load
    loaded.notifications = 0;
    UtilsStream_Chunk chunk(220000);
    Fill(chunk, bytes);
    ASSERT_EQ(loaded.LoadFromStream(&chunk), kStatusOk);
    EXPECT_EQ(Describe(loaded), "1:#1 2:#2[20:#3 21:d#4 22:#5]");
    EXPECT_EQ(Describe(loaded), Describe(manager));
    EXPECT_EQ(loaded.GetOrderCounter(), 5u);
    EXPECT_EQ(loaded.GetCurrentObjective(), 22);
    EXPECT_EQ(loaded.notifications, 2);  // the clear and the load
    EXPECT_EQ(Saved(loaded), bytes);
    // New records go on counting from the saved counter.
    loaded.AddObjective(3);
    EXPECT_EQ(Describe(loaded).substr(Describe(loaded).size() - 4), "3:#6");

    // Cut anywhere, the chunk is refused; what was read stays until the next clear.
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        CObjectiveManager partial(&world);
        UtilsStream_Chunk piece(220000);
        Fill(piece, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut)));
        EXPECT_EQ(partial.LoadFromStream(&piece), kStatusFailed) << "cut at " << cut;
    }
}

TEST(ObjectiveManager, CountsLargerThanTheChunkAreRefusedBeforeAllocating)
{
    WorldData world = {};
    const std::vector<std::vector<uint8_t>> payloads = {
        {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF},
        // One objective whose sub-objective count is 0xFFFFFFFF.
        {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 7, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0},
    };
    for (const auto& payload : payloads) {
        CObjectiveManager manager(&world);
        UtilsStream_Chunk chunk(220000);
        Fill(chunk, payload);
        EXPECT_EQ(manager.LoadFromStream(&chunk), kStatusFailed);
        EXPECT_EQ(world.lastErrorCode, 0);
    }
    CObjectiveManager manager(&world);
    EXPECT_EQ(manager.LoadFromStream(nullptr), kStatusFailed);
}

}  // namespace
