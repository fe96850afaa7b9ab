// A generated video played by the Ogg player into its GL texture and drawn on a screen quad:
// the bars read back in their colours, and the moving block in its place, at two frame times.
#include <cstdlib>

#include "GLTestSupport.h"
#include "Vornel3D/C3DVideoOgg.h"
#include "Vornel3D/VideoOggWriter.h"

namespace {

class GLVideoTest : public GLEngineTest {
protected:
    void SetUp() override { Open(256, 192); }
};

bool Near(const Rgba& pixel, uint32_t rgb, int tolerance)
{
    return std::abs(int(pixel.r) - int(rgb >> 16 & 0xFF)) <= tolerance &&
           std::abs(int(pixel.g) - int(rgb >> 8 & 0xFF)) <= tolerance &&
           std::abs(int(pixel.b) - int(rgb & 0xFF)) <= tolerance;
}

TEST_F(GLVideoTest, FramesReachTheQuadAtTheirTimes)
{
    constexpr uint32_t kWidth = 128, kHeight = 96, kFrames = 20;
    VideoOggFormat format;
    format.width = kWidth;
    format.height = kHeight;
    format.fpsNumerator = 10;
    std::vector<uint8_t> file;
    ASSERT_EQ(VideoTestCard_Write(format, kFrames / 10.0, 220.0, file), kStatusOk);

    C3DVideo* video = m_engine->CreateVideo(0, 0);
    ASSERT_NE(video, nullptr);
    ASSERT_EQ(video->MakeFromAddress(file.data(), uint32_t(file.size()), u"card.ogv", 1.0f, 0, 0), kStatusOk);
    ASSERT_NE(video->GetTexture(), nullptr);
    // Drawn twice its size, texel for two pixels each way.
    C3DObject* quad = MakeQuad(0x800, 0, 0, 2 * kWidth, 2 * kHeight, 0xFFFFFFFFu, video->GetTexture());
    ASSERT_NE(quad, nullptr);

    // The block's row, and where it stands in a frame (left to right over the video).
    const uint32_t barsEnd = kHeight * 2 / 3, block = kWidth / 8;
    const int blockRow = 2 * int(barsEnd + block / 2);
    auto blockCentre = [&](uint32_t frame) { return 2 * int((kWidth - block) * frame / (kFrames - 1) + block / 2); };

    m_world->frameTime = 3.0; // a tenth of a second: one frame a step
    for (uint32_t frame : {0u, 12u}) {
        while (static_cast<C3DVideoOgg*>(video)->GetFramesShown() < frame + 1)
            video->OnFrame();
        m_engine->BeginScene();
        m_engine->Clear();
        quad->Draw();
        for (uint32_t bar = 0; bar < 8; ++bar) {
            const uint32_t x = (2 * bar + 1) * kWidth / 16;
            const Rgba pixel = Pixel(2 * int(x), int(kHeight) / 2);
            EXPECT_TRUE(Near(pixel, VideoTestCard_BarColor(kWidth, x), 24))
                << "frame " << frame << " bar " << bar << " " << pixel;
        }
        EXPECT_TRUE(Near(Pixel(blockCentre(frame), blockRow), 0xFFFFFF, 32)) << frame;
        const uint32_t other = frame == 0 ? 12 : 0;
        EXPECT_TRUE(Near(Pixel(blockCentre(other), blockRow), 0x404040, 32)) << frame;
    }
    EXPECT_EQ(m_engine->ReleaseObject(quad), kStatusOk);
    EXPECT_EQ(m_engine->ReleaseVideo(video), kStatusOk);
    EXPECT_EQ(m_engine->GetTextureList().GetCount(), 0u);
}

} // namespace
