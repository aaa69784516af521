#include "Engine/FileTests.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "Engine/CTolvEngineProcess.h"
#include "Engine/FoundItemText.h"
#include "Engine/PathVariables.h"
#include "Framework/AnsiText.h"
#include "Framework/CFindHandle.h"
#include "Framework/CComPtr.h"
#include "Framework/CRegKey.h"
#include "Framework/Wow64.h"

namespace
{
typedef UINT(WINAPI* PFN_GET_SYSTEM_WOW64_DIRECTORY)(LPSTR, UINT);

bool IsNotFoundError(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

// A folder with exactly one trailing backslash; empty when the call fails.
std::string FolderWithBackslash(UINT(WINAPI* query)(LPSTR, UINT))
{
    char buffer[MAX_PATH] = {};
    const UINT length = query ? query(buffer, MAX_PATH) : 0;
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    return AnsiText::TrimmedRight(buffer, "\\") + "\\";
}

// The 32-bit system folder of a 64-bit Windows; the call is missing before
// Windows XP.
std::string Wow64SystemFolder()
{
    const PFN_GET_SYSTEM_WOW64_DIRECTORY query = reinterpret_cast<PFN_GET_SYSTEM_WOW64_DIRECTORY>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), "GetSystemWow64DirectoryA")));
    return FolderWithBackslash(query);
}

bool PathExists(const std::string& path)
{
    return ::PathFileExistsA(path.c_str()) != FALSE;
}

void CutBefore(std::string& text, const char* mark)
{
    const size_t at = text.find(mark);
    if (at != std::string::npos)
        text.resize(at);
}

// Drops the closing quote and what follows it, then every quote left.
void CutAtQuotes(std::string& text)
{
    const size_t last = text.rfind('"');
    if (last != std::string::npos)
        text.resize(last);
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
}

const char* const kJudgedDrives[] = {"c:\\", "d:\\", "e:\\", "f:\\", "g:\\", "h:\\", "i:\\",
                                     "j:\\", "k:\\", "l:\\", "m:\\", "n:\\", "o:\\", "p:\\"};

bool StartsWithJudgedDrive(const std::string& text)
{
    for (const char* drive : kJudgedDrives)
        if (text.compare(0, 3, drive) == 0)
            return true;
    return false;
}

bool HoldsSecondPath(const std::string& text)
{
    for (const char* drive : kJudgedDrives)
        if (text.find(drive, 1) != std::string::npos)
            return true;
    return false;
}

// "c:\tools\app.exe\run": a three-letter extension right before the last
// backslash ends the file name.
void CutAfterExtensionFolder(std::string& text)
{
    const size_t dot = text.rfind('.');
    const size_t backslash = text.rfind('\\');
    if (dot != std::string::npos && backslash != std::string::npos && backslash == dot + 4)
        text.resize(backslash);
}

void CutAfterModuleExtensions(std::string& text)
{
    for (const char* mark : {".exe ", ".ocx ", ".dll ", ".its!"})
    {
        const size_t at = text.find(mark);
        if (at != std::string::npos)
            text.resize(at + 4);
    }
}

bool HoldsNonPathCharacter(const std::string& text)
{
    for (const char c : text)
        if ((c >= 0x01 && c <= 0x1F) || (c != '\0' && std::strchr("/*?\"<>|^", c)))
            return true;
    return false;
}

// The cut-down text names the file; 1 present or not judged, 0 missing.
int JudgeCutText(const CTolvEngineProcess& job, std::string text)
{
    if (!StartsWithJudgedDrive(text) || HoldsSecondPath(text))
        return 1;
    if (IsOnUnjudgedRoot(job, text))
        return 1;
    CutAfterExtensionFolder(text);
    CutAfterModuleExtensions(text);
    if (HoldsNonPathCharacter(text))
    {
        if (text.find('~') == std::string::npos)
            return 1;
        std::string longPath;
        return ExpandShortPath(longPath, text) ? 1 : 0;
    }
    if (PathExists(text))
        return 1;
    if (!IsNotFoundError(::GetLastError()))
        return 1;
    return FileExistsSecondChance(job, text) ? 1 : 0;
}

typedef void (*PathFolding)(std::string&);

void FoldToWow64(std::string& path)
{
    if (AnsiText::ReplaceAll(path, "system32", "syswow64") == 0)
        AnsiText::ReplaceAll(path, "program files", "program files (x86)");
}

