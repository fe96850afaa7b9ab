#pragma once
// The renderer-independent part of the 3D module. It owns every 3D resource of the program in
// seven lists and hands them out through factory slots that a renderer back end fills; it
// shares textures by name, restores and invalidates device resources around device loss,
// keeps the display mode in the world data record and reports what was left at unload.
//
// A renderer module derives from C3DEngine and fills the pure slots. Its factories make the
// resource of its own class and hand it to the matching Add... operation, which stores the two
// creation words, calls the resource's Init and lists it; when Add... fails the resource has
// already been released and deleted, and the factory returns null:
//
//     C3DObject* C3DEngine_XX::CreateObject(uint32_t flags, uint32_t second) {
//         C3DObject* p = new (std::nothrow) C3DObjectXX(m_pWorldData);
//         if (!p) { m_pWorldData->lastErrorCode = kStatusOutOfMemory; return nullptr; }
//         return Failed(AddObject(p, flags, second)) ? nullptr : p;
//     }
//
// Its release slots first call the base slot, which unlinks the resource (or, for textures,
// decides whether the last holder let go); only when that returns 0 do they release and delete
// the resource (DestroyObject and its siblings do both).
//
// The engine records itself in the world data record (p3DEngine) for its lifetime, which is
// how objects, textures, containers and videos reach it.
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/FIFOList.h"
#include "VornelUtils/Status.h"

class C3DObject;
class C3DObjectIndex;
class C3DTexture;
class C3DVideo;
class C3DShader;
class C3DStencilShadow;
class C3DContainer;
class C3DView;
struct PackRecord;

// Creation-word bits with a meaning to the engine.
constexpr uint32_t k3DShareByName = 0x1;           // textures: shareable by name; node flag of objects and shaders
constexpr uint32_t k3DVideoNodeFlag = 0x4;         // node flag of a video
constexpr uint32_t k3DTextureOnceOnly = 0x10000000; // a holder that counts only once
constexpr uint32_t k3DTextureNameOnly = 0x800;     // textures' second word: the caller supplies the pixels

// Container kinds (the top byte of a container's flags).
constexpr uint32_t k3DContainerPlain = 0x0000000;
constexpr uint32_t k3DContainerShader = 0x1000000;
constexpr uint32_t k3DContainerText = 0x2000000;

// Index buffer kinds.
constexpr uint32_t k3DIndex16 = 1;
constexpr uint32_t k3DIndex32 = 2;

// The compare codes of SetDepthFunc and SetAlphaFunc, as both renderers' tables index them.
constexpr uint32_t kCompareNever = 0;
constexpr uint32_t kCompareLess = 1;
constexpr uint32_t kCompareEqual = 2;
constexpr uint32_t kCompareLessEqual = 3;
constexpr uint32_t kCompareGreater = 4;
constexpr uint32_t kCompareNotEqual = 5;
constexpr uint32_t kCompareGreaterEqual = 6;
constexpr uint32_t kCompareAlways = 7;

class C3DEngine : public CBaseObject {
public:
    explicit C3DEngine(WorldData* pWorldData);
    // Destroys the seven lists (Unload has emptied them).
    ~C3DEngine() override;

    // ---- device ---------------------------------------------------------------------------
    virtual Status Load(void* pWindow); // 0; back ends create the device for the window
    // Empties the lists in the order objects, index buffers, textures, shaders, stencil
    // shadows, containers, releasing and deleting every entry. A list that still held an entry
    // logs "# C3DEngine::<list> detected memory leaks !\n". The videos stay (their owners
    // release them). 0.
    virtual Status Unload();
    // SetDisplayMode, Restore(extra) of every object and index buffer, then the view's viewport
    // (0, 0, floor(width x horizontal scale), floor(height x vertical scale)). Back ends call it
    // after creating or resetting the device.
    virtual Status Init(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen, uint8_t colorDepth,
                        uint32_t extra);
    // Invalidate(value) of every object, then of every index buffer. Back ends call it before a
    // device reset.
    virtual Status Invalidate(uint32_t value);
    // Stores the display width and height, fullscreen, colour depth and window in the world
    // data record; `extra` is ignored. 0.
    virtual Status SetDisplayMode(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen,
                                  uint8_t colorDepth, uint32_t extra);

