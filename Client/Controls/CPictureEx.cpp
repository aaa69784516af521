#include "Client/Controls/CPictureEx.h"

#include <cstring>

#include "Framework/CPaintDC.h"
#include "Framework/CWinApp.h"
#include "Framework/WorkerThread.h"

namespace
{
constexpr DWORD kHeaderSize = 13;  // "GIF89a" and the logical screen descriptor
constexpr int kHimetricPerInch = 2540;

// The GIF block structure, read with every access bounded by the data size.
class GifBlocks
{
public:
    GifBlocks(const BYTE* data, DWORD size) : m_data(data), m_size(size) {}

    bool Has(DWORD at, DWORD length) const { return at <= m_size && length <= m_size - at; }
    BYTE Byte(DWORD at) const { return m_data[at]; }
    WORD Word(DWORD at) const { return static_cast<WORD>(m_data[at] | (m_data[at + 1] << 8)); }

    enum Kind
    {
        kUnknown,
        kApplication,
        kComment,
        kGraphicControl,
        kPlainText,
        kImage,
        kTrailer
    };

    Kind KindAt(DWORD at) const
    {
        if (!Has(at, 1))
            return kUnknown;
        switch (m_data[at])
        {
        case 0x2C:
            return kImage;
        case 0x3B:
            return kTrailer;
        case 0x21:
            if (!Has(at, 2))
                return kUnknown;
            switch (m_data[at + 1])
            {
            case 0xFF:
                return kApplication;
            case 0xFE:
                return kComment;
            case 0xF9:
                return kGraphicControl;
            case 0x01:
                return kPlainText;
            default:
                return kUnknown;
            }
        default:
            return kUnknown;
        }
    }

    // Length of the sub-blocks from at, including their 0 terminator; 0 when
    // they run past the end.
    DWORD SubBlocksLength(DWORD at) const
    {
        DWORD length = 0;
        for (;;)
        {
            if (!Has(at + length, 1))
                return 0;
            const DWORD size = m_data[at + length];
            if (size == 0)
                return length + 1;
            length += size + 1;
        }
    }

    // Length of the block at offset at; 0 for an unknown block or one whose
    // end would lie past the data.
    DWORD BlockLength(DWORD at) const
    {
        DWORD fixed = 0;
        bool subBlocks = true;
        switch (KindAt(at))
        {
        case kApplication:
            fixed = 14;
            break;
        case kComment:
            fixed = 2;
            break;
        case kGraphicControl:
            fixed = 8;
            subBlocks = false;
            break;
        case kPlainText:
            fixed = 15;
            break;
        case kImage:
            if (!Has(at, 10))
                return 0;
            fixed = 10;
            if (m_data[at + 9] & 0x80)
                fixed += 3u * (1u << ((m_data[at + 9] & 7) + 1));
            fixed += 1;  // LZW minimum code size
            break;
        case kTrailer:
            return 1;
        default:
            return 0;
        }
        if (!Has(at, fixed))
            return 0;
        if (!subBlocks)
            return fixed;
        const DWORD rest = SubBlocksLength(at + fixed);
        return rest ? fixed + rest : 0;
    }

private:
    const BYTE* m_data;
    DWORD m_size;
};

// A global block holding a copy of data, owned by the caller until handed on.
HGLOBAL CopyToGlobal(const BYTE* data, DWORD size, UINT flags)
{
    HGLOBAL memory = ::GlobalAlloc(flags, size ? size : 1);
    if (!memory)
        return nullptr;
    void* target = ::GlobalLock(memory);
    if (!target)
    {
        ::GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(target, data, size);
    ::GlobalUnlock(memory);
    return memory;
}

int HimetricToPixels(long himetric, int pixelsPerInch)
{
    return ::MulDiv(static_cast<int>(himetric), pixelsPerInch, kHimetricPerInch);
}
}

CPictureEx::CPictureEx()
{
    m_stopEvent.Attach(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

CPictureEx::~CPictureEx()
{
    UnLoad();
    // A thread that outlived Stop's limit still draws into this object: it
    // was asked to end and is waited for before anything goes away.
    if (m_thread.IsValid())
    {
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Close();
        UnLoad();
    }
}

void CPictureEx::ResetMembers()
{
    m_data = nullptr;
    m_dataSize = 0;
    m_offset = 0;
    m_globalTableSize = 0;
    m_isGif = false;
    m_loaded = false;
    m_exitRequested = false;
    m_playing = false;
    m_pictureWidth = 0;
    m_pictureHeight = 0;
    m_backgroundColour = RGB(255, 255, 255);
    m_currentFrame = 0;
    m_paintRect = RECT{0, 0, 0, 0};
}

BOOL CPictureEx::LoadFromResource(const char* resourceName, const char* resourceType)
{
    const HINSTANCE module = CWinApp::ResourceInstance();
    HRSRC resource = ::FindResourceA(module, resourceName, resourceType);
    if (!resource)
        return FALSE;
    HGLOBAL loaded = ::LoadResource(module, resource);
    const DWORD size = ::SizeofResource(module, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || !size)
        return FALSE;
    HGLOBAL memory = CopyToGlobal(static_cast<const BYTE*>(data), size, GMEM_MOVEABLE);
    if (!memory)
        return FALSE;
    const BOOL result = Load(memory, size);
    ::GlobalFree(memory);
    return result;
}

bool CPictureEx::LoadOnePicture(const BYTE* data, DWORD size, IPicture** out)
{
    *out = nullptr;
    // The loader reads from a copy of its own, freed with its stream.
    HGLOBAL memory = CopyToGlobal(data, size, GMEM_MOVEABLE);
    if (!memory)
        return false;
    CComPtr<IStream> stream;
    // The stream frees the block when it is released.
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, stream.Receive())))
    {
        ::GlobalFree(memory);
        return false;
    }
    return SUCCEEDED(::OleLoadPicture(stream.Get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                      reinterpret_cast<void**>(out))) &&
           *out;
}

