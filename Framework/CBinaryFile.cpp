#include "Framework/CBinaryFile.h"

#include <algorithm>

#include "Framework/AnsiText.h"

namespace
{
// Another program (or another copy of this one) may read the file the moment
// it is replaced; the replacement waits for it this long at most.
const int kReplaceTries = 10;
const DWORD kReplaceRetryMs = 20;
// Names tried for the text before it replaces the file.
const unsigned kUnfinishedNames = 16;

bool MayBeBusy(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}
}

bool CBinaryFile::Open(const std::string& path, Mode mode, Sharing sharing)
{
    DWORD access = GENERIC_READ;
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    DWORD disposition = OPEN_ALWAYS;
    switch (mode)
    {
    case kReadExisting:
        disposition = OPEN_EXISTING;
        break;
    case kReadCreating:
        break;
    case kReplace:
        access = GENERIC_WRITE;
        share = FILE_SHARE_READ;
        disposition = CREATE_ALWAYS;
        break;
    case kAppend:
        access = GENERIC_WRITE;
        share = FILE_SHARE_READ;
        break;
    case kReadAppend:
        access = GENERIC_READ | GENERIC_WRITE;
        share = FILE_SHARE_READ;
        break;
    case kCreateNew:
        access = GENERIC_WRITE;
        share = FILE_SHARE_READ;
        disposition = CREATE_NEW;
        break;
    }
    if (sharing == Sharing::kWithWriters)
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    m_file.Attach(::CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (m_file && mode == kAppend && ::SetFilePointer(m_file.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        ::GetLastError() != NO_ERROR)
        m_file.Close();
    return m_file.IsValid();
}

bool CBinaryFile::ReadAll(std::string& text)
{
    text.clear();
    if (!m_file)
        return false;
    // Read once into its room: growing by doubling would hold up to three
    // times a large file for a while.
    LARGE_INTEGER size = {};
    LARGE_INTEGER at = {};
    const LARGE_INTEGER zero = {};
    if (::GetFileSizeEx(m_file.Get(), &size) && ::SetFilePointerEx(m_file.Get(), zero, &at, FILE_CURRENT) &&
        size.QuadPart > at.QuadPart && static_cast<ULONGLONG>(size.QuadPart - at.QuadPart) < text.max_size())
        text.reserve(static_cast<size_t>(size.QuadPart - at.QuadPart));
    char buffer[65536];
    for (;;)
    {
        DWORD read = 0;
        if (!::ReadFile(m_file.Get(), buffer, sizeof(buffer), &read, nullptr))
            return false;
        if (read == 0)
            return true;
        text.append(buffer, read);
    }
}

bool CBinaryFile::WriteAll(const std::string& text)
{
    if (!m_file)
        return false;
    size_t done = 0;
    while (done < text.size())
    {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 20));
        if (!::WriteFile(m_file.Get(), text.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool CBinaryFile::Read(const std::string& path, std::string& text, Mode mode)
{
    text.clear();
    CBinaryFile file;
    return file.Open(path, mode) && file.ReadAll(text);
}

bool CBinaryFile::Write(const std::string& path, const std::string& text, Mode mode, Sharing sharing)
{
    CBinaryFile file;
    return file.Open(path, mode, sharing) && file.WriteAll(text);
}

bool CBinaryFile::Flush()
{
    return m_file && ::FlushFileBuffers(m_file.Get());
}

std::string CBinaryFile::UnfinishedName(const std::string& path, unsigned attempt)
{
    return AnsiText::Format("%s.%lu-%u.new", path.c_str(), static_cast<unsigned long>(::GetCurrentProcessId()),
                            attempt);
}

bool CBinaryFile::ReplaceWhole(const std::string& path, const std::string& text)
{
    // A name nobody else writes under: two copies of the program saving at
    // once (process numbers of two Wine prefixes may even be the same) never
    // write into each other's text.
    std::string unfinished;
    CBinaryFile file;
    for (unsigned attempt = 0; attempt < kUnfinishedNames && !file.IsOpen(); ++attempt)
    {
        unfinished = UnfinishedName(path, attempt);
        if (!file.Open(unfinished, kCreateNew) && ::GetLastError() != ERROR_FILE_EXISTS &&
            ::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    if (!file.IsOpen())
        return false;
    const bool whole = file.WriteAll(text) && file.Flush();
    file.Close();
    bool busy = false;
    if (whole)
    {
        for (int tries = 0; tries < kReplaceTries; ++tries)
        {
            if (::MoveFileExA(unfinished.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return true;
            busy = MayBeBusy(::GetLastError());
            if (!busy)
                break;
            ::Sleep(kReplaceRetryMs);
        }
    }
    ::DeleteFileA(unfinished.c_str());
    if (!whole || !busy)
        return false;
    // Another program holds the file open and does not let it be replaced,
    // but shares it with writers: the text goes in its place. It fitted on
    // the disk beside the file a moment ago, and that room is free again.
    return Write(path, text, kReplace, Sharing::kWithWriters);
}
