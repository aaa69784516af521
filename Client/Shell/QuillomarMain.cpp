// The program's entry point and its one application object. The object lives
// here, beside the entry, so that it is always part of the program and never
// of a test that links the rest of the client.
#include <windows.h>

#include "Client/Shell/CRegClientApp.h"

CRegClientApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    return theApp.Main(instance, commandLine, showCommand);
}
