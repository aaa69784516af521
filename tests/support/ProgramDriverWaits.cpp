// The driver's waits as a user waits: for a window ready for input, for a
// click to be handled, for the program to end. None of them waits in vain
// behind a message box, and each failure names what it waited for.
#include "support/ProgramDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "Client/res/ShellResource.h"

namespace ProgramDriver
{
namespace
{
class Deadline
{
public:
    explicit Deadline(DWORD milliseconds) : m_start(::GetTickCount()), m_milliseconds(milliseconds) {}
    DWORD Left() const { return m_milliseconds - std::min<DWORD>(m_milliseconds, ::GetTickCount() - m_start); }
    bool Passed() const { return ::GetTickCount() - m_start > m_milliseconds; }

private:
    DWORD m_start;
    DWORD m_milliseconds;
};

DWORD ProcessOf(HWND window)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    return processId;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}
}

namespace
{
// Answers with the caller's answer (a box without that button is left as
// it is: the caller's road does not expect it), or with none given as
// nobody's choice: Cancel, No or OK, whichever it has.
std::string AnswerBox(HWND box, int answer)
{
    const std::string said = Quoted(WindowText(box)) + ": " + Quoted(MessageBoxText(box));
    if (answer)
    {
        AnswerMessageBox(box, answer);
        return said;
    }
    for (int choice : {IDCANCEL, IDNO, IDOK})
        if (::GetDlgItem(box, choice))
        {
            AnswerMessageBox(box, choice);
            break;
        }
    return said;
}

std::string AnswerAllBoxes(DWORD processId, int preferred)
{
    std::string said;
    for (HWND window : VisibleWindowsOf(processId))
        if (IsMessageBox(window))
            said += (said.empty() ? "" : "; ") + AnswerBox(window, preferred);
    return said;
}
}

std::string AnswerBoxesLeftOnShow(DWORD processId)
{
    // A box the test has just answered may still be going.
    MessageBoxWatch boxes(processId);
    const Deadline grace(5000);
    for (;;)
    {
        const std::string said = boxes.AnswerLingering();
        if (!said.empty())
            return said;
        const std::vector<HWND> windows = VisibleWindowsOf(processId);
        if (std::none_of(windows.begin(), windows.end(), &IsMessageBox) || grace.Passed())
            return AnswerAllMessageBoxes(processId);
        ::Sleep(50);
    }
}

std::string AnswerUnexpectedMessageBox(HWND box)
{
    return AnswerBox(box, 0);
}

std::string AnswerAllMessageBoxes(DWORD processId)
{
    return AnswerAllBoxes(processId, 0);
}

MessageBoxWatch::MessageBoxWatch(DWORD processId, DWORD graceMilliseconds)
    : m_processId(processId), m_grace(graceMilliseconds)
{
}

std::string MessageBoxWatch::AnswerLingering()
{
    const DWORD now = ::GetTickCount();
    std::vector<std::pair<HWND, DWORD>> seen;
    std::string said;
    for (HWND window : VisibleWindowsOf(m_processId))
    {
        if (!IsMessageBox(window))
            continue;
        const auto earlier = std::find_if(m_seen.begin(), m_seen.end(),
                                          [window](const std::pair<HWND, DWORD>& box) { return box.first == window; });
        const DWORD since = earlier == m_seen.end() ? now : earlier->second;
        if (now - since >= m_grace)
            said += (said.empty() ? "" : "; ") + AnswerUnexpectedMessageBox(window);
        else
            seen.emplace_back(window, since);
    }
    m_seen = seen;
    return said;
}

bool CloseAnsweringBoxes(HWND window, DWORD milliseconds)
{
    if (!window || !::IsWindow(window))
        return true;
    const DWORD processId = ProcessOf(window);
    const std::string left = AnswerBoxesLeftOnShow(processId);
    EXPECT_EQ(left, "") << "message boxes left on show when the window was to close";
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    const Deadline deadline(milliseconds);
    MessageBoxWatch boxes(processId);
    while (::IsWindow(window))
    {
        const std::string box = boxes.AnswerLingering();
        EXPECT_EQ(box, "") << "a message box on closing the window";
        if (deadline.Passed())
        {
            ADD_FAILURE() << "the window did not close within " << milliseconds << " ms";
            return false;
        }
        ::Sleep(50);
    }
    return true;
}

