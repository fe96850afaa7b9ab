#pragma once
// The loading screen: a full-screen picture, fitted to the window like the reference screen,
// over a background in the picture's corner colour. The progress bar draws it while the world
// loads, changes language, changes level or activates a level. The picture's name carries its
// pixel size ("loading_1024x768.png"), which the fit needs before the picture is drawn.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class C3DObject;

class CLoading : public CManagedObject {
public:
    explicit CLoading(WorldData* pWorldData);
    ~CLoading() override;

    // The two quads and the picture ("LOADING", "LOADING_TEXTURE_PATH", "loading.png"),
    // loaded at the game's texture halvings, then laid out. kStatusFailed when the picture
    // cannot be loaded or its name holds no size.
    Status Load() override;
    // Releases both quads. 0.
    Status Unload() override;
    // The picture fitted into the virtual screen. 0; kStatusFailed before a load.
    Status Layout();
    Status Reload() override { return Layout(); }
    // The background, then the picture.
    void Render() override;

    int32_t GetImageWidth() const { return m_imageWidth; }
    int32_t GetImageHeight() const { return m_imageHeight; }
    C3DObject* GetPicture() const { return m_pPicture; }
    C3DObject* GetBackground() const { return m_pBackground; }

private:
    int32_t m_imageWidth = -1;
    int32_t m_imageHeight = -1;
    C3DObject* m_pBackground = nullptr;
    C3DObject* m_pPicture = nullptr;
};
