#pragma once
// Writes little-endian fields into test files built in memory.

#include <cstddef>
#include <cstdint>
#include <vector>

inline void putWord(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<unsigned char>(value & 0xFF);
    bytes[at + 1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

inline void putDword(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
    putWord(bytes, at, value & 0xFFFF);
    putWord(bytes, at + 2, value >> 16);
}
