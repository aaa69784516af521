// A library named like an engine but without its factory, for the binding's
// failure path.
#include <windows.h>

extern "C" __declspec(dllexport) int NotTheFactory()
{
    return 0;
}
