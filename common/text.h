#pragma once
// Texts are NUL-terminated byte strings in code page 936. A Text owns its bytes;
// a default-constructed Text is the absent text, which means the same as "".

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>

class Text {
public:
    Text() = default;
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    Text(Text&&) noexcept = default;
    Text& operator=(Text&&) noexcept = default;

    // A new text of `length` bytes plus the terminating NUL, all zero.
    static Text allocate(std::size_t length);
    // A copy of `bytes`; the absent text for null or "".
    static Text copyOf(const char* bytes);

    // Null for the absent text.
    const char* get() const { return bytes_.get(); }
    char* data() { return bytes_.get(); }
    bool absent() const { return bytes_ == nullptr; }

private:
    std::unique_ptr<char[]> bytes_;
};

// Bytes before the terminating NUL; 0 for the absent text.
std::size_t textLength(const char* text);

// The texts one after the other (null ones count as empty); never absent.
// Allocates exactly the sum of the lengths plus one byte.
Text concatTexts(std::initializer_list<const char*> texts);

// Byte-wise comparison as unsigned values; null compares as "". Returns -1, 0 or 1.
int compareTexts(const char* a, const char* b);

// Room for any 64-bit integer in decimal, sign included, without the NUL.
inline constexpr std::size_t DecimalDigitsMax = 20;
// Writes `value` in plain decimal: a leading '-' for negatives, no leading zeros, no
// NUL. `out` must have room for DecimalDigitsMax bytes. Returns the bytes written.
std::size_t formatDecimal(std::int64_t value, char* out);

// A byte set: the whole bytes of an image file, or nothing.
struct ByteSet {
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
    bool empty() const { return size == 0; }
};
