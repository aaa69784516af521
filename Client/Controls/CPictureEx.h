#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "Framework/CBitmap.h"
#include "Framework/CComPtr.h"
#include "Framework/CCriticalSection.h"
#include "Framework/CHandle.h"
#include "Framework/CStatic.h"

// One frame of an animated picture.
struct PictureFrame
{
    CComPtr<IPicture> picture;
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    int delay = 0;     // hundredths of a second
    int disposal = 0;  // 0 without a graphic control extension
};
using PictureFrameList = std::vector<PictureFrame>;

// A static control that shows a picture and plays an animated GIF on a
// drawing thread of its own. Each GIF frame is cut out into a small GIF of
// its own for the system's picture loader; the control composes the frames in
// a memory bitmap, which it copies to the window when it paints.
class CPictureEx : public CStatic
{
public:
    // How long Stop waits for the drawing thread.
    static constexpr DWORD kStopWaitMs = 5000;

    CPictureEx();
    ~CPictureEx() override;

    BOOL LoadFromResource(const char* resourceName, const char* resourceType);
    BOOL Load(HGLOBAL memory, DWORD size);
    // Starts the animation, or renders a still picture once (1).
    BOOL Draw();
    // Ends the animation; false when the thread did not end within the limit,
    // in which case it stays asked to end and keeps what it draws into.
    bool Stop();
    void UnLoad();
    void SetBkColor(COLORREF colour);

    bool IsGif() const { return m_isGif; }
    bool IsLoaded() const { return m_loaded; }
    bool IsAnimated() const { return m_isGif && m_frames.size() > 1; }
    bool IsPlaying() const { return m_playing; }
    bool HasThread() const { return m_thread.IsValid(); }
    size_t FrameCount() const { return m_frames.size(); }
    const PictureFrameList& Frames() const { return m_frames; }
    SIZE GetPictureSize() const { return SIZE{m_pictureWidth, m_pictureHeight}; }
    COLORREF GetBkColor() const { return m_backgroundColour; }
    // The colour of the composed image at (x, y), for checks of what shows.
    COLORREF GetComposedPixel(int x, int y);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Renders one picture into the composed image; the drawing thread and a
    // still Draw come through here.
    virtual bool RenderPicture(IPicture* picture, int left, int top, int width, int height);

private:
    static DWORD WINAPI DrawingThread(void* self);
    void PlayFrames();
    void ApplyDisposal(const PictureFrame& frame);
    void SaveAreaUnder(const PictureFrame& frame);
    void FillRectangle(const RECT& rect, COLORREF colour);
    bool LoadOnePicture(const BYTE* data, DWORD size, IPicture** out);
    int CountFrames() const;
    bool CutFrames();
    bool PrepareComposition();
    void ResetMembers();

    const BYTE* m_data = nullptr;
    DWORD m_dataSize = 0;
    DWORD m_offset = 0;
    DWORD m_globalTableSize = 0;
    bool m_isGif = false;
    bool m_loaded = false;
    volatile bool m_exitRequested = false;
    volatile bool m_playing = false;
    int m_pictureWidth = 0;
    int m_pictureHeight = 0;
    COLORREF m_backgroundColour = RGB(255, 255, 255);
    size_t m_currentFrame = 0;
    CComPtr<IPicture> m_singlePicture;
    HDC m_memoryDc = NULL;
    CBitmap m_memoryBitmap;
    HGDIOBJ m_memoryOldBitmap = nullptr;
    HDC m_saveDc = NULL;
    CBitmap m_saveBitmap;
    HGDIOBJ m_saveOldBitmap = nullptr;
    CHandle m_thread;
    CHandle m_stopEvent;
    RECT m_paintRect{0, 0, 0, 0};
    PictureFrameList m_frames;
    // The composed image is drawn by the drawing thread and copied out by the
    // window's thread.
    CCriticalSection m_compositionLock;
};
