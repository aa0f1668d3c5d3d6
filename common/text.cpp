#include "common/text.h"

#include <cstring>

Text Text::allocate(std::size_t length) {
    Text text;
    // Allocation failure reaches the program's new-handler, which ends it.
    text.bytes_.reset(new char[length + 1]());
    return text;
}

Text Text::copyOf(const char* bytes) {
    const std::size_t length = textLength(bytes);
    if (length == 0) {
        return Text();
    }
    Text text = allocate(length);
    std::memcpy(text.data(), bytes, length);
    return text;
}

std::size_t textLength(const char* text) { return text == nullptr ? 0 : std::strlen(text); }

Text concatTexts(std::initializer_list<const char*> texts) {
    std::size_t total = 0;
    for (const char* part : texts) {
        total += textLength(part);
    }
    Text joined = Text::allocate(total);
    char* out = joined.data();
    for (const char* part : texts) {
        const std::size_t length = textLength(part);
        if (length != 0) {
            std::memcpy(out, part, length);
            out += length;
        }
    }
    return joined;
}

int compareTexts(const char* a, const char* b) {
    const auto* left = reinterpret_cast<const unsigned char*>(a == nullptr ? "" : a);
    const auto* right = reinterpret_cast<const unsigned char*>(b == nullptr ? "" : b);
    while (*left != 0 && *left == *right) {
        ++left;
        ++right;
    }
    if (*left < *right) {
        return -1;
    }
    return *left > *right ? 1 : 0;
}

std::size_t formatDecimal(std::int64_t value, char* out) {
    char digits[DecimalDigitsMax];
    std::size_t count = 0;
    // Work on the magnitude as unsigned, so that the most negative value is safe too.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::size_t written = 0;
    if (value < 0) {
        out[written++] = '-';
    }
    while (count != 0) {
        out[written++] = digits[--count];
    }
    return written;
}
