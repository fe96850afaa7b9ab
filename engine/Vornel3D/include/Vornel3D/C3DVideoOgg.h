#pragma once
// The Ogg video player: the first Theora stream of an Ogg file decoded into a 24-bit texture,
// and its first Vorbis stream, when the world has an audio engine and the stream at most two
// channels, written as 16-bit PCM into a streaming sound, one second at a time.
//
// The frame is Theora's picture region (4:2:0 only), its rows bottom first as in every raw
// texture of the engine. With sound the player
// takes its clock from the milliseconds the sound reports played; without, from the world's
// frame steps (thirtieths of a second). A frame is shown from its start until its granule
// time (the time it ends); frames whose time has already passed are decoded but not shown.
// With the loop bit the video starts again from its first frame and sound when it ends;
// without it the video finishes (IsFinished) and its sound stops.
#include <cstdint>

#include <ogg/ogg.h>
#include <theora/theoradec.h>
#include <vorbis/codec.h>

#include "Vornel3D/C3DVideo.h"

class UtilsStream;

// One PCM sample from Vorbis's float: floor(x x 32000 + 0.5), clamped to -32000..32000.
int16_t C3DVideoOgg_PcmSample(float x);

class C3DVideoOgg : public C3DVideo {
public:
    explicit C3DVideoOgg(WorldData* pWorldData);
    // Release has freed everything; a video deleted without it is released here.
    ~C3DVideoOgg() override;

    // Initialises the sync state and the info and comment states (again after a Release). 0.
    Status Init() override;
    // Frees the decoding states, the buffers and the data stream, then the resources.
    Status Release() override;
    // While running and playing: one Update. At the end of the video: with the loop bit it
    // starts again, else the sound stops and the video finishes. A sound not playing starts.
    Status OnFrame() override;
    Status MakeFromAddress(const void* data, uint32_t size, const char16_t* name, float volume, uint32_t a,
                           uint32_t b) override;
    Status LoadFromPacker(PackRecord* pEntry, float volume, uint32_t a, uint32_t b) override;
    Status LoadFromFile(const char16_t* path, float volume, uint32_t a, uint32_t b) override;
    Status Play() override;
    Status Pause() override;
    Status Stop() override;
    // Starts the video again from its first frame and sound, also one that had finished.
    Status Rewind() override;
    uint64_t GetTime() override { return m_nLastFrameTime; }

    bool HasSound() const { return m_bHasSound; }
    uint32_t GetChannels() const { return m_bHasSound ? uint32_t(m_vorbisInfo.channels) : 0; }
    uint32_t GetRate() const { return m_bHasSound ? uint32_t(m_vorbisInfo.rate) : 0; }
    // Frames per second of the Theora stream (0 before a load).
    double GetFramesPerSecond() const;
    // Frames shown since the load or the last restart (skipped ones not counted).
    uint32_t GetFramesShown() const { return m_nFramesShown; }
    // The RGB frame (width x height x 3 bytes, rows bottom first); null before a load.
    const uint8_t* GetFrameBuffer() const { return m_pFrameBuffer; }

    // Theora's picture region of a 4:2:0 frame into RGB rows, the bottom row first: R = (298 (Y - 16) + 409 V + 128)
    // >> 8, G = (298 (Y - 16) - 100 U - 208 V + 128) >> 8, B = (298 (Y - 16) + 516 U + 128)
    // >> 8 with U and V less 128, each clamped to 0..255. Each plane is read through its stride
    // from the picture's offset; odd offsets and sizes take the chroma sample that covers the pixel.
    static void ConvertFrameToRGB(const th_ycbcr_buffer ycbcr, uint32_t picX, uint32_t picY, uint32_t width,
                                  uint32_t height, uint8_t* rgb);

private:
    enum class Source { Memory, Packer, File };
    Status LoadFromSource(Source source, const void* data, uint32_t size, const char16_t* name, PackRecord* pEntry,
                          float volume);
    Status Load(float volume);
    // Header pages and packets of both streams, then the decoders; 0x80000001 on bad data.
    Status OpenStreams();
    // Frees both decoders and stream states and resets the sync state.
    void CloseStreams();
    // Back to the first frame and sound: data, streams, decoders and every clock.
    Status Restart();
    void ResetClocks();
    // Up to 8500 more bytes of the data stream into the sync layer; false at the end.
    bool ReadData();
    // The page into the stream it belongs to.
    void QueuePage();
    // Step: decode what the clock asks for and hand it over. 0x80000001 at the end of the video.
    // The first step after a (re)start reads the clock without advancing it.
    Status Update(bool advance);
    // More PCM into the buffer; true when it is full.
    bool DecodeAudio();
    // The next Theora packet decoded; false when none is queued. `frameReady` tells whether it
    // made a frame (header packets do not).
    bool DecodeVideo(bool* frameReady);
    Status SubmitAudio();
    void ShowFrame();

    UtilsStream* m_pStream = nullptr;
    uint8_t* m_pFrameBuffer = nullptr;

    ogg_sync_state m_sync{};
    ogg_page m_page{};

    ogg_stream_state m_theoraStream{};
    th_info m_theoraInfo{};
    th_comment m_theoraComment{};
    th_setup_info* m_pTheoraSetup = nullptr;
    th_dec_ctx* m_pTheoraDecoder = nullptr;
    int m_nTheoraHeaders = 0;

    ogg_stream_state m_vorbisStream{};
    vorbis_info m_vorbisInfo{};
    vorbis_comment m_vorbisComment{};
    vorbis_dsp_state m_vorbisDsp{};
    vorbis_block m_vorbisBlock{};
    int m_nVorbisHeaders = 0;
    bool m_bVorbisSynthesis = false;
    bool m_bHasSound = false;
    bool m_bInfoReady = false;

    uint64_t m_nLastFrameTime = 0;  // ms, the end of the frame shown
    double m_dClockSteps = 0.0;     // frame steps since the start, without sound
    uint32_t m_nFramesShown = 0;

    int16_t* m_pPcm = nullptr;      // one second, interleaved
    uint32_t m_nPcmBytes = 0;
    uint32_t m_nPcmFill = 0;        // bytes
    bool m_bSoundEnded = false;     // the Vorbis stream has nothing more
    uint64_t m_nSoundConsumed = 0;  // ms: 2001 at the start, less each second handed over
    uint64_t m_nSoundThreshold = 1000;
    uint64_t m_nSoundClock = 0;     // ms played
    float m_fVolume = 1.0f;
};
