#include "Client/Scan/WhiteList.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "Client/Scan/ListFile.h"
#include "Framework/AnsiText.h"

namespace
{
// An odd base: the hash of a window is its bytes read as a number in this
// base, modulo 2^64, so that the next window's hash follows from the last.
const uint64_t kBase = 0x100000001B3ull;
const size_t kFirstTableSize = 64;

uint64_t HashOf(const char* bytes, size_t length)
{
    uint64_t hash = 0;
    for (size_t i = 0; i < length; ++i)
        hash = hash * kBase + static_cast<unsigned char>(bytes[i]);
    return hash;
}

uint64_t PowerOfBase(size_t exponent)
{
    uint64_t power = 1;
    for (size_t i = 0; i < exponent; ++i)
        power *= kBase;
    return power;
}

// Where in the table a fragment of this hash and length is looked for first:
// the hash's bits mixed, so that similar texts spread over the table.
size_t FirstSlot(uint64_t hash, size_t length, size_t mask)
{
    uint64_t x = hash + static_cast<uint64_t>(length) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return static_cast<size_t>(x) & mask;
}
}

WhiteList::Status WhiteList::Read(const std::string& path)
{
    std::string text;
    if (ListFile::Read(path, text) != Status::kDone)
        return Status::kFailed;
    try
    {
        return Add(text) ? Status::kDone : Status::kDamaged;
    }
    catch (const std::bad_alloc&)
    {
        return Status::kFailed;
    }
}

bool WhiteList::Add(const std::string& text)
{
    const std::string lower = AnsiText::ToLower(text);
    const size_t stop = ListFile::ForEachEntry(
        lower, [&](size_t first, size_t last, size_t) { Insert(lower.data() + first, last - first); });
    return !ListFile::HoldsMoreFrom(lower, stop);
}

bool WhiteList::Matches(const std::string& text) const
{
    if (m_fragments.empty())
        return false;
    const std::string lower = AnsiText::ToLower(text);
    const char* bytes = lower.data();
    const size_t size = lower.size();
    for (const Length& length : m_lengths)
    {
        if (length.length > size)
            break;
        uint64_t hash = HashOf(bytes, length.length);
        for (size_t at = 0;; ++at)
        {
            if (m_slots[SlotOf(hash, bytes + at, length.length)] != 0)
                return true;
            if (at + length.length >= size)
                break;
            hash = hash * kBase + static_cast<unsigned char>(bytes[at + length.length]) -
                   static_cast<unsigned char>(bytes[at]) * length.power;
        }
    }
    return false;
}

void WhiteList::Insert(const char* fragment, size_t length)
{
    const uint64_t hash = HashOf(fragment, length);
    if (!m_slots.empty() && m_slots[SlotOf(hash, fragment, length)] != 0)
        return;
    if ((m_fragments.size() + 1) * 2 > m_slots.size())
        Grow();
    const size_t slot = SlotOf(hash, fragment, length);
    Fragment added;
    added.offset = m_bytes.size();
    added.length = length;
    added.hash = hash;
    m_bytes.append(fragment, length);
    m_fragments.push_back(added);
    m_slots[slot] = static_cast<uint32_t>(m_fragments.size());

    const auto place = std::lower_bound(m_lengths.begin(), m_lengths.end(), length,
                                        [](const Length& known, size_t wanted) { return known.length < wanted; });
    if (place == m_lengths.end() || place->length != length)
        m_lengths.insert(place, Length{length, PowerOfBase(length)});
}

size_t WhiteList::SlotOf(uint64_t hash, const char* bytes, size_t length) const
{
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = FirstSlot(hash, length, mask);; slot = (slot + 1) & mask)
    {
        const uint32_t index = m_slots[slot];
        if (index == 0)
            return slot;
        const Fragment& known = m_fragments[index - 1];
        if (known.hash == hash && known.length == length &&
            std::memcmp(m_bytes.data() + known.offset, bytes, length) == 0)
            return slot;
    }
}

void WhiteList::Grow()
{
    m_slots.assign(std::max(kFirstTableSize, m_slots.size() * 2), 0);
    const size_t mask = m_slots.size() - 1;
    for (size_t i = 0; i < m_fragments.size(); ++i)
    {
        size_t slot = FirstSlot(m_fragments[i].hash, m_fragments[i].length, mask);
        while (m_slots[slot] != 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = static_cast<uint32_t>(i + 1);
    }
}
