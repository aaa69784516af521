// The window and dialog layer: dialogs from templates, the modal loop and its
// pre-translation, control binding, timers, message boxes, GDI holders.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "Framework/CBitmap.h"
#include "Framework/CButton.h"
#include "Framework/CDataExchange.h"
#include "Framework/CDialog.h"
#include "Framework/CMemoryDC.h"
#include "Framework/CRgn.h"
#include "Framework/CStatic.h"
#include "Framework/CommonControls.h"
#include "Framework/CWinApp.h"
#include "FrameworkTestResources.h"

namespace
{
class RecordingButton : public CButton
{
public:
    int clicks = 0;

protected:
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
        {
            ++clicks;
            *result = 0;
            return true;
        }
        return CButton::OnChildNotify(message, wParam, lParam, result);
    }
};

constexpr UINT_PTR kEndTimer = 7;

class ScriptedDialog : public CDialog
{
public:
    ScriptedDialog() : CDialog(IDD_TEST_MODAL) {}

    RecordingButton push;
    CStatic text;
    int checked = 0;
    std::vector<UINT> keyMessagesSeen;
    int timerTicks = 0;
    bool initSawBoundControls = false;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        dx->Control(IDC_TEST_PUSH, push);
        dx->Control(IDC_TEST_TEXT, text);
        dx->Check(IDC_TEST_CHECK, checked);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        initSawBoundControls = CWnd::FromHandle(GetDlgItem(IDC_TEST_PUSH)) == &push;
        // A click of the button, a key for the pre-translation, then the end.
        ::PostMessageA(push, BM_CLICK, 0, 0);
        ::PostMessageA(push, WM_KEYDOWN, 'A', 0);
        SetTimer(kEndTimer, 30);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN)
            keyMessagesSeen.push_back(static_cast<UINT>(msg->wParam));
        return CDialog::PreTranslateMessage(msg);
    }
    void OnTimer(UINT_PTR id) override
    {
        if (id != kEndTimer)
            return CDialog::OnTimer(id);
        if (++timerTicks == 2)
        {
            KillTimer(kEndTimer);
            UpdateData(true);
            EndDialog(42);
        }
    }
};

DWORD WINAPI AnswerMessageBox(void* flag)
{
    for (int i = 0; i < 500; ++i)
    {
        if (HWND box = ::FindWindowA(nullptr, "Quillomar Test"))
        {
            static_cast<std::atomic<bool>*>(flag)->store(true);
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        ::Sleep(20);
    }
    return 1;
}

class WindowLayerTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
        ::InitCommonControlsEx(&init);
    }
    CWinApp app{"Quillomar Test"};
};
}

TEST_F(WindowLayerTest, ModalDialogRunsItsOwnLoopThroughPreTranslation)
{
    ScriptedDialog dialog;
    EXPECT_EQ(42, dialog.DoModal());
    EXPECT_TRUE(dialog.initSawBoundControls);
    EXPECT_EQ(1, dialog.push.clicks) << "BN_CLICKED reaches the button's own object first";
    ASSERT_FALSE(dialog.keyMessagesSeen.empty());
    EXPECT_EQ(static_cast<UINT>('A'), dialog.keyMessagesSeen.front());
    EXPECT_EQ(2, dialog.timerTicks);
    // The window is gone and the objects have let go of it.
    EXPECT_EQ(nullptr, dialog.GetSafeHwnd());
    EXPECT_EQ(nullptr, dialog.push.GetSafeHwnd());
}

TEST_F(WindowLayerTest, DataExchangeMovesCheckStateBothWays)
{
    class CheckDialog : public ScriptedDialog
    {
    protected:
        BOOL OnInitDialog() override
        {
            checked = 1;
            CDialog::OnInitDialog();
            ::CheckDlgButton(m_hWnd, IDC_TEST_CHECK, BST_UNCHECKED);
            SetTimer(kEndTimer, 10);
            return TRUE;
        }
    } dialog;
    dialog.checked = 1;
    EXPECT_EQ(42, dialog.DoModal());
    EXPECT_EQ(0, dialog.checked) << "the unticked box was read back";
}

TEST_F(WindowLayerTest, ModelessPageIsChildAndLetsGoWhenItsParentDies)
{
    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, nullptr, "frame", WS_OVERLAPPEDWINDOW, RECT{0, 0, 400, 300}, NULL, 0));
    EXPECT_EQ(&frame, CWnd::FromHandle(frame));

    CDialog page(IDD_TEST_PAGE, &frame);
    ASSERT_TRUE(page.Create());
    EXPECT_EQ(static_cast<HWND>(frame), ::GetParent(page));
    EXPECT_TRUE(page.GetStyle() & WS_CHILD);
    CButton push;
    ASSERT_TRUE(push.SubclassDlgItem(IDC_TEST_PUSH, &page));
    EXPECT_FALSE(CButton().SubclassDlgItem(IDC_TEST_PUSH, &page)) << "a window has one object";

    // A modeless dialog is hidden, not destroyed, by EndDialog.
    page.ShowWindow(SW_SHOW);
    page.EndDialog(IDCANCEL);
    EXPECT_FALSE(page.IsWindowVisible());
    EXPECT_TRUE(page.IsWindow());

    frame.DestroyWindow();
    EXPECT_EQ(nullptr, page.GetSafeHwnd());
    EXPECT_EQ(nullptr, push.GetSafeHwnd());
    EXPECT_EQ(nullptr, frame.GetSafeHwnd());
}

