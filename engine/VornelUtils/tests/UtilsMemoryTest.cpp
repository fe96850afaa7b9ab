#include "VornelUtils/UtilsMemory.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(UtilsMemory, AllocateAndFree)
{
    auto* bytes = static_cast<uint8_t*>(UTILS_CALLOC(16, 4));
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(bytes[i], 0);
    bytes = static_cast<uint8_t*>(UTILS_REALLOC(bytes, 128));
    ASSERT_NE(bytes, nullptr);
    UTILS_FREE(bytes);
    UTILS_FREE(nullptr);
    void* block = UTILS_MALLOC(10);
    EXPECT_NE(block, nullptr);
    UtilsFree(block, __FILE__, __LINE__);
}

TEST(UtilsMemory, CallocRefusesOverflowingProduct)
{
    EXPECT_EQ(UtilsCalloc(SIZE_MAX / 2 + 2, 2, __FILE__, __LINE__), nullptr);
    EXPECT_EQ(UtilsCalloc(SIZE_MAX, SIZE_MAX, __FILE__, __LINE__), nullptr);
}

TEST(UtilsMemory, ByteHelpers)
{
    EXPECT_FALSE(ReturnFalse());
    EXPECT_EQ(SwapBytes16(0x1234), 0x3412);
    EXPECT_EQ(SwapBytes32(0x12345678u), 0x78563412u);

    uint8_t data[6] = {1, 2, 3, 4, 5, 6};
    const uint8_t key[4] = {0xFF, 0x0F, 0xF0, 0x00};
    XorWithKey(data, 6, key, 4);
    const uint8_t expected[6] = {0xFE, 0x0D, 0xF3, 0x04, 0xFA, 0x09};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(data[i], expected[i]) << i;
    XorWithKey(data, 6, key, 4);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(data[i], i + 1);
    XorWithKey(data, 6, key, 0); // no key: unchanged
    EXPECT_EQ(data[0], 1);
}