BOOL CPictureEx::Load(HGLOBAL memory, DWORD size)
{
    UnLoad();
    if (!memory || !size || ::GlobalSize(memory) < size)
        return FALSE;
    const BYTE* data = static_cast<const BYTE*>(::GlobalLock(memory));
    if (!data)
        return FALSE;
    m_data = data;
    m_dataSize = size;

    bool ready = false;
    const bool gif = size >= 3 && std::memcmp(data, "GIF", 3) == 0;
    if (!gif)
        ready = LoadOnePicture(data, size, m_singlePicture.Receive());
    else if (size >= kHeaderSize)
    {
        m_isGif = true;
        const BYTE packed = data[10];
        m_globalTableSize = (packed & 0x80) ? 3u * (1u << ((packed & 7) + 1)) : 0;
        m_pictureWidth = data[6] | (data[7] << 8);
        m_pictureHeight = data[8] | (data[9] << 8);
        const int frames = CountFrames();
        if (frames == 1)
            ready = LoadOnePicture(data, size, m_singlePicture.Receive());
        else if (frames > 1)
            ready = CutFrames();
    }
    if (ready && m_singlePicture && !m_isGif)
    {
        OLE_XSIZE_HIMETRIC width = 0;
        OLE_YSIZE_HIMETRIC height = 0;
        m_singlePicture->get_Width(&width);
        m_singlePicture->get_Height(&height);
        HDC screen = ::GetDC(nullptr);
        m_pictureWidth = HimetricToPixels(width, ::GetDeviceCaps(screen, LOGPIXELSX));
        m_pictureHeight = HimetricToPixels(height, ::GetDeviceCaps(screen, LOGPIXELSY));
        ::ReleaseDC(nullptr, screen);
    }
    if (ready)
        ready = PrepareComposition();

    ::GlobalUnlock(memory);
    // The data was only read during the load.
    m_data = nullptr;
    m_dataSize = 0;
    if (!ready)
    {
        UnLoad();
        return FALSE;
    }
    return TRUE;
}

int CPictureEx::CountFrames() const
{
    const GifBlocks gif(m_data, m_dataSize);
    int frames = 0;
    for (DWORD at = kHeaderSize + m_globalTableSize; gif.Has(at, 1);)
    {
        const GifBlocks::Kind kind = gif.KindAt(at);
        if (kind == GifBlocks::kTrailer)
            break;
        const DWORD length = gif.BlockLength(at);
        if (!length)
            break;
        if (kind == GifBlocks::kImage)
            ++frames;
        at += length;
    }
    return frames;
}

