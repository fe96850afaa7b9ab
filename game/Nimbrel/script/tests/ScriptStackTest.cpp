#include "NimbrelScript/ScriptStack.h"
#include "NimbrelScript/ScriptTree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// A stack of named slots, bottom to top; the declarations outlive the stack.
struct NamedStack {
    std::vector<std::unique_ptr<ScriptDeclaration>> declarations;
    ScriptStack stack;

    ~NamedStack() { stack.Clear(); }

    void Push(const char* name, uint8_t attributes = 0)
    {
        auto declaration = std::make_unique<ScriptDeclaration>();
        declaration->name = name;
        declaration->attributes = attributes;
        stack.Push(declaration.get());
        declarations.push_back(std::move(declaration));
    }
};

TEST(ScriptStackNames, TopmostExactMatchWithAttributeFilter)
{
    NamedStack named;
    named.Push("_mix_1_", kScriptAttrArgument); // 0
    named.Push("total", kScriptAttrOwn);        // 1
    named.Push("_mix_1_", kScriptAttrOwn);      // 2
    named.Push("_mix_2_", kScriptAttrArgument); // 3
    named.Push("totals", kScriptAttrOwn);       // 4
    named.Push("Total", kScriptAttrOwn);        // 5
    named.stack.Push(nullptr);                  // 6: a slot without a declaration
    named.Push("counter_a1");                   // 7
    named.Push("a_rather_long_variable_name");  // 8
    named.Push("abc");                          // 9

    struct Case {
        const char* name;
        uint8_t attributes;
        uint32_t expected;
    };
    const Case cases[] = {
        {"_mix_1_", 0, 2},
        {"_mix_1_", kScriptAttrArgument, 0},
        {"_mix_2_", 0, 3},
        {"_mix_3_", 0, kScriptNone},
        {"total", 0, 1}, // case matters, and "totals" is longer
        {"Total", 0, 5},
        {"tota", 0, kScriptNone},
        {"xotal", 0, kScriptNone},
        {"total", kScriptAttrArgument, kScriptNone},
        {"", 0, kScriptNone},
        {"counter_a1", 0, 7},
        {"counter_b1", 0, kScriptNone},
        {"counter_a2", 0, kScriptNone},
        {"a_rather_long_variable_name", 0, 8},
        {"a_rather_long_vXriable_name", 0, kScriptNone},
        {"abc", 0, 9},
        {"abd", 0, kScriptNone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(named.stack.FindByName(c.name, c.attributes), c.expected) << c.name;
        EXPECT_EQ(named.stack.FindNamed(c.name, std::strlen(c.name), c.attributes), c.expected) << c.name;
    }
    EXPECT_EQ(named.stack.FindByName(nullptr), kScriptNone);
}

TEST(ScriptStackNames, TruncateKeepsLiveSlotCounts)
{
    NamedStack named;
    named.Push("a");
    named.Push("b");
    named.stack.Push(named.declarations[0].get());
    EXPECT_EQ(named.declarations[0]->liveSlots, 2u);
    named.stack.Truncate(1);
    EXPECT_EQ(named.stack.Count(), 1u);
    EXPECT_EQ(named.declarations[0]->liveSlots, 1u);
    EXPECT_EQ(named.declarations[1]->liveSlots, 0u);
    named.stack.Truncate(5); // fewer held: nothing happens
    EXPECT_EQ(named.stack.Count(), 1u);
}

} // namespace
