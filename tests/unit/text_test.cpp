#include "common/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

std::string bytesOf(const char* text) {
    std::string out;
    for (const char* at = text; *at != '\0'; ++at) {
        static const char digits[] = "0123456789ABCDEF";
        const auto byte = static_cast<unsigned char>(*at);
        if (!out.empty()) {
            out += ' ';
        }
        out += digits[byte >> 4];
        out += digits[byte & 0xF];
    }
    return out;
}

// A wrong execution charset flag makes these fail loudly.
TEST(Texts, LiteralsAreCodePage936Bytes) {
    struct Case {
        const char* literal;
        const char* bytes;
    };
    const Case cases[] = {
        {"关机", "B9 D8 BB FA"},
        {"信息：", "D0 C5 CF A2 A3 BA"},
        {"Tavik小助手", "54 61 76 69 6B D0 A1 D6 FA CA D6"},
        {"２３", "A3 B2 A3 B3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bytesOf(c.literal), c.bytes) << c.bytes;
    }
}

TEST(Texts, LengthCountsBytesBeforeTheNul) {
    EXPECT_EQ(textLength(nullptr), 0U);
    EXPECT_EQ(textLength(""), 0U);
    EXPECT_EQ(textLength("abc"), 3U);
    EXPECT_EQ(textLength("关机"), 4U);
}

TEST(Texts, ConcatJoinsInOrderAndTreatsAbsentAsEmpty) {
    struct Case {
        std::initializer_list<const char*> parts;
        const char* joined;
    };
    const Case cases[] = {
        {{"本地时间：", "2015年"}, "本地时间：2015年"},
        {{nullptr, "a", nullptr}, "a"},
        {{"", ""}, ""},
        {{}, ""},
    };
    for (const Case& c : cases) {
        const Text joined = concatTexts(c.parts);
        ASSERT_FALSE(joined.absent());
        EXPECT_STREQ(joined.get(), c.joined);
    }
}

TEST(Texts, CompareIsUnsignedBytewiseWithAbsentAsEmpty) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {nullptr, "", 0},
        {"", nullptr, 0},
        {nullptr, nullptr, 0},
        {"a", nullptr, 1},
        {nullptr, "a", -1},
        {"abc", "abd", -1},
        {"abd", "abc", 1},
        {"ab", "abc", -1},
        {"取消任务", "取消任务", 0},
        // 0xB0 sorts above 'z' when bytes are compared unsigned.
        {"\xB0", "z", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(compareTexts(c.a, c.b), c.expected) << (c.a ? c.a : "null") << " vs " << (c.b ? c.b : "null");
    }
}

TEST(Texts, CopyOfEmptyIsAbsentAndCopiesAreIndependent) {
    EXPECT_TRUE(Text::copyOf(nullptr).absent());
    EXPECT_TRUE(Text::copyOf("").absent());
    char source[] = "22";
    const Text copy = Text::copyOf(source);
    source[0] = 'x';
    EXPECT_STREQ(copy.get(), "22");
}

TEST(Texts, FormatDecimalWritesPlainDigits) {
    struct Case {
        std::int64_t value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},
        {7, "7"},
        {-3, "-3"},
        {2015, "2015"},
        {2147483648LL, "2147483648"},
        {-2147483649LL, "-2147483649"},
        {INT64_MAX, "9223372036854775807"},
        {INT64_MIN, "-9223372036854775808"},
    };
    for (const Case& c : cases) {
        char out[DecimalDigitsMax];
        const std::size_t length = formatDecimal(c.value, out);
        EXPECT_EQ(std::string(out, length), c.text);
    }
}

}  // namespace
