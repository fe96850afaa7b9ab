#include "Vornel3D/VideoOggWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <ogg/ogg.h>
#include <theora/theoraenc.h>
#include <vorbis/vorbisenc.h>

struct CVideoOggWriter::Streams {
    th_enc_ctx* encoder = nullptr;
    ogg_stream_state video{};
    bool videoStream = false;

    vorbis_info soundInfo{};
    vorbis_comment soundComment{};
    vorbis_dsp_state sound{};
    vorbis_block soundBlock{};
    ogg_stream_state soundStream{};
    bool soundInfoReady = false, soundReady = false;
};

namespace {

// Not M_PI: the C library of every system does not define it in standard C++.
constexpr double kPi = 3.14159265358979323846;

void AppendPage(std::vector<uint8_t>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

uint8_t ToByte(int v)
{
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Studio-range BT.601, the inverse of the player's conversion.
inline int LumaOf(int r, int g, int b) { return 16 + ((66 * r + 129 * g + 25 * b + 128) >> 8); }
inline int BlueOf(int r, int g, int b) { return 128 + ((-38 * r - 74 * g + 112 * b + 128) >> 8); }
inline int RedOf(int r, int g, int b) { return 128 + ((112 * r - 94 * g - 18 * b + 128) >> 8); }

} // namespace

CVideoOggWriter::~CVideoOggWriter()
{
    Close();
}

void CVideoOggWriter::Close()
{
    if (!m_pStreams)
        return;
    Streams& s = *m_pStreams;
    if (s.encoder)
        th_encode_free(s.encoder);
    if (s.videoStream)
        ogg_stream_clear(&s.video);
    if (s.soundReady) {
        vorbis_block_clear(&s.soundBlock);
        vorbis_dsp_clear(&s.sound);
        ogg_stream_clear(&s.soundStream);
    }
    if (s.soundInfoReady) {
        vorbis_comment_clear(&s.soundComment);
        vorbis_info_clear(&s.soundInfo);
    }
    delete m_pStreams;
    m_pStreams = nullptr;
}

Status CVideoOggWriter::Open(const VideoOggFormat& format)
{
    Close();
    m_headers.clear();
    m_videoPages.clear();
    m_soundPages.clear();
    m_pendingFrame.clear();
    m_format = format;
    if (format.width == 0 || format.height == 0 || format.width > 4096 || format.height > 4096 ||
        format.picX > 255 || format.picY > 255 || format.fpsNumerator == 0 || format.fpsDenominator == 0 ||
        format.channels > 8)
        return kStatusFailed;
    m_pStreams = new Streams;
    Streams& s = *m_pStreams;

    th_info info;
    th_info_init(&info);
    info.frame_width = (format.picX + format.width + 15) & ~15u;
    info.frame_height = (format.picY + format.height + 15) & ~15u;
    info.pic_width = format.width;
    info.pic_height = format.height;
    info.pic_x = format.picX;
    info.pic_y = format.picY;
    info.fps_numerator = format.fpsNumerator;
    info.fps_denominator = format.fpsDenominator;
    info.aspect_numerator = info.aspect_denominator = 1;
    info.colorspace = TH_CS_UNSPECIFIED;
    info.pixel_fmt = format.pixelFormat;
    info.target_bitrate = 0;
    info.quality = format.videoQuality;
    s.encoder = th_encode_alloc(&info);
    th_info_clear(&info);
    if (!s.encoder)
        return kStatusFailed;
    ogg_stream_init(&s.video, 1);
    s.videoStream = true;

    if (format.channels > 0) {
        vorbis_info_init(&s.soundInfo);
        vorbis_comment_init(&s.soundComment);
        s.soundInfoReady = true;
        if (vorbis_encode_init_vbr(&s.soundInfo, long(format.channels), long(format.rate), format.soundQuality) != 0 ||
            vorbis_analysis_init(&s.sound, &s.soundInfo) != 0)
            return kStatusFailed;
        vorbis_block_init(&s.sound, &s.soundBlock);
        ogg_stream_init(&s.soundStream, 2);
        s.soundReady = true;
    }

    // The first header of each stream opens a page of its own, Theora's first; the other
    // headers follow before any data.
    th_comment comment;
    th_comment_init(&comment);
    ogg_packet packet;
    ogg_page page;
    bool first = true;
    while (th_encode_flushheader(s.encoder, &comment, &packet) > 0) {
        ogg_stream_packetin(&s.video, &packet);
        if (first) {
            while (ogg_stream_flush(&s.video, &page) > 0)
                AppendPage(m_headers, page);
            first = false;
        }
    }
    th_comment_clear(&comment);
    std::vector<uint8_t> later;
    if (s.soundReady) {
        ogg_packet identification, commentPacket, codebooks;
        vorbis_analysis_headerout(&s.sound, &s.soundComment, &identification, &commentPacket, &codebooks);
        ogg_stream_packetin(&s.soundStream, &identification);
        while (ogg_stream_flush(&s.soundStream, &page) > 0)
            AppendPage(m_headers, page);
        ogg_stream_packetin(&s.soundStream, &commentPacket);
        ogg_stream_packetin(&s.soundStream, &codebooks);
        while (ogg_stream_flush(&s.soundStream, &page) > 0)
            AppendPage(later, page);
    }
    while (ogg_stream_flush(&s.video, &page) > 0)
        AppendPage(m_headers, page);
    m_headers.insert(m_headers.end(), later.begin(), later.end());
    return kStatusOk;
}

void CVideoOggWriter::TakePages(bool video, bool flush)
{
    Streams& s = *m_pStreams;
    ogg_stream_state* stream = video ? &s.video : &s.soundStream;
    std::vector<Page>& pages = video ? m_videoPages : m_soundPages;
    ogg_page page;
    while ((flush ? ogg_stream_flush(stream, &page) : ogg_stream_pageout(stream, &page)) > 0) {
        const ogg_int64_t granule = ogg_page_granulepos(&page);
        double time = video ? th_granule_time(s.encoder, granule) : vorbis_granule_time(&s.sound, granule);
        if (time < 0.0)
            time = pages.empty() ? 0.0 : pages.back().time;
        Page taken{time, {}};
        AppendPage(taken.bytes, page);
        pages.push_back(std::move(taken));
    }
}

Status CVideoOggWriter::AddFrame(const uint8_t* rgb)
{
    if (!m_pStreams || !rgb)
        return kStatusFailed;
    Streams& s = *m_pStreams;
    const uint32_t w = m_format.width, h = m_format.height;
    const uint32_t frameW = (m_format.picX + w + 15) & ~15u, frameH = (m_format.picY + h + 15) & ~15u;
    const uint32_t xShift = m_format.pixelFormat == TH_PF_444 ? 0 : 1;
    const uint32_t yShift = m_format.pixelFormat == TH_PF_420 ? 1 : 0;
    const uint32_t chromaW = frameW >> xShift, chromaH = frameH >> yShift;

    // The previous frame goes now; the last one waits for Finish, which marks it.
    std::vector<uint8_t> planes(size_t(frameW) * frameH + 2 * size_t(chromaW) * chromaH);
    uint8_t* luma = planes.data();
    uint8_t* cb = luma + size_t(frameW) * frameH;
    uint8_t* cr = cb + size_t(chromaW) * chromaH;
    std::memset(luma, 16, size_t(frameW) * frameH);
    std::memset(cb, 128, 2 * size_t(chromaW) * chromaH);
    // Luma per pixel; chroma as the mean of the pixels each sample covers.
    std::vector<int> sumB(size_t(chromaW) * chromaH, 0), sumR(sumB.size(), 0), count(sumB.size(), 0);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = rgb + (size_t(y) * w + x) * 3;
            const uint32_t fx = m_format.picX + x, fy = m_format.picY + y;
            luma[size_t(fy) * frameW + fx] = ToByte(LumaOf(p[0], p[1], p[2]));
            const size_t c = size_t(fy >> yShift) * chromaW + (fx >> xShift);
            sumB[c] += BlueOf(p[0], p[1], p[2]);
            sumR[c] += RedOf(p[0], p[1], p[2]);
            ++count[c];
        }
    for (size_t c = 0; c < sumB.size(); ++c)
        if (count[c]) {
            cb[c] = ToByte((sumB[c] + count[c] / 2) / count[c]);
            cr[c] = ToByte((sumR[c] + count[c] / 2) / count[c]);
        }
    if (!m_pendingFrame.empty()) {
        th_ycbcr_buffer buffer;
        const uint32_t pw = frameW, ph = frameH;
        uint8_t* previous = m_pendingFrame.data();
        buffer[0] = {int(pw), int(ph), int(pw), previous};
        buffer[1] = {int(chromaW), int(chromaH), int(chromaW), previous + size_t(pw) * ph};
        buffer[2] = {int(chromaW), int(chromaH), int(chromaW), previous + size_t(pw) * ph + size_t(chromaW) * chromaH};
        if (th_encode_ycbcr_in(s.encoder, buffer) != 0)
            return kStatusFailed;
        ogg_packet packet;
        while (th_encode_packetout(s.encoder, 0, &packet) > 0)
            ogg_stream_packetin(&s.video, &packet);
        TakePages(true, false);
    }
    m_pendingFrame.swap(planes);
    return kStatusOk;
}

void CVideoOggWriter::DrainSound()
{
    Streams& s = *m_pStreams;
    while (vorbis_analysis_blockout(&s.sound, &s.soundBlock) == 1) {
        vorbis_analysis(&s.soundBlock, nullptr);
        vorbis_bitrate_addblock(&s.soundBlock);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&s.sound, &packet))
            ogg_stream_packetin(&s.soundStream, &packet);
    }
    TakePages(false, false);
}

