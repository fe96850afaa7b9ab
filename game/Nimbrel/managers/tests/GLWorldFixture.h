#pragma once
// A game world drawing through the OpenGL renderer on a window of its own: the GL row of the
// module table selected, application settings from a text, a main pack written from named
// entries and a data folder for loose files. For the managers that draw.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "GLTestSupport.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"

using Bytes = std::vector<uint8_t>;

// Colours within a few steps of each other (pictures stored as JPEG lose a little).
inline bool Near(const Rgba& a, const Rgba& b, int tolerance = 8)
{
    return std::abs(int(a.r) - int(b.r)) <= tolerance && std::abs(int(a.g) - int(b.g)) <= tolerance &&
           std::abs(int(a.b) - int(b.b)) <= tolerance;
}

// A 32-bit TGA whose pixel at (x, y), y from the top, is colour(x, y) as 0xAARRGGBB.
inline Bytes Tga(uint16_t width, uint16_t height, const std::function<uint32_t(int, int)>& colour)
{
    Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (uint16_t v : {width, height}) {
        tga.push_back(uint8_t(v & 0xFF));
        tga.push_back(uint8_t(v >> 8));
    }
    tga.push_back(32);
    tga.push_back(8);
    for (int row = height - 1; row >= 0; --row)
        for (int x = 0; x < width; ++x) {
            const uint32_t c = colour(x, row);
            tga.insert(tga.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), uint8_t(c >> 24)});
        }
    return tga;
}

inline Bytes FileBytes(const std::string& path)
{
    Bytes bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(file)) != EOF)
            bytes.push_back(uint8_t(c));
        std::fclose(file);
    }
    return bytes;
}

// The sample's shader texts, by their names in the pack.
inline Bytes SampleShader(const char* name)
{
    return FileBytes(std::string(VORNEL_SOURCE_DIR) + "/data/sample/pack/textures/" + name);
}

class GLWorldFixture : public ::testing::Test {
protected:
    // Opens the window and the renderer on a world of this size with these settings. A
    // subclass may replace the engine before it loads (MakeEngine).
    void Open(uint16_t width, uint16_t height, const std::string& settings)
    {
        if (!HaveGLDisplay())
            GTEST_SKIP() << "needs a display (run under xvfb-run)";
        m_world = MakeWorld();
        WorldData* w = m_world->GetWorldData();
        m_math = std::make_unique<C3DMath>(w);
        PrepareWorld(*w, m_math.get(), width, height);
        w->selected[kModule3D].pDescriptor = FindModuleDescriptor(kModule3D, 5);
        w->frameTime = 1.0;
        m_settingsText = settings;
        m_settings = std::make_unique<UtilsParameters_Text>(m_settingsText.c_str(), uint32_t(m_settingsText.size()));
        w->pAppSettings = m_settings.get();
        w->pfnPackLocator = FindPackEntry;
        char folder[] = "/tmp/nimbrel_managers_XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
        const std::u16string data = UtilsString_FromUtf8((m_folder + "/").c_str());
        // Resources and textures by name from the pack, as the game takes them.
        m_world->SetApplicationParameters(kNimbrelResourceMode, u"KEY", u"Nimbrel", data.c_str(), 0);
        UtilsString_Copy(w->dataPath, kWorldTextSize, data.c_str());
        w->dataPathWord = int32_t(data.size());
        const std::u16string log = UtilsString_FromUtf8((m_folder + "/test.log").c_str());
        UtilsString_Copy(w->logPath, kWorldTextSize, log.c_str());
        PlatformWindowDesc desc;
        desc.title = "managers";
        desc.width = width;
        desc.height = height;
        desc.visible = true;
        m_window = Platform_CreateWindow(desc);
        ASSERT_NE(m_window, nullptr);
        m_engine = MakeEngine(w);
        ASSERT_NE(m_engine, nullptr);
        ASSERT_EQ(m_engine->Load(m_window), kStatusOk);
        m_engine->GetView()->ResetView();
        m_engine->GetView()->ComputeProjection();
        m_height = height;
    }

