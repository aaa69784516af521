#pragma once
#include <windows.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "Framework/CHandle.h"

// The findings one repair is asked to repair, and what was really repaired:
// the engine reports no outcome per finding, so a finding that was there as
// the repair began and is gone when it ended counts as repaired.
//
// Asking the registry and the disk after thousands of findings takes
// seconds, so it never runs on the window thread: the question before the
// repair runs on a worker of its own while the repair's job waits to be
// resumed, the one after on the job's thread as its last call. Both touch
// no window; the list is filled before the first and read after the last.
class RepairedFindings
{
public:
    // What the repair did, per category bit of every category that was
    // offered (0 where nothing was repaired).
    struct Counts
    {
        std::map<DWORD, int> repaired;
        int total = 0;
    };

    RepairedFindings() = default;
    // Stops a question still being asked and waits for its worker.
    ~RepairedFindings();
    RepairedFindings(const RepairedFindings&) = delete;
    RepairedFindings& operator=(const RepairedFindings&) = delete;

    // A new repair: the list is emptied. Not while a question is asked.
    void Clear();
    // A category on offer, whether or not any of its findings is ticked.
    void AddCategory(DWORD category);
    // A ticked finding: the repair is to repair it.
    void AddFinding(const std::string& text, DWORD category);
    size_t Size() const { return m_findings.size(); }

    // Asks which findings are there now, on a worker thread, and posts
    // message to window when it has the answer. False when no worker could
    // be made: the caller then asks on its own thread.
    bool NotePresentBeforeOnWorker(HWND window, UINT message);
    // The same, on the calling thread.
    void NotePresentBefore();
    // Asks which of the findings that were there are gone now.
    void NoteGoneAfter();

    // Those that were there before and are gone after; none when the
    // repair was refused.
    Counts CountRepaired(bool refused) const;

private:
    struct Finding
    {
        std::string text;
        DWORD category = 0;
        bool presentBefore = false;
        bool goneAfter = false;
    };
    struct WorkerStart
    {
        RepairedFindings* findings;
        HWND window;
        UINT message;
    };
    static DWORD WINAPI NoteBeforeOnWorker(void* parameter);
    void EndWorker();

    std::vector<DWORD> m_categories;
    std::vector<Finding> m_findings;
    CHandle m_worker;
    WorkerStart m_workerStart = {};
    std::atomic<bool> m_stop{false};
};
