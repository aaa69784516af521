#include "Client/Controls/CPictureEx.h"

#include <cstring>

#include "Client/Controls/GifFrameReader.h"
#include "Framework/CClientDC.h"
#include "Framework/CGlobalMemory.h"
#include "Framework/CPaintDC.h"
#include "Framework/LateImports.h"
#include "Framework/CWinApp.h"
#include "Framework/CallbackGuard.h"
#include "Framework/WorkerThread.h"

namespace
{
constexpr int kHimetricPerInch = 2540;

// A movable global block holding a copy of data.
CGlobalMemory CopyToGlobal(const BYTE* data, DWORD size)
{
    CGlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, size ? size : 1));
    void* target = memory ? ::GlobalLock(memory.Get()) : nullptr;
    if (!target)
        return CGlobalMemory();
    std::memcpy(target, data, size);
    ::GlobalUnlock(memory.Get());
    return memory;
}

int HimetricToPixels(long himetric, int pixelsPerInch)
{
    return ::MulDiv(static_cast<int>(himetric), pixelsPerInch, kHimetricPerInch);
}

const PictureFrameList kNoFrames;
}

CPictureEx::CPictureEx() : m_renderer(std::make_shared<PictureRenderer>())
{
}

CPictureEx::~CPictureEx()
{
    // Never waits longer than Stop does: a thread still running then ends by
    // itself with its own reference to what it draws into.
    UnLoad();
}

void CPictureEx::ResetMembers()
{
    m_isGif = false;
    m_loaded = false;
    m_pictureWidth = 0;
    m_pictureHeight = 0;
    m_backgroundColour = RGB(255, 255, 255);
    m_paintRect = RECT{0, 0, 0, 0};
}

void CPictureEx::SetRenderer(std::shared_ptr<PictureRenderer> renderer)
{
    m_renderer = renderer ? std::move(renderer) : std::make_shared<PictureRenderer>();
}

const PictureFrameList& CPictureEx::Frames() const
{
    return m_composition ? m_composition->Frames() : kNoFrames;
}

bool CPictureEx::ReadResource(const char* resourceName, const char* resourceType, std::vector<BYTE>& bytes)
{
    const HINSTANCE module = CWinApp::ResourceInstance();
    HRSRC resource = ::FindResourceA(module, resourceName, resourceType);
    if (!resource)
        return false;
    HGLOBAL loaded = ::LoadResource(module, resource);
    const DWORD size = ::SizeofResource(module, resource);
    const BYTE* data = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (!data || !size)
        return false;
    bytes.assign(data, data + size);
    return true;
}

BOOL CPictureEx::LoadFromResource(const char* resourceName, const char* resourceType)
{
    std::vector<BYTE> bytes;
    if (!ReadResource(resourceName, resourceType, bytes))
        return FALSE;
    const CGlobalMemory memory = CopyToGlobal(bytes.data(), static_cast<DWORD>(bytes.size()));
    return memory ? Load(memory.Get(), static_cast<DWORD>(bytes.size())) : FALSE;
}

bool CPictureEx::LoadOnePicture(const BYTE* data, DWORD size, IPicture** out)
{
    *out = nullptr;
    // The loader reads from a copy of its own, freed with its stream.
    CGlobalMemory memory = CopyToGlobal(data, size);
    CComPtr<IStream> stream;
    if (!memory || FAILED(::CreateStreamOnHGlobal(memory.Get(), TRUE, stream.Receive())))
        return false;
    // The stream frees the block when it is released.
    memory.Detach();
    return SUCCEEDED(LateImports::OleLoadPicture(stream.Get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                                 reinterpret_cast<void**>(out))) &&
           *out;
}

SIZE CPictureEx::NaturalSize(IPicture* picture)
{
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    const CClientDC screen(nullptr);
    return SIZE{HimetricToPixels(width, ::GetDeviceCaps(screen, LOGPIXELSX)),
                HimetricToPixels(height, ::GetDeviceCaps(screen, LOGPIXELSY))};
}

bool CPictureEx::LoadGif(const BYTE* data, DWORD size, Decoded& picture)
{
    const GifFrameReader reader(data, size);
    if (!reader.HasHeader())
        return false;
    picture.isGif = true;
    picture.width = reader.ScreenWidth();
    picture.height = reader.ScreenHeight();
    const int count = reader.CountFrames();
    if (count == 1)
        return LoadOnePicture(data, size, picture.single.Receive());
    if (count < 1)
        return false;
    for (const GifFrame& cut : reader.CutFrames())
    {
        PictureFrame frame;
        static_cast<GifFramePlacement&>(frame) = cut;
        // A frame that the loader refuses is left out.
        if (LoadOnePicture(cut.gif.data(), static_cast<DWORD>(cut.gif.size()), frame.picture.Receive()))
            picture.frames.push_back(std::move(frame));
    }
    return !picture.frames.empty();
}

bool CPictureEx::Decode(const BYTE* data, DWORD size, Decoded& picture)
{
    picture = Decoded();
    if (!data || !size)
        return false;
    if (GifFrameReader(data, size).HasGifSignature())
        return LoadGif(data, size, picture);
    if (!LoadOnePicture(data, size, picture.single.Receive()))
        return false;
    const SIZE natural = NaturalSize(picture.single.Get());
    picture.width = natural.cx;
    picture.height = natural.cy;
    return true;
}

