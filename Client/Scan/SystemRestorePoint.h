#pragma once
#include <windows.h>
#include <srrestoreptapi.h>

#include <string>

// Begins and ends a Windows System Restore point around a repair through
// "SRSetRestorePointA" of the system's "srclient.dll", looked up by name so
// that the program also starts where System Restore is missing.
class SystemRestorePoint
{
public:
    // The full path of "srclient.dll" in the system folder: never a copy that
    // happens to lie beside the program or in the current folder.
    static std::string LibraryPath();

    // One call of SRSetRestorePointA. FALSE when the library or its export is
    // missing or the call refused; the last error and, when it is still 0,
    // status->nStatus then hold the reason.
    static BOOL LoadAndSetRestorePoint(RESTOREPOINTINFOA* request, STATEMGRSTATUS* status);

    // Begins a point named description before a change of settings; true
    // when System Restore took it.
    bool Begin(const std::string& description);
    // Ends the point that Begin made; nothing when none was begun.
    bool End();

    bool IsBegun() const { return m_begun; }
    const RESTOREPOINTINFOA& Request() const { return m_request; }
    const STATEMGRSTATUS& Status() const { return m_status; }

private:
    RESTOREPOINTINFOA m_request{};
    STATEMGRSTATUS m_status{};
    bool m_begun = false;
};
