#pragma once
#include <cstddef>
#include <cstdint>

// The CRC-32 of the zip and PNG formats (reflected polynomial 0xEDB88320),
// kept running over a stream of bytes: a backup file carries the checksum of
// what it holds, so that one damaged byte is never restored as data.
class Crc32
{
public:
    void Add(const void* data, size_t length);
    uint32_t Value() const { return ~m_state; }
    void Reset() { m_state = 0xFFFFFFFFu; }

private:
    uint32_t m_state = 0xFFFFFFFFu;
};
