#include "Engine/PathVariables.h"

#include <windows.h>
#include <shlobj.h>

#include "Engine/CTolvEngineProcess.h"
#include "Framework/AnsiText.h"

const PathVariable PathVariableTable[] = {
    {"%SystemDrive%", kFolderWindowsDrive, CSIDL_WINDOWS, kFoldNone},
    {"%LocalSettings%", kFolderTempParent, 0, kFoldNone},
    {"%WinDir%", kFolderShell, CSIDL_WINDOWS, kFoldLowerCase},
    {"%SystemRoot%", kFolderShell, CSIDL_WINDOWS, kFoldLowerCase},
    {"%SystemDir%", kFolderShell, CSIDL_SYSTEM, kFoldSystemFolder},
    {"%CommonProgramFiles%", kFolderShell, CSIDL_PROGRAM_FILES_COMMON, kFoldProgramFiles},
    {"%CommonProgramFiles(x86)%", kFolderShell, CSIDL_PROGRAM_FILES_COMMONX86, kFoldLowerCase},
    {"%ProgramFiles%", kFolderShell, CSIDL_PROGRAM_FILES, kFoldProgramFiles},
    {"%ProgramFiles(x86)%", kFolderShell, CSIDL_PROGRAM_FILESX86, kFoldLowerCase},
    {"%UserProfile%", kFolderShell, CSIDL_PROFILE, kFoldLowerCase},
    {"%AppData%", kFolderShell, CSIDL_APPDATA, kFoldLowerCase},
    {"%InternetCache%", kFolderShell, CSIDL_INTERNET_CACHE, kFoldLowerCase},
    {"%CDBurnArea%", kFolderShell, CSIDL_CDBURN_AREA, kFoldLowerCase},
    {"%CommonAdminTools%", kFolderShell, CSIDL_COMMON_ADMINTOOLS, kFoldLowerCase},
    {"%CommonAppData%", kFolderShell, CSIDL_COMMON_APPDATA, kFoldLowerCase},
    {"%CommonDesktopDirectory%", kFolderShell, CSIDL_COMMON_DESKTOPDIRECTORY, kFoldLowerCase},
    {"%CommonDocuments%", kFolderShell, CSIDL_COMMON_DOCUMENTS, kFoldLowerCase},
    {"%CommonFavorites%", kFolderShell, CSIDL_COMMON_FAVORITES, kFoldLowerCase},
    {"%CommonMusic%", kFolderShell, CSIDL_COMMON_MUSIC, kFoldLowerCase},
    {"%CommonPictures%", kFolderShell, CSIDL_COMMON_PICTURES, kFoldLowerCase},
    {"%CommonPrograms%", kFolderShell, CSIDL_COMMON_PROGRAMS, kFoldLowerCase},
    {"%CommonStartMenu%", kFolderShell, CSIDL_COMMON_STARTMENU, kFoldLowerCase},
    {"%CommonStartup%", kFolderShell, CSIDL_COMMON_STARTUP, kFoldLowerCase},
    {"%CommonTemplates%", kFolderShell, CSIDL_COMMON_TEMPLATES, kFoldLowerCase},
    {"%CommonVideo%", kFolderShell, CSIDL_COMMON_VIDEO, kFoldLowerCase},
    {"%Cookies%", kFolderShell, CSIDL_COOKIES, kFoldLowerCase},
    {"%DesktopDirectory%", kFolderShell, CSIDL_DESKTOPDIRECTORY, kFoldLowerCase},
    {"%Favorites%", kFolderShell, CSIDL_FAVORITES, kFoldLowerCase},
    {"%History%", kFolderShell, CSIDL_HISTORY, kFoldLowerCase},
    {"%LocalAppData%", kFolderShell, CSIDL_LOCAL_APPDATA, kFoldLowerCase},
    {"%MyMusic%", kFolderShell, CSIDL_MYMUSIC, kFoldLowerCase},
    {"%MyPictures%", kFolderShell, CSIDL_MYPICTURES, kFoldLowerCase},
    {"%MyVideo%", kFolderShell, CSIDL_MYVIDEO, kFoldLowerCase},
    {"%NetHood%", kFolderShell, CSIDL_NETHOOD, kFoldLowerCase},
    {"%Personal%", kFolderShell, CSIDL_PERSONAL, kFoldLowerCase},
    {"%PrintHood%", kFolderShell, CSIDL_PRINTHOOD, kFoldLowerCase},
    {"%Programs%", kFolderShell, CSIDL_PROGRAMS, kFoldLowerCase},
    {"%Recent%", kFolderShell, CSIDL_RECENT, kFoldLowerCase},
    {"%SendTo%", kFolderShell, CSIDL_SENDTO, kFoldLowerCase},
    {"%StartMenu%", kFolderShell, CSIDL_STARTMENU, kFoldLowerCase},
    {"%StartMenuPrograms%", kFolderShell, CSIDL_STARTMENU, kFoldLowerCase},
    {"%Startup%", kFolderShell, CSIDL_STARTUP, kFoldLowerCase},
    {"%Temp%", kFolderTemp, 0, kFoldNone},
    {"%Templates%", kFolderShell, CSIDL_TEMPLATES, kFoldLowerCase},
    {"%AdminTools%", kFolderShell, CSIDL_ADMINTOOLS, kFoldLowerCase},
};

