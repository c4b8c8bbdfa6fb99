#pragma once
// Builds the packed DIB of a scan from the frames a SANE device sends: RGB becomes 24-bit
// blue-green-red, grey 8-bit with a grey palette, lineart (SANE's 1 is black) 1-bit with a
// black-and-white palette; 16-bit samples (host byte order) keep their high byte; the three
// single-colour frames of a three-pass scan are joined. Only whole lines are taken and each
// line's padding beyond its pixels is skipped. When the line count is known the DIB's block is
// allocated at the first frame and each line goes straight to its place; a device that does not
// know its line count (-1) grows the picture line by line, which is flipped into the block at the
// end. The DIB has a 40-byte header and is stored bottom-up.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <sane/sane.h>

#include "twain/TwainTypes.h"

class TSaneDibBuilder
{
public:
    explicit TSaneDibBuilder(double dpi = 0) : FDpi(dpi) {}
    ~TSaneDibBuilder();
    TSaneDibBuilder(const TSaneDibBuilder&) = delete;
    TSaneDibBuilder& operator=(const TSaneDibBuilder&) = delete;

    // Starts a frame with its parameters. Raises EInvalidGraphic for a frame the builder cannot
    // take (a depth or format it does not know, a frame that does not match the first) and
    // EOutOfResources for a picture over the bitmap limit or one whose memory cannot be had.
    void BeginFrame(const SANE_Parameters& p);
    // Bytes of the current frame as they come.
    void AddData(const uint8_t* data, size_t size);
    // Ends the frame; false when it has fewer lines than it announced.
    bool EndFrame();
    // True once the frames of a whole picture have ended (a single frame, or red, green and blue).
    bool Complete() const;
    // Lines of the picture so far (the most any frame delivered).
    int64_t Lines() const { return FLines; }
    // Expected bytes of the whole scan, for progress; 0 when the line count is not known.
    int64_t ExpectedBytes() const;
    int64_t ReceivedBytes() const { return FReceived; }
    // The DIB in a memory block (nullptr when the memory cannot be had). Call when Complete().
    TW_HANDLE TakeDib();

private:
    void TakeLine(const uint8_t* line);
    uint8_t* Row(int64_t y);
    uint32_t Colours() const { return FBits == 1 ? 2 : FBits == 8 ? 256 : 0; }
    TW_HANDLE AllocateDib(int64_t lines);

    double FDpi;
    SANE_Parameters FParams{};
    bool FStarted = false;
    int FBits = 0;                 // of the DIB: 1, 8 or 24
    int FFramesEnded = 0;          // single-colour frames ended
    bool FSingleDone = false;      // a grey or RGB frame ended
    int64_t FStride = 0;           // DIB row bytes
    int64_t FAnnounced = -1;       // lines announced by the current frame
    int64_t FLines = 0;            // lines of the picture so far
    int64_t FFrameLines = 0;       // lines of the current frame
    int64_t FReceived = 0;
    TW_HANDLE FBlock = nullptr;    // the DIB when the line count is known
    uint8_t* FBlockBits = nullptr; // its pixels
    int64_t FBlockLines = 0;
    std::vector<uint8_t> FRows;    // top-down, when the line count is not known
    std::vector<uint8_t> FPartial; // a line not yet whole
};
