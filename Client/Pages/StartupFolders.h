#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "Client/Pages/StartupFolderEntry.h"
#include "Framework/CComPtr.h"

// The Startup-folder side of the startup manager: the files of the user's
// and the common Startup folder, the records of disabled ones under
// "startupfolder", and the moves between a folder and "pss". A file is moved
// away only after its record was fully written, and a record is deleted only
// once its file is back.
class StartupFolders
{
public:
    // Makes the shell-link object that reads shortcut targets; COM must be
    // initialised on this thread.
    StartupFolders();

    // Appends the visible files of both Startup folders.
    void ScanStartupFolders(const std::string& pssFolder, std::vector<StartupFolderEntry>& entries) const;
    void ScanStartupFolder(const std::string& folder, bool common, const std::string& pssFolder,
                           std::vector<StartupFolderEntry>& entries) const;
    // Appends one entry per record with a path.
    static void ReadRecords(std::vector<StartupFolderEntry>& entries);

    // True when the shortcut gave a target, which is then in target.
    bool ResolveShortcut(const std::string& linkPath, std::string& target) const;

    // Writes the record, then moves the file to its backup path. False, with
    // the file where it was and no record, when either step fails or a
    // record of the same file exists already.
    static bool Disable(const StartupFolderEntry& entry, const std::string& pssFolder);
    // Moves the file back, then deletes the record. False, with the record
    // and the copy kept, when the file could not be put back.
    static bool Enable(const StartupFolderEntry& entry);
    // Deletes the record and its copy, or the file of an enabled entry.
    static bool Remove(const StartupFolderEntry& entry);

    static bool RecordExists(const std::string& key);

private:
    CComPtr<IShellLinkA> m_shellLink;
};
