#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

// Drives the real Quillomar.exe from a test: copies it (with or without its
// engine) into a folder of its own, starts it, finds its windows and answers
// its message boxes as a user would.
namespace ProgramDriver
{
// A fresh folder holding Quillomar.exe and, when engine is given, that
// library from the test's folder copied as qmsag.dll. Ends in "\".
std::string MakeProgramFolder(const std::string& name, const char* engine = "qmsag.dll");

class RunningProgram
{
public:
    RunningProgram() = default;
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Starts exe with the arguments in folder (the program's folder when empty).
    bool Start(const std::string& exe, const std::string& arguments = std::string(),
               const std::string& folder = std::string());
    // Takes over a process started some other way.
    bool Adopt(DWORD processId);

    // The main window once it is ready for a user, as a user tells: it is
    // visible, the process waits for input, the window answers a message and
    // its caption label holds a text. NULL on time-out, reported as a
    // failure that names the step it waited for; a message box that stays
    // on show meanwhile is read into the failure and answered.
    HWND WaitForMainWindow(DWORD milliseconds = 30000) const;
    // The same, and then the caption and step labels read until they hold
    // these texts: the first page as the user sees it.
    HWND WaitForFirstPage(const std::string& caption = "SCAN", const std::string& step = "Step 1 of 3",
                          DWORD milliseconds = 30000) const;
    // A message box of the process; NULL on time-out.
    HWND WaitForMessageBox(DWORD milliseconds = 20000) const;
    // True when the process ended in time; its exit code then in code. A
    // message box that stays on show meanwhile is read into a failure and
    // answered, so that the end is not waited for in vain.
    bool WaitForExit(DWORD milliseconds, DWORD* code = nullptr) const;
    bool HasEnded() const;
    // Every visible top-level window of the process.
    std::vector<HWND> Windows() const;

    DWORD ProcessId() const { return m_processId; }

private:
    void Forget();

    HANDLE m_process = NULL;
    DWORD m_processId = 0;
};

// A message box of the given process (this one too); NULL on time-out.
HWND WaitForMessageBoxOf(DWORD processId, DWORD milliseconds = 20000);
// The visible main window of whichever process runs exe; NULL on time-out
// (reported). Adopt its process and wait for it to be ready from there.
HWND WaitForMainWindowOf(const std::string& exe, DWORD milliseconds = 30000);
// Every visible top-level window of the process.
std::vector<HWND> VisibleWindowsOf(DWORD processId);
bool IsMessageBox(HWND window);
bool IsMainWindow(HWND window);
// A visible top-level window of the process that matches; NULL on time-out
// or once program (when given) has ended.
HWND WaitForWindow(DWORD processId, bool (*matches)(HWND), DWORD milliseconds, const RunningProgram* program);

// Message boxes that nobody waits for. A wait for something else watches the
// process's boxes: one that stays on show longer than graceMilliseconds
// (a box the test answers itself goes at once) is read, answered with
// Cancel, No or OK (whichever it has) and its text handed back for the
// failure, so that no wait runs into its time-out behind it.
class MessageBoxWatch
{
public:
    explicit MessageBoxWatch(DWORD processId, DWORD graceMilliseconds = 3000);
    // Empty while no box has stayed; else the caption and text of the box
    // that was answered.
    std::string AnswerLingering();

private:
    DWORD m_processId;
    DWORD m_grace;
    std::vector<std::pair<HWND, DWORD>> m_seen;
};
// Closes a window of this process run modally on another thread (a test's
// main window): message boxes left on show are read into a failure and
// answered first, and any that closing brings up too, so that the modal
// loop ends. True once the window is gone, else a failure.
bool CloseAnsweringBoxes(HWND window, DWORD milliseconds = 30000);
// Reads a box's caption and text, answers it and returns what it said.
std::string AnswerUnexpectedMessageBox(HWND box);
// Answers every box of the process now on show; what they said, or empty.
std::string AnswerAllMessageBoxes(DWORD processId);
// The same for boxes that stay: one that goes by itself within a moment (a
// box just answered) is let go.
std::string AnswerBoxesLeftOnShow(DWORD processId);

// The text and caption of a message box, and its answer by button id.
std::string MessageBoxText(HWND box);
std::string WindowText(HWND window);
// Posts the click, for a button that may open a modal window.
bool PressButton(HWND dialog, int id);
// Sends the click and returns once it was handled. A message box that the
// click opens is read into a failure and answered; a click not handled in
// time is a failure too.
bool ClickButton(HWND dialog, int id, DWORD milliseconds = 20000);
// Sends a message and returns once it was handled, as ClickButton does; the
// answer in result. what names it in a failure.
bool SendAndAnswerBoxes(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const std::string& what,
                        DWORD milliseconds = 20000, LRESULT* result = nullptr);
// Waits until condition holds (polled), true when it did in time.
bool WaitUntil(DWORD milliseconds, bool (*condition)(void*), void* context);
bool WaitFor(DWORD milliseconds, const std::function<bool()>& condition);

// Saves the screen area of window into $QM_ARTIFACTS/name-<configuration>.png
// (wow64, win32 or win64, which share a folder); false when there is no
// artefact folder or the picture could not be made. A window of
// this process is painted first and keeps being painted while the picture is
// taken.
bool SaveScreenshot(HWND window, const std::string& name);
std::string ArtifactsFolder();

// Controls. Pages share control ids, so a search by id below the main window
// may meet several windows: the visible one is the one a user sees.

// The first descendant of window with that id, visible or not; NULL if none.
HWND FindControl(HWND window, int id);
// The first descendant with that id that is visible together with all of its
// ancestors; NULL if none.
HWND FindVisibleControl(HWND window, int id);
// True when a user could click it: visible with every ancestor, and enabled.
// Wine delivers clicks to disabled owner-drawn buttons, so every click of the
// driver checks this first.
bool IsUsable(HWND control);
// Waits until a usable descendant with that id exists; NULL on time-out.
// A message box of window's process that stays on show meanwhile is read
// into a failure and answered, and ends the wait.
HWND WaitForUsable(HWND window, int id, DWORD milliseconds = 10000);
// Waits until the control with that id is usable, then presses and releases
// the left button at its centre, as a user's click would (a skinned check or
// radio button changes its state, a push button sends BN_CLICKED). Posted, so
// a click that opens a modal window returns at once. False when the control
// never became usable.
bool ClickWhenUsable(HWND window, int id, DWORD milliseconds = 10000);
// Puts the mouse cursor over a point of a control, where a click would be.
void PointCursorAt(HWND control, POINT clientPoint);
// Posts a left-button click at a point of control's client area, with the
// cursor there.
bool ClickAt(HWND control, POINT clientPoint);
// The same click sent: returns once the control has handled it, so that
// clicks given quickly do not pile up in a busy program's queue and land
// after the test has moved on. Message boxes the click opens are answered
// with answer (a box without that button is left alone) and their texts
// added to boxes: the caller decides whether they were expected. False when
// the click was not handled in time.
bool ClickAtAndWait(HWND control, POINT clientPoint, int answer, std::string* boxes, DWORD milliseconds = 20000);
bool DoubleClickAt(HWND control, POINT clientPoint);
// Sets the text of an edit or other control (WM_SETTEXT crosses processes)
// and tells its parent as typing would (EN_CHANGE).
bool SetControlText(HWND control, const std::string& text);
// Selects a row of a combo box and tells its parent (CBN_SELCHANGE).
bool ComboSelect(HWND combo, int index);
// Sets the time of a date-and-time picker and tells its parent.
bool DateTimeSet(HWND picker, const SYSTEMTIME& time);
bool DateTimeGet(HWND picker, SYSTEMTIME* time);

// Message boxes.

// A message box of the process whose text contains textPart; NULL on
// time-out (other boxes are left alone: a test may wait for a box not to
// come while it keeps another on show).
HWND WaitForMessageBoxWith(DWORD processId, const std::string& textPart, DWORD milliseconds = 20000);
// Answers a message box with one of its buttons (IDOK, IDYES, IDNO, IDCANCEL...).
bool AnswerMessageBox(HWND box, int buttonId);

// List views and tree views of another process (or of this one). Their
// items live in the other process's memory, so every read goes through a
// buffer allocated there.

int ListRowCount(HWND list);
int ListColumnCount(HWND list);
std::string ListCellText(HWND list, int row, int column);
// Every row, every column.
std::vector<std::vector<std::string>> ListRows(HWND list);
// LVM_SETITEMSTATE: select (LVIS_SELECTED), focus, or a check box's state
// image (INDEXTOSTATEIMAGEMASK, mask LVIS_STATEIMAGEMASK).
bool ListSetItemState(HWND list, int row, UINT state, UINT mask);
UINT ListGetItemState(HWND list, int row, UINT mask);
// True when the row's state image is the checked one (state image 2).
bool ListIsChecked(HWND list, int row);
// The item's rectangle (LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL) in the list's
// client coordinates.
bool ListItemRect(HWND list, int row, int code, RECT* rect);
// Selects the row as a click on it would (and scrolls it into view).
bool ListSelectRow(HWND list, int row);
// The same, and waits until the list has the row selected (the click is
// posted), so that what the test sends next sees the selection.
bool ListSelectRowAndWait(HWND list, int row, DWORD milliseconds = 5000);

// Roads through the program's pages that several tests take.

// Starts the Quillomar.exe in folder (which ends in "\\") and waits until
// its main window is ready for a user. NULL when it did not start or show
// one in time (reported as a test failure).
HWND StartProgramIn(RunningProgram& program, const std::string& folder);

// From any page: the scan page's first step, a scan of the categories the
// settings hold, and its results shown. The results tree, or NULL when a
// step did not come in time (reported as a test failure).
HWND ScanAndShowResults(HWND mainWindow, DWORD scanMilliseconds = 120000);
// The settings page, reached by its link as a user would, once it has read
// its work items (its log-on box is usable then). The page's window, or NULL
// when it did not show. Its tab buttons share their ids with buttons of the
// main window: they are looked for in the page.
HWND ShowSettingsPage(HWND mainWindow);
// The settings page's ignore-list tab, reached by its buttons as a user
// would. The list, or NULL when it did not show.
HWND ShowIgnoreListPage(HWND mainWindow);

struct TreeRow
{
    HTREEITEM item = NULL;
    int depth = 0;          // 0 for a root item
    std::string text;
    UINT stateImage = 0;    // the state image index (check boxes: 1 unchecked, 2 checked, ...)
    bool expanded = false;
};
// Every item of the tree in display order, collapsed branches included.
std::vector<TreeRow> TreeRows(HWND tree);
// The item's rectangle in the tree's client coordinates (textOnly: the label
// only); false when the item is not visible.
bool TreeItemRect(HWND tree, HTREEITEM item, bool textOnly, RECT* rect);
// Clicks the item's state image (its check box) as a user would; scrolls it
// into view first.
bool TreeClickCheckBox(HWND tree, HTREEITEM item);
// Selects the item (TVM_SELECTITEM) and scrolls it into view.
bool TreeSelect(HWND tree, HTREEITEM item);
}

// Roads to a job that outlives what the program waits for.
namespace ProgramDriver
{
// From the scan page: starts a scan and holds its job thread at once, by the
// progress page's pause command (its button is hidden, so the command is
// sent as the button would). The progress page, or NULL when the scan did
// not start or ended before it was held (reported as a test failure).
HWND StartScanAndHoldItsThread(HWND mainWindow);
// Cancels that scan (its thread stays held) and ends the main window as the
// Enter key does; true when the window has gone.
bool CancelHeldScanAndEndTheMainWindow(HWND mainWindow, HWND page);
}
