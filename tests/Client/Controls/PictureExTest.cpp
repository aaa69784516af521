// The animated picture: loading GIFs and other pictures, the drawing thread
// and its stop, frame timing and disposal, and damaged files.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "Client/Controls/CPictureEx.h"
#include "KitTestResources.h"
#include "Client/Controls/KitTestSupport.h"

namespace
{
// Counts renders and can be made to hang inside one.
class ObservedPicture : public CPictureEx
{
public:
    ObservedPicture() : m_release(::CreateEventA(nullptr, TRUE, TRUE, nullptr)) {}
    ~ObservedPicture() override
    {
        ::SetEvent(m_release);
        UnLoad();
        ::CloseHandle(m_release);
    }
    void HangNextRender() { m_hangNext = true; }
    void Release() { ::SetEvent(m_release); }
    std::atomic<int> renders{0};
    std::atomic<DWORD> threadOfLastRender{0};

protected:
    bool RenderPicture(IPicture* picture, int left, int top, int width, int height) override
    {
        ++renders;
        threadOfLastRender = ::GetCurrentThreadId();
        if (m_hangNext.exchange(false))
        {
            ::ResetEvent(m_release);
            ::WaitForSingleObject(m_release, INFINITE);
        }
        return CPictureEx::RenderPicture(picture, left, top, width, height);
    }

private:
    HANDLE m_release;
    std::atomic<bool> m_hangNext{false};
};

class PictureExTest : public KitTest::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(m_picture.Create("", WS_VISIBLE, RECT{10, 10, 60, 60}, m_frame, 77));
    }
    ObservedPicture m_picture;
};
}

TEST_F(PictureExTest, TheScanSpinnerPlaysOnItsOwnThreadAndStopsWithinItsLimit)
{
    ASSERT_TRUE(m_picture.LoadFromResource(MAKEINTRESOURCEA(334), "GIF"));
    EXPECT_TRUE(m_picture.IsGif());
    EXPECT_EQ(8u, m_picture.FrameCount());
    EXPECT_EQ(16, m_picture.GetPictureSize().cx);
    const RECT sized = m_picture.GetWindowRect();
    EXPECT_EQ(16, sized.right - sized.left) << "the control takes the picture's size";
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), m_picture.GetBkColor());
    for (const PictureFrame& frame : m_picture.Frames())
    {
        EXPECT_EQ(9, frame.delay);
        EXPECT_EQ(2, frame.disposal);
    }

    EXPECT_FALSE(m_picture.Draw()) << "an animation answers 0 and runs on";
    ASSERT_TRUE(KitTest::PumpUntil([&] { return m_picture.renders >= 8; }, 5000));
    EXPECT_NE(::GetCurrentThreadId(), m_picture.threadOfLastRender.load());
    EXPECT_TRUE(m_picture.IsPlaying());

    // A second Draw while it runs starts nothing new.
    EXPECT_FALSE(m_picture.Draw());
    EXPECT_TRUE(m_picture.HasThread());

    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(m_picture.Stop());
    EXPECT_LT(::GetTickCount() - start, 1000u) << "the stop event ends the frame's wait at once";
    EXPECT_FALSE(m_picture.HasThread());
    EXPECT_FALSE(m_picture.IsPlaying());
    const int afterStop = m_picture.renders;
    KitTest::PumpMessages(300);
    EXPECT_EQ(afterStop, m_picture.renders);

    // It starts again after a stop.
    m_picture.Draw();
    ASSERT_TRUE(KitTest::PumpUntil([&] { return m_picture.renders > afterStop; }, 2000));
    m_picture.UnLoad();
    EXPECT_FALSE(m_picture.IsLoaded());
    EXPECT_EQ(RGB(255, 255, 255), m_picture.GetBkColor());
}

TEST_F(PictureExTest, FramesShowForTheirDelay)
{
    // Delay 9 = 90 ms a frame: in 900 ms at most about ten frames show (a
    // busy machine shows fewer, never more).
    ASSERT_TRUE(m_picture.LoadFromResource(MAKEINTRESOURCEA(334), "GIF"));
    m_picture.Draw();
    KitTest::PumpMessages(900);
    const int shown = m_picture.renders;
    m_picture.Stop();
    EXPECT_GE(shown, 2);
    EXPECT_LE(shown, 12);
}

TEST_F(PictureExTest, AStopThatTimesOutKeepsWhatTheThreadDrawsInto)
{
    ASSERT_TRUE(m_picture.LoadFromResource(MAKEINTRESOURCEA(334), "GIF"));
    m_picture.HangNextRender();
    m_picture.Draw();
    ASSERT_TRUE(KitTest::PumpUntil([&] { return m_picture.renders >= 1; }, 2000));
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(m_picture.Stop());
    const DWORD waited = ::GetTickCount() - start;
    EXPECT_GE(waited, CPictureEx::kStopWaitMs - 100);
    EXPECT_LT(waited, CPictureEx::kStopWaitMs + 2000);
    EXPECT_TRUE(m_picture.HasThread());
    // UnLoad leaves the picture alone while the thread is in it.
    m_picture.UnLoad();
    EXPECT_TRUE(m_picture.IsLoaded());
    EXPECT_EQ(8u, m_picture.FrameCount());

    m_picture.Release();
    EXPECT_TRUE(m_picture.Stop()) << "the exit request was kept, so the thread ends";
    EXPECT_FALSE(m_picture.HasThread());
    m_picture.UnLoad();
    EXPECT_FALSE(m_picture.IsLoaded());
}

