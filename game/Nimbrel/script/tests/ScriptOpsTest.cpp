// The instruction handlers called on their own, over a hand-made activation.
#include "NimbrelScript/ScriptOps.h"
#include "NimbrelScript/ScriptText.h"

#include "ScriptTestDriver.h"

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class ScriptOps : public ::testing::Test {
protected:
    void SetUp() override
    {
        vm = ScriptVM_Create();
        module = ScriptModule_Create(vm, nullptr);
        ScriptModule_AddFileNameA(vm, module, "ops.script");
        activation = ScriptStartActivation(vm, module, &module->root, &module->root.body, nullptr, nullptr, false);
        ASSERT_NE(activation, nullptr);
    }
    void TearDown() override { ScriptVM_Destroy(vm); }

    uint32_t Slot()
    {
        return module->globals.Push(nullptr);
    }
    uint32_t Long(uint32_t value)
    {
        uint32_t index = Slot();
        module->globals.slots[index].type = kScriptTypeULong;
        module->globals.slots[index].value = value;
        return index;
    }
    uint32_t Float(float value)
    {
        uint32_t index = Slot();
        module->globals.slots[index].type = kScriptTypeFloat;
        module->globals.slots[index].value = FloatToBits(value);
        return index;
    }
    uint32_t String(const char* text)
    {
        uint32_t index = Slot();
        module->globals.slots[index].type = kScriptTypeString;
        module->globals.slots[index].text = text ? StrDupA(text) : nullptr;
        return index;
    }
    ScriptValue& At(uint32_t index) { return module->globals.slots[index]; }
    Status Run(uint32_t opcode, uint32_t a, uint32_t b)
    {
        ScriptInstruction instruction{opcode, a, b, 0, 7};
        return vm->handlers[opcode](vm, module, activation, &instruction);
    }

    ScriptVM* vm = nullptr;
    ScriptModule* module = nullptr;
    ScriptActivation* activation = nullptr;
};

TEST_F(ScriptOps, ULongArithmeticWraps)
{
    uint32_t x = Long(0), one = Long(1);
    EXPECT_EQ(Run(kScriptOpSub, x, one), kScriptOk);
    EXPECT_EQ(At(x).type, kScriptTypeULong);
    EXPECT_EQ(At(x).value, 0xFFFFFFFFu);
    EXPECT_EQ(Run(kScriptOpAdd, x, one), kScriptOk);
    EXPECT_EQ(At(x).value, 0u);
    uint32_t seven = Long(7), two = Long(2);
    EXPECT_EQ(Run(kScriptOpDiv, seven, two), kScriptOk);
    EXPECT_EQ(At(seven).value, 3u);
}

TEST_F(ScriptOps, ULongPlusFloatGivesFloat)
{
    uint32_t x = Long(2), f = Float(0.5f);
    EXPECT_EQ(Run(kScriptOpAdd, x, f), kScriptOk);
    EXPECT_EQ(At(x).type, kScriptTypeFloat);
    EXPECT_FLOAT_EQ(FloatFromBits(At(x).value), 2.5f);
    // Assigning a FLOAT to a ULONG variable makes it a FLOAT.
    uint32_t y = Long(4);
    EXPECT_EQ(Run(kScriptOpAssign, y, f), kScriptOk);
    EXPECT_EQ(At(y).type, kScriptTypeFloat);
}

TEST_F(ScriptOps, StringPlusNumberAppends)
{
    uint32_t s = String("n="), twelve = Long(12), half = Float(1.5f), minus = Long(0xFFFFFFFFu);
    EXPECT_EQ(Run(kScriptOpAdd, s, twelve), kScriptOk);
    EXPECT_STREQ(At(s).text, "n=12");
    EXPECT_EQ(Run(kScriptOpAdd, s, half), kScriptOk);
    EXPECT_STREQ(At(s).text, "n=121.500000");
    EXPECT_EQ(Run(kScriptOpAdd, s, minus), kScriptOk);
    EXPECT_STREQ(At(s).text, "n=121.500000-1");
    uint32_t t = String("ab");
    EXPECT_EQ(Run(kScriptOpAdd, t, t), kScriptOk) << "a string plus itself";
    EXPECT_STREQ(At(t).text, "abab");
}