void FoldToNative(std::string& path)
{
    if (AnsiText::ReplaceAll(path, "syswow64", "system32") == 0)
        AnsiText::ReplaceAll(path, "program files (x86)", "program files");
}

int SecondChance(const CTolvEngineProcess& job, const std::string& path, PathFolding fold)
{
    // Tested as it is, a bare name would be looked for in the current folder.
    if (IsBareProgramName(path))
        return 0;
    if (job.Is64BitWindows())
    {
        if (path.size() < 8)
            return 0;
        std::string folded = AnsiText::ToLower(path);
        fold(folded);
        if (const BOOL found = ::PathFileExistsA(folded.c_str()))
            return found;
    }
    ::PathFileExistsA(path.c_str());
    return ::GetLastError() == ERROR_ACCESS_DENIED ? 1 : 0;
}

const char kAppPathsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// The folders of the PATH variable that name a folder of their own; a
// relative entry (".") would mean the engine's current folder.
std::vector<std::string> ProgramSearchFolders()
{
    std::vector<std::string> folders;
    const DWORD size = ::GetEnvironmentVariableA("PATH", nullptr, 0);
    if (size == 0)
        return folders;
    std::vector<char> buffer(size + 1);
    const DWORD length = ::GetEnvironmentVariableA("PATH", buffer.data(), size + 1);
    if (length == 0 || length > size)
        return folders;
    const std::string list(buffer.data(), length);
    for (size_t start = 0; start <= list.size();)
    {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        std::string folder = AnsiText::Trimmed(list.substr(start, end - start));
        folder = AnsiText::TrimmedRight(AnsiText::TrimmedLeft(folder, "\""), "\"");
        folder = AnsiText::ToLower(AnsiText::TrimmedRight(folder, "\\"));
        const bool absolute = folder.compare(0, 2, "\\\\") == 0 || (folder.size() >= 2 && folder[1] == ':');
        if (absolute && !HoldsUnexpandedVariable(folder))
            folders.push_back(folder);
        start = end + 1;
    }
    return folders;
}

// The registration of name under one root and view, if there is one.
ProgramLookup FindRegisteredProgram(HKEY root, REGSAM view, const std::string& name,
                                    const CTolvEngineProcess& job, std::string& found)
{
    CRegKey key;
    const std::string path = std::string(kAppPathsKey) + "\\" + name;
    if (key.Open(root, path.c_str(), KEY_QUERY_VALUE | view) != ERROR_SUCCESS)
        return kProgramMissing;
    std::string program;
    std::string folder;
    if (key.QueryString("", program) != ERROR_SUCCESS)
        return kProgramMissing;
    key.QueryString("Path", folder);
    return JudgeRegisteredProgram(job, program, folder, found);
}

ProgramLookup FindThroughAppPaths(const std::string& name, const CTolvEngineProcess& job, std::string& found)
{
    // A program is registered in the view of its own kind: this process's
    // own view, and the other view on a 64-bit Windows.
    std::vector<REGSAM> views = {0};
    if (job.Is64BitWindows() && Wow64::OtherView())
        views.push_back(Wow64::OtherView());
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    {
        for (const REGSAM view : views)
        {
            const ProgramLookup lookup = FindRegisteredProgram(root, view, name, job, found);
            if (lookup != kProgramMissing)
                return lookup;
        }
    }
    return kProgramMissing;
}

void AppendHexLines(const BYTE* data, DWORD length, std::string& text)
{
    for (DWORD i = 0; i < length; ++i)
    {
        text += AnsiText::Format("%02x,", data[i]);
        if (i > 0 && i % 21 == 0)
            text += "\\\n";
    }
    text += "\n";
}
}

bool HoldsUnexpandedVariable(const std::string& path)
{
    const size_t open = path.find('%');
    return open != std::string::npos && path.find('%', open + 2) != std::string::npos;
}

bool IsOnUnjudgedRoot(const CTolvEngineProcess& job, const std::string& path)
{
    if (path.compare(0, 2, "\\\\") == 0)
        return true;
    if (path.size() < 2 || path[1] != ':' || !::IsCharAlphaA(path[0]))
        return false;
    return job.DriveTypeOf(path[0]) != DRIVE_FIXED;
}

bool IsBareProgramName(const std::string& path)
{
    return !path.empty() && path.find_first_of("\\/:") == std::string::npos;
}