bool CPictureEx::CutFrames()
{
    const GifBlocks gif(m_data, m_dataSize);
    const DWORD screenEnd = kHeaderSize + m_globalTableSize;
    if (!gif.Has(0, screenEnd))
        return false;
    m_offset = screenEnd;
    while (gif.Has(m_offset, 1))
    {
        const DWORD frameStart = m_offset;
        PictureFrame frame;
        // Extensions and the graphic control block up to the image belong to
        // the frame; application and comment blocks ahead of it do not.
        DWORD at = m_offset;
        bool image = false;
        DWORD imageAt = 0;
        DWORD blocksStart = frameStart;
        for (;;)
        {
            const GifBlocks::Kind kind = gif.KindAt(at);
            const DWORD length = gif.BlockLength(at);
            if (!length || kind == GifBlocks::kTrailer || kind == GifBlocks::kUnknown)
                break;
            if ((kind == GifBlocks::kApplication || kind == GifBlocks::kComment) && at == blocksStart)
            {
                at += length;
                blocksStart = at;
                continue;
            }
            if (kind == GifBlocks::kGraphicControl)
            {
                frame.delay = gif.Word(at + 4);
                frame.disposal = (gif.Byte(at + 3) >> 2) & 7;
            }
            if (kind == GifBlocks::kImage)
            {
                frame.left = gif.Word(at + 1);
                frame.top = gif.Word(at + 3);
                frame.width = gif.Word(at + 5);
                frame.height = gif.Word(at + 7);
                imageAt = at;
                at += length;
                image = true;
                break;
            }
            at += length;
        }
        if (!image)
            break;
        m_offset = at;

        // A GIF of this frame alone: the screen is the frame's size and the
        // image sits at its origin, so any loader gives exactly the frame.
        std::vector<BYTE> single(m_data, m_data + screenEnd);
        single.insert(single.end(), m_data + blocksStart, m_data + at);
        single.push_back(0x3B);
        single[6] = static_cast<BYTE>(frame.width);
        single[7] = static_cast<BYTE>(frame.width >> 8);
        single[8] = static_cast<BYTE>(frame.height);
        single[9] = static_cast<BYTE>(frame.height >> 8);
        const size_t descriptor = screenEnd + (imageAt - blocksStart);
        std::memset(&single[descriptor + 1], 0, 4);
        if (LoadOnePicture(single.data(), static_cast<DWORD>(single.size()), frame.picture.Receive()))
            m_frames.push_back(std::move(frame));
    }
    return !m_frames.empty();
}

bool CPictureEx::PrepareComposition()
{
    if (m_pictureWidth <= 0 || m_pictureHeight <= 0)
        return false;
    if (m_hWnd)
        SetWindowPos(nullptr, 0, 0, m_pictureWidth, m_pictureHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HDC windowDc = ::GetDC(m_hWnd);
    if (!windowDc)
        return false;
    m_memoryDc = ::CreateCompatibleDC(windowDc);
    const bool made = m_memoryDc && m_memoryBitmap.CreateCompatibleBitmap(windowDc, m_pictureWidth, m_pictureHeight);
    ::ReleaseDC(m_hWnd, windowDc);
    if (!made)
        return false;
    m_memoryOldBitmap = ::SelectObject(m_memoryDc, m_memoryBitmap);
    RECT all{0, 0, m_pictureWidth, m_pictureHeight};
    ::FillRect(m_memoryDc, &all, ::GetSysColorBrush(COLOR_MENU));
    m_backgroundColour = ::GetSysColor(COLOR_BTNFACE);
    m_loaded = true;
    return true;
}

bool CPictureEx::RenderPicture(IPicture* picture, int left, int top, int width, int height)
{
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    picture->get_Width(&himetricWidth);
    picture->get_Height(&himetricHeight);
    CCriticalSectionLock lock(m_compositionLock);
    return SUCCEEDED(picture->Render(m_memoryDc, left, top, width, height, 0, himetricHeight, himetricWidth,
                                     -himetricHeight, nullptr));
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
        m_exitRequested = false;
        ::ResetEvent(m_stopEvent.Get());
        m_thread.Attach(WorkerThread::Create(&CPictureEx::DrawingThread, this, true));
        if (m_thread.IsValid())
            ::ResumeThread(m_thread.Get());
        return FALSE;
    }
    if (!m_singlePicture || !RenderPicture(m_singlePicture.Get(), 0, 0, m_pictureWidth, m_pictureHeight))
        return FALSE;
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return TRUE;
}

DWORD WINAPI CPictureEx::DrawingThread(void* self)
{
    static_cast<CPictureEx*>(self)->PlayFrames();
    return 0;
}

void CPictureEx::FillRectangle(const RECT& rect, COLORREF colour)
{
    CCriticalSectionLock lock(m_compositionLock);
    const COLORREF old = ::SetBkColor(m_memoryDc, colour);
    ::ExtTextOutA(m_memoryDc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_memoryDc, old);
}