    virtual std::unique_ptr<CNimbrelWorld> MakeWorld() { return std::make_unique<CNimbrelWorld>(); }
    virtual C3DEngine_GL* MakeEngine(WorldData* w) { return static_cast<C3DEngine_GL*>(CreateModule3D_GL(w)); }

    void TearDown() override
    {
        if (!m_world)
            return;
        for (int32_t slot = kManagerCount - 1; slot >= 0; --slot)
            m_world->SetManager(slot, nullptr);
        WorldData* w = m_world->GetWorldData();
        ClosePackFile(&w->pack);
        if (m_engine) {
            m_engine->Unload();
            delete m_engine;
        }
        Platform_DestroyWindow(m_window);
        w->pAppSettings = nullptr;
        m_world.reset();
        m_engine = nullptr;
        m_window = nullptr;
        std::error_code error;
        if (!m_folder.empty())
            std::filesystem::remove_all(m_folder, error);
        m_folder.clear();
    }

    // The main pack, written from these entries.
    void Pack(const std::map<std::string, Bytes>& entries)
    {
        WorldData* w = m_world->GetWorldData();
        ClosePackFile(&w->pack);
        const std::string path = m_folder + "/main.pak";
        WritePack(path, entries);
        ASSERT_EQ(OpenPackFile(&w->pack, UtilsString_FromUtf8(path.c_str()).c_str(), 0), kStatusOk);
    }

    // A pack file written from these entries.
    void WritePack(const std::string& path, const std::map<std::string, Bytes>& entries)
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(WritePackCountRecord(file, uint32_t(entries.size())), kStatusOk);
        for (const auto& [name, bytes] : entries)
            ASSERT_EQ(WritePackRecord(file, name.c_str(), bytes.data(), uint32_t(bytes.size())), kStatusOk);
        std::fclose(file);
    }

    // A loose file of the data folder.
    void Loose(const std::string& name, const Bytes& bytes)
    {
        const std::filesystem::path path = std::filesystem::path(m_folder) / name;
        std::filesystem::create_directories(path.parent_path());
        std::FILE* file = std::fopen(path.string().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }

    // A picture file (".png", ".jpg") of one colour per pixel, y from the top.
    Bytes Picture(const std::string& extension, uint16_t width, uint16_t height,
                  const std::function<uint32_t(int, int)>& colour)
    {
        std::vector<uint8_t> pixels;
        for (int row = height - 1; row >= 0; --row)  // rows bottom-up
            for (int x = 0; x < width; ++x) {
                const uint32_t c = colour(x, row);
                pixels.insert(pixels.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
            }
        C3DTextureRaw raw(Data());
        EXPECT_EQ(raw.SetPixelsCopy(width, height, 24, pixels.data()), kStatusOk);
        const std::string path = m_folder + "/picture" + extension;
        EXPECT_EQ(raw.SaveToFile(UtilsString_FromUtf8(path.c_str()).c_str(), false), kStatusOk);
        Bytes bytes = FileBytes(path);
        std::remove(path.c_str());
        return bytes;
    }

    void BeginFrame(uint32_t clear)
    {
        m_world->GetWorldData()->colorClear = clear;
        m_engine->BeginScene();
    }

    // Pixel (x, y) from the top of the window.
    Rgba Pixel(int x, int y)
    {
        Rgba c{};
        glReadPixels(x, m_height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &c);
        return c;
    }

    WorldData* Data() { return m_world->GetWorldData(); }
    std::string LastError() { return UtilsString_ToUtf8(Data()->lastErrorText); }

    std::unique_ptr<CNimbrelWorld> m_world;
    std::unique_ptr<C3DMath> m_math;
    std::string m_settingsText;
    std::unique_ptr<UtilsParameters_Text> m_settings;
    std::string m_folder;
    PlatformWindow* m_window = nullptr;
    C3DEngine_GL* m_engine = nullptr;
    int m_height = 0;
};
