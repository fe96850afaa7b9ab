#include "Vornel3D/C3DVideoOgg.h"

#include <cmath>
#include <cstring>
#include <new>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DResourceName.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/CWorld.h"
#include "VornelUtils/AudioEngine.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Packer.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kReadBlock = 8500;
// The frame texture: flags (share by name, one level) and second word (linear, alpha).
constexpr uint32_t kFrameTextureFlags = 9;
constexpr uint32_t kFrameTextureSecond = 0x52;
// Frames and sample rates beyond these are refused before anything is allocated for them.
constexpr uint32_t kMaxFrameSide = 4096;
constexpr long kMaxRate = 192000;
// The sound is kept about two seconds ahead of what has played: a second is decoded whenever
// less than one second is left.
constexpr uint64_t kSoundAhead = 2001;

bool IsPowerOfTwo(uint32_t n)
{
    return n != 0 && (n & (n - 1)) == 0;
}

uint8_t Clamp255(int v)
{
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

inline void StorePixel(uint8_t* out, int y, int u, int v)
{
    const int c = 298 * (y - 16) + 128;
    out[0] = Clamp255((c + 409 * v) >> 8);
    out[1] = Clamp255((c - 100 * u - 208 * v) >> 8);
    out[2] = Clamp255((c + 516 * u) >> 8);
}

} // namespace

int16_t C3DVideoOgg_PcmSample(float x)
{
    const double v = std::floor(double(x) * 32000.0 + 0.5);
    if (!(v >= -32000.0)) // NaN too
        return -32000;
    return int16_t(v > 32000.0 ? 32000.0 : v);
}

void C3DVideoOgg::ConvertFrameToRGB(const th_ycbcr_buffer ycbcr, uint32_t picX, uint32_t picY, uint32_t width,
                                    uint32_t height, uint8_t* rgb)
{
    const th_img_plane& lumaPlane = ycbcr[0];
    const th_img_plane& uPlane = ycbcr[1];
    const th_img_plane& vPlane = ycbcr[2];
    const size_t rowBytes = size_t(width) * 3;
    if (lumaPlane.width <= 0 || lumaPlane.height <= 0 || uPlane.width <= 0 || uPlane.height <= 0 ||
        vPlane.width < uPlane.width || vPlane.height < uPlane.height) {
        std::memset(rgb, 0, rowBytes * height);
        return;
    }
    const uint32_t lumaW = uint32_t(lumaPlane.width), lumaH = uint32_t(lumaPlane.height);
    const uint32_t chromaW = uint32_t(uPlane.width), chromaH = uint32_t(uPlane.height);
    // Columns whose luma and chroma samples both lie inside their planes; the rest (a picture
    // region that overhangs the planes) repeats the last sample of the row.
    uint32_t inside = 0;
    if (picX < lumaW) {
        inside = lumaW - picX;
        if (chromaW * 2 - picX < inside)
            inside = chromaW * 2 > picX ? chromaW * 2 - picX : 0;
        if (inside > width)
            inside = width;
    }
    for (uint32_t row = 0; row < height; ++row) {
        uint32_t fy = picY + row;
        if (fy >= lumaH)
            fy = lumaH - 1;
        uint32_t cy = fy >> 1;
        if (cy >= chromaH)
            cy = chromaH - 1;
        const uint8_t* luma = lumaPlane.data + ptrdiff_t(fy) * lumaPlane.stride;
        const uint8_t* u = uPlane.data + ptrdiff_t(cy) * uPlane.stride;
        const uint8_t* v = vPlane.data + ptrdiff_t(cy) * vPlane.stride;
        uint8_t* out = rgb + rowBytes * (height - 1 - row);
        uint32_t x = 0;
        uint32_t fx = picX;
        // An odd first column has its chroma sample to itself.
        if ((fx & 1) && x < inside) {
            StorePixel(out, luma[fx], u[fx >> 1] - 128, v[fx >> 1] - 128);
            out += 3, ++x, ++fx;
        }
        for (; x + 1 < inside; x += 2, fx += 2, out += 6) {
            const int cu = u[fx >> 1] - 128, cv = v[fx >> 1] - 128;
            StorePixel(out, luma[fx], cu, cv);
            StorePixel(out + 3, luma[fx + 1], cu, cv);
        }
        for (; x < width; ++x, ++fx, out += 3) {
            const uint32_t lx = fx < lumaW ? fx : lumaW - 1;
            const uint32_t cx = (fx >> 1) < chromaW ? fx >> 1 : chromaW - 1;
            StorePixel(out, luma[lx], u[cx] - 128, v[cx] - 128);
        }
    }
}