TEST_F(ScriptOps, EqualStringsLeaveULongOne)
{
    uint32_t a = String("same"), b = String("same"), c = String("other");
    EXPECT_EQ(Run(kScriptOpEqual, a, b), kScriptOk);
    EXPECT_EQ(At(a).type, kScriptTypeULong);
    EXPECT_EQ(At(a).value, 1u);
    EXPECT_EQ(At(a).text, nullptr) << "the left string is freed";
    EXPECT_EQ(Run(kScriptOpNotEqual, b, c), kScriptOk);
    EXPECT_EQ(At(b).value, 1u);
}

TEST_F(ScriptOps, FloatComparisonLeavesFloatBits)
{
    uint32_t a = Float(1.0f), b = Float(2.0f);
    EXPECT_EQ(Run(kScriptOpLess, a, b), kScriptOk);
    EXPECT_EQ(At(a).type, kScriptTypeFloat);
    EXPECT_EQ(At(a).value, 1u);
}

TEST_F(ScriptOps, UnsupportedPairsNameRightThenLeft)
{
    struct Case {
        uint32_t opcode;
        const char* message;
    } cases[] = {
        {kScriptOpEqual, "unsupported operation \"FLOAT\" == \"ULONG\""},
        {kScriptOpLess, "unsupported operation \"FLOAT\" < \"ULONG\""},
        {kScriptOpGreaterEqual, "unsupported operation \"FLOAT\" >= \"ULONG\""},
        {kScriptOpAnd, "unsupported operation \"FLOAT\" && \"ULONG\""},
    };
    for (const Case& test : cases) {
        uint32_t left = Long(1), right = Float(1.0f);
        EXPECT_EQ(Run(test.opcode, left, right), kScriptUnsupported);
        EXPECT_EQ(vm->status, kScriptUnsupported);
        EXPECT_EQ(TestLastError(vm), std::string("Script error! ") + test.message + " (\"ops.script\" : line=7)");
    }
    uint32_t s = String("a"), n = Long(1);
    EXPECT_EQ(Run(kScriptOpAssign, n, s), kScriptUnsupported);
    EXPECT_EQ(TestLastError(vm),
              "Script error! unsupported initialisation from \"STRING\" to \"ULONG\" (\"ops.script\" : line=7)");
    EXPECT_EQ(Run(kScriptOpLeaveIfZero, s, 0), kScriptUnsupported);
    EXPECT_EQ(TestLastError(vm), "Script error! unsupported operation is_zero on \"STRING\" (\"ops.script\" : line=7)");
    EXPECT_EQ(Run(kScriptOpNot, s, 0), kScriptUnsupported);
}

TEST_F(ScriptOps, DivisionByZeroIsAScriptError)
{
    uint32_t x = Long(10), zero = Long(0);
    EXPECT_EQ(Run(kScriptOpDiv, x, zero), kScriptUnsupported);
    EXPECT_EQ(TestLastError(vm), "Script error! division by zero (\"ops.script\" : line=7)");
    EXPECT_EQ(At(x).value, 10u) << "the left value is unchanged";
    uint32_t f = Float(1.0f), fzero = Float(0.0f);
    EXPECT_EQ(Run(kScriptOpDiv, f, fzero), kScriptOk) << "a float division gives infinity";
}

TEST_F(ScriptOps, NullStringActsAsEmpty)
{
    uint32_t empty = String(nullptr), x = String("x");
    EXPECT_EQ(Run(kScriptOpAdd, empty, x), kScriptOk);
    EXPECT_STREQ(At(empty).text, "x");

    uint32_t a = String(nullptr), b = String("");
    EXPECT_EQ(Run(kScriptOpEqual, a, b), kScriptOk);
    EXPECT_EQ(At(a).value, 1u);

    uint32_t target = Slot(), source = String(nullptr);
    EXPECT_EQ(Run(kScriptOpAssign, target, source), kScriptOk);
    ASSERT_EQ(At(target).type, kScriptTypeString);
    ASSERT_NE(At(target).text, nullptr) << "a copy of a null string is an empty string";
    EXPECT_STREQ(At(target).text, "");

    uint32_t suffix = String("y"), none = String(nullptr);
    EXPECT_EQ(Run(kScriptOpAdd, suffix, none), kScriptOk);
    EXPECT_STREQ(At(suffix).text, "y");
}

