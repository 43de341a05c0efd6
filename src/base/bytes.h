// Little-endian values in byte buffers, as the data files store them.
#pragma once

#include <cstdint>

inline uint16_t Get16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

inline uint32_t Get32(const uint8_t* p)
{
    return uint32_t(Get16(p)) | uint32_t(Get16(p + 2)) << 16;
}
