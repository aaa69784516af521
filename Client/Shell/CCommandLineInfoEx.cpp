#include "Client/Shell/CCommandLineInfoEx.h"

#include "Framework/AnsiText.h"
#include "Framework/CFindHandle.h"
#include "Framework/CHandle.h"

namespace
{
bool CanOpenForReading(const std::string& path)
{
    CHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
}

bool AnythingMatches(const std::string& pattern)
{
    WIN32_FIND_DATAA data;
    return CFindHandle(::FindFirstFileA(pattern.c_str(), &data)).IsValid();
}
}

void CCommandLineInfoEx::ParseParam(const char* param, BOOL, BOOL)
{
    const std::string word = AnsiText::Trimmed(param ? param : "");
    if (AnsiText::CompareNoCase(word, "SCHEDULE") == 0)
    {
        m_bSchedule = 1;
        return;
    }
    if (AnsiText::CompareNoCase(word, "STARTSCAN") == 0)
    {
        m_bStartScan = 1;
        return;
    }
    if (word.empty())
        return;

    // A folder cannot be opened as a file: its contents are searched instead.
    std::string pattern = word;
    if (!CanOpenForReading(pattern))
    {
        const size_t last = pattern.find_last_not_of('"');
        pattern.erase(last == std::string::npos ? 0 : last + 1);
        pattern += "\\*.*";
    }
    if (AnythingMatches(pattern))
        m_strPath = word;
}

