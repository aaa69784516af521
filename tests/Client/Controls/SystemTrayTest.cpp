// The notification-area icon, with the shell call replaced by a recorder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Client/Controls/CSystemTray.h"
#include "Framework/ShellCalls.h"
#include "KitTestResources.h"
#include "Client/Controls/KitTestSupport.h"

namespace
{
struct ShellCall
{
    DWORD message;
    UINT flags;
    HICON icon;
    std::string tip;
};
std::vector<ShellCall> g_calls;

BOOL WINAPI RecordNotifyIcon(DWORD message, PNOTIFYICONDATAA data)
{
    g_calls.push_back(ShellCall{message, data->uFlags, data->hIcon, data->szTip});
    return TRUE;
}

constexpr UINT kCallback = WM_USER + 77;

// The main window: it records the commands the icon sends it and closes the
// icon's menu as soon as it opens.
class MainWindow : public CWnd
{
public:
    std::vector<UINT> commands;
    bool sawMenu = false;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM) override
    {
        commands.push_back(LOWORD(wParam));
        return TRUE;
    }
    void OnTimer(UINT_PTR id) override
    {
        if (id != 9)
            return CWnd::OnTimer(id);
        if (::FindWindowA("#32768", nullptr))
        {
            sawMenu = true;
            ::EndMenu();
        }
    }
};

class SystemTrayTest : public KitTest::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        g_calls.clear();
        m_previous = ShellCalls::SetNotifyIcon(RecordNotifyIcon);
        m_icon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
        m_other = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_INFORMATION));
    }
    void TearDown() override
    {
        ShellCalls::SetNotifyIcon(m_previous);
        WindowTest::TearDown();
    }
    ShellCalls::NotifyIconFunction m_previous = nullptr;
    HICON m_icon = NULL;
    HICON m_other = NULL;
};
}

TEST_F(SystemTrayTest, AnIconNeverAddedLeavesTheShellAlone)
{
    {
        CSystemTray tray;
        EXPECT_FALSE(tray.SetTooltipText("Quillomar"));
        EXPECT_FALSE(tray.SetIcon(m_icon));
        EXPECT_FALSE(tray.RemoveIcon());
        EXPECT_FALSE(tray.StepAnimation());
        tray.StopAnimation();
    }
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(SystemTrayTest, AnAddedIconIsChangedAndRemoved)
{
    {
        CSystemTray tray;
        ASSERT_TRUE(tray.AddIcon(IDM_TRAY, kCallback, m_icon, "Quillomar"));
        EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V3_SIZE), tray.IconData().cbSize);
        EXPECT_TRUE(tray.SetTooltipText(std::string(300, 'x')));
        EXPECT_TRUE(tray.SetIcon(m_other));
        ASSERT_EQ(3u, g_calls.size());
        EXPECT_EQ(static_cast<DWORD>(NIM_ADD), g_calls[0].message);
        EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), g_calls[1].message);
        EXPECT_EQ(static_cast<UINT>(NIF_TIP), g_calls[1].flags);
        EXPECT_EQ(127u, g_calls[1].tip.size()) << "the tooltip is cut to its buffer";
        EXPECT_EQ(static_cast<UINT>(NIF_ICON), g_calls[2].flags);
        EXPECT_EQ(m_other, g_calls[2].icon);
    }
    ASSERT_EQ(4u, g_calls.size()) << "the destructor removes the icon";
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), g_calls[3].message);
}

TEST_F(SystemTrayTest, TheAnimationWrapsAndGivesTheIconBack)
{
    CSystemTray tray;
    ASSERT_TRUE(tray.AddIcon(IDM_TRAY, kCallback, m_icon, "Quillomar"));
    HICON frames[3] = {m_other, m_icon, m_other};
    ASSERT_TRUE(tray.Animate({frames[0], frames[1], frames[2]}, 5000, 0));
    g_calls.clear();
    tray.StepAnimation();
    tray.StepAnimation();
    EXPECT_EQ(2u, tray.GetAnimationIndex());
    tray.StepAnimation();
    EXPECT_EQ(0u, tray.GetAnimationIndex()) << "after the last comes the first";
    EXPECT_EQ(frames[0], g_calls.back().icon);
    tray.StopAnimation();
    EXPECT_EQ(m_icon, g_calls.back().icon) << "the icon from before comes back";

    // A limited animation ends by itself on its timer.
    HICON warning = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WARNING));
    ASSERT_TRUE(tray.Animate({m_other, warning}, 20, 0.2));
    ASSERT_TRUE(KitTest::PumpUntil([&] { return g_calls.back().icon == m_icon && g_calls.size() > 6; }, 3000));
    const size_t calls = g_calls.size();
    KitTest::PumpMessages(200);
    EXPECT_EQ(calls, g_calls.size()) << "the timer has stopped";
}

TEST_F(SystemTrayTest, MouseMessagesOfTheIcon)
{
    MainWindow main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "main", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100}, NULL, 0));
    m_app.SetMainWnd(&main);
    CSystemTray tray;
    ASSERT_TRUE(tray.AddIcon(IDM_TRAY, kCallback, m_icon, "Quillomar"));

    EXPECT_EQ(0, tray.SendMessage(kCallback, IDM_TRAY + 1, WM_RBUTTONUP)) << "another icon's message";
    EXPECT_EQ(0, tray.SendMessage(kCallback, IDM_TRAY, WM_MOUSEMOVE));

    // Double click: the default item, by position or by command.
    tray.SetDefaultMenuItem(1, true);
    EXPECT_EQ(1, tray.SendMessage(kCallback, IDM_TRAY, WM_LBUTTONDBLCLK));
    tray.SetDefaultMenuItem(IDM_TRAY_OPEN, false);
    EXPECT_EQ(1, tray.SendMessage(kCallback, IDM_TRAY, WM_LBUTTONDBLCLK));
    ASSERT_EQ(2u, main.commands.size());
    EXPECT_EQ(static_cast<UINT>(IDM_TRAY_EXIT), main.commands[0]);
    EXPECT_EQ(static_cast<UINT>(IDM_TRAY_OPEN), main.commands[1]);

    // Right button: the menu opens at the cursor and is closed again.
    main.SetTimer(9, 50);
    EXPECT_EQ(1, tray.SendMessage(kCallback, IDM_TRAY, WM_RBUTTONUP));
    main.KillTimer(9);
    EXPECT_TRUE(main.sawMenu);

    // An icon whose menu is missing shows nothing.
    CSystemTray stray;
    ASSERT_TRUE(stray.AddIcon(4242, kCallback, m_icon, ""));
    EXPECT_EQ(0, stray.SendMessage(kCallback, 4242, WM_RBUTTONUP));
    stray.SetDefaultMenuItem(0, true);
    EXPECT_EQ(0, stray.SendMessage(kCallback, 4242, WM_LBUTTONDBLCLK));
    m_app.SetMainWnd(&m_frame);
}