void CPictureEx::SaveAreaUnder(const PictureFrame& frame)
{
    CCriticalSectionLock lock(m_compositionLock);
    if (m_saveDc)
    {
        ::SelectObject(m_saveDc, m_saveOldBitmap);
        ::DeleteDC(m_saveDc);
        m_saveBitmap.DeleteObject();
    }
    m_saveDc = ::CreateCompatibleDC(m_memoryDc);
    if (!m_saveDc || !m_saveBitmap.CreateCompatibleBitmap(m_memoryDc, frame.width, frame.height))
    {
        if (m_saveDc)
            ::DeleteDC(m_saveDc);
        m_saveDc = NULL;
        return;
    }
    m_saveOldBitmap = ::SelectObject(m_saveDc, m_saveBitmap);
    ::BitBlt(m_saveDc, 0, 0, frame.width, frame.height, m_memoryDc, frame.left, frame.top, SRCCOPY);
}

void CPictureEx::ApplyDisposal(const PictureFrame& frame)
{
    if (frame.disposal == 2)
    {
        FillRectangle(RECT{frame.left, frame.top, frame.left + frame.width, frame.top + frame.height},
                      m_backgroundColour);
        return;
    }
    if (frame.disposal != 3)
        return;
    CCriticalSectionLock lock(m_compositionLock);
    // "Restore" before anything was saved has nothing to restore.
    if (!m_saveDc)
        return;
    ::BitBlt(m_memoryDc, frame.left, frame.top, frame.width, frame.height, m_saveDc, 0, 0, SRCCOPY);
    ::SelectObject(m_saveDc, m_saveOldBitmap);
    ::DeleteDC(m_saveDc);
    m_saveDc = NULL;
    m_saveBitmap.DeleteObject();
}

void CPictureEx::PlayFrames()
{
    m_playing = true;
    if (m_currentFrame >= m_frames.size())
        m_currentFrame = 0;
    ApplyDisposal(m_frames[m_currentFrame]);
    while (!m_exitRequested)
    {
        const PictureFrame& frame = m_frames[m_currentFrame];
        if (frame.disposal == 3)
            SaveAreaUnder(frame);
        if (RenderPicture(frame.picture.Get(), frame.left, frame.top, frame.width, frame.height) && m_hWnd)
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
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
            FillRectangle(RECT{0, 0, m_pictureWidth, m_pictureHeight}, m_backgroundColour);
        }
    }
    m_playing = false;
}

bool CPictureEx::Stop()
{
    m_playing = false;
    m_exitRequested = true;
    ::SetEvent(m_stopEvent.Get());
    if (m_thread.IsValid())
    {
        if (::WaitForSingleObject(m_thread.Get(), kStopWaitMs) == WAIT_TIMEOUT)
            return false;  // the thread keeps its exit request and its image
        m_thread.Close();
    }
    ::ResetEvent(m_stopEvent.Get());
    m_exitRequested = false;
    return true;
}

void CPictureEx::UnLoad()
{
    if (!Stop())
        return;  // the drawing thread still uses everything below
    m_singlePicture.Release();
    m_frames.clear();
    {
        CCriticalSectionLock lock(m_compositionLock);
        if (m_memoryDc)
        {
            ::SelectObject(m_memoryDc, m_memoryOldBitmap);
            ::DeleteDC(m_memoryDc);
            m_memoryDc = NULL;
        }
        m_memoryBitmap.DeleteObject();
        if (m_saveDc)
        {
            ::SelectObject(m_saveDc, m_saveOldBitmap);
            ::DeleteDC(m_saveDc);
            m_saveDc = NULL;
        }
        m_saveBitmap.DeleteObject();
    }
    ResetMembers();
}

void CPictureEx::SetBkColor(COLORREF colour)
{
    if (!m_loaded)
        return;
    m_backgroundColour = colour;
    FillRectangle(RECT{0, 0, m_pictureWidth, m_pictureHeight}, colour);
}

COLORREF CPictureEx::GetComposedPixel(int x, int y)
{
    CCriticalSectionLock lock(m_compositionLock);
    return m_memoryDc ? ::GetPixel(m_memoryDc, x, y) : CLR_INVALID;
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
        CCriticalSectionLock lock(m_compositionLock);
        if (!m_memoryDc)
            return 0;
        if (!::IsRectEmpty(&m_paintRect))
            ::BitBlt(paint, m_paintRect.left, m_paintRect.top, m_paintRect.right - m_paintRect.left,
                     m_paintRect.bottom - m_paintRect.top, m_memoryDc, m_paintRect.left, m_paintRect.top, SRCCOPY);
        else
            ::BitBlt(paint, 0, 0, m_pictureWidth, m_pictureHeight, m_memoryDc, 0, 0, SRCCOPY);
        return 0;
    }
    default:
        return CStatic::WindowProc(message, wParam, lParam);
    }
}
