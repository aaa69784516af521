#include "Client/Pages/BackupList.h"

#include <algorithm>
#include <cctype>

#include "Framework/AnsiText.h"
#include "Framework/CFindHandle.h"

namespace
{
const char kBackupExtension[] = ".rbk";

// The folder search also matches short names and longer extensions that
// begin with the same three letters ("x.rbkx"); a backup's name ends in
// exactly this.
bool HasBackupExtension(const std::string& name)
{
    const size_t length = sizeof(kBackupExtension) - 1;
    return name.size() > length && AnsiText::EqualsAsciiNoCase(name.substr(name.size() - length), kBackupExtension);
}

const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

bool DigitsAt(const std::string& text, size_t at, size_t count, unsigned& value)
{
    if (text.size() < at + count)
        return false;
    value = 0;
    for (size_t i = at; i < at + count; ++i)
    {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return true;
}

std::string FileDateText(const WIN32_FIND_DATAA& found)
{
    const FILETIME& created = found.ftCreationTime;
    if (created.dwLowDateTime == 0 && created.dwHighDateTime == 0)
        return std::string();
    FILETIME local = {};
    SYSTEMTIME time = {};
    if (!::FileTimeToLocalFileTime(&created, &local) || !::FileTimeToSystemTime(&local, &time))
        return std::string();
    return BackupList::FormatDate(time);
}
}

namespace BackupList
{
std::string TitleOf(const std::string& fileName)
{
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return fileName;
    return fileName.substr(0, dot);
}

std::string FormatDate(const SYSTEMTIME& time)
{
    if (time.wMonth < 1 || time.wMonth > 12)
        return std::string();
    return AnsiText::Format("%s %02u, %u (%02u:%02u:%02u)", kMonths[time.wMonth - 1], time.wDay, time.wYear,
                            time.wHour, time.wMinute, time.wSecond);
}

bool DateInName(const std::string& name, unsigned long long& stamp)
{
    unsigned day, month, year, hour, minute, second;
    if (!DigitsAt(name, 0, 2, day) || !DigitsAt(name, 2, 2, month) || !DigitsAt(name, 4, 4, year) ||
        name.size() < 9 || name[8] != '_' || !DigitsAt(name, 9, 2, hour) || !DigitsAt(name, 11, 2, minute) ||
        !DigitsAt(name, 13, 2, second))
        return false;
    stamp = ((((year * 100ULL + month) * 100 + day) * 100 + hour) * 100 + minute) * 100 + second;
    return true;
}

void SortNewestFirst(std::vector<BackupEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const BackupEntry& left, const BackupEntry& right) {
        unsigned long long leftStamp = 0, rightStamp = 0;
        const bool leftDated = DateInName(left.title, leftStamp);
        const bool rightDated = DateInName(right.title, rightStamp);
        if (leftDated != rightDated)
            return leftDated;
        if (leftDated && leftStamp != rightStamp)
            return leftStamp > rightStamp;
        // Same second: a full backup and a repair's backup; keep a fixed order.
        return left.title > right.title;
    });
}

std::vector<BackupEntry> Enumerate(const std::string& folder)
{
    std::vector<BackupEntry> entries;
    WIN32_FIND_DATAA found = {};
    const CFindHandle search(::FindFirstFileA((folder + "\\*.rbk").c_str(), &found));
    if (!search)
        return entries;
    do
    {
        const std::string name = found.cFileName;
        if (name == "." || name == ".." || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !HasBackupExtension(name))
            continue;
        BackupEntry entry;
        entry.title = TitleOf(name);
        entry.path = folder + "\\" + name;
        entry.dateText = FileDateText(found);
        entries.push_back(entry);
    } while (::FindNextFileA(search.Get(), &found));
    SortNewestFirst(entries);
    return entries;
}
}
