#include "Vornel3D_DX9/RendererBlockDX90.h"

#include "VornelUtils/WorldData.h"

C3DRendererBlockDX90* DX9BlockFromWorld(const WorldData* pWorldData)
{
    return pWorldData ? static_cast<C3DRendererBlockDX90*>(pWorldData->pRendererBlock) : nullptr;
}

IDirect3DDevice9* DX9DeviceFromWorld(const WorldData* pWorldData)
{
    const C3DRendererBlockDX90* block = DX9BlockFromWorld(pWorldData);
    return block ? block->pDevice : nullptr;
}

IDirect3DDevice9* DX9DrawingDeviceFromWorld(const WorldData* pWorldData)
{
    const C3DRendererBlockDX90* block = DX9BlockFromWorld(pWorldData);
    return block && !block->deviceLost ? block->pDevice : nullptr;
}