TEST_F(ScriptOps, UnknownLeftOperand)
{
    uint32_t a = Slot(), f = Float(2.0f);
    EXPECT_EQ(Run(kScriptOpSub, a, f), kScriptOk);
    EXPECT_EQ(At(a).type, kScriptTypeFloat);
    EXPECT_FLOAT_EQ(FloatFromBits(At(a).value), -2.0f);
    uint32_t b = Slot(), s = String("t");
    EXPECT_EQ(Run(kScriptOpAdd, b, s), kScriptOk);
    EXPECT_STREQ(At(b).text, "t");
    uint32_t c = Slot(), n = Long(3);
    EXPECT_EQ(Run(kScriptOpMul, c, n), kScriptUnsupported);
}

TEST_F(ScriptOps, ReferencesAreFollowed)
{
    uint32_t x = Long(5);
    uint32_t r = Slot();
    EXPECT_EQ(Run(kScriptOpReference, r, x), kScriptOk);
    uint32_t one = Long(1);
    EXPECT_EQ(Run(kScriptOpAdd, r, one), kScriptOk);
    EXPECT_EQ(At(x).value, 6u);
    EXPECT_EQ(Run(kScriptOpReference, r, r), kScriptFailed) << "a slot cannot name itself";
    EXPECT_EQ(Run(kScriptOpAssign, 1000, x), kScriptFailed) << "a slot out of range is an error";
    // Two slots naming each other end in an error, not an endless walk.
    uint32_t p = Slot(), q = Slot();
    At(p).type = kScriptTypeCommand;
    At(p).value = q;
    At(q).type = kScriptTypeCommand;
    At(q).value = p;
    EXPECT_EQ(Run(kScriptOpAssign, p, x), kScriptFailed);
}

TEST_F(ScriptOps, RemovalAndControlCodes)
{
    Slot();
    Slot();
    EXPECT_EQ(Run(kScriptOpRemove, 3, 0), kScriptStackUnderflow);
    EXPECT_EQ(module->globals.Count(), 2u);
    EXPECT_EQ(Run(kScriptOpRemove, 2, 0), kScriptOk);
    EXPECT_EQ(module->globals.Count(), 0u);
    EXPECT_EQ(Run(kScriptOpReturn, 0, 0), kScriptReturn);
    EXPECT_EQ(Run(kScriptOpBreak, 0, 0), kScriptBreak);
    EXPECT_EQ(Run(kScriptOpContinue, 0, 0), kScriptContinue);
    uint32_t zero = Long(0);
    EXPECT_EQ(Run(kScriptOpJumpIfZero, zero, 9), kScriptControlMoved);
    EXPECT_EQ(activation->position, 9u);
    EXPECT_EQ(Run(kScriptOpLeaveIfZero, zero, 0), kScriptLeaveBlock);
    uint32_t one = Long(1);
    EXPECT_EQ(Run(kScriptOpLeaveIfZero, one, 0), kScriptOk);
    EXPECT_EQ(Run(kScriptOpNot, zero, 0), kScriptOk);
    EXPECT_EQ(At(zero).value, 1u);
}

TEST_F(ScriptOps, EmitMergesConsecutiveRemovals)
{
    ScriptBlock& body = module->root.body;
    EXPECT_EQ(ScriptEmit(vm, module, &module->root, &body, kScriptOpRemove, 1, 0, 0, 1), kScriptOk);
    EXPECT_EQ(ScriptEmit(vm, module, &module->root, &body, kScriptOpRemove, 2, 0, 0, 1), kScriptOk);
    ASSERT_EQ(body.instructions.size(), 1u);
    EXPECT_EQ(body.instructions[0].a, 3u);
    vm->handlers[kScriptOpSetLong] = nullptr;
    EXPECT_EQ(ScriptEmit(vm, module, &module->root, &body, kScriptOpSetLong, 0, 0, 0, 4), kScriptUnsupported);
    EXPECT_EQ(TestLastError(vm), "Script error! unsupported operation (5) (\"ops.script\" : line=4)");
    EXPECT_EQ(ScriptEmit(vm, module, &module->root, &body, 27, 0, 0, 0, 4), kScriptUnsupported);
}

} // namespace
