#pragma once
// Little-endian fields of the icon and cursor file formats, read in place.

#include <cstdint>

inline std::uint16_t readWord(const unsigned char* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }

inline std::uint32_t readDword(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

inline std::int32_t readLong(const unsigned char* at) { return static_cast<std::int32_t>(readDword(at)); }