C3DVideoOgg::C3DVideoOgg(WorldData* pWorldData) : C3DVideo(pWorldData)
{
    m_bPlaying = true;
}

C3DVideoOgg::~C3DVideoOgg()
{
    Release();
}

double C3DVideoOgg::GetFramesPerSecond() const
{
    return m_pTheoraDecoder && m_theoraInfo.fps_denominator
               ? double(m_theoraInfo.fps_numerator) / double(m_theoraInfo.fps_denominator)
               : 0.0;
}

// ---- states -----------------------------------------------------------------------------------

Status C3DVideoOgg::Init()
{
    if (!m_bInfoReady) {
        ogg_sync_init(&m_sync);
        th_info_init(&m_theoraInfo);
        th_comment_init(&m_theoraComment);
        vorbis_info_init(&m_vorbisInfo);
        vorbis_comment_init(&m_vorbisComment);
        m_bInfoReady = true;
    }
    return kStatusOk;
}

void C3DVideoOgg::CloseStreams()
{
    if (!m_bInfoReady)
        return;
    if (m_pTheoraDecoder)
        th_decode_free(m_pTheoraDecoder);
    m_pTheoraDecoder = nullptr;
    th_setup_free(m_pTheoraSetup);
    m_pTheoraSetup = nullptr;
    if (m_nTheoraHeaders > 0)
        ogg_stream_clear(&m_theoraStream);
    m_nTheoraHeaders = 0;
    th_comment_clear(&m_theoraComment);
    th_info_clear(&m_theoraInfo);
    if (m_bVorbisSynthesis) {
        vorbis_block_clear(&m_vorbisBlock);
        vorbis_dsp_clear(&m_vorbisDsp);
    }
    m_bVorbisSynthesis = false;
    if (m_nVorbisHeaders > 0)
        ogg_stream_clear(&m_vorbisStream);
    m_nVorbisHeaders = 0;
    vorbis_comment_clear(&m_vorbisComment);
    vorbis_info_clear(&m_vorbisInfo);
    ogg_sync_clear(&m_sync);
    m_bInfoReady = false;
    m_bHasSound = false;
}

Status C3DVideoOgg::Release()
{
    CloseStreams();
    UTILS_FREE(m_pPcm);
    m_pPcm = nullptr;
    m_nPcmBytes = m_nPcmFill = 0;
    if (m_pStream) {
        m_pStream->Close();
        delete m_pStream;
        m_pStream = nullptr;
    }
    UTILS_FREE(m_pFrameBuffer);
    m_pFrameBuffer = nullptr;
    m_nFramesShown = 0;
    m_nLastFrameTime = 0;
    return Failed(ReleaseResources()) ? kStatusFailed : kStatusOk;
}

// ---- loading ----------------------------------------------------------------------------------

Status C3DVideoOgg::MakeFromAddress(const void* data, uint32_t size, const char16_t* name, float volume, uint32_t,
                                    uint32_t)
{
    return LoadFromSource(Source::Memory, data, size, name, nullptr, volume);
}

Status C3DVideoOgg::LoadFromPacker(PackRecord* pEntry, float volume, uint32_t, uint32_t)
{
    return LoadFromSource(Source::Packer, nullptr, 0, nullptr, pEntry, volume);
}

Status C3DVideoOgg::LoadFromFile(const char16_t* path, float volume, uint32_t, uint32_t)
{
    return LoadFromSource(Source::File, nullptr, 0, path, nullptr, volume);
}