BOOL CPictureEx::Load(HGLOBAL memory, DWORD size)
{
    UnLoad();
    if (!memory || !size || ::GlobalSize(memory) < size)
        return FALSE;
    const BYTE* data = static_cast<const BYTE*>(::GlobalLock(memory));
    if (!data)
        return FALSE;
    Decoded picture;
    const bool decoded = Decode(data, size, picture);
    // The data was only read during the load.
    ::GlobalUnlock(memory);
    return decoded ? Adopt(std::move(picture)) : FALSE;
}

BOOL CPictureEx::Adopt(Decoded picture)
{
    UnLoad();
    m_isGif = picture.isGif;
    m_pictureWidth = picture.width;
    m_pictureHeight = picture.height;
    m_singlePicture = std::move(picture.single);
    if (!PrepareComposition(std::move(picture.frames)))
    {
        UnLoad();
        return FALSE;
    }
    return TRUE;
}

bool CPictureEx::PrepareComposition(PictureFrameList frames)
{
    if (m_pictureWidth <= 0 || m_pictureHeight <= 0)
        return false;
    if (m_hWnd)
        SetWindowPos(nullptr, 0, 0, m_pictureWidth, m_pictureHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    auto composition = std::make_shared<PictureComposition>(std::move(frames), m_renderer);
    if (!composition->Create(m_hWnd, m_pictureWidth, m_pictureHeight))
        return false;
    m_backgroundColour = ::GetSysColor(COLOR_BTNFACE);
    composition->SetBackground(m_backgroundColour);
    m_composition = std::move(composition);
    m_loaded = true;
    return true;
}

BOOL CPictureEx::Draw()
{
    if (!m_loaded)
        return FALSE;
    if (IsAnimated())
    {
        // One drawing thread at a time.
        if (m_thread.IsValid() && ::WaitForSingleObject(m_thread.Get(), 0) == WAIT_TIMEOUT)
            return FALSE;
        m_thread.Close();
        m_stopTimedOut = false;
        m_composition->ClearExit();
        // The thread's own reference, released by the thread.
        auto reference = std::make_unique<std::shared_ptr<PictureComposition>>(m_composition);
        m_thread.Attach(WorkerThread::Create(&CPictureEx::DrawingThread, reference.get(), true));
        if (!m_thread.IsValid())
            return FALSE;
        reference.release();
        ::ResumeThread(m_thread.Get());
        return FALSE;
    }
    if (!m_singlePicture || !m_composition->Render(m_singlePicture.Get(), 0, 0, m_pictureWidth, m_pictureHeight))
        return FALSE;
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return TRUE;
}

DWORD WINAPI CPictureEx::DrawingThread(void* reference)
{
    const std::unique_ptr<std::shared_ptr<PictureComposition>> composition(
        static_cast<std::shared_ptr<PictureComposition>*>(reference));
    // A failing frame ends the animation, not the program.
    CallbackGuard::Run("drawing thread", [&] { (*composition)->Play(); });
    return 0;
}

void CPictureEx::AskToStop()
{
    if (m_composition && m_thread.IsValid())
        m_composition->RequestExit();
}

bool CPictureEx::Stop()
{
    if (m_composition)
        m_composition->RequestExit();
    if (m_thread.IsValid())
    {
        // A thread that outlived one stop's limit is not waited for again.
        const DWORD limit = m_stopTimedOut ? 0 : kStopWaitMs;
        if (::WaitForSingleObject(m_thread.Get(), limit) == WAIT_TIMEOUT)
        {
            m_stopTimedOut = true;
            return false;  // the thread keeps its exit request and its image
        }
        m_thread.Close();
        m_stopTimedOut = false;
    }
    if (m_composition)
        m_composition->ClearExit();
    return true;
}

void CPictureEx::UnLoad()
{
    // A thread that outlived Stop holds the composition it draws into and
    // frees it when it sees its exit request: nothing here touches it again.
    if (!Stop())
    {
        m_thread.Close();
        m_stopTimedOut = false;
    }
    m_singlePicture.Release();
    m_composition.reset();
    ResetMembers();
}

void CPictureEx::SetBkColor(COLORREF colour)
{
    if (!m_loaded)
        return;
    m_backgroundColour = colour;
    m_composition->SetBackground(colour);
    m_composition->Fill(RECT{0, 0, m_pictureWidth, m_pictureHeight}, colour);
}

COLORREF CPictureEx::GetComposedPixel(int x, int y)
{
    return m_composition ? m_composition->Pixel(x, y) : CLR_INVALID;
}

LRESULT CPictureEx::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_DESTROY:
        Stop();
        return CStatic::WindowProc(message, wParam, lParam);
    case WM_PAINT:
    {
        CPaintDC paint(m_hWnd);
        if (m_composition)
            m_composition->CopyTo(paint, ::IsRectEmpty(&m_paintRect)
                                             ? RECT{0, 0, m_pictureWidth, m_pictureHeight}
                                             : m_paintRect);
        return 0;
    }
    default:
        return CStatic::WindowProc(message, wParam, lParam);
    }
}
