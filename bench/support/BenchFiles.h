#pragma once
#include <windows.h>

#include <string>

// What the benchmarks read of the files their runs wrote.
namespace BenchFiles
{
// How often a byte pattern occurs in a file, read in pieces: the number of
// keys in an export ("<k " in ours, a line starting "[" in regedit's UTF-16
// file), or of values.
inline long CountInFile(const std::string& path, const std::string& pattern)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    long count = 0;
    std::string carry;
    std::string chunk(1 << 20, '\0');
    DWORD got = 0;
    while (::ReadFile(file, &chunk[0], static_cast<DWORD>(chunk.size()), &got, nullptr) && got)
    {
        const std::string text = carry + chunk.substr(0, got);
        for (size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at + 1))
            ++count;
        carry = text.size() >= pattern.size() ? text.substr(text.size() - pattern.size() + 1) : text;
    }
    ::CloseHandle(file);
    return count;
}

inline double FileMB(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0.0;
    return (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / 1048576.0;
}
}
