// Every export that the program calls in a library it loads on first use,
// called the way the program calls it, in a process that, like the program,
// does not import those libraries: a call that cannot reach its export (a
// broken import path, a wrong calling convention, a missing export) fails
// here in every configuration instead of ending the program the first time
// a page needs it.
#include <winsock2.h>
#include <windows.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>

#include "Client/Shell/Updater/LoopbackHttpServer.h"
#include "Framework/CComPtr.h"
#include "Framework/CGlobalMemory.h"
#include "Framework/CImageList.h"
#include "Framework/CInternetHandle.h"
#include "Framework/CommonControls.h"
#include "Framework/LateImports.h"
#include "LateImportsTestResources.h"

namespace
{
// Neither a missing library nor a missing export.
bool ReachedTheExport()
{
    const DWORD error = ::GetLastError();
    return error != ERROR_MOD_NOT_FOUND && error != ERROR_PROC_NOT_FOUND;
}

std::string ResourceBytes(UINT id)
{
    const HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_RCDATA);
    const HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    return bytes ? std::string(static_cast<const char*>(bytes), ::SizeofResource(nullptr, found)) : std::string();
}
}

TEST(LateImportsTest, TheCommonControlsAreCalledThroughTheirImageLists)
{
    CommonControls::Ready();
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    EXPECT_TRUE(LateImports::InitCommonControlsEx(&controls));
    EXPECT_NE(nullptr, ::GetModuleHandleA("comctl32.dll"));

    CImageList strip;
    ASSERT_TRUE(strip.CreateFromBitmap(IDB_LATE_STRIP, 16, 1, RGB(255, 0, 255)));
    EXPECT_EQ(2, strip.GetImageCount());

    CImageList list;
    ASSERT_TRUE(list.Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 1));
    const HBITMAP bitmap = static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_LATE_STRIP), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(nullptr, bitmap);
    EXPECT_EQ(0, list.Add(bitmap, RGB(255, 0, 255)));
    ::DeleteObject(bitmap);
    EXPECT_EQ(2, list.AddIcon(::LoadIconA(nullptr, MAKEINTRESOURCEA(32512))));
    EXPECT_EQ(3, list.GetImageCount());

    const HIMAGELIST bare = LateImports::ImageList_Create(16, 16, ILC_COLOR24, 1, 0);
    ASSERT_NE(nullptr, bare);
    EXPECT_TRUE(LateImports::ImageList_Destroy(bare));
}

TEST(LateImportsTest, OleAutomationLoadsAPictureFromAStream)
{
    const std::string bytes = ResourceBytes(IDR_LATE_PICTURE);
    ASSERT_FALSE(bytes.empty());
    CGlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    ASSERT_TRUE(memory);
    memcpy(::GlobalLock(memory.Get()), bytes.data(), bytes.size());
    ::GlobalUnlock(memory.Get());
    CComPtr<IStream> stream;
    ASSERT_EQ(S_OK, ::CreateStreamOnHGlobal(memory.Get(), TRUE, stream.Receive()));
    memory.Detach();

    CComPtr<IPicture> picture;
    ASSERT_EQ(S_OK, LateImports::OleLoadPicture(stream.Get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                                reinterpret_cast<void**>(picture.Receive())));
    SHORT type = PICTYPE_NONE;
    ASSERT_EQ(S_OK, picture->get_Type(&type));
    EXPECT_EQ(PICTYPE_BITMAP, type);
}

TEST(LateImportsTest, WinInetFetchesAPageAndForgetsItsCopy)
{
    LoopbackHttpServer server;
    ASSERT_TRUE(server.IsRunning());
    server.AnswerText("/page", "late but here");

    DWORD state = 0;
    ::SetLastError(ERROR_SUCCESS);
    LateImports::InternetGetConnectedState(&state, 0);
    EXPECT_TRUE(ReachedTheExport());

    CInternetHandle session(LateImports::InternetOpenA("late imports", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    ASSERT_TRUE(session);
    DWORD timeoutMs = 5000;
    EXPECT_TRUE(LateImports::InternetSetOptionA(session.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeoutMs,
                                                sizeof(timeoutMs)));
    const std::string address = server.Address("/page");
    CInternetHandle request(LateImports::InternetOpenUrlA(session.Get(), address.c_str(), nullptr, 0,
                                                          INTERNET_FLAG_RELOAD, 0));
    ASSERT_TRUE(request) << ::GetLastError();

    DWORD status = 0;
    DWORD size = sizeof(status);
    ASSERT_TRUE(LateImports::HttpQueryInfoA(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                                            &size, nullptr));
    EXPECT_EQ(200u, status);
    char body[64] = {};
    DWORD read = 0;
    ASSERT_TRUE(LateImports::InternetReadFile(request.Get(), body, sizeof(body) - 1, &read));
    EXPECT_EQ("late but here", std::string(body, read));
    request.Close();
    session.Close();

    // Whether the cache kept a copy is WinINet's business; the call must
    // reach it and answer as it does.
    ::SetLastError(ERROR_SUCCESS);
    if (!LateImports::DeleteUrlCacheEntryA(address.c_str()))
    {
        EXPECT_TRUE(ReachedTheExport()) << ::GetLastError();
    }
    EXPECT_FALSE(LateImports::InternetCloseHandle(nullptr));
    EXPECT_TRUE(ReachedTheExport());
}
