#pragma once
// The GL renderer on a window of the tool's own, for the commands that draw a picture: the
// "GL" module chosen through the module registry over a world record set up as a loaded
// world leaves it (one virtual unit a pixel), frames begun and read back into a PNG file.
// Without a display it uses SDL's offscreen driver.
#include <cstdint>
#include <memory>
#include <string>

#include "VornelUtils/Status.h"

class C3DEngine;
class C3DMath;
struct PlatformWindow;
struct WorldData;

class COffscreenRenderer {
public:
    COffscreenRenderer();
    ~COffscreenRenderer();

    COffscreenRenderer(const COffscreenRenderer&) = delete;
    COffscreenRenderer& operator=(const COffscreenRenderer&) = delete;

    // Opens the window and the engine; false with the reason in error.
    bool Open(uint16_t width, uint16_t height, std::string& error);

    WorldData* World() const { return m_world.get(); }
    C3DEngine* Engine() const { return m_engine; }

    // Clears the frame to the colour (ARGB).
    void BeginFrame(uint32_t clearColor);
    // The frame as an opaque PNG picture, top row first.
    Status SavePicture(const std::string& path);

private:
    std::unique_ptr<WorldData> m_world;
    std::unique_ptr<C3DMath> m_math;
    PlatformWindow* m_window = nullptr;
    C3DEngine* m_engine = nullptr;
    uint16_t m_width = 0;
    uint16_t m_height = 0;
};
