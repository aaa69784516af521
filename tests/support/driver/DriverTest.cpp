#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/MessagePump.h"
#include "support/ProgramDriver.h"

using namespace ProgramDriver;

namespace
{
const int kButtonId = 10;
const int kListId = 11;
const int kTreeId = 12;

// A top-level window with the controls the pages use; the driver reads it
// through the same cross-process road it uses for the program.
class DriverTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
    }

    void SetUp() override
    {
        m_top = ::CreateWindowExA(0, "STATIC", "driver", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 400, NULL,
                                  NULL, NULL, nullptr);
        // A static parent passes WM_COMMAND nowhere; the click is seen by
        // subclassing the button's parent.
        ::SetWindowLongPtrA(m_top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TopProc));
        m_button = Child(WC_BUTTONA, "Press", BS_PUSHBUTTON, 10, 10, 100, 30, kButtonId);
        m_list = Child(WC_LISTVIEWA, "", LVS_REPORT, 10, 50, 280, 300, kListId);
        m_tree = Child(WC_TREEVIEWA, "", TVS_HASBUTTONS | TVS_LINESATROOT, 300, 50, 280, 300,
                       kTreeId);
        s_clicks = 0;
    }

    void TearDown() override { ::DestroyWindow(m_top); }

    HWND Child(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id)
    {
        return ::CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_top,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), NULL, nullptr);
    }

    static void Pump() { TestPump::PumpMessages(200); }

    static LRESULT CALLBACK TopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_COMMAND && LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED)
            ++s_clicks;
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    static LRESULT CALLBACK RecordingTreeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_LBUTTONDOWN)
            s_lastPress = POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        return ::CallWindowProcA(s_treeProc, window, message, wParam, lParam);
    }

    HWND m_top = NULL;
    HWND m_button = NULL;
    HWND m_list = NULL;
    HWND m_tree = NULL;
    static int s_clicks;
    static WNDPROC s_treeProc;
    static POINT s_lastPress;
};

int DriverTest::s_clicks = 0;
WNDPROC DriverTest::s_treeProc = nullptr;
POINT DriverTest::s_lastPress = {};

TEST_F(DriverTest, ClicksOnlyWhatAUserCouldClick)
{
    EXPECT_EQ(FindVisibleControl(m_top, kButtonId), m_button);
    ASSERT_TRUE(ClickWhenUsable(m_top, kButtonId, 2000));
    Pump();
    EXPECT_EQ(s_clicks, 1);

    ::EnableWindow(m_button, FALSE);
    EXPECT_FALSE(IsUsable(m_button));
    EXPECT_FALSE(ClickWhenUsable(m_top, kButtonId, 300));
    ::EnableWindow(m_button, TRUE);
    ::ShowWindow(m_top, SW_HIDE);
    EXPECT_FALSE(IsUsable(m_button)) << "a control of a hidden window cannot be clicked";
    EXPECT_EQ(FindVisibleControl(m_top, kButtonId), HWND(NULL));
    EXPECT_EQ(FindControl(m_top, kButtonId), m_button);
}

