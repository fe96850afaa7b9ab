#include "VornelUtils/FIFOList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int a = 1, b = 2, c = 3, d = 4;

std::vector<void*> Items(CFIFOList& list)
{
    std::vector<void*> items;
    for (FIFONode* p = (list.GetFirst(), list.GetCurrentNode()); p; p = p->pNext)
        items.push_back(p->pItem);
    return items;
}

} // namespace

TEST(FIFOList, IterationBothWays)
{
    CFIFOList list;
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetFirst(), nullptr);
    EXPECT_EQ(list.GetNext(), nullptr); // off the list: stays off
    ASSERT_EQ(list.Add(&b, 0), kStatusOk);
    ASSERT_EQ(list.Add(&c, 0), kStatusOk);
    ASSERT_EQ(list.AddHead(&a, 0), kStatusOk);
    EXPECT_EQ(list.GetCurrentNode(), nullptr); // not made current
    EXPECT_EQ(list.GetCount(), 3u);

    EXPECT_EQ(Items(list), (std::vector<void*>{&a, &b, &c}));
    EXPECT_EQ(list.GetLast(), &c);
    EXPECT_EQ(list.GetPrevious(), &b);
    EXPECT_EQ(list.GetPrevious(), &a);
    EXPECT_EQ(list.GetPrevious(), nullptr);
}

TEST(FIFOList, InsertBeforeAtHeadAndOffTheList)
{
    CFIFOList list;
    list.Add(&b, 0);
    list.Add(&c, 0);

    EXPECT_EQ(list.GetFirst(), &b);
    ASSERT_EQ(list.InsertBefore(&a), kStatusOk); // cursor on the head: new head
    EXPECT_EQ(list.GetCurrentNode()->pItem, &a);

    for (void* p = list.GetFirst(); p; p = list.GetNext()) {
    }
    ASSERT_EQ(list.InsertBefore(&d), kStatusOk); // past the end: appended
    EXPECT_EQ(list.GetCurrentNode()->pItem, &d);
    EXPECT_EQ(Items(list), (std::vector<void*>{&a, &b, &c, &d}));

    list.Find(&c);
    list.InsertBefore(&a);
    EXPECT_EQ(list.GetNext(), &c); // the new node is current
    EXPECT_EQ(Items(list), (std::vector<void*>{&a, &b, &a, &c, &d}));

    CFIFOList empty;
    ASSERT_EQ(empty.InsertBefore(&a), kStatusOk);
    EXPECT_EQ(Items(empty), (std::vector<void*>{&a}));
}

TEST(FIFOList, InsertAfter)
{
    CFIFOList list;
    list.Add(&a, 0);
    list.Add(&c, 0);
    list.GetFirst();
    list.InsertAfter(&b); // in the middle
    EXPECT_EQ(list.GetNext(), &c);
    list.InsertAfter(&d); // at the tail
    EXPECT_EQ(Items(list), (std::vector<void*>{&a, &b, &c, &d}));
}

TEST(FIFOList, RemoveCurrentWhileIterating)
{
    CFIFOList list;
    list.Add(&a, 0);
    list.Add(&b, 0);
    list.Add(&c, 0);
    int removed = 0;
    for (void* p = list.GetFirst(); p; p = list.RemoveCurrent(0))
        ++removed;
    EXPECT_EQ(removed, 3);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetLast(), nullptr);
    EXPECT_EQ(list.RemoveCurrent(0), nullptr); // no cursor: nothing happens
}

TEST(FIFOList, RemoveCurrentBackward)
{
    CFIFOList list;
    list.Add(&a, 0);
    list.Add(&b, 0);
    list.Add(&c, 0);
    list.GetLast();
    EXPECT_EQ(list.RemoveCurrentBackward(0), &b);
    EXPECT_EQ(list.RemoveCurrentBackward(0), &a);
    EXPECT_EQ(list.RemoveCurrentBackward(0), nullptr);
    EXPECT_TRUE(list.IsEmpty());
}

