// Application-path scanner, and the engine's test against the white list.
#include "Engine/CTolvEngineProcess.h"

#include <cstdio>

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/FileLookup.h"
#include "Engine/FileTests.h"
#include "Engine/FoundItemText.h"
#include "Engine/RegistryValueList.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"
#include "Framework/ModulePath.h"

namespace
{
const char kMachineRootName[] = "HKEY_LOCAL_MACHINE";
const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
// Registered by Windows itself with a program that is not always installed.
const char kExemptApplication[] = "cmmgr32.exe";
const int kAppPathStatusThreshold = 3001;
const DWORD kValueNameCapacity = 260;
const size_t kWhiteListChunk = 499;

// Whether value number index exists; its name is returned.
bool ValueAt(HKEY key, DWORD index, std::string* name = nullptr)
{
    char buffer[kValueNameCapacity];
    DWORD length = kValueNameCapacity;
    const LONG rc = ::RegEnumValueA(key, index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA)
        return false;
    if (name)
        name->assign(buffer, rc == ERROR_SUCCESS ? length : 0);
    return true;
}

bool IsDefaultValueFirst(HKEY key)
{
    std::string name;
    return ValueAt(key, 0, &name) && name.empty();
}

// A lookup that misses because the file is gone and has no second chance.
bool IsMissingPath(const CTolvEngineProcess& job, const std::string& path)
{
    return !FindsFileOrFolder(path) && IsMissingFileError(::GetLastError()) && !IsPathUnjudged(path) &&
           !FileExistsSecondChance(job, path);
}
}

void CTolvEngineProcess::ScanAppPaths()
{
    try
    {
        CRegKey appPaths;
        if (appPaths.Open(HKEY_LOCAL_MACHINE, kAppPathsKey, KEY_READ) != ERROR_SUCCESS)
            return;
        ForEachSubkeyName(appPaths.Get(), m_bRunning, [this](const std::string& name) {
            const std::string keyPath = std::string(kAppPathsKey) + "\\" + name;
            CRegKey application;
            if (application.Open(HKEY_LOCAL_MACHINE, keyPath.c_str(), KEY_READ) == ERROR_SUCCESS)
                CheckAppPathKey(application.Get(), keyPath, name);
            return true;
        });
    }
    catch (...)
    {
    }
}

void CTolvEngineProcess::CheckAppPathKey(HKEY key, const std::string& keyPath, const std::string& name)
{
    const std::string lowerName = AnsiText::ToLower(name);
    const bool exempt = lowerName == kExemptApplication;
    // A program named by its bare file name, to be found in the "Path" value.
    std::string bareProgram;
    bool reported = false;
    auto report = [&]() {
        if (reported)
            return;
        reported = true;
        const std::string shownPath = std::string(kAppPathsKey) + "\\" + lowerName;
        ReportIfWritable(kMachineRootName, shownPath, FoundKeyText(kMachineRootName, shownPath), kScanAppPaths);
    };

    ForEachRegistryValue(key, m_bRunning, [&](const RegistryValueData& value) {
        std::string text = AnsiText::ToLower(value.Text());
        const std::string valueName = AnsiText::ToLower(value.name);
        if (valueName.empty())
        {
            const bool present = LocateReferencedFile(text, *this) || FileExistsSecondChance(*this, text);
            if (!present && IsDefaultValueFirst(key))
            {
                // Other values follow: the program may be a bare name found through "Path".
                if (ValueAt(key, 1))
                    bareProgram = text;
                else if (!exempt)
                    report();
            }
            else if (!present && IsMissingPath(*this, AnsiText::TrimmedRight(text, "\\")))
            {
                report();
            }
        }
        else if (valueName == "path" && !bareProgram.empty())
        {
            const std::string program = AnsiText::TrimmedRight(text, "\\") + "\\" + bareProgram;
            if (FindsFileOrFolder(program))
                RememberReferencedPath(program);
            else if (IsMissingPath(*this, program) && !exempt)
                report();
        }
        ShowThrottledStatus(keyPath, "A", kAppPathStatusThreshold);
        return true;
    });
}

int CTolvEngineProcess::IsWhiteListed(std::string text)
{
    return IsWhiteListedIn(ModulePath::Folder() + "WL", text);
}

int CTolvEngineProcess::IsWhiteListedIn(const std::string& listFile, std::string text)
{
    // "a+" makes an empty list where there was none.
    FILE* file = std::fopen(listFile.c_str(), "a+");
    if (!file)
    {
        ::SetFileAttributesA(listFile.c_str(), FILE_ATTRIBUTE_NORMAL);
        file = std::fopen(listFile.c_str(), "a+");
        if (!file)
            return 0;
    }
    std::rewind(file);
    std::string list;
    char chunk[kWhiteListChunk];
    size_t read = 0;
    while ((read = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        list.append(chunk, read);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return 0;

    AnsiText::MakeLower(list);
    AnsiText::MakeLower(text);
    // Entries end with ";"; an empty entry ends the list.
    for (size_t start = 0;;)
    {
        const size_t end = list.find(';', start);
        if (end == std::string::npos)
            return 0;
        const std::string entry = AnsiText::Trimmed(list.substr(start, end - start));
        if (entry.empty())
            return 0;
        if (text.find(entry) != std::string::npos)
            return 1;
        start = end + 1;
    }
}