int LocateReferencedFile(std::string& path, const CTolvEngineProcess& job)
{
    const std::string systemFolder = FolderWithBackslash(::GetSystemDirectoryA);
    const std::string windowsFolder = FolderWithBackslash(::GetWindowsDirectoryA);

    path = AnsiText::TrimmedLeft(AnsiText::TrimmedRight(path, "\""), "\"");
    ExpandPathVariables(path, job);
    if (HoldsUnexpandedVariable(path))
        return 1;

    // A bare name is never looked up in the engine's own current folder:
    // that is not where Windows looks when it starts the program.
    const bool bare = IsBareProgramName(path);
    if (!bare && (FindsFileOrFolder(path) || !IsNotFoundError(::GetLastError())))
        return 1;

    std::vector<std::string> candidates = {windowsFolder + path, windowsFolder + "System\\" + path,
                                           systemFolder + path};
    // The system folder is the native one (a 32-bit engine has
    // redirection off); a bare name may still be a 32-bit program's file.
    if (job.Is64BitWindows())
    {
        const std::string wow64Folder = Wow64SystemFolder();
        if (!wow64Folder.empty())
            candidates.push_back(wow64Folder + path);
    }
    for (const std::string& candidate : candidates)
    {
        if (FindsFileOrFolder(candidate))
        {
            path = candidate;
            return 1;
        }
    }
    if (bare)
        return FindOnProgramSearchPath(path, job);

    AnsiText::ReplaceAll(path, "file:///", "");
    if (FindsFileOrFolder(path))
        return 1;
    return IsOnUnjudgedRoot(job, path) ? 1 : 0;
}

ProgramLookup JudgeRegisteredProgram(const CTolvEngineProcess& job, std::string program, const std::string& folder,
                                     std::string& found)
{
    program = AnsiText::ToLower(AnsiText::Trimmed(program));
    program = AnsiText::TrimmedLeft(AnsiText::TrimmedRight(program, "\""), "\"");
    if (program.empty())
        return kProgramMissing;
    ExpandPathVariables(program, job);
    if (IsBareProgramName(program))
    {
        std::string base = AnsiText::ToLower(AnsiText::TrimmedRight(AnsiText::Trimmed(folder), "\\"));
        base = AnsiText::TrimmedLeft(AnsiText::TrimmedRight(base, "\""), "\"");
        if (base.empty())
            return kProgramMissing;
        ExpandPathVariables(base, job);
        program = base + "\\" + program;
    }
    if (HoldsUnexpandedVariable(program))
        return kProgramUnjudged;
    if (FindsFileOrFolder(program))
    {
        found = program;
        return kProgramFound;
    }
    if (!IsNotFoundError(::GetLastError()) || IsOnUnjudgedRoot(job, program) || FileExistsSecondChance(job, program))
        return kProgramUnjudged;
    return kProgramMissing;
}

int FindOnProgramSearchPath(std::string& name, const CTolvEngineProcess& job)
{
    std::string found;
    switch (FindThroughAppPaths(name, job, found))
    {
    case kProgramFound:
        name = found;
        return 1;
    case kProgramUnjudged:
        return 1;
    default:
        break;
    }
    for (const std::string& folder : ProgramSearchFolders())
    {
        if (IsOnUnjudgedRoot(job, folder))
            return 1;
        const std::string candidate = folder + "\\" + name;
        if (FindsFileOrFolder(candidate))
        {
            name = candidate;
            return 1;
        }
        if (!IsNotFoundError(::GetLastError()))
            return 1;
    }
    return 0;
}

int IsReferencedFilePresent(const CTolvEngineProcess& job, std::string text)
{
    if (text.empty() || text.size() >= MAX_PATH)
        return 1;
    text.erase(std::remove(text.begin(), text.end(), '@'), text.end());
    AnsiText::MakeLower(text);
    text = AnsiText::TrimmedLeft(AnsiText::TrimmedRight(text));
    const std::string uncut = text;

    for (const char* mark : {",", ";", "/", "%", "\\.\\", "\\..\\"})
        CutBefore(text, mark);
    CutAtQuotes(text);
    if (JudgeCutText(job, text))
        return 1;

    // A file name may itself hold a comma, a semicolon or a percent sign.
    std::string whole = uncut;
    CutAtQuotes(whole);
    return PathExists(uncut) || PathExists(whole) ? 1 : 0;
}

int FileExistsSecondChance(const CTolvEngineProcess& job, const std::string& path)
{
    return SecondChance(job, path, FoldToWow64);
}

