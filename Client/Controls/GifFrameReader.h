#pragma once
#include <windows.h>

#include <vector>

// Where a frame of a GIF goes in the logical screen, and for how long.
struct GifFramePlacement
{
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    int delay = 0;     // hundredths of a second
    int disposal = 0;  // 0 without a graphic control extension
};

// One frame of a GIF, cut out as a GIF of its own: the logical screen is the
// frame's size and the image sits at its origin, so any picture loader gives
// exactly the frame.
struct GifFrame : GifFramePlacement
{
    std::vector<BYTE> gif;
};

// Walks the block structure of a GIF held in memory. Every read is bounded by
// the data's size: a block that would end past it ends the walk, as does a
// block of no known kind.
class GifFrameReader
{
public:
    // "GIF" and the logical screen descriptor.
    static constexpr DWORD kHeaderSize = 13;

    // The data is only read, and must outlive the reader.
    GifFrameReader(const BYTE* data, DWORD size);

    // The data begins with "GIF" (it may still be too short to be one).
    bool HasGifSignature() const;
    // The signature and a whole logical screen descriptor.
    bool HasHeader() const;
    int ScreenWidth() const;
    int ScreenHeight() const;
    // Bytes of the global colour table; 0 without one.
    DWORD GlobalTableSize() const;

    // The images up to the trailer or the first damaged block.
    int CountFrames() const;
    // Each frame with the extensions that belong to it, in file order.
    std::vector<GifFrame> CutFrames() const;

private:
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

    bool Has(DWORD at, DWORD length) const { return at <= m_size && length <= m_size - at; }
    WORD Word(DWORD at) const { return static_cast<WORD>(m_data[at] | (m_data[at + 1] << 8)); }
    Kind KindAt(DWORD at) const;
    DWORD SubBlocksLength(DWORD at) const;
    DWORD BlockLength(DWORD at) const;
    DWORD FirstBlock() const { return kHeaderSize + GlobalTableSize(); }
    // Cuts the frame whose blocks start at 'at'; false at the end of the
    // frames. 'at' moves past the frame's image.
    bool CutFrameAt(DWORD& at, GifFrame& frame) const;

    const BYTE* m_data;
    DWORD m_size;
};
