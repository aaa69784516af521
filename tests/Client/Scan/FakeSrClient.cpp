// Stands in for the system's srclient.dll: grants every request and notes
// it, one line each, in %TEMP%\qm-fake-srclient.log: event type, point type,
// sequence number and description.
#include <windows.h>
#include <srrestoreptapi.h>

#include <cstdio>

namespace
{
const INT64 kGrantedSequence = 4711;
}

extern "C" BOOL WINAPI SRSetRestorePointA(RESTOREPOINTINFOA* request, STATEMGRSTATUS* status)
{
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    char path[MAX_PATH + 32] = {};
    std::snprintf(path, sizeof(path), "%sqm-fake-srclient.log", folder);
    if (FILE* log = std::fopen(path, "ab"))
    {
        std::fprintf(log, "%lu %lu %lld %.64s\n", request->dwEventType, request->dwRestorePtType,
                     static_cast<long long>(request->llSequenceNumber), request->szDescription);
        std::fclose(log);
    }
    if (status)
    {
        status->nStatus = ERROR_SUCCESS;
        status->llSequenceNumber = kGrantedSequence;
    }
    return TRUE;
}