bool RunningProgram::WaitForExit(DWORD milliseconds, DWORD* code) const
{
    if (!m_process)
        return false;
    const Deadline deadline(milliseconds);
    MessageBoxWatch boxes(m_processId);
    while (::WaitForSingleObject(m_process, std::min<DWORD>(deadline.Left(), 100)) != WAIT_OBJECT_0)
    {
        if (deadline.Passed())
            return false;
        const std::string box = boxes.AnswerLingering();
        if (!box.empty())
            ADD_FAILURE() << "while waiting for process " << m_processId
                          << " to end, a message box stayed on show and was answered: " << box;
    }
    if (code)
        ::GetExitCodeProcess(m_process, code);
    return true;
}

namespace
{
// What the main window's caption label says once the first page is drawn.
std::string CaptionOf(HWND mainWindow)
{
    return WindowText(::GetDlgItem(mainWindow, IDC_CAPTION_LABEL));
}

std::string StepOf(HWND mainWindow)
{
    return WindowText(::GetDlgItem(mainWindow, IDC_STEP_LABEL));
}

// Polls condition until it holds; false at the deadline, or when a box
// stays on show (its text then in box).
bool PollAnsweringBoxes(const Deadline& deadline, MessageBoxWatch& boxes, const std::function<bool()>& condition,
                        std::string* box)
{
    while (!condition())
    {
        *box = boxes.AnswerLingering();
        if (!box->empty() || deadline.Passed())
            return condition();
        ::Sleep(50);
    }
    return true;
}
}

HWND RunningProgram::WaitForMainWindow(DWORD milliseconds) const
{
    const Deadline deadline(milliseconds);
    MessageBoxWatch boxes(m_processId);
    std::string box;
    const std::string who = "process " + std::to_string(m_processId);
    HWND window = NULL;
    const bool shown = PollAnsweringBoxes(deadline, boxes, [&] {
        window = m_processId && !HasEnded() ? WaitForWindow(m_processId, &IsMainWindow, 0, this) : NULL;
        return window != NULL || HasEnded();
    }, &box);
    if (!shown || !window)
    {
        DWORD code = 0;
        if (HasEnded() && ::GetExitCodeProcess(m_process, &code))
            ADD_FAILURE() << who << " ended with exit code " << code << " before it showed its main window";
        else
            ADD_FAILURE() << "waited " << milliseconds << " ms for the main window of " << who
                          << " to be visible" << (box.empty() ? "" : "; a message box stayed on show: " + box);
        return NULL;
    }
    // Ready for input: the process waits for it, and the window's thread
    // answers a message.
    const DWORD idle = ::WaitForInputIdle(m_process, deadline.Left());
    if (idle != 0 || HasEnded())
    {
        ADD_FAILURE() << "waited " << milliseconds << " ms for " << who << " to be idle for input (answer " << idle
                      << ")" << (HasEnded() ? "; it ended" : "");
        return NULL;
    }
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, std::max<DWORD>(deadline.Left(), 1),
                               &result))
    {
        ADD_FAILURE() << "waited " << milliseconds << " ms for the main window of " << who
                      << " to answer a message; " << AnswerAllMessageBoxes(m_processId);
        return NULL;
    }
    // The first page drawn: its caption says which page it is.
    if (!PollAnsweringBoxes(deadline, boxes, [window] { return !CaptionOf(window).empty(); }, &box))
    {
        ADD_FAILURE() << "waited " << milliseconds << " ms for the caption label (" << IDC_CAPTION_LABEL
                      << ") of the main window of " << who << " to hold a text"
                      << (box.empty() ? "" : "; a message box stayed on show: " + box);
        return NULL;
    }
    return window;
}