TEST(FIFOList, RemoveFindAndMove)
{
    CFIFOList list;
    list.Add(&a, 0);
    list.Add(&b, 0);
    list.Add(&c, 0);

    EXPECT_EQ(list.Find(&d), nullptr);
    FIFONode* pNode = list.Find(&b);
    ASSERT_NE(pNode, nullptr);
    EXPECT_EQ(list.GetCurrentNode(), pNode);
    EXPECT_EQ(list.Find(nullptr), pNode); // null: the current node, no search

    EXPECT_EQ(list.MoveCurrentToTail(), &b);
    EXPECT_EQ(Items(list), (std::vector<void*>{&a, &c, &b}));
    list.GetLast();
    EXPECT_EQ(list.MoveCurrentToHead(), &b);
    EXPECT_EQ(Items(list), (std::vector<void*>{&b, &a, &c}));
    EXPECT_EQ(list.GetLast(), &c);
    EXPECT_EQ(list.GetPrevious(), &a);

    list.Find(&a);
    EXPECT_EQ(list.Remove(&a), kStatusOk); // the cursor moves on, not onto freed memory
    EXPECT_EQ(list.GetCurrentNode()->pItem, &c);
    EXPECT_EQ(list.Remove(&a), kStatusFailed);
    EXPECT_EQ(Items(list), (std::vector<void*>{&b, &c}));

    CFIFOList other;
    other.Add(&a, 0);
    list.SetCurrentNode(other.Find(&a)); // a node of another list is refused
    EXPECT_EQ(list.GetCurrentNode(), nullptr);
    list.SetCurrentNode(list.Find(&c));
    EXPECT_EQ(list.GetCurrentNode()->pItem, &c);
    EXPECT_EQ(list.MoveCurrentToHead(), &c);
    list.SetCurrentNode(nullptr);
    EXPECT_EQ(list.MoveCurrentToHead(), nullptr);
}

TEST(FIFOList, RemoveAllStopsAtNullItemButDestructorFreesEverything)
{
    // The leak checker of the sanitized build fails this test if a node is left behind.
    CFIFOList list;
    list.Add(&a, 0);
    list.Add(nullptr, 0);
    list.Add(&c, 0);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 2u); // stops at the null item
}

TEST(FIFOListCounted, EntryInUseSurvivesFirstRemove)
{
    CFIFOListCounted list;
    ASSERT_EQ(list.Add(&a, 7), kStatusOk);
    EXPECT_EQ(list.GetCurrentFlag(), 7);
    EXPECT_EQ(list.GetCountA(&a), 1u);
    EXPECT_EQ(list.IncrementCountA(&a), 2u);

    EXPECT_EQ(list.Remove(&a), kStatusFailed); // still in use
    EXPECT_EQ(list.GetCount(), 1u);
    EXPECT_EQ(list.GetCountA(&a), 1u);
    EXPECT_EQ(list.Remove(&a), kStatusOk);
    EXPECT_TRUE(list.IsEmpty());
}

TEST(FIFOListCounted, RemoveCurrentWithAndWithoutForce)
{
    CFIFOListCounted list;
    list.Add(&a, 0);
    list.Add(&b, 0);
    list.IncrementCountA(&a);
    list.IncrementCountA(&b);

    EXPECT_EQ(list.GetFirst(), &a);
    EXPECT_EQ(list.RemoveCurrent(0), &b); // a stays with one use left
    EXPECT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(list.RemoveCurrent(1), nullptr); // b goes whatever its count
    EXPECT_EQ(list.GetCount(), 1u);

    // RemoveAll goes through the counted removal: a loses its last use and goes.
    list.Add(&c, 0);
    list.IncrementCountA(&c);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 1u);
    EXPECT_EQ(list.GetCountA(&c), 1u);
    // c is still in use; the destructor frees it anyway.
}

TEST(FIFOListCounted, CountersAndAbsentItems)
{
    CFIFOListCounted list;
    EXPECT_EQ(list.Remove(&a), kStatusFailed);
    EXPECT_EQ(list.IncrementCountA(&a), 0u);
    EXPECT_EQ(list.DecrementCountB(&a), 0u);
    EXPECT_EQ(list.GetCountB(&a), 0u);
    EXPECT_EQ(list.GetCurrentFlag(), 0);
    EXPECT_EQ(list.RemoveCurrent(1), nullptr);

    list.AddHead(&a, 3);
    EXPECT_EQ(list.GetNodeSize(), sizeof(FIFONodeCounted));
    EXPECT_EQ(list.DecrementCountA(&a), 0u);
    EXPECT_EQ(list.DecrementCountA(&a), 0u); // not below 0
    EXPECT_EQ(list.IncrementCountB(&a), 1u);
    EXPECT_EQ(list.IncrementCountB(&a), 2u);
    EXPECT_EQ(list.DecrementCountB(&a), 1u);
    EXPECT_EQ(list.GetCountA(&b), 0u);

    // A node made by a plain-list operation is a counted node too, with zero counts.
    list.GetFirst();
    list.InsertAfter(&b);
    EXPECT_EQ(list.GetCurrentFlag(), 0);
    EXPECT_EQ(list.GetCountA(&b), 0u);
    EXPECT_EQ(list.Remove(&b), kStatusOk);
}

TEST(FIFOListCounted, PlainListPointerReachesCountedOperations)
{
    CFIFOListCounted counted;
    CFIFOList& list = counted;
    list.AddHead(&a, 5); // the counted AddHead: flag 5, one use
    EXPECT_EQ(counted.GetCurrentFlag(), 5);
    EXPECT_EQ(counted.GetCountA(&a), 1u);
    EXPECT_EQ(list.GetNodeSize(), sizeof(FIFONodeCounted));
}