TEST_F(WindowLayerTest, MissingTemplateFailsCleanly)
{
    CDialog missing(12345);
    EXPECT_EQ(-1, missing.DoModal());
    EXPECT_FALSE(missing.Create());
}

TEST_F(WindowLayerTest, MessageBoxCarriesTheProductName)
{
    std::atomic<bool> found{false};
    // Another thread answers the box once it shows, so the call returns.
    HANDLE answerer = ::CreateThread(nullptr, 0, &AnswerMessageBox, &found, 0, nullptr);
    ASSERT_NE(nullptr, answerer);
    EXPECT_EQ(IDOK, CWinApp::MessageBox("A question", MB_OK | MB_ICONINFORMATION));
    ::WaitForSingleObject(answerer, 15000);
    ::CloseHandle(answerer);
    EXPECT_TRUE(found.load());
}

TEST_F(WindowLayerTest, StringTableTexts)
{
    EXPECT_EQ("Program Name", CWinApp::LoadString(IDS_TEST_TEXT));
    EXPECT_EQ("", CWinApp::LoadString(4711));
}

TEST_F(WindowLayerTest, GdiHoldersGiveBackWhatTheyTook)
{
    CMemoryDC dc;
    ASSERT_TRUE(dc.IsValid());
    HGDIOBJ original = ::GetCurrentObject(dc, OBJ_BITMAP);
    {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(dc, 8, 8));
        EXPECT_EQ(8, bitmap.GetSize().cx);
        dc.Select(bitmap);
        EXPECT_EQ(static_cast<HGDIOBJ>(bitmap.Get()), ::GetCurrentObject(dc, OBJ_BITMAP));
        dc.RestoreSelection();
    }
    EXPECT_EQ(original, ::GetCurrentObject(dc, OBJ_BITMAP));

    CWnd window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, "", WS_POPUP, RECT{0, 0, 50, 50}, NULL, 0));
    CRgn region;
    ASSERT_TRUE(region.CreateRectRgn(0, 0, 10, 10));
    EXPECT_TRUE(region.GiveToWindow(window, false));
    EXPECT_FALSE(region.IsValid()) << "the window owns the region now";
}

namespace
{
// Notes which of its own messages reached it, and whether the window was
// already its own when they came.
class NotingWindow : public CWnd
{
public:
    std::vector<UINT> seen;
    bool ownedDuringCreate = false;
    std::string textSeen;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(message);
        if (message == WM_CREATE)
            ownedDuringCreate = CWnd::FromHandle(m_hWnd) == this;
        if (message == WM_SETTEXT)
            textSeen = reinterpret_cast<const char*>(lParam);
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

bool Saw(const NotingWindow& window, UINT message)
{
    for (UINT seen : window.seen)
        if (seen == message)
            return true;
    return false;
}

HWND FoundOnAnotherThread(HWND hwnd, CWnd** object)
{
    std::thread other([hwnd, object] { *object = CWnd::FromHandle(hwnd); });
    other.join();
    return hwnd;
}

WNDPROC g_forwardTo = nullptr;
LRESULT CALLBACK ForwardingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProcA(g_forwardTo, hwnd, message, wParam, lParam);
}
}

TEST_F(WindowLayerTest, AWindowIsItsObjectsFromCreationToDestructionOnEveryThread)
{
    // Made through the object: the messages of its creation reach it, and it
    // is found while they come.
    NotingWindow made;
    ASSERT_TRUE(made.CreateEx(0, nullptr, "made", WS_POPUP, RECT{0, 0, 80, 40}, NULL, 0));
    EXPECT_TRUE(Saw(made, WM_NCCREATE));
    EXPECT_TRUE(Saw(made, WM_CREATE));
    EXPECT_TRUE(made.ownedDuringCreate);
    CWnd* elsewhere = nullptr;
    FoundOnAnotherThread(made, &elsewhere);
    EXPECT_EQ(&made, elsewhere) << "another thread finds the same object";

    // Subclassed after it was made by someone else: found, and its messages
    // come to the object before the window's own procedure runs them.
    HWND plain = ::CreateWindowExA(0, "BUTTON", "plain", WS_POPUP, 0, 0, 80, 30, NULL, NULL,
                                   ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(nullptr, CWnd::FromHandle(plain));
    {
        NotingWindow later;
        ASSERT_TRUE(later.SubclassWindow(plain));
        EXPECT_EQ(&later, CWnd::FromHandle(plain));
        ::SetWindowTextA(plain, "renamed");
        EXPECT_EQ("renamed", later.textSeen);
        EXPECT_EQ("renamed", CWnd::GetText(plain)) << "the button's own procedure still ran";

        // A second subclass on top of ours that passes every message on.
        g_forwardTo = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(plain, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForwardingProc)));
        ::SetWindowTextA(plain, "through two");
        EXPECT_EQ("through two", later.textSeen);
        ::SetWindowLongPtrA(plain, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_forwardTo));
    }
    // The object went and gave the window back: no one owns it, and another
    // object may take it.
    EXPECT_EQ(nullptr, CWnd::FromHandle(plain));
    ::SetWindowTextA(plain, "own again");
    EXPECT_EQ("own again", CWnd::GetText(plain));
    NotingWindow next;
    EXPECT_TRUE(next.SubclassWindow(plain));
    EXPECT_EQ(&next, CWnd::FromHandle(plain));

    // Destroyed under the object: the last message still reaches it, then
    // the handle belongs to no one, on any thread.
    ::DestroyWindow(plain);
    EXPECT_TRUE(Saw(next, WM_NCDESTROY));
    EXPECT_EQ(nullptr, next.GetSafeHwnd());
    EXPECT_EQ(nullptr, CWnd::FromHandle(plain));
    const HWND gone = made;
    made.DestroyWindow();
    elsewhere = &made;
    FoundOnAnotherThread(gone, &elsewhere);
    EXPECT_EQ(nullptr, elsewhere);
}

