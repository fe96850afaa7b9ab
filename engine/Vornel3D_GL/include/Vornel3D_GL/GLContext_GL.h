#pragma once
// The OpenGL context record: what every OpenGL resource class needs of the device. The engine
// owns it and publishes its address in the world data record (pRendererBlock) for its
// lifetime; objects, index objects and textures read it from there, never from the engine.
//
// GL entry points beyond OpenGL 1.1 come from GLEW's global table, loaded once the context is
// current; the switches below say which optional features may be used.
#include <cstdint>

struct PlatformWindow;
struct PlatformGLContext;
struct WorldData;

struct C3DGLFeatures {
    uint8_t shader = 0;        // ARB shader objects (GL 2.0 and up)
    uint8_t pointSprite = 0;   // point sprites and point parameters (GL 1.4 and up)
    uint8_t multiTexture = 0;  // GL_ARB_multitexture: texture units 1 to 3
};

struct C3DGLContext {
    uint32_t reserved = 0;
    PlatformWindow* pWindow = nullptr;     // the window drawn into, taken by Init
    PlatformGLContext* pContext = nullptr; // the rendering context, made by Load
    C3DGLFeatures features;                // fixed by Load
};

// The record of the world's OpenGL engine; null when no OpenGL engine is alive.
C3DGLContext* GLContextFromWorld(const WorldData* pWorldData);

// Feature switches from the GL_VERSION and GL_EXTENSIONS strings: point sprites from 1.4,
// shaders from 2.0, multi-texture when the extension string names GL_ARB_multitexture.
// A version that cannot be read leaves shader and point-sprite off. Null strings are allowed.
C3DGLFeatures ParseGLFeatures(const char* version, const char* extensions);
