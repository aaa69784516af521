#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>
#include <vector>

#include "Client/Controls/PictureComposition.h"
#include "Framework/CComPtr.h"
#include "Framework/CHandle.h"
#include "Framework/CStatic.h"

// A static control that shows a picture and plays an animated GIF on a
// drawing thread of its own. Each GIF frame is cut out into a small GIF of
// its own for the system's picture loader; the frames are composed in a
// memory bitmap, which the control copies to the window when it paints.
class CPictureEx : public CStatic
{
public:
    // How long Stop waits for the drawing thread.
    static constexpr DWORD kStopWaitMs = 5000;

    // A picture read and cut into its frames, not yet on any control. The
    // system's loader is slow (a registry walk for each frame), so a page
    // with many pictures decodes them on a worker and adopts them here.
    struct Decoded
    {
        bool isGif = false;
        int width = 0;
        int height = 0;
        CComPtr<IPicture> single;
        PictureFrameList frames;
    };

    CPictureEx();
    ~CPictureEx() override;

    // The bytes of a resource of the program; false when there is none.
    static bool ReadResource(const char* resourceName, const char* resourceType, std::vector<BYTE>& bytes);
    // Touches no window: any thread may decode, once COM is ready on it.
    static bool Decode(const BYTE* data, DWORD size, Decoded& picture);

    BOOL LoadFromResource(const char* resourceName, const char* resourceType);
    BOOL Load(HGLOBAL memory, DWORD size);
    // Shows a picture decoded before, as Load would.
    BOOL Adopt(Decoded picture);
    // Starts the animation, or renders a still picture once (1).
    BOOL Draw();
    // Asks the drawing thread to end without waiting for it: a page with
    // many pictures asks all before it waits for each in Stop.
    void AskToStop();
    // Ends the animation; false when the thread did not end within the limit,
    // in which case it stays asked to end and keeps what it draws into.
    bool Stop();
    // A thread that outlived Stop is left with what it draws into, which it
    // frees as it ends; the control itself is empty afterwards.
    void UnLoad();
    void SetBkColor(COLORREF colour);

    // Every render from now on goes through renderer (nullptr: the system's).
    void SetRenderer(std::shared_ptr<PictureRenderer> renderer);

    bool IsGif() const { return m_isGif; }
    bool IsLoaded() const { return m_loaded; }
    bool IsAnimated() const { return m_isGif && FrameCount() > 1; }
    bool IsPlaying() const { return m_composition && m_composition->IsPlaying(); }
    bool HasThread() const { return m_thread.IsValid(); }
    size_t FrameCount() const { return m_composition ? m_composition->Frames().size() : 0; }
    const PictureFrameList& Frames() const;
    SIZE GetPictureSize() const { return SIZE{m_pictureWidth, m_pictureHeight}; }
    COLORREF GetBkColor() const { return m_backgroundColour; }
    // The colour of the composed image at (x, y), for checks of what shows.
    COLORREF GetComposedPixel(int x, int y);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static DWORD WINAPI DrawingThread(void* composition);
    static bool LoadOnePicture(const BYTE* data, DWORD size, IPicture** out);
    static bool LoadGif(const BYTE* data, DWORD size, Decoded& picture);
    static SIZE NaturalSize(IPicture* picture);
    bool PrepareComposition(PictureFrameList frames);
    void ResetMembers();

    bool m_isGif = false;
    bool m_loaded = false;
    int m_pictureWidth = 0;
    int m_pictureHeight = 0;
    COLORREF m_backgroundColour = RGB(255, 255, 255);
    CComPtr<IPicture> m_singlePicture;
    std::shared_ptr<PictureRenderer> m_renderer;
    std::shared_ptr<PictureComposition> m_composition;
    CHandle m_thread;
    bool m_stopTimedOut = false;
    RECT m_paintRect{0, 0, 0, 0};
};
