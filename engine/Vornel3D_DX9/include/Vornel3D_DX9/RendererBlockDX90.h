#pragma once
// The Direct3D 9 renderer block: what every Direct3D 9 resource class needs of the device.
// The engine owns it and publishes its address in the world data record (pRendererBlock) for
// its lifetime; objects, index buffers, textures, views, shaders and shadows read the device
// from there, never from the engine.
#include <cstdint>

#include <d3d9.h>

struct WorldData;

// Low byte of the device description word: how vertices are processed.
constexpr uint32_t kDX9HardwareVertexProcessing = 1;
constexpr uint32_t kDX9MixedVertexProcessing = 2;
constexpr uint32_t kDX9SoftwareVertexProcessing = 4;
// Second byte: the device type.
constexpr uint32_t kDX9DeviceHAL = 1 << 8;
constexpr uint32_t kDX9DeviceReference = 2 << 8;

struct C3DRendererBlockDX90 {
    HWND hWindow;                    // the device and focus window
    uint32_t defaultBehaviour;       // D3DCREATE_HARDWARE_VERTEXPROCESSING
    uint32_t deviceDescription;      // kDX9...VertexProcessing | kDX9Device...
    uint32_t behaviour;              // the behaviour word of the device that exists
    uint8_t reference;               // 1: D3DDEVTYPE_REF
    IDirect3D9* pD3D;
    uint32_t windowedFormat;         // D3DFMT_UNKNOWN: the desktop's format
    D3DPRESENT_PARAMETERS presentation;
    D3DCAPS9 caps;                   // read once after creation
    IDirect3DDevice9* pDevice;
    // Set while the device is lost and not yet reset: nothing may be drawn, since the
    // objects' state blocks are gone until the reset records them again.
    uint8_t deviceLost;
};

// The block of the world's Direct3D 9 engine; null when none is alive.
C3DRendererBlockDX90* DX9BlockFromWorld(const WorldData* pWorldData);
// Its device, null without an engine or a device.
IDirect3DDevice9* DX9DeviceFromWorld(const WorldData* pWorldData);
// The device when it may be drawn with: null without one or while it is lost.
IDirect3DDevice9* DX9DrawingDeviceFromWorld(const WorldData* pWorldData);
