#pragma once
// Contract of Quillomar.exe and qmsag.dll: shared by both binaries and frozen
// (a change breaks a program or engine built apart from the other). It passes
// standard-library types, so both must come from one build with one runtime.
#include <windows.h>

// Status codes of the texts a restore hands its page besides its progress;
// the page keeps them and shows them on its window thread once the job is
// done. A message for the user as it stands (a parse error with its line):
inline constexpr char kStatusCodeMessage[] = "Message";
// A key the restore could not write, or not all of whose values, as its full
// path; keys below one it could not write are not named again:
inline constexpr char kStatusCodeNotRestored[] = "NotRestored";

// The channel through which the engine reports on a running job. Every page
// that starts an engine job implements it as a second base. The engine calls
// it only from its job thread; text arguments live only during the call.
// The order of the virtual operations is shared by the program and qmsag.dll.
class CAbstractStatus
{
public:
    CAbstractStatus() = default;
    virtual ~CAbstractStatus() = default;

    // text: what is being worked on; code: a category letter or "Scanning",
    // or one of the status codes below.
    virtual void SetStatusText(const char* text, const char* code) = 0;
    // 0 job started, 1 one step done, 2 job ended.
    virtual void OnProgress(int state) = 0;
    virtual void OnItemFound(const char* text, DWORD category, int firstValue, int secondValue) = 0;
    // The last call of every job; it only records and posts a message.
    virtual int OnJobFinished(int result) = 0;
    // Hive compaction only, just before the final calls.
    virtual int OnDefragResult(int result) = 0;

protected:
    CAbstractStatus(const CAbstractStatus&) = default;
    CAbstractStatus& operator=(const CAbstractStatus&) = default;
};
