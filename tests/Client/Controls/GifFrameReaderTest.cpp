// The GIF block walk on its own: frames and their extensions, the cut-out
// single-frame GIFs, and damaged data that must never be read past its end.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "Client/Controls/GifFrameReader.h"

namespace
{
using Bytes = std::vector<BYTE>;

void Append(Bytes& to, const Bytes& bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

// 4 x 2 screen with a global table of two colours; a looping application
// block; frame 1 (delay 5, disposal 2) at (1, 0); a comment; frame 2 with a
// local table of four colours and no control extension at (0, 1).
Bytes TwoFrameGif()
{
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 2, 0, 0x80, 0, 0};
    Append(gif, {0, 0, 0, 255, 255, 255});
    Append(gif, {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0});
    Append(gif, {0x21, 0xF9, 4, 2 << 2, 5, 0, 0, 0});
    Append(gif, {0x2C, 1, 0, 0, 0, 2, 0, 2, 0, 0x00, 2, 2, 0x44, 0x01, 0});
    Append(gif, {0x21, 0xFE, 3, 'a', 'b', 'c', 0});
    Append(gif, {0x2C, 0, 0, 1, 0, 3, 0, 1, 0, 0x81});
    Append(gif, Bytes(12, 0x7F));
    Append(gif, {2, 2, 0x44, 0x01, 0, 0x3B});
    return gif;
}
}

TEST(GifFrameReaderTest, FramesCarryTheirPlacementTimingAndDisposal)
{
    const Bytes gif = TwoFrameGif();
    const GifFrameReader reader(gif.data(), static_cast<DWORD>(gif.size()));
    ASSERT_TRUE(reader.HasHeader());
    EXPECT_EQ(4, reader.ScreenWidth());
    EXPECT_EQ(2, reader.ScreenHeight());
    EXPECT_EQ(6u, reader.GlobalTableSize());
    EXPECT_EQ(2, reader.CountFrames());

    const std::vector<GifFrame> frames = reader.CutFrames();
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(1, frames[0].left);
    EXPECT_EQ(0, frames[0].top);
    EXPECT_EQ(2, frames[0].width);
    EXPECT_EQ(5, frames[0].delay);
    EXPECT_EQ(2, frames[0].disposal);
    EXPECT_EQ(1, frames[1].top);
    EXPECT_EQ(3, frames[1].width);
    EXPECT_EQ(0, frames[1].delay) << "no control extension";
    EXPECT_EQ(0, frames[1].disposal);
}

TEST(GifFrameReaderTest, EachFrameIsAGifOfItsOwnAtTheOrigin)
{
    const Bytes gif = TwoFrameGif();
    const std::vector<GifFrame> frames = GifFrameReader(gif.data(), static_cast<DWORD>(gif.size())).CutFrames();
    ASSERT_EQ(2u, frames.size());
    for (const GifFrame& frame : frames)
    {
        const Bytes& single = frame.gif;
        ASSERT_GE(single.size(), 19u + 10u + 1u);
        EXPECT_EQ(Bytes(gif.begin(), gif.begin() + 6), Bytes(single.begin(), single.begin() + 6));
        EXPECT_EQ(frame.width, single[6] | (single[7] << 8)) << "the screen is the frame's size";
        EXPECT_EQ(frame.height, single[8] | (single[9] << 8));
        EXPECT_EQ(0x3B, single.back());
        const GifFrameReader again(single.data(), static_cast<DWORD>(single.size()));
        EXPECT_EQ(1, again.CountFrames());
        const std::vector<GifFrame> inner = again.CutFrames();
        ASSERT_EQ(1u, inner.size());
        EXPECT_EQ(0, inner[0].left);
        EXPECT_EQ(0, inner[0].top);
        EXPECT_EQ(frame.delay, inner[0].delay);
    }
    // Neither the application block nor the comment goes with a frame.
    EXPECT_EQ(19u + 8u + 15u + 1u, frames[0].gif.size());
    EXPECT_EQ(19u + 10u + 12u + 6u, frames[1].gif.size());
}

TEST(GifFrameReaderTest, DamagedDataEndsTheWalkWithinItsSize)
{
    const Bytes gif = TwoFrameGif();
    // Every prefix, in a buffer of exactly that size: the reader keeps to it
    // and finds no more frames than are whole.
    for (size_t cut = 0; cut < gif.size(); ++cut)
    {
        const Bytes prefix(gif.begin(), gif.begin() + cut);
        const GifFrameReader reader(prefix.data(), static_cast<DWORD>(prefix.size()));
        EXPECT_LE(reader.CountFrames(), 2);
        EXPECT_EQ(static_cast<size_t>(reader.CountFrames()), reader.CutFrames().size()) << cut;
    }
    EXPECT_EQ(1, GifFrameReader(gif.data(), static_cast<DWORD>(gif.size() - 8)).CountFrames());

    // A block of no known kind ends the walk.
    Bytes unknown = TwoFrameGif();
    unknown[19 + 19 + 8 + 15] = 0x99;  // where the comment starts
    EXPECT_EQ(1u, GifFrameReader(unknown.data(), static_cast<DWORD>(unknown.size())).CutFrames().size());

    // A sub-block that claims more than is there.
    Bytes hostile = TwoFrameGif();
    hostile[19 + 19 + 8 + 11] = 0xFF;
    EXPECT_EQ(0, GifFrameReader(hostile.data(), static_cast<DWORD>(hostile.size())).CountFrames());

    const BYTE notGif[] = {'B', 'M', 0, 0};
    EXPECT_FALSE(GifFrameReader(notGif, sizeof(notGif)).HasGifSignature());
    EXPECT_TRUE(GifFrameReader(gif.data(), 12).HasGifSignature());
    EXPECT_FALSE(GifFrameReader(gif.data(), 12).HasHeader());
    EXPECT_EQ(0, GifFrameReader(nullptr, 100).CountFrames());
}
