#pragma once
// The wheels level (522): the wheels board under the level. Its script names the play item and
// the game type, registers the rings (outside in, or as it likes: the first ring whose band
// holds a point is the one picked) and links them; "reset" shuffles. Each ring is a textured
// square centred on the play item, drawn turned about the view axis by its division and offset.
#include <vector>

#include "NimbrelLevels/CObjectsLevelBoard.h"
#include "NimbrelLevels/WheelsBoard.h"

class C3DObject;

class CObjectsLevelWheels : public CObjectsLevelBoard<WheelsBoard> {
public:
    CObjectsLevelWheels(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsLevelWheels() override;

    // The level base's load, then the rings' mesh from the renderer.
    Status Load() override;
    Status Release() override;
    Status ReleaseModel(uint8_t force) override;

    // The play item, the game type and a ring; then one quad per ring and its texture (a
    // texture that cannot load fails the check).
    Status CheckSetup() override;
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    // Nothing eases while solved or while a ring is held.
    Status UpdateState() override;

    Status OnMouseDown(float x, float y, uint32_t state) override;
    Status OnMouseMove(float x, float y, uint32_t state) override;
    Status OnMouseUp(float x, float y, uint32_t state) override;
    Status OnClick(float x, float y, uint32_t state) override;

    // The play item draws its rings, their quads built first when the level has none yet.
    Status DrawElement(ElementRecord* pElement) override;

protected:
    // "reset" also ends a pause.
    Status ResetBoard() override;
    void StateFields(LevelState& state) override;

private:
    void PlayBoardSound(bool null) override;

    bool InPlay() const { return !m_board.Rings().empty() && !m_paused && !m_solved; }
    ElementRecord* PlayItem();
    // Whether the point hits an element other than the play item (it then goes to the base).
    bool HitsOther(float x, float y);
    // The ring under a screen point, -1 for none.
    int32_t PickAt(float x, float y);
    void ReleaseMesh();
    // The quads and textures of the rings; kStatusFailed when the board is not whole or a
    // texture does not load.
    Status BuildMesh();

    C3DObject* m_pMesh = nullptr;
    // The mesh holds a quad per ring with its texture.
    bool m_meshBuilt = false;
    // The mesh or a texture could not be made: tried again only by a check, a profile load or
    // a model reload.
    bool m_meshFailed = false;
    float m_pressX = 0.0f, m_pressY = 0.0f;
};
