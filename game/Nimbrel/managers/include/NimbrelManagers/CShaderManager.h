#pragma once
// The game's two shader effects and which one is bound. The world begins the default shader at
// the start of each drawn frame and ends it at the end; a scene element's dissolve applies the
// noise transition around its draw and ends it after. A noise transition that cannot be loaded
// raises the game record's no-shader-fades flag, by which dissolves fall back to alpha fades.
//
// The renderer decides whether a default shader wraps the frame at all; neither renderer of
// this program uses one, so the four default-shader operations keep their rules but change
// nothing there.
#include <cstdint>

#include "NimbrelManagers/CShaderTransition.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "Vornel3D_ToolBox/CManagedObject.h"

class UtilsStream_Chunk;
class UtilsStream_ChunkList;

class CShaderManager : public CManagedObject {
public:
    explicit CShaderManager(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CShaderManager() override;

    // The noise transition (its failure sets the no-shader-fades flag), then the default one,
    // whose failure fails the load (kStatusFailed). kStatusOutOfMemory (latched) when an
    // effect cannot be allocated.
    Status Load() override;
    // Both effects unloaded and deleted, the default one first; kStatusFailed when an unload
    // fails (what is left stays).
    Status Unload() override;

    // Begins the default shader unless it is current; ends it when it is. Only when the
    // renderer draws through a default shader.
    void BeginDefaultShader();
    void EndDefaultShader();
    // The effect bound from now on (null: none); a current default shader is ended first.
    void SetCurrentShader(CShaderEffectBase* pEffect);
    // After another effect: none current, then the default shader begins.
    void RestoreDefaultShader();

    CShaderTransitionNoise* GetNoiseTransition() const { return m_pNoise; }
    CShaderTransition* GetDefaultTransition() const { return m_pDefault; }
    CShaderEffectBase* GetCurrentShader() const { return m_pCurrent; }

    // Chunk 140000 holds nothing of this manager.
    Status LoadFromStream(UtilsStream_Chunk*) { return kStatusOk; }
    Status SaveToStream(UtilsStream_ChunkList*, UtilsStream_Chunk*) { return kStatusOk; }

protected:
    // The renderer draws every frame through a default shader.
    virtual bool IsDefaultShaderInUse();

private:
    CShaderTransitionNoise* m_pNoise = nullptr;
    CShaderTransition* m_pDefault = nullptr;
    CShaderEffectBase* m_pCurrent = nullptr;
};