TEST_F(PictureExTest, AOneFrameGifIsDrawnOnceWithoutAThread)
{
    ASSERT_TRUE(m_picture.LoadFromResource(MAKEINTRESOURCEA(IDG_ONE_FRAME), "GIF"));
    EXPECT_FALSE(m_picture.IsAnimated());
    EXPECT_TRUE(m_picture.Draw());
    EXPECT_FALSE(m_picture.HasThread());
    EXPECT_EQ(::GetCurrentThreadId(), m_picture.threadOfLastRender.load());
    EXPECT_EQ(RGB(0x3F, 0x7C, 0xC8), m_picture.GetComposedPixel(5, 5));
}

TEST_F(PictureExTest, OtherPicturesShowAtTheirNaturalSize)
{
    ASSERT_TRUE(m_picture.LoadFromResource(MAKEINTRESOURCEA(IDG_NOT_A_GIF), "GIF"));
    EXPECT_FALSE(m_picture.IsGif());
    EXPECT_EQ(80, m_picture.GetPictureSize().cx);
    EXPECT_EQ(24, m_picture.GetPictureSize().cy);
    EXPECT_TRUE(m_picture.Draw());
    EXPECT_EQ(RGB(0x3F, 0x7C, 0xC8), m_picture.GetComposedPixel(40, 12));
}

TEST_F(PictureExTest, BackgroundColourNeedsALoadedPicture)
{
    m_picture.SetBkColor(RGB(1, 2, 3));
    EXPECT_EQ(RGB(255, 255, 255), m_picture.GetBkColor());
    ASSERT_TRUE(m_picture.LoadFromResource(MAKEINTRESOURCEA(334), "GIF"));
    m_picture.SetBkColor(RGB(0xFD, 0xFA, 0xFA));
    EXPECT_EQ(RGB(0xFD, 0xFA, 0xFA), m_picture.GetComposedPixel(0, 0));
}

TEST_F(PictureExTest, RestoreDisposalPutsBackWhatWasUnderTheFrame)
{
    ASSERT_TRUE(m_picture.LoadFromResource(MAKEINTRESOURCEA(IDG_RESTORE_PREVIOUS), "GIF"));
    ASSERT_EQ(3u, m_picture.FrameCount());
    m_picture.SetBkColor(RGB(255, 255, 255));
    m_picture.Draw();
    ASSERT_TRUE(KitTest::PumpUntil([&] { return m_picture.renders >= 5; }, 3000));
    m_picture.Stop();
    // Whatever frame was last drawn, no two frames' marks stand at once.
    int marked = 0;
    for (int x : {3, 11, 19})
        marked += m_picture.GetComposedPixel(x, 5) != RGB(255, 255, 255) ? 1 : 0;
    EXPECT_LE(marked, 1);
}

TEST_F(PictureExTest, DamagedGifsAreReadOnlyWithinTheirSize)
{
    // Cut in its image data: the frames before the cut may play, no more.
    m_picture.LoadFromResource(MAKEINTRESOURCEA(IDG_TRUNCATED), "GIF");
    EXPECT_LT(m_picture.FrameCount(), 8u);
    // Sub-block lengths that point past the end: nothing is read past it.
    EXPECT_FALSE(m_picture.LoadFromResource(MAKEINTRESOURCEA(IDG_HOSTILE), "GIF"));
    EXPECT_FALSE(m_picture.IsLoaded());

    // Every prefix of a good file, in memory blocks of exactly that size.
    HRSRC resource = ::FindResourceA(nullptr, MAKEINTRESOURCEA(334), "GIF");
    ASSERT_NE(nullptr, resource);
    const DWORD size = ::SizeofResource(nullptr, resource);
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, resource)));
    for (DWORD cut = 0; cut < size; cut += 37)
    {
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, cut ? cut : 1);
        void* target = ::GlobalLock(memory);
        std::copy(data, data + cut, static_cast<BYTE*>(target));
        ::GlobalUnlock(memory);
        m_picture.Load(memory, cut);
        m_picture.UnLoad();
        ::GlobalFree(memory);
    }
    EXPECT_FALSE(m_picture.Load(nullptr, 10));
}

TEST_F(PictureExTest, AMissingResourceLoadsNothing)
{
    EXPECT_FALSE(m_picture.LoadFromResource(MAKEINTRESOURCEA(4242), "GIF"));
    EXPECT_FALSE(m_picture.Draw());
    EXPECT_TRUE(m_picture.Stop()) << "stopping nothing is fine";
}
