#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "Client/Pages/StartupChange.h"
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

    // Writes the record, then moves the file to a copy in "pss" that no
    // other file or record uses: users of one machine share the folder and
    // the records, and may have files of one name. The file stays where it
    // was, with no record, when either step fails or a record of the same
    // file exists already.
    static StartupChange Disable(const StartupFolderEntry& entry, const std::string& pssFolder);
    // Moves the file back, then deletes the record. The record and the copy
    // stay whenever the file is not back, and a file of that name that came
    // back meanwhile is never written over.
    static StartupChange Enable(const StartupFolderEntry& entry);
    // Deletes the record and its copy, or the file of an enabled entry; the
    // copy goes only when its record can go too.
    static StartupChange Remove(const StartupFolderEntry& entry);

    static bool RecordExists(const std::string& key);
    // The copy path for a file to be disabled: wanted when nothing has it,
    // else wanted with " (2)", " (3)" ... added; "" when all are taken.
    static std::string FreeBackupPath(const std::string& wanted);

private:
    static LONG CheckRecordDeletable(const std::string& key);

    CComPtr<IShellLinkA> m_shellLink;
};