Status C3DVideoOgg::LoadFromSource(Source source, const void* data, uint32_t size, const char16_t* name,
                                   PackRecord* pEntry, float volume)
{
    if (m_pStream || IsLoaded())
        Release();
    Init();
    switch (source) {
    case Source::Memory:
        m_pStream = new (std::nothrow) UtilsStream_Static(kStreamRead, const_cast<void*>(data), size);
        break;
    case Source::Packer:
        m_pStream = pEntry ? new (std::nothrow) UtilsStream_Packer(kStreamRead, pEntry) : nullptr;
        break;
    case Source::File:
        m_pStream = name ? new (std::nothrow) UtilsStream_File(kStreamRead, name) : nullptr;
        break;
    }
    if (!m_pStream || (source == Source::Memory && !data) || Failed(m_pStream->Open())) {
        if (m_pStream)
            m_pStream->Close();
        delete m_pStream;
        m_pStream = nullptr;
        return kStatusFailed;
    }
    const Status status = Load(volume);
    if (Failed(status)) {
        Release();
        return status;
    }
    switch (source) {
    case Source::Memory:
        if (name)
            SetName(name);
        break;
    case Source::Packer: SetName(pEntry->lastEntryName); break;
    case Source::File: SetName(C3DResourceName(m_pWorldData, name)); break;
    }
    m_bRunning = m_bPlaying = true;
    return kStatusOk;
}

bool C3DVideoOgg::ReadData()
{
    // The last block of the data is usually shorter: it is read and declared as it is.
    const int64_t left = m_pStream->BytesLeft();
    const uint32_t want = left >= 0 && left < kReadBlock ? uint32_t(left) : kReadBlock;
    if (want == 0)
        return false;
    char* buffer = ogg_sync_buffer(&m_sync, long(want));
    if (!buffer || !m_pStream->Read(buffer, 1, want))
        return false;
    ogg_sync_wrote(&m_sync, long(want));
    return true;
}

void C3DVideoOgg::QueuePage()
{
    // A page of another stream is refused by the stream state.
    if (m_nTheoraHeaders > 0)
        ogg_stream_pagein(&m_theoraStream, &m_page);
    if (m_nVorbisHeaders > 0)
        ogg_stream_pagein(&m_vorbisStream, &m_page);
}

Status C3DVideoOgg::OpenStreams()
{
    Init();
    CAudioEngine* audio = m_pWorldData && m_pWorldData->pWorld ? m_pWorldData->pWorld->GetAudioEngine() : nullptr;

    // 1. The pages that begin the logical streams: the first Theora and, with an audio engine,
    // the first Vorbis stream are kept.
    bool headerPages = true;
    while (headerPages && ReadData()) {
        int paged;
        while (headerPages && (paged = ogg_sync_pageout(&m_sync, &m_page)) != 0) {
            if (paged < 0)
                continue; // a hole in the data
            if (!ogg_page_bos(&m_page)) {
                QueuePage();
                headerPages = false;
                continue;
            }
            ogg_stream_state test;
            if (ogg_stream_init(&test, ogg_page_serialno(&m_page)) != 0)
                return kStatusFailed;
            ogg_stream_pagein(&test, &m_page);
            ogg_packet packet;
            if (ogg_stream_packetout(&test, &packet) == 1) {
                if (m_nTheoraHeaders == 0 &&
                    th_decode_headerin(&m_theoraInfo, &m_theoraComment, &m_pTheoraSetup, &packet) > 0) {
                    m_theoraStream = test;
                    m_nTheoraHeaders = 1;
                    continue;
                }
                if (audio && m_nVorbisHeaders == 0 &&
                    vorbis_synthesis_headerin(&m_vorbisInfo, &m_vorbisComment, &packet) == 0) {
                    m_vorbisStream = test;
                    m_nVorbisHeaders = 1;
                    continue;
                }
            }
            ogg_stream_clear(&test);
        }
    }

    // 2. The other two headers of each stream.
    while ((m_nTheoraHeaders > 0 && m_nTheoraHeaders < 3) || (m_nVorbisHeaders > 0 && m_nVorbisHeaders < 3)) {
        ogg_packet packet;
        int got;
        while (m_nTheoraHeaders > 0 && m_nTheoraHeaders < 3 &&
               (got = ogg_stream_packetout(&m_theoraStream, &packet)) != 0) {
            if (got < 0 || th_decode_headerin(&m_theoraInfo, &m_theoraComment, &m_pTheoraSetup, &packet) <= 0)
                return kStatusFailed;
            ++m_nTheoraHeaders;
        }
        while (m_nVorbisHeaders > 0 && m_nVorbisHeaders < 3 &&
               (got = ogg_stream_packetout(&m_vorbisStream, &packet)) != 0) {
            if (got < 0 || vorbis_synthesis_headerin(&m_vorbisInfo, &m_vorbisComment, &packet) != 0)
                return kStatusFailed;
            ++m_nVorbisHeaders;
        }
        if (const int paged = ogg_sync_pageout(&m_sync, &m_page); paged != 0) {
            if (paged > 0)
                QueuePage();
        } else if (!ReadData()) {
            return kStatusFailed;
        }
    }

    // 3. The decoders.
    if (m_nTheoraHeaders == 0)
        return kStatusFailed; // nothing to show
    const th_info& info = m_theoraInfo;
    if (info.pixel_fmt != TH_PF_420 || info.frame_width > kMaxFrameSide || info.frame_height > kMaxFrameSide ||
        info.pic_width == 0 || info.pic_height == 0 || info.pic_x + info.pic_width > info.frame_width ||
        info.pic_y + info.pic_height > info.frame_height || info.fps_numerator == 0 || info.fps_denominator == 0)
        return kStatusFailed;
    m_pTheoraDecoder = th_decode_alloc(&m_theoraInfo, m_pTheoraSetup);
    if (!m_pTheoraDecoder)
        return kStatusFailed;
    if (m_nVorbisHeaders > 0) {
        const char16_t* logPath = m_pWorldData ? m_pWorldData->logPath : nullptr;
        if (m_vorbisInfo.channels > 2 || m_vorbisInfo.channels < 1 || m_vorbisInfo.rate > kMaxRate ||
            m_vorbisInfo.rate < 1) {
            if (m_vorbisInfo.channels > 2)
                Log(logPath, 0, u"# Ogg logical Vorbis audio stream ERROR : Unsupported number of audio channels (%d)\n",
                    m_vorbisInfo.channels);
            ogg_stream_clear(&m_vorbisStream);
            m_nVorbisHeaders = 0;
            vorbis_comment_clear(&m_vorbisComment);
            vorbis_info_clear(&m_vorbisInfo);
            vorbis_info_init(&m_vorbisInfo);
            vorbis_comment_init(&m_vorbisComment);
        } else {
            if (vorbis_synthesis_init(&m_vorbisDsp, &m_vorbisInfo) != 0)
                return kStatusFailed;
            vorbis_block_init(&m_vorbisDsp, &m_vorbisBlock);
            m_bVorbisSynthesis = true;
            m_bHasSound = true;
        }
    }
    return kStatusOk;
}

