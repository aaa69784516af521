#pragma once
#include <windows.h>

#include <string>

#include "Framework/CHandle.h"

// A file read and written whole, as bytes: no line-end translation, and no
// byte (0x1A, a zero) ends the text early. Readers share the file with
// readers and writers; a writer shares it with readers only, unless it is
// opened with Sharing::kWithWriters.
class CBinaryFile
{
public:
    enum Mode
    {
        kReadExisting, // read; fails when the file is missing
        kReadCreating, // read; a missing file is created empty
        kReplace,      // write from scratch; made when missing
        kAppend,       // write at the end; made when missing
        kReadAppend,   // read it all, then write at the end; made when missing
    };

    enum class Sharing
    {
        kWithReaders,
        kWithWriters, // also while another program holds it open for writing
    };

    // Each returns false when the file cannot be opened, read or written.
    bool Open(const std::string& path, Mode mode, Sharing sharing = Sharing::kWithReaders);
    // Everything from the current position to the end.
    bool ReadAll(std::string& text);
    // All of text at the current position (the end, for the append modes,
    // also after a ReadAll).
    bool WriteAll(const std::string& text);
    void Close() { m_file.Close(); }
    bool IsOpen() const { return m_file.IsValid(); }

    // The whole file in one call.
    static bool Read(const std::string& path, std::string& text, Mode mode = kReadExisting);
    static bool Write(const std::string& path, const std::string& text, Mode mode = kReplace,
                      Sharing sharing = Sharing::kWithReaders);

private:
    CHandle m_file;
};
