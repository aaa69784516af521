#include "Client/Controls/PictureComposition.h"

#include "Framework/CClientDC.h"

bool PictureRenderer::Render(IPicture* picture, HDC target, int left, int top, int width, int height)
{
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    picture->get_Width(&himetricWidth);
    picture->get_Height(&himetricHeight);
    // The source rectangle runs upwards, as the picture interface expects.
    return SUCCEEDED(picture->Render(target, left, top, width, height, 0, himetricHeight, himetricWidth,
                                     -himetricHeight, nullptr));
}

PictureComposition::PictureComposition(PictureFrameList frames, std::shared_ptr<PictureRenderer> renderer)
    : m_frames(std::move(frames)), m_renderer(std::move(renderer)),
      m_stopEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

bool PictureComposition::Create(HWND window, int width, int height)
{
    if (width <= 0 || height <= 0 || !m_stopEvent)
        return false;
    m_window = window;
    m_width = width;
    m_height = height;
    const CClientDC windowDc(window);
    if (!windowDc.IsValid())
        return false;
    auto dc = std::make_unique<CMemoryDC>(windowDc.Get());
    if (!dc->IsValid() || !m_bitmap.CreateCompatibleBitmap(windowDc, width, height))
        return false;
    dc->Select(m_bitmap);
    m_dc = std::move(dc);
    m_dc->FillRect(All(), ::GetSysColorBrush(COLOR_MENU));
    return true;
}

bool PictureComposition::Render(IPicture* picture, int left, int top, int width, int height)
{
    CCriticalSectionLock lock(m_lock);
    return m_dc && picture && m_renderer->Render(picture, *m_dc, left, top, width, height);
}

void PictureComposition::Fill(const RECT& rect, COLORREF colour)
{
    CCriticalSectionLock lock(m_lock);
    if (m_dc)
        m_dc->FillSolidRect(rect, colour);
}

void PictureComposition::CopyTo(HDC target, const RECT& area)
{
    // The window's thread never waits for a frame being drawn: the drawing
    // thread invalidates the window when the frame is done, and the paint
    // that follows copies it.
    const CCriticalSectionTryLock lock(m_lock);
    if (lock.IsHeld() && m_dc)
        ::BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, *m_dc, area.left,
                 area.top, SRCCOPY);
}

COLORREF PictureComposition::Pixel(int x, int y)
{
    CCriticalSectionLock lock(m_lock);
    return m_dc ? ::GetPixel(*m_dc, x, y) : CLR_INVALID;
}

void PictureComposition::ForgetSavedArea()
{
    m_saveDc.reset();
    m_saveBitmap.DeleteObject();
}

void PictureComposition::SaveAreaUnder(const PictureFrame& frame)
{
    CCriticalSectionLock lock(m_lock);
    ForgetSavedArea();
    auto saveDc = std::make_unique<CMemoryDC>(m_dc->Get());
    if (!saveDc->IsValid() || !m_saveBitmap.CreateCompatibleBitmap(*m_dc, frame.width, frame.height))
        return;
    saveDc->Select(m_saveBitmap);
    saveDc->BitBlt(0, 0, frame.width, frame.height, *m_dc, frame.left, frame.top);
    m_saveDc = std::move(saveDc);
}

void PictureComposition::ApplyDisposal(const PictureFrame& frame)
{
    if (frame.disposal == 2)
    {
        Fill(RECT{frame.left, frame.top, frame.left + frame.width, frame.top + frame.height}, m_background);
        return;
    }
    if (frame.disposal != 3)
        return;
    CCriticalSectionLock lock(m_lock);
    // "Restore" before anything was saved has nothing to restore.
    if (!m_saveDc)
        return;
    m_dc->BitBlt(frame.left, frame.top, frame.width, frame.height, *m_saveDc, 0, 0);
    ForgetSavedArea();
}

void PictureComposition::Play()
{
    if (m_frames.empty() || !m_dc)
        return;
    struct PlayingFlag
    {
        std::atomic<bool>& flag;
        explicit PlayingFlag(std::atomic<bool>& f) : flag(f) { flag = true; }
        ~PlayingFlag() { flag = false; }
    } playing(m_playing);

    if (m_currentFrame >= m_frames.size())
        m_currentFrame = 0;
    ApplyDisposal(m_frames[m_currentFrame]);
    while (!m_exitRequested)
    {
        const PictureFrame& frame = m_frames[m_currentFrame];
        if (frame.disposal == 3)
            SaveAreaUnder(frame);
        if (Render(frame.picture.Get(), frame.left, frame.top, frame.width, frame.height) && !m_exitRequested)
            ::InvalidateRect(m_window, nullptr, FALSE);
        if (m_exitRequested)
            break;
        const DWORD showFor = frame.delay > 4 ? static_cast<DWORD>(frame.delay) * 10 : 100;
        ::WaitForSingleObject(m_stopEvent.Get(), showFor);
        if (m_exitRequested)
            break;
        ApplyDisposal(frame);
        if (++m_currentFrame >= m_frames.size())
        {
            m_currentFrame = 0;
            Fill(All(), m_background);
        }
    }
}

void PictureComposition::RequestExit()
{
    m_playing = false;
    m_exitRequested = true;
    ::SetEvent(m_stopEvent.Get());
}

void PictureComposition::ClearExit()
{
    ::ResetEvent(m_stopEvent.Get());
    m_exitRequested = false;
}
