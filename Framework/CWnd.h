#pragma once
#include <windows.h>

#include <string>

// A window object over one HWND. The object is found from its handle in a
// table of the process, where it is entered when the window is created
// through the object or subclassed into it, and which it leaves when the
// window is destroyed or given back.
//
// Every message of a window reaches the object's one dispatch, WindowProc.
// The dispatch here cracks the common messages into small virtual handlers;
// a class that needs other messages overrides WindowProc, handles its own and
// passes the rest to its base. A handler that wants the window's own
// behaviour calls Default(), which runs the message being handled through the
// procedure the window had before it was subclassed.
class CWnd
{
public:
    CWnd() = default;
    virtual ~CWnd();

    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object that owns hwnd, or nullptr when none does.
    static CWnd* FromHandle(HWND hwnd);

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    bool IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

    // Creates a window of the framework's own class (className null) or of a
    // system class, owned by this object: the destructor destroys it.
    bool CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                  HWND parent, UINT id);
    bool DestroyWindow();

    // Takes over an existing window (a control of a dialog template) so that its
    // messages reach this object; the window stays its parent's to destroy.
    bool SubclassWindow(HWND hwnd);
    bool SubclassDlgItem(UINT id, CWnd* parent);
    // Gives the window its former procedure back and forgets it.
    HWND UnsubclassWindow();

    // The one dispatch of the class.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Offered every message of the window's thread before it is dispatched,
    // walking from the target window up to its top-level window.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Text, style and geometry.
    static std::string GetText(HWND hwnd);
    std::string GetWindowText() const { return GetText(m_hWnd); }
    void SetWindowText(const std::string& text);
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    HWND GetParentHwnd() const { return ::GetParent(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }
    // Adds and removes style bits; with frameFlags the frame is redrawn (SWP_ flags).
    bool ModifyStyle(DWORD remove, DWORD add, UINT frameFlags = 0);
    bool ModifyStyleEx(DWORD remove, DWORD add, UINT frameFlags = 0);
    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    bool MoveWindow(int x, int y, int width, int height, bool repaint = true);
    bool SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
    bool ShowWindow(int command) { return ::ShowWindow(m_hWnd, command) != FALSE; }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    bool EnableWindow(bool enable = true) { return ::EnableWindow(m_hWnd, enable) != FALSE; }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    void Invalidate(bool erase = true) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    // Off while many items go into a control; back on, it is laid out and
    // drawn once for all of them.
    void SetRedraw(bool redraw)
    {
        SendMessage(WM_SETREDRAW, redraw ? TRUE : FALSE);
        if (redraw)
            Invalidate();
    }
    void InvalidateRect(const RECT* rect, bool erase = true) { ::InvalidateRect(m_hWnd, rect, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void RedrawWindow(const RECT* rect, UINT flags) { ::RedrawWindow(m_hWnd, rect, nullptr, flags); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT, 0, 0)); }
    void SetFont(HFONT font, bool redraw = true) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam) != FALSE;
    }

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    bool KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id) != FALSE; }

    // A message box owned by this window; a null caption is the product name.
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK) const;

    // Walks from msg->hwnd up to (and including) top, offering the message to
    // each window object's PreTranslateMessage; TRUE when one took it.
    static BOOL WalkPreTranslateTree(HWND top, MSG* msg);

protected:
    // Runs the message being dispatched through the window's former procedure.
    LRESULT Default();
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Called before the window procedure is swapped, with m_hWnd already set.
    virtual void PreSubclassWindow() {}
    // Called after the last message of the window (WM_NCDESTROY).
    virtual void PostNcDestroy() {}
    // Notifications a control sends its parent (WM_COMMAND, WM_NOTIFY,
    // WM_DRAWITEM) are first offered to the control's own object; true when it
    // answered them, and the parent never sees them.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Cracked handlers of the base dispatch; each default is Default().
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnPaint();
    virtual BOOL OnEraseBkgnd(HDC dc);
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType);
    virtual void OnLButtonDown(UINT flags, POINT point);
    virtual void OnLButtonUp(UINT flags, POINT point);
    virtual void OnLButtonDblClk(UINT flags, POINT point);
    virtual void OnMouseMove(UINT flags, POINT point);
    virtual void OnKeyDown(UINT key, UINT repeat, UINT flags);
    virtual void OnKillFocus(HWND newFocus);
    virtual BOOL OnSetCursor(HWND window, UINT hitTest, UINT message);
    virtual void OnShowWindow(BOOL show, UINT status);
    virtual void OnSysColorChange();
    virtual void OnDrawItem(int id, DRAWITEMSTRUCT* item);
    virtual void OnClose();
    virtual void OnDestroy();

    HWND m_hWnd = NULL;

private:
    struct CurrentMessage
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void RegisterFrameworkClass();
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // What a message answers when its handler threw.
    LRESULT AnswerAfterFailure(UINT message);
    void Attach(HWND hwnd);
    void Detach();
    bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    friend class CDialog;

    WNDPROC m_oldProc = nullptr;
    bool m_ownsWindow = false;
    const CurrentMessage* m_current = nullptr;
};

// The window class name of windows made by CWnd::CreateEx without a class.
extern const char* const kFrameworkWindowClass;