Status CVideoOggWriter::AddSound(const float* const* channels, uint32_t frames)
{
    if (!m_pStreams || !m_pStreams->soundReady)
        return kStatusFailed;
    Streams& s = *m_pStreams;
    constexpr uint32_t kChunk = 4096;
    for (uint32_t done = 0; done < frames;) {
        const uint32_t n = std::min(kChunk, frames - done);
        float** buffer = vorbis_analysis_buffer(&s.sound, int(n));
        for (uint32_t c = 0; c < m_format.channels; ++c)
            std::memcpy(buffer[c], channels[c] + done, n * sizeof(float));
        vorbis_analysis_wrote(&s.sound, int(n));
        DrainSound();
        done += n;
    }
    return kStatusOk;
}

Status CVideoOggWriter::Finish(std::vector<uint8_t>& out)
{
    if (!m_pStreams || m_pendingFrame.empty())
        return kStatusFailed;
    Streams& s = *m_pStreams;
    const uint32_t frameW = (m_format.picX + m_format.width + 15) & ~15u;
    const uint32_t frameH = (m_format.picY + m_format.height + 15) & ~15u;
    const uint32_t chromaW = m_format.pixelFormat == TH_PF_444 ? frameW : frameW / 2;
    const uint32_t chromaH = m_format.pixelFormat == TH_PF_420 ? frameH / 2 : frameH;
    th_ycbcr_buffer buffer;
    uint8_t* last = m_pendingFrame.data();
    buffer[0] = {int(frameW), int(frameH), int(frameW), last};
    buffer[1] = {int(chromaW), int(chromaH), int(chromaW), last + size_t(frameW) * frameH};
    buffer[2] = {int(chromaW), int(chromaH), int(chromaW), last + size_t(frameW) * frameH + size_t(chromaW) * chromaH};
    if (th_encode_ycbcr_in(s.encoder, buffer) != 0)
        return kStatusFailed;
    ogg_packet packet;
    while (th_encode_packetout(s.encoder, 1, &packet) > 0)
        ogg_stream_packetin(&s.video, &packet);
    TakePages(true, true);
    if (s.soundReady) {
        vorbis_analysis_wrote(&s.sound, 0);
        DrainSound();
        TakePages(false, true);
    }

    // Pages in the order of their times, so that a reader finds each stream's data close to
    // where it is needed.
    out.insert(out.end(), m_headers.begin(), m_headers.end());
    size_t v = 0, a = 0;
    while (v < m_videoPages.size() || a < m_soundPages.size()) {
        const bool takeVideo =
            a == m_soundPages.size() || (v < m_videoPages.size() && m_videoPages[v].time <= m_soundPages[a].time);
        const Page& page = takeVideo ? m_videoPages[v++] : m_soundPages[a++];
        out.insert(out.end(), page.bytes.begin(), page.bytes.end());
    }
    Close();
    return kStatusOk;
}

