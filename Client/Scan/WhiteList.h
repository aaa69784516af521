#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Client/Scan/ListFile.h"

// The white list "WL" beside the program: text fragments, each ended by ";",
// that the user does not want reported. A finding whose text holds one of
// them, in any case, is left out of the scan. No part of the program writes
// the file; the scan page reads it at the start of every scan, and what was
// read stays: each read adds the fragments it finds.
//
// The list is its only reader. Reading takes time in proportion to the
// file's size; a look-up takes time in proportion to the text's length times
// the number of different fragment lengths, however many fragments there
// are: each window of the text is hashed as it rolls on and looked up in one
// table, instead of every fragment being searched for in the text.
class WhiteList
{
public:
    using Status = ListFile::Status;

    // Adds the fragments of the file (created empty when missing); kDamaged
    // when part of it could not be taken.
    Status Read(const std::string& path);
    // Adds the fragments of a list's text: the text up to each ";", trimmed
    // of white space and lower-cased. The text after the last ";" is no
    // fragment, and an empty fragment (as in ";;") ends the list. False when
    // anything but white space was left after where the list ended.
    bool Add(const std::string& text);
    // True when the text, lower-cased, holds one of the fragments.
    bool Matches(const std::string& text) const;

    size_t Size() const { return m_fragments.size(); }

private:
    struct Fragment
    {
        size_t offset = 0; // in m_bytes
        size_t length = 0;
        uint64_t hash = 0;
    };

    void Insert(const char* fragment, size_t length);
    // The table's slot that holds the fragment of this hash and bytes, or
    // the empty slot where it would go.
    size_t SlotOf(uint64_t hash, const char* bytes, size_t length) const;
    void Grow();

    // Every fragment's bytes, one after another.
    std::string m_bytes;
    std::vector<Fragment> m_fragments;
    // Open addressing: a fragment's index + 1, or 0 for an empty slot; the
    // size is a power of two at least twice the number of fragments.
    std::vector<uint32_t> m_slots;
    // The different fragment lengths, ascending, each with the power of the
    // hash's base that rolls a window of that length on.
    struct Length
    {
        size_t length = 0;
        uint64_t power = 0;
    };
    std::vector<Length> m_lengths;
};