    // ---- render states (filled by the back ends) -----------------------------------------
    virtual Status SetLight(uint32_t index) = 0;
    virtual Status SetLights(int32_t count); // SetLight(i) for i below count; -1 means 2. 0.
    virtual Status SetPointSpriteParameters() = 0;
    virtual Status SetFog() = 0;
    virtual Status SetSrcBlend(uint32_t mode) = 0;
    virtual Status SetDestBlend(uint32_t mode) = 0;
    // `mode`: one of the compare codes above the class.
    virtual Status SetDepthFunc(uint32_t mode) = 0;
    virtual Status SetAlphaFunc(uint32_t mode, uint8_t reference) = 0;
    virtual Status SetColorMask(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) = 0;
    virtual Status BeginScene(); // 0
    virtual Status EndScene();   // 0
    virtual Status Clear();      // 0
    virtual Status ClearBuffers(uint8_t color, uint8_t depth, uint8_t stencil); // 0

    // ---- factories --------------------------------------------------------------------------
    virtual C3DObject* CreateObject(uint32_t flags, uint32_t second) = 0;
    // Base: unlinks the object (0x80000001 when null or not listed) and takes it out of every
    // shader container that draws it.
    virtual Status ReleaseObject(C3DObject* pObject);
    // kind k3DIndex16 or k3DIndex32.
    virtual C3DObjectIndex* CreateObjectIndex(uint32_t count, uint32_t kind) = 0;
    // Base: unlinks the buffer (0x80000001 when null, not listed, or of another kind).
    virtual Status ReleaseObjectIndex(C3DObjectIndex* pIndex);
    // A listed texture whose flags word has k3DShareByName gains one holder (count A) and is
    // returned; else null.
    virtual C3DTexture* ShareTexture(C3DTexture* pTexture);
    virtual C3DTexture* CreateTexture(uint32_t flags, uint32_t second) = 0;
    // Base: lets one holder go. 0 only when the texture left the list (it is then cleared from
    // every object stage and shader container); back ends then release and delete it.
    // `direct` is an owner's release, not an object stage's.
    virtual Status ReleaseTexture(C3DTexture* pTexture, uint8_t direct);
    // A new video player: the Ogg one with flags bit 0 clear, the native one with it set
    // (C3DVideo.h); then AddVideo. Out of memory latches 0x80000002; null on failure.
    virtual C3DVideo* CreateVideo(uint32_t flags, uint32_t second);
    // Unlinks the video (0x80000001 when null or not listed), releases and deletes it.
    virtual Status ReleaseVideo(C3DVideo* pVideo);
    virtual C3DShader* CreateShader(uint32_t flags, uint32_t second) = 0;
    // Base: unlinks the shader (0x80000001 when null or not listed).
    virtual Status ReleaseShader(C3DShader* pShader);
    virtual C3DStencilShadow* CreateStencilShadow(uint32_t count, uint32_t color) = 0;
    // Base: unlinks the shadow (0x80000001 when null or not listed).
    virtual Status ReleaseStencilShadow(C3DStencilShadow* pShadow);
    // New containers with the caller's low 24 flag bits and their kind in the top byte;
    // out of memory latches 0x80000002 and gives null.
    virtual C3DContainer* CreateContainer(uint32_t flags, uint32_t second);
    virtual C3DContainer* CreateContainerShader(uint32_t flags, uint32_t second);
    virtual C3DContainer* CreateContainerText(uint32_t flags, uint32_t second);
    // Releases the children first (each leaving its parent); then the container goes when
    // its use count is or falls to 0, else 0x80000001 and it stays.
    virtual Status ReleaseContainer(C3DContainer* pContainer);
    // The container's owner notification, then ReleaseContainer on each child.
    virtual Status ReleaseContainerChildren(C3DContainer* pContainer);
    virtual Status IsStencilSupported() = 0; // 0 when supported
    virtual Status IsShaderSupported() = 0;  // 0 when supported
    // 0 when the renderer draws every frame through a default shader of its own, which the
    // game then binds around its drawing; neither renderer of this program does (0x80000001).
    virtual Status IsDefaultShaderInUse();

    // ---- used by the back ends' factories -------------------------------------------------
    // Each stores the two words in the resource (the index buffer: its kind), calls its Init
    // (the shadow: Create(count, colour)) and lists it. When that fails the resource is released and deleted here and
    // 0x80000001 is returned: the caller must not touch it again.
    Status AddObject(C3DObject* pObject, uint32_t flags, uint32_t second);
    Status AddObjectIndex(C3DObjectIndex* pIndex, uint32_t count, uint32_t kind);
    Status AddTexture(C3DTexture* pTexture, uint32_t flags, uint32_t second);
    Status AddShader(C3DShader* pShader, uint32_t flags, uint32_t second);
    Status AddStencilShadow(C3DStencilShadow* pShadow, uint32_t count, uint32_t color);
    // The video's node flag is flags bit 2 (k3DVideoNodeFlag).
    Status AddVideo(C3DVideo* pVideo, uint32_t flags, uint32_t second);

