// The program's application object run as the program runs it, with a
// scan whose thread never comes back: the driver, on a thread of this
// process, holds the scan's thread, cancels the scan and ends the main
// window. The application object then waits for the thread in vain and ends.
// Each step goes to a report file:
//   shell_exit_probe <report>
// "returned" in the report means the application object gave control back,
// so that the runtime would destroy it, and with it what the held thread
// still uses.
#include <windows.h>

#include <string>
#include <thread>

#include "Client/Shell/CRegClientApp.h"
#include "Framework/ModulePath.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

CRegClientApp theApp;

namespace
{
std::string g_report;

void Report(const std::string& line)
{
    TestEnv::AppendLine(g_report, line);
}

void DriveToTheEnd()
{
    const HWND window = ProgramDriver::WaitForMainWindowOf(ModulePath::FileName(), 30000);
    if (!window)
    {
        Report("no main window");
        return;
    }
    const HWND page = ProgramDriver::StartScanAndHoldItsThread(window);
    if (!page)
    {
        Report("not held");
        return;
    }
    Report("held");
    if (ProgramDriver::CancelHeldScanAndEndTheMainWindow(window, page))
        Report("ended the main window");
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    g_report = argv[1];
    std::thread driver(&DriveToTheEnd);
    driver.detach();
    const int code = theApp.Main(::GetModuleHandleA(nullptr), "", SW_SHOW);
    Report("returned");
    return code;
}
