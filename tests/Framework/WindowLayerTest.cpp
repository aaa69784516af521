// The window and dialog layer: dialogs from templates, the modal loop and its
// pre-translation, control binding, timers, message boxes, GDI holders.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "Framework/CBitmap.h"
#include "Framework/CButton.h"
#include "Framework/CDataExchange.h"
#include "Framework/CDialog.h"
#include "Framework/CMemoryDC.h"
#include "Framework/CRgn.h"
#include "Framework/CStatic.h"
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
