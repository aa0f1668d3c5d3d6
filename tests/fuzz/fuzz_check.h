#pragma once
// What the fuzz targets share: the failure of a property, and the input as an exactly
// sized heap buffer, so that AddressSanitizer reports any read past its end.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

// Ends the run as a crash, which libFuzzer saves as a reproducer.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// The input bytes in a heap block of exactly their size.
class ExactBytes {
public:
    ExactBytes(const std::uint8_t* data, std::size_t size) : bytes_(new unsigned char[size]), size_(size) {
        if (size != 0) {
            std::memcpy(bytes_.get(), data, size);
        }
    }
    const unsigned char* begin() const { return bytes_.get(); }
    const unsigned char* end() const { return bytes_.get() + size_; }
    std::size_t size() const { return size_; }
    // Whether [bits, bits + length) lies inside the buffer.
    bool holds(const unsigned char* bits, std::size_t length) const {
        const auto first = reinterpret_cast<std::uintptr_t>(bits);
        const auto start = reinterpret_cast<std::uintptr_t>(begin());
        return first >= start && first - start <= size_ && length <= size_ - (first - start);
    }

private:
    std::unique_ptr<unsigned char[]> bytes_;
    std::size_t size_;
};

// Reads every byte of a block the code under test hands to the system, as the system
// would: AddressSanitizer reports the first one that is not readable.
inline unsigned touchAll(const unsigned char* bits, std::size_t length) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < length; ++i) {
        sum += bits[i];
    }
    return sum;
}
