// The animated picture: loading GIFs and other pictures, the drawing thread
// and its stop, frame timing and disposal, and damaged files.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Client/Controls/CPictureEx.h"
#include "Framework/CallbackGuard.h"
#include "KitTestResources.h"
#include "Client/Controls/KitTestSupport.h"

namespace
{
// Counts renders, can be made to hang inside one, or to throw from one.
class ObservedRenderer : public PictureRenderer
{
public:
    ObservedRenderer() : m_release(::CreateEventA(nullptr, TRUE, TRUE, nullptr)) {}
    ~ObservedRenderer() override { ::CloseHandle(m_release); }
    bool Render(IPicture* picture, HDC target, int left, int top, int width, int height) override
    {
        ++renders;
        threadOfLastRender = ::GetCurrentThreadId();
        if (throwNext.exchange(false))
            throw std::runtime_error("frame failed");
        if (hangNext.exchange(false))
        {
            ::ResetEvent(m_release);
            ::WaitForSingleObject(m_release, 60000);
        }
        return PictureRenderer::Render(picture, target, left, top, width, height);
    }
    void Release() { ::SetEvent(m_release); }

    std::atomic<int> renders{0};
    std::atomic<DWORD> threadOfLastRender{0};
    std::atomic<bool> hangNext{false};
    std::atomic<bool> throwNext{false};

private:
    HANDLE m_release;
};

class ObservedPicture : public CPictureEx
{
public:
    ObservedPicture() { SetRenderer(m_renderer); }
    ~ObservedPicture() override
    {
        m_renderer->Release();
        UnLoad();
    }
    void HangNextRender() { m_renderer->hangNext = true; }
    void ThrowFromNextRender() { m_renderer->throwNext = true; }
    void Release() { m_renderer->Release(); }

private:
    // Shared with the drawing thread, which may outlive the control.
    std::shared_ptr<ObservedRenderer> m_renderer = std::make_shared<ObservedRenderer>();

public:
    std::atomic<int>& renders = m_renderer->renders;
    std::atomic<DWORD>& threadOfLastRender = m_renderer->threadOfLastRender;
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

TEST_F(PictureExTest, ALoadAfterAStopThatTimedOutLeavesTheOldThreadItsImage)
{
    // The scan page's BeginScan: Stop, then Load, while a frame hangs.
    ASSERT_TRUE(m_picture.LoadFromResource(MAKEINTRESOURCEA(334), "GIF"));
    m_picture.HangNextRender();
    m_picture.Draw();
    ASSERT_TRUE(KitTest::PumpUntil([&] { return m_picture.renders >= 1; }, 2000));
    DWORD start = ::GetTickCount();
    EXPECT_FALSE(m_picture.Stop());
    const DWORD waited = ::GetTickCount() - start;
    EXPECT_GE(waited, CPictureEx::kStopWaitMs - 100);
    EXPECT_LT(waited, CPictureEx::kStopWaitMs + 2000);
    EXPECT_TRUE(m_picture.HasThread());
    EXPECT_EQ(8u, m_picture.FrameCount()) << "a stop that timed out leaves the picture as it was";

    start = ::GetTickCount();
    ASSERT_TRUE(m_picture.LoadFromResource(MAKEINTRESOURCEA(334), "GIF"));
    EXPECT_LT(::GetTickCount() - start, CPictureEx::kStopWaitMs) << "the limit is not waited out twice";
    EXPECT_EQ(8u, m_picture.FrameCount()) << "fresh frames, not appended to the old ones";
    EXPECT_FALSE(m_picture.HasThread());
    const int before = m_picture.renders;
    m_picture.Draw();
    ASSERT_TRUE(KitTest::PumpUntil([&] { return m_picture.renders > before + 2; }, 3000))
        << "the new picture plays beside the hanging thread";
    EXPECT_TRUE(m_picture.Stop());

    // Let go, the old thread sees its exit request and ends.
    m_picture.Release();
    m_picture.UnLoad();
    EXPECT_FALSE(m_picture.IsLoaded());
}

TEST_F(PictureExTest, TheDestructorWaitsNoLongerThanStop)
{
    const auto renderer = std::make_shared<ObservedRenderer>();
    auto picture = std::make_unique<CPictureEx>();
    picture->SetRenderer(renderer);
    ASSERT_TRUE(picture->Create("", WS_VISIBLE, RECT{70, 10, 120, 60}, m_frame, 78));
    ASSERT_TRUE(picture->LoadFromResource(MAKEINTRESOURCEA(334), "GIF"));
    renderer->hangNext = true;
    picture->Draw();
    ASSERT_TRUE(KitTest::PumpUntil([&] { return renderer->renders >= 1; }, 2000));
    const DWORD start = ::GetTickCount();
    picture.reset();
    EXPECT_LT(::GetTickCount() - start, 2 * CPictureEx::kStopWaitMs + 1000);

    // The thread still holds what it draws into, and frees it as it ends.
    EXPECT_GT(renderer.use_count(), 1);
    renderer->Release();
    EXPECT_TRUE(KitTest::PumpUntil([&] { return renderer.use_count() == 1; }, 5000));
}

TEST_F(PictureExTest, AFrameThatThrowsEndsTheAnimationNotTheProgram)
{
    static std::atomic<int> reports{0};
    reports = 0;
    const CallbackGuard::Reporter previous =
        CallbackGuard::SetReporter([](const char* where, const char*) {
            if (std::string(where) == "drawing thread")
                ++reports;
        });
    ASSERT_TRUE(m_picture.LoadFromResource(MAKEINTRESOURCEA(334), "GIF"));
    m_picture.ThrowFromNextRender();
    m_picture.Draw();
    EXPECT_TRUE(KitTest::PumpUntil([&] { return reports == 1 && !m_picture.IsPlaying(); }, 3000));
    // The report comes from the thread before it has ended, and a control
    // starts no second thread beside a running one: the stop waits for it.
    EXPECT_TRUE(m_picture.Stop());
    // The control goes on: it plays again and stops.
    const int before = m_picture.renders;
    m_picture.Draw();
    EXPECT_TRUE(KitTest::PumpUntil([&] { return m_picture.renders > before + 1; }, 3000));
    EXPECT_TRUE(m_picture.Stop());
    EXPECT_EQ(1, reports.load());
    CallbackGuard::SetReporter(previous);
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