namespace
{
// A window class whose own procedure counts the frame paints that reach it.
std::map<HWND, int> g_framePaints;
LRESULT CALLBACK FrameCountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCPAINT)
        ++g_framePaints[hwnd];
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND MakeFrameCountingChild(HWND parent, DWORD style, int x)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = FrameCountingProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "QmFrameCounting";
    ::RegisterClassA(&wc);
    return ::CreateWindowExA(0, wc.lpszClassName, "", WS_CHILD | WS_VISIBLE | style, x, 10, 60, 30, parent, NULL,
                             wc.hInstance, nullptr);
}
}

TEST_F(WindowLayerTest, OnlyAControlWithAFrameHasItsFramePainted)
{
    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, nullptr, "frames", WS_POPUP | WS_VISIBLE, RECT{0, 0, 300, 60}, NULL, 0));
    CWnd frameless, bordered, scrolled;
    ASSERT_TRUE(frameless.SubclassWindow(MakeFrameCountingChild(frame, 0, 10)));
    ASSERT_TRUE(bordered.SubclassWindow(MakeFrameCountingChild(frame, WS_BORDER, 90)));
    ASSERT_TRUE(scrolled.SubclassWindow(MakeFrameCountingChild(frame, WS_VSCROLL, 170)));
    g_framePaints.clear();

    for (HWND child : {frameless.GetSafeHwnd(), bordered.GetSafeHwnd(), scrolled.GetSafeHwnd()})
        ::RedrawWindow(child, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);

    EXPECT_EQ(0, g_framePaints[frameless]) << "nothing lies outside its client area";
    EXPECT_EQ(1, g_framePaints[bordered]) << "its border is still drawn";
    EXPECT_EQ(1, g_framePaints[scrolled]) << "its scroll bar is still drawn";
    frameless.UnsubclassWindow();
    bordered.UnsubclassWindow();
    scrolled.UnsubclassWindow();
    frame.DestroyWindow();
}

// The program loads the common controls only for a page that has one of
// theirs; a page that is wrongly judged to have none would fail to be made.
TEST_F(WindowLayerTest, OnlyATemplateWithAClassOfItsOwnNeedsTheCommonControls)
{
    const HMODULE module = ::GetModuleHandleA(nullptr);
    EXPECT_FALSE(CommonControls::NeededBy(DialogTemplateWalker::Load(module, IDD_TEST_MODAL)));
    EXPECT_FALSE(CommonControls::NeededBy(DialogTemplateWalker::Load(module, IDD_TEST_NAMED_BUTTON)))
        << "system classes by name";
    const DialogTemplateWalker::Template lists = DialogTemplateWalker::Load(module, IDD_TEST_LISTS);
    ASSERT_NE(nullptr, lists.data);
    EXPECT_TRUE(CommonControls::NeededBy(lists));

    // A template that ends inside a class's name counts as needing them.
    size_t item = DialogTemplateWalker::FirstItem(lists);
    item = DialogTemplateWalker::NextItem(lists, item, true);
    ASSERT_NE(0u, item);
    const DialogTemplateWalker::Template cut{lists.data, item + 24 + 6};
    EXPECT_TRUE(CommonControls::NeededBy(cut));

    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, nullptr, "frame", WS_POPUP, RECT{0, 0, 300, 100}, NULL, 0));
    CDialog page(IDD_TEST_LISTS, &frame);
    ASSERT_TRUE(page.Create());
    char name[32] = {};
    ::GetClassNameA(page.GetDlgItem(IDC_TEST_LIST), name, sizeof(name));
    EXPECT_STREQ(WC_LISTVIEWA, name);
    frame.DestroyWindow();
}
