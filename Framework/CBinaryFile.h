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
        kCreateNew,    // write a new file; fails when the name is taken
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
    // What was written is on the disk, not only in the system's cache.
    bool Flush();
    void Close() { m_file.Close(); }
    bool IsOpen() const { return m_file.IsValid(); }

    // The whole file in one call.
    static bool Read(const std::string& path, std::string& text, Mode mode = kReadExisting);
    static bool Write(const std::string& path, const std::string& text, Mode mode = kReplace,
                      Sharing sharing = Sharing::kWithReaders);
    // Replaces the file with text only once text is on the disk whole: it is
    // written beside the file first, under a name of its own in the same
    // folder, and then takes the file's place. When anything fails (a full
    // disk, a read-only file) the file stays as it was and false is
    // returned; rewriting a file in place would leave it cut short. Only a
    // file that another program holds open, shared with writers, is written
    // in its place, once the whole text was shown to fit beside it.
    static bool ReplaceWhole(const std::string& path, const std::string& text);
    // A name the text may be written under before it replaces the file:
    // the file's own name, a number of this process and the attempt's, and
    // ".new".
    static std::string UnfinishedName(const std::string& path, unsigned attempt);

private:
    CHandle m_file;
};
