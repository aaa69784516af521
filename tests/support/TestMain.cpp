// main() of every test program: COM on the main thread, as the program has it.
#include <windows.h>
#include <objbase.h>

#include <gmock/gmock.h>

int main(int argc, char** argv)
{
    ::CoInitialize(nullptr);
    testing::InitGoogleMock(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    ::CoUninitialize();
    return rc;
}