HWND RunningProgram::WaitForFirstPage(const std::string& caption, const std::string& step,
                                      DWORD milliseconds) const
{
    const Deadline deadline(milliseconds);
    const HWND window = WaitForMainWindow(milliseconds);
    if (!window)
        return NULL;
    MessageBoxWatch boxes(m_processId);
    std::string box;
    if (!PollAnsweringBoxes(deadline, boxes,
                            [&] { return CaptionOf(window) == caption && StepOf(window) == step; }, &box))
    {
        ADD_FAILURE() << "waited " << milliseconds << " ms for the first page: the caption label ("
                      << IDC_CAPTION_LABEL << ") to read " << Quoted(caption) << " and the step label ("
                      << IDC_STEP_LABEL << ") " << Quoted(step) << "; they read " << Quoted(CaptionOf(window))
                      << " and " << Quoted(StepOf(window))
                      << (box.empty() ? "" : "; a message box stayed on show: " + box);
        return NULL;
    }
    return window;
}

namespace
{
// Sent messages whose answer came back, by the number each was sent with;
// the answers come to the thread that sent them.
thread_local std::map<ULONG_PTR, LRESULT> t_answers;
thread_local ULONG_PTR t_lastSent = 0;

void CALLBACK OnAnswered(HWND, UINT, ULONG_PTR sent, LRESULT result)
{
    t_answers[sent] = result;
}

// Lets the answers of sent messages in, and this thread's own windows paint.
void PumpAnswers()
{
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// Sends the message and waits for its answer, answering the boxes of the
// window's process meanwhile (their texts added to boxes); false when no
// answer came in time.
bool SendAwaitingAnswer(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD milliseconds,
                        LRESULT* result, std::string* boxes, int answer = 0)
{
    const ULONG_PTR sent = ++t_lastSent;
    if (!::SendMessageCallbackA(window, message, wParam, lParam, &OnAnswered, sent))
        return false;
    const Deadline deadline(milliseconds);
    const DWORD processId = ProcessOf(window);
    while (!t_answers.count(sent))
    {
        // A box opened by the message keeps it from being answered.
        const std::string box = AnswerAllBoxes(processId, answer);
        if (!box.empty())
            *boxes += (boxes->empty() ? "" : "; ") + box;
        if (deadline.Passed())
            return false;
        PumpAnswers();
    }
    if (result)
        *result = t_answers[sent];
    t_answers.erase(sent);
    return true;
}
}

bool SendAndAnswerBoxes(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const std::string& what,
                        DWORD milliseconds, LRESULT* result)
{
    std::string boxes;
    const bool answered = SendAwaitingAnswer(window, message, wParam, lParam, milliseconds, result, &boxes);
    if (!boxes.empty())
        ADD_FAILURE() << what << " opened a message box, answered: " << boxes;
    if (!answered)
        ADD_FAILURE() << what << " was not handled within " << milliseconds << " ms";
    return answered;
}

bool ClickAtAndWait(HWND control, POINT point, int answer, std::string* boxes, DWORD milliseconds)
{
    PointCursorAt(control, point);
    const LPARAM at = MAKELPARAM(point.x, point.y);
    std::string answered;
    const bool handled = SendAwaitingAnswer(control, WM_LBUTTONDOWN, MK_LBUTTON, at, milliseconds, nullptr,
                                            &answered, answer) &&
                         SendAwaitingAnswer(control, WM_LBUTTONUP, 0, at, milliseconds, nullptr, &answered, answer);
    if (boxes)
        *boxes += answered;
    return handled;
}

bool ClickButton(HWND dialog, int id, DWORD milliseconds)
{
    const HWND button = ::GetDlgItem(dialog, id);
    if (!button)
    {
        ADD_FAILURE() << "no button " << id << " to click";
        return false;
    }
    return SendAndAnswerBoxes(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button),
                              "the click on button " + std::to_string(id), milliseconds);
}
}