// ---- the test card ----------------------------------------------------------------------------

namespace {

// White, yellow, cyan, green, magenta, red, blue, black.
constexpr uint32_t kBars[8] = {0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00, 0xFF00FF, 0xFF0000, 0x0000FF, 0x000000};

} // namespace

uint32_t VideoTestCard_BarColor(uint32_t width, uint32_t x)
{
    const uint32_t bar = width ? uint32_t(uint64_t(x) * 8 / width) : 0;
    return kBars[bar < 8 ? bar : 7];
}

void VideoTestCard_Draw(uint32_t width, uint32_t height, uint32_t index, uint32_t count, uint8_t* rgb)
{
    // The bars fill the top two thirds; below them a grey band with the moving block, and at
    // the bottom the frame number's bits, the lowest on the left.
    const uint32_t barsEnd = height * 2 / 3;
    const uint32_t stripStart = height - std::max(1u, height / 8);
    const uint32_t block = std::max(1u, std::min(stripStart - barsEnd, width / 8));
    const uint32_t travel = width > block ? width - block : 0;
    const uint32_t blockX = count > 1 ? uint32_t(uint64_t(travel) * index / (count - 1)) : 0;
    const uint32_t bits = 16;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = rgb + size_t(y) * width * 3;
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t color;
            if (y < barsEnd)
                color = VideoTestCard_BarColor(width, x);
            else if (y < stripStart)
                color = x >= blockX && x < blockX + block && y < barsEnd + block ? 0xFFFFFF : 0x404040;
            else {
                const uint32_t bit = uint32_t(uint64_t(x) * bits / width);
                color = (index >> bit) & 1 ? 0xFFFFFF : 0x000000;
            }
            row[x * 3] = uint8_t(color >> 16);
            row[x * 3 + 1] = uint8_t(color >> 8);
            row[x * 3 + 2] = uint8_t(color);
        }
    }
}

