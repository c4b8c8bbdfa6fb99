#pragma once
// Numbers of fixed byte order read from a header held in memory.
#include <cstdint>

inline uint16_t WordBE(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
inline uint16_t WordLE(const uint8_t* p) { return uint16_t(p[1] << 8 | p[0]); }
inline uint32_t LongBE(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
inline uint32_t LongLE(const uint8_t* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }
inline void PutWordLE(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
