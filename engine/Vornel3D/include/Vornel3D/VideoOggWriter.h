#pragma once
// Writing Ogg videos that the player reads: Theora pictures from RGB frames and, when asked,
// Vorbis sound from float samples, the pages of both streams interleaved by time. It also
// draws the test card that `vornel video new` writes: colour bars, a block that moves from
// left to right, and a strip that shows the frame number in binary, with a major chord.
#include <cstdint>
#include <vector>

#include <theora/codec.h>

#include "VornelUtils/Status.h"

struct VideoOggFormat {
    uint32_t width = 0, height = 0;  // the picture
    uint32_t picX = 0, picY = 0;     // where it lies in the coded frame (Theora codes 16 x 16 blocks)
    uint32_t fpsNumerator = 30, fpsDenominator = 1;
    th_pixel_fmt pixelFormat = TH_PF_420;
    int videoQuality = 40;           // 0..63
    uint32_t channels = 0;           // 0: no sound stream
    uint32_t rate = 44100;
    float soundQuality = 0.2f;       // -0.1..1
};

class CVideoOggWriter {
public:
    CVideoOggWriter() = default;
    ~CVideoOggWriter();
    CVideoOggWriter(const CVideoOggWriter&) = delete;
    CVideoOggWriter& operator=(const CVideoOggWriter&) = delete;

    // The encoders for the format; kStatusFailed when a codec refuses it.
    Status Open(const VideoOggFormat& format);
    // One picture: width x height RGB pixels, rows top first.
    Status AddFrame(const uint8_t* rgb);
    // Sound: `frames` samples of each channel, channel by channel (values -1..1).
    Status AddSound(const float* const* channels, uint32_t frames);
    // Ends both streams and appends the whole file to `out`.
    Status Finish(std::vector<uint8_t>& out);

private:
    struct Page {
        double time;
        std::vector<uint8_t> bytes;
    };
    struct Streams;
    void TakePages(bool video, bool flush);
    void DrainSound();
    void Close();

    VideoOggFormat m_format;
    Streams* m_pStreams = nullptr;
    std::vector<uint8_t> m_headers;
    std::vector<Page> m_videoPages, m_soundPages;
    std::vector<uint8_t> m_pendingFrame;  // a frame is written when the next one (or the end) comes
};

// The test card's frame `index` of `count` into width x height RGB pixels, rows top first.
void VideoTestCard_Draw(uint32_t width, uint32_t height, uint32_t index, uint32_t count, uint8_t* rgb);
// The colour of the test card's bar under column x (0xRRGGBB).
uint32_t VideoTestCard_BarColor(uint32_t width, uint32_t x);
// A whole test-card video: `seconds` of frames at `fps`, and with channels above 0 a major chord
// on `toneHz` at `rate`. kStatusFailed when the codecs refuse the format.
Status VideoTestCard_Write(const VideoOggFormat& format, double seconds, double toneHz, std::vector<uint8_t>& out);
