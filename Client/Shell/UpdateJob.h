#pragma once
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "Client/Shell/UpdateProtocol.h"
#include "Framework/CCriticalSection.h"
#include "Framework/CInternetHandle.h"

// What the updater's dialog and its worker share. Both hold it, so either
// may go first: the worker writes requests, the status and the animation
// state here and never touches a window; the dialog's timer reads them, and
// closing the dialog cancels the job here. Cancelling also closes the open
// WinINet handles, so a read that blocks returns.
class UpdateJob
{
public:
    // How a message box is shown: its text and MB_ type; the answer.
    using MessageBoxFunction = std::function<int(const std::string& text, UINT type)>;

    UpdateJob(const UpdateProtocol::QueryFacts& facts, bool portable);
    UpdateJob(const UpdateJob&) = delete;
    UpdateJob& operator=(const UpdateJob&) = delete;
    ~UpdateJob();

    const UpdateProtocol::QueryFacts& Facts() const { return m_facts; }
    bool IsSilent() const { return m_facts.silent; }
    bool IsPortable() const { return m_portable; }

    // ---- worker side ----
    void SetStatus(const std::string& text);
    void SetAnimation(bool playing);
    void RequestClose() { m_closeRequest = true; }
    void RequestExit() { m_exitRequest = true; }
    // A message box of the worker; nothing is shown, and the answer is No,
    // once the job is cancelled.
    int Tell(const std::string& text, UINT type);
    // Keeps an open WinINet handle where a cancel can close it. False when
    // the job is already cancelled (the handle is then closed at once).
    bool Track(HINTERNET handle);
    // Closes a tracked handle unless a cancel already did.
    void Close(HINTERNET handle);

    // ---- dialog side ----
    bool IsCancelled() const { return m_cancelled; }
    void Cancel();
    // The status text once after each change.
    bool TakeStatus(std::string& text);
    // The wanted animation state once after each change.
    bool TakeAnimation(bool& playing);
    bool IsCloseRequested() const { return m_closeRequest; }
    bool IsExitRequested() const { return m_exitRequest; }

    // Tests show their own boxes; the default is the system's, captioned
    // with the product name.
    void SetMessageBox(MessageBoxFunction function) { m_messageBox = std::move(function); }

private:
    const UpdateProtocol::QueryFacts m_facts;
    const bool m_portable;
    std::atomic<bool> m_closeRequest{false};
    std::atomic<bool> m_exitRequest{false};
    std::atomic<bool> m_cancelled{false};

    CCriticalSection m_lock;
    std::string m_status;
    bool m_statusChanged = false;
    bool m_playing = true;
    bool m_animationChanged = false;
    std::vector<CInternetHandle> m_handles;
    MessageBoxFunction m_messageBox;
};