Status VideoTestCard_Write(const VideoOggFormat& format, double seconds, double toneHz, std::vector<uint8_t>& out)
{
    if (!(seconds > 0.0) || seconds > 3600.0)
        return kStatusFailed;
    CVideoOggWriter writer;
    if (Failed(writer.Open(format)))
        return kStatusFailed;
    const double fps = double(format.fpsNumerator) / format.fpsDenominator;
    const uint32_t frames = std::max(1u, uint32_t(std::lround(seconds * fps)));
    std::vector<uint8_t> rgb(size_t(format.width) * format.height * 3);
    for (uint32_t i = 0; i < frames; ++i) {
        VideoTestCard_Draw(format.width, format.height, i, frames, rgb.data());
        if (Failed(writer.AddFrame(rgb.data())))
            return kStatusFailed;
    }
    if (format.channels > 0) {
        // A major triad (root, third, fifth) with a short fade at both ends; the channels
        // differ in phase so that each can be told apart.
        const uint32_t samples = uint32_t(std::lround(seconds * format.rate));
        const uint32_t fade = std::max(1u, format.rate / 50);
        std::vector<std::vector<float>> channels(format.channels, std::vector<float>(samples));
        std::vector<const float*> pointers;
        for (uint32_t c = 0; c < format.channels; ++c) {
            for (uint32_t i = 0; i < samples; ++i) {
                const double t = double(i) / format.rate, phase = c * 0.5;
                const double edge = std::min({1.0, double(i) / fade, double(samples - i) / fade});
                const double v = std::sin(2 * kPi * toneHz * t + phase) +
                                 std::sin(2 * kPi * toneHz * 1.25 * t + phase) +
                                 std::sin(2 * kPi * toneHz * 1.5 * t + phase);
                channels[c][i] = float(0.25 * edge * v);
            }
            pointers.push_back(channels[c].data());
        }
        if (Failed(writer.AddSound(pointers.data(), samples)))
            return kStatusFailed;
    }
    return writer.Finish(out);
}