const size_t PathVariableCount = sizeof(PathVariableTable) / sizeof(PathVariableTable[0]);

namespace
{
bool ReadShellFolder(int csidl, std::string& folder)
{
    char buffer[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, buffer)))
        return false;
    folder = buffer;
    return true;
}

// A temporary folder that does not fit the buffer is a failed lookup, not a
// cut one.
bool ReadTempFolder(std::string& folder)
{
    char buffer[MAX_PATH] = {};
    const DWORD length = ::GetTempPathA(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH)
        return false;
    folder.assign(buffer, length);
    return true;
}

// The parent of the temporary folder: "...\Local\Temp\" loses "\Temp\".
// A text too short for that cut names no folder.
const size_t kTempFolderTail = 6;

void FoldForWow64(std::string& text, PathVariableFolding folding)
{
    AnsiText::MakeLower(text);
    if (folding == kFoldSystemFolder)
        AnsiText::ReplaceAll(text, "syswow64", "system32");
    else if (folding == kFoldProgramFiles)
        AnsiText::ReplaceAll(text, "program files (x86)", "program files");
}
}

bool ReadPathVariableFolder(const PathVariable& variable, std::string& folder)
{
    switch (variable.source)
    {
    case kFolderWindowsDrive:
        if (!ReadShellFolder(variable.csidl, folder))
            return false;
        folder = folder.substr(0, 2);
        return true;
    case kFolderTempParent:
        if (!ReadTempFolder(folder) || folder.size() < kTempFolderTail)
            return false;
        folder.resize(folder.size() - kTempFolderTail);
        return true;
    case kFolderShell:
        return ReadShellFolder(variable.csidl, folder);
    case kFolderTemp:
        return ReadTempFolder(folder);
    }
    return false;
}

int ExpandPathVariables(std::string& text, const CTolvEngineProcess& job)
{
    AnsiText::MakeLower(text);
    if (text.size() < 8)
        return 0;

    for (size_t row = 0; row < PathVariableCount; ++row)
    {
        const PathVariable& variable = PathVariableTable[row];
        const std::string token = AnsiText::ToLower(variable.token);
        if (text.find(token) == std::string::npos)
            continue;

        std::string folder;
        int replaced = 0;
        if (ReadPathVariableFolder(variable, folder))
            replaced = AnsiText::ReplaceAll(text, token, folder);
        // The shell hands a 32-bit program its own folders; the engine judges
        // paths in the native view, in the same lower-cased form from either
        // build.
        if (job.Is64BitWindows() && variable.folding != kFoldNone)
            FoldForWow64(text, variable.folding);
        return replaced > 0 ? 1 : 0;
    }
    return 0;
}
