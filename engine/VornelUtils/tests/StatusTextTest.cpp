#include <gtest/gtest.h>

#include <string>

#include "VornelUtils/StatusText.h"

TEST(StatusText, NamesEveryKindOfCode)
{
    const struct {
        Status status;
        const char* text;
    } cases[] = {
        {kStatusOk, "success"},
        {1, "success"},
        {kStatusFailed, "bad or unsupported data"},
        {kStatusOutOfMemory, "out of memory"},
        {kStatusFileNotOpened, "the file cannot be opened"},
        {kStatusPackMissing, "the pack is missing"},
        {kStatusImageNotWritable, "the image file cannot be created"}, // the last row
        {StatusCode(0x80000016u), "a function is missing"},            // a script code
        {StatusCode(0x80000005u), "unknown status"},
        {StatusCode(0x80000000u), "unknown status"},
        {StatusCode(0xFFFFFFFFu), "unknown status"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(StatusText(c.status), c.text) << std::hex << c.status;
}
