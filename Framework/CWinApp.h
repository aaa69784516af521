#pragma once
#include <windows.h>

#include <string>

class CWnd;

// The one application object of a program. Its constructor makes it the
// program's application; the entry point then runs Main, which calls
// InitInstance and, when that asks for it, the message loop.
class CWinApp
{
public:
    explicit CWinApp(const char* productName = nullptr);
    virtual ~CWinApp();

    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The application object, or nullptr before one is built.
    static CWinApp* Get();

    // The entry point's whole work: InitInstance, then the message loop when
    // it returned TRUE, then ExitInstance. Returns the program's exit code.
    int Main(HINSTANCE instance, const char* commandLine, int showCommand);

    // A program that runs its main window modally from InitInstance returns
    // FALSE from it, and the program ends without a loop.
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop for modeless windows; ends on WM_QUIT.
    virtual int Run();
    // Every message of the loop (and of the framework's modal loops) comes here
    // first: the window objects from the target up to its top-level window are
    // asked in turn.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Fetches and handles one message; false on WM_QUIT.
    bool PumpMessage();

    HINSTANCE GetInstance() const { return m_instance; }
    const std::string& GetCommandLine() const { return m_commandLine; }
    int GetShowCommand() const { return m_showCommand; }

    CWnd* GetMainWnd() const { return m_pMainWnd; }
    void SetMainWnd(CWnd* wnd) { m_pMainWnd = wnd; }

    const std::string& GetAppName() const { return m_appName; }
    void SetAppName(const std::string& name) { m_appName = name; }
    // The registry key under HKEY_CURRENT_USER that holds the program's profile.
    const std::string& GetRegistryKey() const { return m_registryKey; }
    void SetRegistryKey(const std::string& key) { m_registryKey = key; }

    // The caption of every message box: the application's name, or "" when
    // there is no application object.
    static const char* ProductName();
    // Where dialog templates, bitmaps and other resources are looked up.
    static HINSTANCE ResourceInstance();
    // A text of the program's string table; "" when it has none of that id.
    static std::string LoadString(UINT id);
    // A message box with the product name as caption, owned by the given
    // window or else by the active window of this thread.
    static int MessageBox(const char* text, UINT type = MB_OK, HWND owner = NULL);

protected:
    CWnd* m_pMainWnd = nullptr;

private:
    HINSTANCE m_instance = NULL;
    std::string m_commandLine;
    int m_showCommand = SW_SHOWNORMAL;
    std::string m_appName;
    std::string m_registryKey;
};
