#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <memory>
#include <vector>

#include "Client/Controls/GifFrameReader.h"
#include "Framework/CBitmap.h"
#include "Framework/CComPtr.h"
#include "Framework/CCriticalSection.h"
#include "Framework/CHandle.h"
#include "Framework/CMemoryDC.h"

// One frame of an animated picture, decoded.
struct PictureFrame : GifFramePlacement
{
    CComPtr<IPicture> picture;
};
using PictureFrameList = std::vector<PictureFrame>;

// Renders one picture into the composed image; the drawing thread and a still
// picture's Draw both come through here. Tests put their own in to watch or
// hold up the renders.
class PictureRenderer
{
public:
    virtual ~PictureRenderer() = default;
    virtual bool Render(IPicture* picture, HDC target, int left, int top, int width, int height);
};

// The composed image of a picture and everything the drawing thread draws
// with: the frames, the memory and save contexts, the stop event and flags.
// The thread holds its own reference as long as it runs, so a control whose
// thread outlives a stop lets go of this one and loads afresh, and the thread
// frees it as it ends.
class PictureComposition
{
public:
    PictureComposition(PictureFrameList frames, std::shared_ptr<PictureRenderer> renderer);

    // The image of width x height compatible with the window's context, filled
    // with the menu colour; false when no context or bitmap can be had.
    bool Create(HWND window, int width, int height);

    // The drawing thread's loop; returns when an exit is requested.
    void Play();
    // Asks the loop to end and wakes it from a frame's wait.
    void RequestExit();
    // Makes a composition whose loop has ended ready to play again.
    void ClearExit();

    bool Render(IPicture* picture, int left, int top, int width, int height);
    void Fill(const RECT& rect, COLORREF colour);
    // Copies the area of the image to (area.left, area.top) of target; skips
    // it while the drawing thread is inside a frame.
    void CopyTo(HDC target, const RECT& area);
    COLORREF Pixel(int x, int y);

    void SetBackground(COLORREF colour) { m_background = colour; }
    COLORREF Background() const { return m_background; }
    bool IsPlaying() const { return m_playing; }
    const PictureFrameList& Frames() const { return m_frames; }

private:
    void ApplyDisposal(const PictureFrame& frame);
    void SaveAreaUnder(const PictureFrame& frame);
    void ForgetSavedArea();
    RECT All() const { return RECT{0, 0, m_width, m_height}; }

    const PictureFrameList m_frames;
    const std::shared_ptr<PictureRenderer> m_renderer;
    HWND m_window = NULL;
    int m_width = 0;
    int m_height = 0;
    std::atomic<COLORREF> m_background{RGB(255, 255, 255)};
    size_t m_currentFrame = 0;
    std::atomic<bool> m_exitRequested{false};
    std::atomic<bool> m_playing{false};
    CHandle m_stopEvent;

    // The image is drawn by the drawing thread and copied out by the window's
    // thread. Each context is declared after its bitmap, so that it goes
    // first and puts back what it had selected before the bitmap is deleted.
    CCriticalSection m_lock;
    CBitmap m_bitmap;
    std::unique_ptr<CMemoryDC> m_dc;
    CBitmap m_saveBitmap;
    std::unique_ptr<CMemoryDC> m_saveDc;
};