    // Release and delete a resource that has left its list (the back ends' release slots).
    static void DestroyObject(C3DObject* pObject);
    static void DestroyObjectIndex(C3DObjectIndex* pIndex);
    static void DestroyTexture(C3DTexture* pTexture);
    static void DestroyShader(C3DShader* pShader);
    static void DestroyStencilShadow(C3DStencilShadow* pShadow);

    // ---- textures from a source -----------------------------------------------------------
    // With k3DShareByName a listed shareable texture with the same second word, the same flags
    // (once-only bit aside) and the same name is returned instead of a new one; with
    // k3DTextureOnceOnly a holder counts only once. Otherwise CreateTexture and a load (or,
    // when the second word has k3DTextureNameOnly, only the name). Null on failure.
    C3DTexture* MakeTextureFromAddress(uint32_t flags, uint32_t second, const void* data, uint32_t size,
                                       const char16_t* name);
    C3DTexture* LoadTextureFromPacker(uint32_t flags, uint32_t second, PackRecord* pEntry);
    C3DTexture* LoadTextureFromFile(uint32_t flags, uint32_t second, const char16_t* path);

    // ---- access ---------------------------------------------------------------------------
    C3DView* GetView() const { return m_pView; }
    void SetView(C3DView* pView) { m_pView = pView; }

    // The lists own their entries; walking one moves its cursor (see FIFOList.h).
    CFIFOListCounted& GetObjectList() { return m_plistObjects; }
    CFIFOList& GetObjectIndexList() { return m_plistObjectsIndex; }
    CFIFOListCounted& GetTextureList() { return m_plistTextures; }
    CFIFOListCounted& GetVideoList() { return m_plistVideos; }
    CFIFOListCounted& GetShaderList() { return m_plistShaders; }
    CFIFOList& GetStencilShadowList() { return m_listStencilShadow; }
    CFIFOList& GetContainerList() { return m_listContainer; }

    // Holder counts of a listed texture (0 when it is not listed): count A counts every holder,
    // count B the once-only holders.
    uint32_t GetTextureHolders(C3DTexture* pTexture);
    uint32_t GetTextureOnceOnlyHolders(C3DTexture* pTexture);

    // The engine of a world data record (null when none is alive).
    static C3DEngine* FromWorld(const WorldData* pWorldData);

    // ---- the frame on screen --------------------------------------------------------------
    // A renderer whose back buffer is undefined after it presents a frame copies each finished
    // frame into this texture first (null: none), so that a copy taken between frames still
    // has the frame on screen.
    void SetPresentedFrameCopy(C3DTexture* pTexture) { m_pPresentedFrameCopy = pTexture; }
    C3DTexture* GetPresentedFrameCopy() const { return m_pPresentedFrameCopy; }
    // True between BeginScene and EndScene, while a frame is being drawn.
    bool IsInScene() const { return m_bInScene; }
    // How many frames have been presented.
    uint32_t GetPresentedFrames() const { return m_nPresentedFrames; }

protected:
    enum class TextureSource { Memory, Packer, File };
    C3DTexture* TextureFromSource(TextureSource source, uint32_t flags, uint32_t second, const void* data,
                                  uint32_t size, const char16_t* name, PackRecord* pEntry);
    // Empties the object stages and shader containers that point at a texture that went.
    void ForgetTexture(C3DTexture* pTexture);
    // Empties the shader containers that draw an object that is going.
    void ForgetObject(C3DObject* pObject);
    // One leak line of Unload; the base passes it to the log (flag 0).
    virtual void ReportLeak(const char16_t* line);

    C3DView* m_pView = nullptr;
    CFIFOListCounted m_plistObjects;      // C3DObject
    CFIFOList m_plistObjectsIndex;        // C3DObjectIndex
    CFIFOListCounted m_plistTextures;     // C3DTexture; node flag: shareable by name
    CFIFOListCounted m_plistVideos;       // C3DVideo
    CFIFOListCounted m_plistShaders;      // C3DShader
    CFIFOList m_listStencilShadow;        // C3DStencilShadow
    CFIFOList m_listContainer;            // C3DContainer
    C3DTexture* m_pPresentedFrameCopy = nullptr;
    bool m_bInScene = false;
    uint32_t m_nPresentedFrames = 0;
};