int FileExistsSecondChanceNative(const CTolvEngineProcess& job, const std::string& path)
{
    return SecondChance(job, path, FoldToNative);
}

int ExpandShortPath(std::string& longPath, const std::string& path)
{
    // A text that cannot be converted or a shell that cannot be reached
    // leaves the path unjudged.
    const int wideLength = ::MultiByteToWideChar(CP_THREAD_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (wideLength <= 0)
        return 1;
    std::vector<WCHAR> wide(static_cast<size_t>(wideLength));
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, path.c_str(), -1, wide.data(), wideLength);

    LPITEMIDLIST items = nullptr;
    {
        CComPtr<IShellFolder> desktop;
        if (FAILED(::SHGetDesktopFolder(desktop.Receive())) || !desktop)
            return 1;
        if (FAILED(desktop->ParseDisplayName(NULL, nullptr, wide.data(), nullptr, &items, nullptr)) || !items)
            return 0;
    }

    WCHAR buffer[MAX_PATH] = {};
    ::SHGetPathFromIDListW(items, buffer);
    CComPtr<IMalloc> allocator;
    if (SUCCEEDED(::SHGetMalloc(allocator.Receive())) && allocator)
        allocator->Free(items);

    char narrow[MAX_PATH * 2] = {};
    ::WideCharToMultiByte(CP_THREAD_ACP, 0, buffer, -1, narrow, sizeof(narrow), nullptr, nullptr);
    longPath = narrow;
    return 1;
}

int IsKeyWritable(const std::string& rootName, const std::string& keyPath)
{
    const HKEY root = RegistryRootFromName(rootName);
    if (!root)
        return 1;
    CRegKey key;
    return key.Open(root, keyPath.c_str(), KEY_SET_VALUE) == ERROR_ACCESS_DENIED ? 0 : 1;
}

void FormatRegistryValueText(const BYTE* data, DWORD type, DWORD length, std::string& text)
{
    if (!data)
        length = 0;
    switch (type)
    {
    case REG_SZ:
    {
        const char* chars = reinterpret_cast<const char*>(data);
        text.assign(chars, std::find(chars, chars + length, '\0'));
        break;
    }
    case REG_DWORD:
    {
        // A short value is read as far as it goes.
        DWORD value = 0;
        if (length)
            std::memcpy(&value, data, std::min<DWORD>(length, sizeof(value)));
        text = AnsiText::Format("dword:%08lx\n", static_cast<unsigned long>(value));
        break;
    }
    case REG_BINARY:
        text = "hexvalueinreg--:";
        AppendHexLines(data, length, text);
        break;
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
    case REG_RESOURCE_LIST:
    case REG_FULL_RESOURCE_DESCRIPTOR:
    case REG_RESOURCE_REQUIREMENTS_LIST:
        text = AnsiText::Format("hexvalueinreg--(%d):", static_cast<int>(type));
        AppendHexLines(data, length, text);
        break;
    default:
        break;
    }
}

bool FindsFileOrFolder(const std::string& path)
{
    // One attribute query answers as a find-first lookup does, in one call
    // where the lookup takes three, except for the paths that a lookup reads
    // another way: wildcards (and their DOS forms "<", ">" and '"') match
    // names, and a name ending in a separator, a colon or ".." is not found.
    const size_t length = path.size();
    const bool lookupDiffers = length == 0 || path.find_first_of("*?<>\"|") != std::string::npos ||
                               path[length - 1] == '\\' || path[length - 1] == '/' || path[length - 1] == ':' ||
                               (length >= 2 && path.compare(length - 2, 2, "..") == 0);
    if (!lookupDiffers)
        return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    WIN32_FIND_DATAA data;
    return CFindHandle(::FindFirstFileA(path.c_str(), &data)).IsValid();
}

size_t FindProgramExtension(const std::string& text, size_t from, const char* extension)
{
    const size_t length = std::strlen(extension);
    for (size_t at = text.find(extension, from); at != std::string::npos; at = text.find(extension, at + 1))
    {
        const size_t next = at + length;
        if (next == text.size() || (text[next] != '\0' && std::strchr(" \t\"'/,", text[next])))
            return at;
    }
    return std::string::npos;
}

bool CutAfterProgramExtension(std::string& text, const char* extension)
{
    const size_t at = FindProgramExtension(text, 0, extension);
    if (at == std::string::npos)
        return false;
    text.resize(at + std::strlen(extension));
    return true;
}