Status C3DVideoOgg::Load(float volume)
{
    if (Failed(OpenStreams()))
        return kStatusFailed;
    WorldData* world = m_pWorldData;
    const char16_t* logPath = world ? world->logPath : nullptr;
    const uint32_t width = m_theoraInfo.pic_width, height = m_theoraInfo.pic_height;

    // The picture.
    Log(logPath, 0, u"# Ogg logical Theora video stream %dx%d %.02f fps\n", int32_t(width), int32_t(height),
        GetFramesPerSecond());
    if ((m_nFlags & k3DVideoPowerOfTwo) && world && world->texturePowerOfTwo &&
        (!IsPowerOfTwo(width) || !IsPowerOfTwo(height))) {
        world->lastErrorCode = kStatusVideoNotPowerOfTwo;
        return kStatusVideoNotPowerOfTwo;
    }
    C3DEngine* engine = C3DEngine::FromWorld(world);
    m_pTexture = engine ? engine->CreateTexture(kFrameTextureFlags, kFrameTextureSecond) : nullptr;
    if (!m_pTexture)
        return kStatusFailed;
    m_pFrameBuffer = static_cast<uint8_t*>(UTILS_CALLOC(size_t(width) * height * 3, 1));
    if (!m_pFrameBuffer) {
        if (world)
            world->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    if (Failed(m_pTexture->MakeFromRaw(uint16_t(width), uint16_t(height), 24, m_pFrameBuffer, nullptr))) {
        Log(logPath, 0, u"# C3DVideoOgg::Load failed! Can't make from raw texture %dx%d\n", int32_t(width),
            int32_t(height));
        return kStatusFailed;
    }
    m_nDepth = 24;
    m_nWidth = uint16_t(width);
    m_nHeight = uint16_t(height);

    // The sound.
    if (m_bHasSound) {
        const uint32_t channels = uint32_t(m_vorbisInfo.channels), rate = uint32_t(m_vorbisInfo.rate);
        Log(logPath, 0, u"# Ogg logical Vorbis audio stream %d channel(s) %ld Hz\n", int32_t(channels), int32_t(rate));
        CAudioEngine* audio = world->pWorld->GetAudioEngine();
        m_pSound = audio->CreateObject(kAudioCreateListFlag, 0);
        if (!m_pSound)
            return kStatusFailed;
        m_nPcmBytes = channels * 2 * rate;
        m_pPcm = static_cast<int16_t*>(UTILS_CALLOC(m_nPcmBytes, 1));
        if (!m_pPcm) {
            world->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
        if (Failed(m_pSound->CreateStream(channels, rate, m_nPcmBytes / 2 / channels, 0, nullptr))) {
            Log(logPath, 0, u"# C3DVideoOgg::Load failed! Can't make from raw sound\n");
            return kStatusFailed;
        }
        m_pSound->SetVolume(volume);
        m_fVolume = volume;
    }
    ResetClocks();
    return Failed(Update(false)) ? kStatusFailed : kStatusOk;
}

void C3DVideoOgg::ResetClocks()
{
    m_nLastFrameTime = 0;
    m_dClockSteps = 0.0;
    m_nFramesShown = 0;
    m_nPcmFill = 0;
    m_bSoundEnded = false;
    m_nSoundConsumed = kSoundAhead;
    m_nSoundClock = 0;
}

Status C3DVideoOgg::Restart()
{
    if (!m_pStream)
        return kStatusFailed;
    CloseStreams();
    if (!m_pStream->Rewind() || Failed(OpenStreams()))
        return kStatusFailed;
    const uint32_t channels = GetChannels(), rate = GetRate();
    if (m_bHasSound != (m_pSound != nullptr) || (m_pSound && channels * 2 * rate != m_nPcmBytes))
        return kStatusFailed;
    // A new stream drops what the old one still held, so the sound starts with the first frame.
    if (m_pSound) {
        if (Failed(m_pSound->CreateStream(channels, rate, m_nPcmBytes / 2 / channels, 0, nullptr)))
            return kStatusFailed;
        m_pSound->SetVolume(m_fVolume);
    }
    ResetClocks();
    return Update(false);
}

// ---- playing ----------------------------------------------------------------------------------

bool C3DVideoOgg::DecodeAudio()
{
    const uint32_t channels = uint32_t(m_vorbisInfo.channels);
    const uint32_t frameBytes = channels * 2;
    for (;;) {
        float** pcm = nullptr;
        const int available = vorbis_synthesis_pcmout(&m_vorbisDsp, &pcm);
        if (available > 0) {
            const uint32_t room = (m_nPcmBytes - m_nPcmFill) / frameBytes;
            const uint32_t take = uint32_t(available) < room ? uint32_t(available) : room;
            int16_t* out = m_pPcm + m_nPcmFill / 2;
            for (uint32_t i = 0; i < take; ++i)
                for (uint32_t c = 0; c < channels; ++c)
                    *out++ = C3DVideoOgg_PcmSample(pcm[c][i]);
            vorbis_synthesis_read(&m_vorbisDsp, int(take));
            m_nPcmFill += take * frameBytes;
            if (m_nPcmFill + frameBytes > m_nPcmBytes)
                return true;
            continue;
        }
        ogg_packet packet;
        const int got = ogg_stream_packetout(&m_vorbisStream, &packet);
        if (got > 0) {
            if (vorbis_synthesis(&m_vorbisBlock, &packet) == 0)
                vorbis_synthesis_blockin(&m_vorbisDsp, &m_vorbisBlock);
            continue;
        }
        if (got < 0)
            continue; // a gap in the data
        if (m_vorbisStream.e_o_s)
            m_bSoundEnded = true;
        return false;
    }
}

bool C3DVideoOgg::DecodeVideo(bool* frameReady)
{
    *frameReady = false;
    ogg_packet packet;
    int got;
    while ((got = ogg_stream_packetout(&m_theoraStream, &packet)) < 0) {
    }
    if (got == 0)
        return false;
    ogg_int64_t granule = -1;
    const int result = th_decode_packetin(m_pTheoraDecoder, &packet, &granule);
    if (result != 0 && result != TH_DUPFRAME)
        return true;
    const double seconds = th_granule_time(m_pTheoraDecoder, granule);
    if (seconds >= 0.0)
        m_nLastFrameTime = uint64_t(seconds * 1000.0);
    *frameReady = true;
    return true;
}

Status C3DVideoOgg::SubmitAudio()
{
    const uint32_t channels = GetChannels(), rate = GetRate();
    const uint32_t frames = m_nPcmBytes / 2 / channels;
    const Status status = m_pSound->UpdateAudioFromRaw(channels, rate, frames, m_pPcm);
    m_nPcmFill = 0;
    m_nSoundConsumed -= uint64_t(frames / rate) * 1000;
    return status;
}

void C3DVideoOgg::ShowFrame()
{
    th_ycbcr_buffer ycbcr;
    if (th_decode_ycbcr_out(m_pTheoraDecoder, ycbcr) != 0)
        return;
    ConvertFrameToRGB(ycbcr, m_theoraInfo.pic_x, m_theoraInfo.pic_y, m_nWidth, m_nHeight, m_pFrameBuffer);
    m_pTexture->UpdateFromRaw(m_nWidth, m_nHeight, 24, m_pFrameBuffer);
    ++m_nFramesShown;
}

Status C3DVideoOgg::Update(bool advance)
{
    // 1. The clock: the sound's milliseconds played, or the world's frame steps.
    uint64_t clock;
    bool soundNeeded = false;
    if (m_bHasSound) {
        const uint32_t elapsed = advance ? m_pSound->GetElapsedMs() : 0;
        m_nSoundConsumed += elapsed;
        m_nSoundClock += elapsed;
        soundNeeded = m_nSoundConsumed > m_nSoundThreshold;
        clock = m_nSoundClock;
    } else {
        if (advance && m_pWorldData)
            m_dClockSteps += m_pWorldData->frameTime;
        clock = uint64_t(m_dClockSteps * (1000.0 / 30.0));
    }
    const bool frameNeeded = clock >= m_nLastFrameTime;

    // 2. Decode what is needed, reading more data while the streams have nothing.
    bool frameReady = false, soundReady = false, dataEnded = false;
    while ((frameNeeded && !frameReady) || (soundNeeded && !soundReady)) {
        if (soundNeeded && !soundReady)
            soundReady = DecodeAudio() || m_bSoundEnded;
        bool made = false;
        while (frameNeeded && !frameReady && DecodeVideo(&made))
            frameReady = made && m_nLastFrameTime > clock; // frames already over are skipped
        if ((frameNeeded && !frameReady) || (soundNeeded && !soundReady)) {
            // The pages already read first (a hole in the data is passed over), then more data.
            if (const int paged = ogg_sync_pageout(&m_sync, &m_page); paged != 0) {
                if (paged > 0)
                    QueuePage();
            } else if (!ReadData()) {
                dataEnded = true;
                break;
            }
        }
    }

    // 3. The end of the video is the end of its pictures. Sound that ends first is followed by
    // silence, so that its clock runs on to the last frame.
    if (dataEnded && frameNeeded && !frameReady)
        return kStatusFailed;
    if (soundNeeded && (soundReady || m_nPcmFill > 0 || dataEnded)) {
        std::memset(reinterpret_cast<uint8_t*>(m_pPcm) + m_nPcmFill, 0, m_nPcmBytes - m_nPcmFill);
        m_nPcmFill = m_nPcmBytes;
        soundReady = true;
    }

    // 4, 5. Hand over the frame and the sound.
    if (frameReady)
        ShowFrame();
    if (soundReady)
        SubmitAudio();
    return kStatusOk;
}

Status C3DVideoOgg::OnFrame()
{
    if (!m_bRunning || !m_bPlaying)
        return kStatusOk;
    if (Failed(Update(true))) {
        if (!(m_nSecond & k3DVideoLoop) || Failed(Restart())) {
            if (m_pSound)
                m_pSound->Stop();
            m_bRunning = m_bPlaying = false;
        }
    }
    if (m_pSound && m_bRunning && !m_pSound->IsPlaying())
        m_pSound->Play();
    return kStatusOk;
}

Status C3DVideoOgg::Play()
{
    m_bPlaying = true;
    return kStatusOk;
}

// The sound pauses with the picture; OnFrame starts it again.
Status C3DVideoOgg::Pause()
{
    m_bPlaying = false;
    if (m_pSound)
        m_pSound->Pause();
    return kStatusOk;
}

Status C3DVideoOgg::Stop()
{
    m_bPlaying = m_bRunning = false;
    if (m_pSound)
        m_pSound->Stop();
    return kStatusOk;
}

// A video rewound plays again, also after it finished.
Status C3DVideoOgg::Rewind()
{
    if (Failed(Restart()))
        return kStatusFailed;
    if (!m_bRunning)
        m_bRunning = m_bPlaying = true;
    return kStatusOk;
}
