// Text crossing the system's edges: UTF-8 files and terminals, Windows-1252 inside.
#include "lexical/TextEncoding.h"

#include <gtest/gtest.h>

TEST(TextEncoding, Utf8FilesAreDecodedAndOtherBytesKept)
{
    EXPECT_EQ(TextEncoding::DecodeFileText("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(TextEncoding::DecodeFileText("caf\xE9"), "caf\xE9"); // already Windows-1252
    EXPECT_EQ(TextEncoding::DecodeFileText("\xEF\xBB\xBFplain"), "plain");
    EXPECT_EQ(TextEncoding::DecodeFileText("\xE2\x82\xAC"), "\x80"); // euro sign
}

TEST(TextEncoding, UnrepresentableAndMalformedSequencesBecomeQuestionMarks)
{
    EXPECT_EQ(TextEncoding::Utf8ToWindows1252("\xE4\xB8\xAD"), "?");
    EXPECT_EQ(TextEncoding::Utf8ToWindows1252("a\xC3"), "a?");
    EXPECT_FALSE(TextEncoding::LooksLikeUtf8("\xC0\x80")); // overlong
    EXPECT_FALSE(TextEncoding::LooksLikeUtf8("ascii only"));
}

TEST(TextEncoding, RoundTripOfEveryDefinedByte)
{
    std::string all;
    for (int b = 1; b < 256; ++b) {
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
            continue;
        }
        all += static_cast<char>(b);
    }
    EXPECT_EQ(TextEncoding::Utf8ToWindows1252(TextEncoding::Windows1252ToUtf8(all)), all);
}
