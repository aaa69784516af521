#include "Client/Scan/SystemRestorePoint.h"

#include <cstring>

#include "Framework/CModule.h"

namespace
{
typedef BOOL(WINAPI* SetRestorePointA)(RESTOREPOINTINFOA*, STATEMGRSTATUS*);

BOOL Refuse(DWORD code, STATEMGRSTATUS* status)
{
    if (status && status->nStatus == 0)
        status->nStatus = code;
    ::SetLastError(code);
    return FALSE;
}
}

std::string SystemRestorePoint::LibraryPath()
{
    char folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string path(folder, length);
    if (path.back() != '\\')
        path += '\\';
    return path + "srclient.dll";
}

BOOL SystemRestorePoint::LoadAndSetRestorePoint(RESTOREPOINTINFOA* request, STATEMGRSTATUS* status)
{
    if (status)
        status->nStatus = 0;
    const std::string path = LibraryPath();
    if (path.empty())
        return Refuse(ERROR_PATH_NOT_FOUND, status);
    // Freed on every way out.
    const CModule library(::LoadLibraryA(path.c_str()));
    if (!library.Get())
        return Refuse(::GetLastError(), status);
    const auto call = reinterpret_cast<SetRestorePointA>(
        reinterpret_cast<void*>(::GetProcAddress(library.Get(), "SRSetRestorePointA")));
    if (!call)
        return Refuse(::GetLastError(), status);
    const BOOL made = call(request, status);
    const DWORD error = ::GetLastError();
    if (made)
    {
        ::SetLastError(0);
        return TRUE;
    }
    // A refusal without a reason still reads as one.
    return Refuse(error ? error : ERROR_CALL_NOT_IMPLEMENTED, status);
}

bool SystemRestorePoint::Begin(const std::string& description)
{
    m_begun = false;
    m_request = RESTOREPOINTINFOA{};
    m_status = STATEMGRSTATUS{};
    m_request.dwEventType = BEGIN_SYSTEM_CHANGE;
    m_request.dwRestorePtType = MODIFY_SETTINGS;
    m_request.llSequenceNumber = 0;
    strncpy(m_request.szDescription, description.c_str(), sizeof(m_request.szDescription) - 1);
    m_begun = LoadAndSetRestorePoint(&m_request, &m_status) != FALSE;
    return m_begun;
}

bool SystemRestorePoint::End()
{
    if (!m_begun)
        return false;
    m_begun = false;
    m_request.dwEventType = END_SYSTEM_CHANGE;
    m_request.llSequenceNumber = m_status.llSequenceNumber;
    STATEMGRSTATUS status{};
    return LoadAndSetRestorePoint(&m_request, &status) != FALSE;
}
