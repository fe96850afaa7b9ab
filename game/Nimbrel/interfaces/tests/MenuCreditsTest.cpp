// The credits files of the menu: their header and size limits, the separators that become line
// feeds, and the written form read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NimbrelInterfaces/MenuCredits.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

// A credits file of the characters, its header's fields as given.
std::vector<uint8_t> CreditsFile(const std::u16string& text, uint32_t count, uint8_t size = 2, uint8_t second = 2)
{
    std::vector<uint8_t> bytes = {size, uint8_t(count), uint8_t(count >> 8), uint8_t(count >> 16), uint8_t(count >> 24),
                                  second, 0, 0, 0, 0};
    for (char16_t c : text) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
    }
    return bytes;
}

Status Read(std::vector<uint8_t> bytes, std::u16string* pText, uint32_t* pCount = nullptr)
{
    UtilsStream_Static stream(kStreamRead, bytes.data(), uint32_t(bytes.size()));
    stream.Open();
    std::vector<char16_t> buffer(kCreditsFileCapacity + 1, u'?');
    const Status status = ReadCreditsText(&stream, buffer.data(), u'|', pCount);
    *pText = buffer.data();
    return status;
}

TEST(MenuCreditsTest, FilesLoadUpTo4096CharactersWithTheirSeparatorsAsLineFeeds)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        Status status;
        std::u16string text;
    };
    const std::u16string full(kCreditsFileCapacity, u'a');
    const std::u16string lines(u"One\0Two|Three\0", 14);
    const Case cases[] = {
        {"4096 characters", CreditsFile(full, 4096), kStatusOk, full},
        {"4097 characters", CreditsFile(full + u"a", 4097), kStatusFailed, u""},
        // A count of 0 is an empty text: the newline pass has nothing to turn.
        {"no characters", CreditsFile(u"", 0), kStatusOk, u""},
        {"cut short", CreditsFile(u"abc", 8), kStatusFailed, u""},
        {"a cut header", {2, 3, 0}, kStatusFailed, u""},
        {"characters of one byte", CreditsFile(u"ab", 2, 1), kStatusFailed, u""},
        {"a second size of 4", CreditsFile(u"ab", 2, 2, 4), kStatusFailed, u""},
        // NUL and '|' end lines; the last character is the block's own end.
        {"lines", CreditsFile(lines, 14), kStatusOk, u"One\nTwo\nThree"},
        {"a last bar stays", CreditsFile(u"a|b|", 4), kStatusOk, u"a\nb|"},
    };
    for (const Case& c : cases) {
        std::u16string text;
        EXPECT_EQ(Read(c.bytes, &text), c.status) << c.what;
        EXPECT_EQ(text, c.text) << c.what;
    }
}

TEST(MenuCreditsTest, AWrittenFileReadsBack)
{
    const std::u16string text(u"Crédits\0Équipe\0", 15);
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    ASSERT_EQ(out.Open(), kStatusOk);
    ASSERT_EQ(WriteCreditsText(&out, text.data(), uint32_t(text.size())), kStatusOk);
    const auto* block = static_cast<const uint8_t*>(out.GetBlock());
    const std::vector<uint8_t> bytes(block, block + out.GetSize());
    EXPECT_EQ(bytes, CreditsFile(text, 15));
    std::u16string read;
    uint32_t count = 0;
    EXPECT_EQ(Read(bytes, &read, &count), kStatusOk);
    EXPECT_EQ(count, 15u);
    EXPECT_EQ(read, u"Crédits\nÉquipe");
}

}  // namespace
