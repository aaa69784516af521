// The one holder template: what counts as "no handle", hand-over without a
// double free, and the kinds that must not be freed.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

#include "Framework/CComPtr.h"
#include "Framework/CFindHandle.h"
#include "Framework/CGdiObject.h"
#include "Framework/CHandle.h"
#include "Framework/CRegKey.h"

namespace
{
bool IsOpenHandle(HANDLE h)
{
    DWORD flags = 0;
    return ::GetHandleInformation(h, &flags) != FALSE;
}

// Counts the references it is given back.
class CountedUnknown : public IUnknown
{
public:
    ULONG references = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
};
}

TEST(HolderTest, AKernelHandleIsClosedOnceWhereverItMoves)
{
    const HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    {
        CHandle first(event);
        CHandle second(std::move(first));
        EXPECT_FALSE(first.IsValid());
        second.Attach(event);  // taking over what it holds already frees nothing
        EXPECT_TRUE(IsOpenHandle(event));
        CHandle third;
        third = std::move(second);
        EXPECT_EQ(event, third.Get());
    }
    EXPECT_FALSE(IsOpenHandle(event)) << "closed when its last holder went";

    const HANDLE detached = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CHandle(detached).Detach();
    EXPECT_TRUE(IsOpenHandle(detached)) << "a detached handle is the caller's";
    ::CloseHandle(detached);
}

TEST(HolderTest, FailedOpensHoldNothing)
{
    // CreateFile and FindFirstFile fail with INVALID_HANDLE_VALUE.
    CHandle file(::CreateFileA("C:\\no such folder\\x.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(file);
    EXPECT_EQ(static_cast<HANDLE>(NULL), file.Get());
    WIN32_FIND_DATAA found;
    EXPECT_FALSE(CFindHandle(::FindFirstFileA("C:\\no such folder\\*", &found)));
    EXPECT_TRUE(CFindHandle(::FindFirstFileA("C:\\windows\\*", &found)));
}

TEST(HolderTest, RootKeysAreHeldButNeverClosed)
{
    {
        CRegKey root(HKEY_CURRENT_USER);
        EXPECT_TRUE(root.IsOpen());
    }
    CRegKey software;
    EXPECT_EQ(ERROR_SUCCESS, software.Open(HKEY_CURRENT_USER, "Software", KEY_READ)) << "the root still works";
    const HKEY held = software.Get();
    EXPECT_NE(ERROR_SUCCESS, software.Open(HKEY_CURRENT_USER, "No Such Key Here", KEY_READ));
    EXPECT_EQ(held, software.Get()) << "a failed open keeps the key held before";
}

TEST(HolderTest, ComReferencesAndGdiObjectsAreGivenBack)
{
    CountedUnknown object;
    {
        CComPtr<IUnknown> pointer;
        *pointer.Receive() = &object;
        CComPtr<IUnknown> moved(std::move(pointer));
        EXPECT_EQ(1u, object.references);
        *moved.Receive() = nullptr;  // receiving again lets go of the old one
        EXPECT_EQ(0u, object.references);
        object.references = 1;
        *moved.Receive() = &object;
    }
    EXPECT_EQ(0u, object.references);

    object.references = 2;  // two references handed over, one at a time
    {
        CComPtr<IUnknown> pointer;
        pointer.Attach(&object);
        pointer.Attach(&object);
        EXPECT_EQ(1u, object.references);
    }
    EXPECT_EQ(0u, object.references);

    const HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    {
        CGdiObject<HBRUSH> held(brush);
        EXPECT_EQ(brush, static_cast<HBRUSH>(held));
    }
    EXPECT_EQ(0u, ::GetObjectType(brush)) << "deleted with its holder";
}
