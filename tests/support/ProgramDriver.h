#pragma once
#include <windows.h>

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

    // The main window once it is visible; NULL on time-out.
    HWND WaitForMainWindow(DWORD milliseconds = 20000) const;
    // A message box of the process; NULL on time-out.
    HWND WaitForMessageBox(DWORD milliseconds = 20000) const;
    // True when the process ended in time; its exit code then in code.
    bool WaitForExit(DWORD milliseconds, DWORD* code = nullptr) const;
    bool HasEnded() const { return WaitForExit(0); }
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
// The main window of whichever process runs exe; NULL on time-out.
HWND WaitForMainWindowOf(const std::string& exe, DWORD milliseconds = 20000);

// The text and caption of a message box, and its answer by button id.
std::string MessageBoxText(HWND box);
std::string WindowText(HWND window);
// Posts the click, for a button that may open a modal window.
bool PressButton(HWND dialog, int id);
// Sends the click and returns once it was handled.
bool ClickButton(HWND dialog, int id);
// Waits until condition holds (polled), true when it did in time.
bool WaitUntil(DWORD milliseconds, bool (*condition)(void*), void* context);

// Saves the screen area of window into $QM_ARTIFACTS/name.png; false when
// there is no artefact folder or the picture could not be made.
bool SaveScreenshot(HWND window, const std::string& name);
std::string ArtifactsFolder();
}
