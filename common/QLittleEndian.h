// QLittleEndian: little-endian integers in byte buffers, as the ZIP records and the setup
// header store them. Inline and free of any string class, so that the installer image and
// the tools share them; the string forms take any string with data(), size() and += char.
#ifndef QLITTLEENDIAN_H
#define QLITTLEENDIAN_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

// One load of a T at P, low byte first: copied as it is on a little-endian machine, put
// together byte by byte on a big-endian one. (Written out byte by byte everywhere, the
// readers are no longer inlined into the installer image, which then grows.)
template <class T> inline T LeLoad(const uint8_t *P)
{
    T V;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    V = 0;
    for (size_t I = sizeof V; I-- > 0;) V = (T)(V << 8 | P[I]);
#else
    memcpy(&V, P, sizeof V);
#endif
    return V;
}
inline uint16_t LeGet16(const uint8_t *P) { return LeLoad<uint16_t>(P); }
inline uint32_t LeGet32(const uint8_t *P) { return LeLoad<uint32_t>(P); }

inline void LePut16(uint8_t *P, uint32_t V)
{
    P[0] = (uint8_t)V;
    P[1] = (uint8_t)(V >> 8);
}
inline void LePut32(uint8_t *P, uint32_t V)
{
    LePut16(P, V & 0xFFFF);
    LePut16(P + 2, V >> 16);
}

// The same at byte AAt of a string (the caller checks that the field lies inside it).
template <class S> uint16_t LeGet16(const S &AStr, size_t AAt)
{
    return LeGet16((const uint8_t *)AStr.data() + AAt);
}
template <class S> uint32_t LeGet32(const S &AStr, size_t AAt)
{
    return LeGet32((const uint8_t *)AStr.data() + AAt);
}

// Appends V to a string, low byte first.
template <class S> void LeAppend16(S &AStr, uint32_t V)
{
    AStr += (char)(V & 0xFF);
    AStr += (char)(V >> 8 & 0xFF);
}
template <class S> void LeAppend32(S &AStr, uint32_t V)
{
    for (int Shift = 0; Shift < 32; Shift += 8) AStr += (char)(V >> Shift & 0xFF);
}

#endif
