#include "Client/Controls/GifFrameReader.h"

#include <cstring>

GifFrameReader::GifFrameReader(const BYTE* data, DWORD size) : m_data(data), m_size(data ? size : 0)
{
}

bool GifFrameReader::HasGifSignature() const
{
    return Has(0, 3) && std::memcmp(m_data, "GIF", 3) == 0;
}

bool GifFrameReader::HasHeader() const
{
    return HasGifSignature() && Has(0, kHeaderSize);
}

int GifFrameReader::ScreenWidth() const
{
    return HasHeader() ? Word(6) : 0;
}

int GifFrameReader::ScreenHeight() const
{
    return HasHeader() ? Word(8) : 0;
}

DWORD GifFrameReader::GlobalTableSize() const
{
    if (!HasHeader())
        return 0;
    const BYTE packed = m_data[10];
    return (packed & 0x80) ? 3u * (1u << ((packed & 7) + 1)) : 0;
}

GifFrameReader::Kind GifFrameReader::KindAt(DWORD at) const
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

// Length of the sub-blocks from at, including their 0 terminator; 0 when they
// run past the end.
DWORD GifFrameReader::SubBlocksLength(DWORD at) const
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

// Length of the block at offset at; 0 for an unknown block or one whose end
// would lie past the data.
DWORD GifFrameReader::BlockLength(DWORD at) const
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

int GifFrameReader::CountFrames() const
{
    if (!HasHeader())
        return 0;
    int frames = 0;
    for (DWORD at = FirstBlock(); Has(at, 1);)
    {
        const Kind kind = KindAt(at);
        if (kind == kTrailer)
            break;
        const DWORD length = BlockLength(at);
        if (!length)
            break;
        if (kind == kImage)
            ++frames;
        at += length;
    }
    return frames;
}

bool GifFrameReader::CutFrameAt(DWORD& at, GifFrame& frame) const
{
    // Extensions and the graphic control block up to the image belong to the
    // frame; application and comment blocks ahead of it do not.
    DWORD blocksStart = at;
    DWORD imageAt = 0;
    for (;;)
    {
        const Kind kind = KindAt(at);
        const DWORD length = BlockLength(at);
        if (!length || kind == kTrailer || kind == kUnknown)
            return false;
        if ((kind == kApplication || kind == kComment) && at == blocksStart)
        {
            at += length;
            blocksStart = at;
            continue;
        }
        if (kind == kGraphicControl)
        {
            frame.delay = Word(at + 4);
            frame.disposal = (m_data[at + 3] >> 2) & 7;
        }
        if (kind == kImage)
        {
            frame.left = Word(at + 1);
            frame.top = Word(at + 3);
            frame.width = Word(at + 5);
            frame.height = Word(at + 7);
            imageAt = at;
            at += length;
            break;
        }
        at += length;
    }

    const DWORD screenEnd = FirstBlock();
    std::vector<BYTE>& single = frame.gif;
    single.assign(m_data, m_data + screenEnd);
    single.insert(single.end(), m_data + blocksStart, m_data + at);
    single.push_back(0x3B);
    single[6] = static_cast<BYTE>(frame.width);
    single[7] = static_cast<BYTE>(frame.width >> 8);
    single[8] = static_cast<BYTE>(frame.height);
    single[9] = static_cast<BYTE>(frame.height >> 8);
    const size_t descriptor = screenEnd + (imageAt - blocksStart);
    std::memset(&single[descriptor + 1], 0, 4);
    return true;
}

std::vector<GifFrame> GifFrameReader::CutFrames() const
{
    std::vector<GifFrame> frames;
    if (!HasHeader() || !Has(0, FirstBlock()))
        return frames;
    DWORD at = FirstBlock();
    while (Has(at, 1))
    {
        GifFrame frame;
        if (!CutFrameAt(at, frame))
            break;
        frames.push_back(std::move(frame));
    }
    return frames;
}