TEST_F(DriverTest, ReadsListRowsAndStates)
{
    ::SendMessageA(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES);
    const char* columns[] = {"Name", "Command"};
    for (int c = 0; c < 2; ++c)
    {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 120;
        column.pszText = const_cast<char*>(columns[c]);
        ::SendMessageA(m_list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
    const std::string longCommand(1500, 'x');
    const char* names[] = {"first", "second item"};
    for (int row = 0; row < 2; ++row)
    {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<char*>(names[row]);
        ::SendMessageA(m_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = const_cast<char*>(row ? longCommand.c_str() : "c:\\a.exe");
        ::SendMessageA(m_list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }

    const auto rows = ListRows(m_list);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"first", "c:\\a.exe"}));
    EXPECT_EQ(rows[1][1], longCommand) << "long texts come back whole";

    EXPECT_FALSE(ListIsChecked(m_list, 1));
    ASSERT_TRUE(ListSetItemState(m_list, 1, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK));
    EXPECT_TRUE(ListIsChecked(m_list, 1));
    ASSERT_TRUE(ListSelectRow(m_list, 0));
    Pump();
    EXPECT_EQ(ListGetItemState(m_list, 0, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
}

TEST_F(DriverTest, ReadsTreeRowsAndClicksCheckBoxes)
{
    auto insert = [this](HTREEITEM parent, const char* text) {
        TVINSERTSTRUCTA insert = {};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<char*>(text);
        return reinterpret_cast<HTREEITEM>(::SendMessageA(m_tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    };
    const HTREEITEM category = insert(TVI_ROOT, "Startup        [2 Error(s)]");
    insert(category, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\xAC" "gone");
    const HTREEITEM second = insert(category, "c:\\missing.exe");
    insert(TVI_ROOT, "Fonts        [0 Error(s)]");
    ::SendMessageA(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(category));
    // Check boxes from a state image list of the tree's own, as the
    // program's check-box tree has.
    HIMAGELIST states = ::ImageList_Create(16, 16, ILC_COLOR24, 3, 0);
    HBITMAP strip = ::CreateBitmap(48, 16, 1, 32, nullptr);
    ::ImageList_Add(states, strip, NULL);
    ::DeleteObject(strip);
    ::SendMessageA(m_tree, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(states));
    for (HTREEITEM item : {category, second})
    {
        TVITEMA state = {};
        state.mask = TVIF_HANDLE | TVIF_STATE;
        state.hItem = item;
        state.state = INDEXTOSTATEIMAGEMASK(1);
        state.stateMask = TVIS_STATEIMAGEMASK;
        ::SendMessageA(m_tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&state));
    }
    s_treeProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(m_tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingTreeProc)));

    auto rows = TreeRows(m_tree);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].depth, 0);
    EXPECT_EQ(rows[1].depth, 1);
    EXPECT_EQ(rows[1].text, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\xAC" "gone");
    EXPECT_EQ(rows[3].text, "Fonts        [0 Error(s)]");
    EXPECT_TRUE(rows[0].expanded);
    EXPECT_EQ(rows[2].stateImage, 1u);
    EXPECT_EQ(rows[1].stateImage, 0u);

    ASSERT_TRUE(TreeClickCheckBox(m_tree, second));
    Pump();
    TVHITTESTINFO hit = {};
    hit.pt = s_lastPress;
    ::SendMessageA(m_tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    EXPECT_EQ(hit.hItem, second);
    EXPECT_TRUE(hit.flags & TVHT_ONITEMSTATEICON) << "the press landed on the check box";
    EXPECT_TRUE(TreeSelect(m_tree, second));

    EXPECT_TRUE(SaveScreenshot(m_top, "driver-controls"));
    ::SendMessageA(m_tree, TVM_SETIMAGELIST, TVSIL_STATE, 0);
    ::ImageList_Destroy(states);
}
}

namespace
{
const char kBoxText[] = "The disk is full.";

// A window on a thread of its own whose button opens a message box, as a
// page's click may; the test's thread drives it as it drives the program.
class WindowWithABox
{
public:
    WindowWithABox()
    {
        m_thread = std::thread([this] { Run(); });
        WaitFor(10000, [this] { return m_window != NULL; });
    }
    ~WindowWithABox()
    {
        ::PostMessageA(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    WindowWithABox(const WindowWithABox&) = delete;
    WindowWithABox& operator=(const WindowWithABox&) = delete;

    HWND Window() const { return m_window; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_COMMAND && LOWORD(wParam) == kButtonId)
        {
            ::MessageBoxA(window, kBoxText, "Quillomar", MB_OK);
            return 0;
        }
        if (message == WM_CLOSE)
            ::DestroyWindow(window);
        if (message == WM_DESTROY)
            ::PostQuitMessage(0);
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    void Run()
    {
        const HWND window = ::CreateWindowExA(0, "STATIC", "boxes", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                              NULL, NULL, NULL, nullptr);
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
        ::CreateWindowExA(0, WC_BUTTONA, "Press", WS_CHILD | WS_VISIBLE, 10, 10, 100, 30, window,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), NULL, nullptr);
        m_window = window;
        MSG msg;
        while (::GetMessageA(&msg, NULL, 0, 0) > 0)
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }

    std::atomic<HWND> m_window{NULL};
    std::thread m_thread;
};

// A box that nobody waits for is read into the failure and answered: the
// click returns once handled, and a wait for something else ends at once.
TEST(DriverWaits, AMessageBoxOnTheWayIsReadIntoTheFailureAndAnswered)
{
    WindowWithABox boxes;
    ASSERT_NE(boxes.Window(), static_cast<HWND>(NULL));
    bool handled = false;
    EXPECT_NONFATAL_FAILURE(handled = ClickButton(boxes.Window(), kButtonId, 20000), kBoxText);
    EXPECT_TRUE(handled) << "the click was not handled once the box was answered";

    ASSERT_TRUE(PressButton(boxes.Window(), kButtonId));
    HWND usable = NULL;
    EXPECT_NONFATAL_FAILURE(usable = WaitForUsable(boxes.Window(), 999, 60000), kBoxText);
    EXPECT_EQ(usable, static_cast<HWND>(NULL));
    EXPECT_TRUE(WaitFor(10000, [] { return AnswerAllMessageBoxes(::GetCurrentProcessId()).empty(); }));
}
}
