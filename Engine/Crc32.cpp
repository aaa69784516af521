#include "Engine/Crc32.h"

namespace
{
// Eight tables, so that the loop takes eight bytes a step: a checksum of a
// full backup must cost little beside its registry calls.
struct Tables
{
    uint32_t table[8][256];

    Tables()
    {
        for (uint32_t byte = 0; byte < 256; ++byte)
        {
            uint32_t crc = byte;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (crc & 1 ? 0xEDB88320u : 0u);
            table[0][byte] = crc;
        }
        for (uint32_t byte = 0; byte < 256; ++byte)
            for (int slice = 1; slice < 8; ++slice)
                table[slice][byte] = (table[slice - 1][byte] >> 8) ^ table[0][table[slice - 1][byte] & 0xFF];
    }
};

const Tables& GetTables()
{
    static const Tables tables;
    return tables;
}

uint32_t Load32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
}

void Crc32::Add(const void* data, size_t length)
{
    const Tables& tables = GetTables();
    const auto& t = tables.table;
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint32_t crc = m_state;
    for (; length >= 8; length -= 8, p += 8)
    {
        const uint32_t low = Load32(p) ^ crc;
        const uint32_t high = Load32(p + 4);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
              t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
    }
    for (; length > 0; --length, ++p)
        crc = (crc >> 8) ^ t[0][(crc ^ *p) & 0xFF];
    m_state = crc;
}
