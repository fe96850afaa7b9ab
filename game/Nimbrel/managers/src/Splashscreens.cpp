#include "NimbrelManagers/CSplashscreens.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "NimbrelManagers/PictureSize.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ScreenFit.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DVideo.h"
#include "Vornel3D/CWorld.h"
#include "Vornel3D_ToolBox/AutoLoad.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "VornelPlatform/PlatformMessage.h"
#include "VornelUtils/PowerOfTwo.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsParameters_Packer.h"
#include "VornelUtils/UtilsScramble.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr const char16_t* kSection = u"SPLASHSCREENS";
constexpr const char16_t* kVolumesName = u"videos/_volumes.ini";
constexpr uint32_t kScreenObjectFlags = 0x8011;
constexpr uint32_t kScreenObjectCreation = 0xC29;
constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureFlags = 0x52;
constexpr uint32_t kVideoFlags = 4;
constexpr uint32_t kQuadFaceMode = 1;
constexpr uint32_t kGroups = 4;
constexpr float kUnitsPerSecond = 30.0f;
// The first two numbered entries prefer the picture made for the screen's definition.
constexpr uint32_t kDefinitionEntries = 2;

CNimbrelWorld* WorldOf(WorldData* w)
{
    return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
}

bool StartsWith(const char16_t* text, const char16_t* prefix)
{
    while (*prefix)
        if (*text++ != *prefix++)
            return false;
    return true;
}

// The numbered entries the settings define.
uint32_t DefinedCount(UtilsParameters* settings)
{
    const int32_t count = settings ? settings->GetInt(kSection, u"SPLASHSCREENS_COUNT", 0) : 0;
    return count > 0 ? uint32_t(count) : 0;
}

// The file name part of a path.
const char16_t* FileNameOf(const char16_t* path)
{
    const char16_t* name = path;
    for (const char16_t* c = path; *c; ++c)
        if (*c == u'/' || *c == u'\\')
            name = c + 1;
    return name;
}

}  // namespace

void SplashEntryUV(uint32_t kind, float u, float v, float (*pUV)[2])
{
    // Videos reach their texture top row first, as pictures do: no group flips them.
    const bool starred = kind == kSplashStarredImage || kind == kSplashStarredVideo;
    const float right = starred ? u : 1.0f;
    const float bottom = starred ? v : 1.0f;
    const float uv[4][2] = {{0.0f, 0.0f}, {right, 0.0f}, {0.0f, bottom}, {right, bottom}};
    for (int i = 0; i < 4; ++i) {
        pUV[i][0] = uv[i][0];
        pUV[i][1] = uv[i][1];
    }
}

CSplashscreens::CSplashscreens(WorldData* pWorldData) : CManagedObject(pWorldData) {}

CSplashscreens::~CSplashscreens()
{
    Unload();
}

uint32_t CSplashscreens::TextureSource() const
{
    auto* world = m_pWorldData ? dynamic_cast<CManagedWorld*>(m_pWorldData->pWorld) : nullptr;
    return world ? world->GetTextureSource() : kResourceSourcePack;
}

uint32_t CSplashscreens::ResourceSource() const
{
    auto* world = m_pWorldData ? dynamic_cast<CManagedWorld*>(m_pWorldData->pWorld) : nullptr;
    return world ? world->GetResourceSource() : kResourceSourcePack;
}

// ---- load and unload ---------------------------------------------------------------------------

Status CSplashscreens::Load()
{
    WorldData* w = m_pWorldData;
    C3DEngine* engine = C3DEngine::FromWorld(w);
    if (!engine)
        return kStatusFailed;
    Unload();

    // The volumes of the videos: the external pack first, then the main pack; none is fine.
    auto* managed = dynamic_cast<CManagedWorld*>(w->pWorld);
    PackRecord* pack = nullptr;
    if (managed && managed->GetExternalPackFile() && w->pfnPackLocator &&
        Succeeded(w->pfnPackLocator(kVolumesName, managed->GetExternalPack())))
        pack = managed->GetExternalPack();
    else if (w->pack.pFile && w->pfnPackLocator && Succeeded(w->pfnPackLocator(kVolumesName, &w->pack)))
        pack = &w->pack;
    if (pack)
        m_pVolumes = new (std::nothrow) UtilsParameters_Packer(kVolumesName, w->pfnPackLocator, pack, kScrambleKey);

    UtilsParameters* settings = w->pAppSettings;
    m_nCount = DefinedCount(settings);
    m_fImageTime = (settings ? settings->GetFloat(kSection, u"SPLASHSCREENS_TIME_SEC", 1.0f) : 1.0f) * kUnitsPerSecond;
    m_nTransitionKind = uint32_t(settings ? settings->GetInt(kSection, u"SPLASHSCREENS_TRANSITION", 2) : 2);

    m_pScreen = engine->CreateObject(kScreenObjectFlags, kScreenObjectCreation);
    m_pDisplay = engine->CreateObject(kScreenObjectFlags, kScreenObjectCreation);
    if (!m_pScreen || !m_pDisplay || Failed(m_pScreen->Create(1, 4, 4)) ||
        Failed(m_pDisplay->Create(kGroups, 4 * kGroups, 4 * kGroups)))
        return kStatusFailed;
    m_pScreen->Lock(0, 1);
    m_pScreen->SetGroup(0, 0, 4, 0, 4, 2, kPrimitiveTriangleStrip, kQuadFaceMode, kGroupIdOwnNumber);
    m_pScreen->ResetIndices();
    m_pScreen->Unlock(0);
    m_pDisplay->Lock(0, 1);
    // Indices count from the group's first vertex.
    for (uint32_t g = 0; g < kGroups; ++g) {
        m_pDisplay->SetIndexRange(4 * g, 4);
        m_pDisplay->SetGroup(g, 4 * g, 4, 4 * g, 4, 2, kPrimitiveTriangleStrip, kQuadFaceMode, kGroupIdOwnNumber);
    }
    m_pDisplay->Unlock(0);

    m_pCommands = new (std::nothrow) CCommandList(w);
    if (!m_pCommands) {
        w->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    return Failed(m_pCommands->Load()) ? kStatusFailed : kStatusOk;
}

Status CSplashscreens::Unload()
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (engine) {
        if (m_pScreen)
            engine->ReleaseObject(m_pScreen);
        if (m_pDisplay)
            engine->ReleaseObject(m_pDisplay);
        if (m_pTexture)
            engine->ReleaseTexture(m_pTexture, 1);
        if (m_pVideo)
            engine->ReleaseVideo(m_pVideo);
    }
    m_pScreen = m_pDisplay = nullptr;
    m_pTexture = nullptr;
    m_pVideo = nullptr;
    if (m_pCommands) {
        m_pCommands->Unload();
        delete m_pCommands;
        m_pCommands = nullptr;
    }
    m_nColor = 0xFF000000u;
    delete m_pVolumes;
    m_pVolumes = nullptr;
    return kStatusOk;
}

void CSplashscreens::Render()
{
    if (!m_bDone && m_pDisplay && m_nEntryKind < kGroups)
        m_pDisplay->DrawEx(m_nEntryKind);
}

// ---- the sequence ----------------------------------------------------------------------------

bool CSplashscreens::IsSkipRequested()
{
    const WorldData* w = m_pWorldData;
    return w && (w->keyReleased[CWorld_EngineKey(VK_ESCAPE)] || w->keyReleased[CWorld_EngineKey(VK_SPACE)] ||
                 w->leftReleased);
}

void CSplashscreens::ClearSkip()
{
    if (WorldData* w = m_pWorldData) {
        w->keyReleased[CWorld_EngineKey(VK_ESCAPE)] = 0;
        w->keyReleased[CWorld_EngineKey(VK_SPACE)] = 0;
        w->leftReleased = 0;
    }
}

void CSplashscreens::StartTransition(uint32_t kind)
{
    if (CNimbrelWorld* world = WorldOf(m_pWorldData))
        world->StartScreenTransition(kind, 0);
}

void CSplashscreens::ReleaseVideo()
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (m_pVideo && engine)
        engine->ReleaseVideo(m_pVideo);
    m_pVideo = nullptr;
}

Status CSplashscreens::Advance()
{
    if (!IsSkipRequested()) {
        if (m_nEntryKind == kSplashStarredVideo || m_nEntryKind == kSplashVideo) {
            if (m_pVideo) {
                m_pVideo->OnFrame();
                if (!m_pVideo->IsFinished())
                    return kStatusOk;
            }
        } else if (m_nEntryKind == kSplashStarredImage || m_nEntryKind == kSplashImage) {
            m_fElapsed += float(m_pWorldData->frameTime);
            if (m_fElapsed < m_fImageTime)
                return kStatusOk;
        }
    }
    ReleaseVideo();
    if (Failed(LoadNext())) {
        m_bDone = 1;
        return kStatusFailed;
    }
    StartTransition(m_nTransitionKind);
    m_fElapsed = 0.0f;
    return kStatusOk;
}

Status CSplashscreens::CheckEnd()
{
    if (!IsSkipRequested()) {
        // A picture stays until it is skipped.
        if (!m_pVideo || (m_nEntryKind != kSplashStarredVideo && m_nEntryKind != kSplashVideo))
            return kStatusOk;
        m_pVideo->OnFrame();
        if (!m_pVideo->IsFinished())
            return kStatusOk;
        ReleaseVideo();
    }
    m_bDone = 1;
    return kStatusFailed;
}

Status CSplashscreens::LoadNext()
{
    WorldData* w = m_pWorldData;
    const GameData* game = w ? w->pGame : nullptr;
    if (!game)
        return kStatusFailed;
    const GameScreenScale& screen = game->screen;
    UtilsParameters* settings = w->pAppSettings;
    w->textureMipShift = screen.textureLevelShift;
    uint32_t i = m_nNextIndex;
    for (; i < m_nCount; ++i) {
        const uint32_t n = i + 1;
        char16_t path[kWorldTextSize] = {};
        if (n <= kDefinitionEntries) {
            UtilsString_Format(path, kWorldTextSize, u"splashscreen_%d_%dx%d.jpg", int(n), int(screen.referenceWidth),
                               int(screen.referenceHeight));
            // The picture for the definition is optional: one that is not there is no failure
            // worth a line in the player's log on every start.
            char16_t present[kWorldTextSize];
            LocalisedName(path, kResourceSourceFile, present);
            if (AutoLoadResourceExists(kResourceSourceFile, present, w) &&
                Succeeded(LoadPicture(path, 1, kResourceSourceFile)))
                break;
        }
        char16_t key[64];
        UtilsString_Format(key, 64, u"SPLASHSCREENS_%d_TEXTURE_PATH", int(n));
        path[0] = 0;
        if (settings)
            settings->GetString(kSection, key, u"", path, kWorldTextSize);
        const uint8_t asGiven = path[0] != u'*';
        const char16_t* name = asGiven ? path : path + 1;
        if (StartsWith(name, u"textures/") && Succeeded(LoadImage(name, asGiven)))
            break;
        if (StartsWith(name, u"videos/") && Succeeded(LoadVideo(name, asGiven, 0)))
            break;
    }
    w->textureMipShift = 0;
    if (i >= m_nCount) {
        m_bDone = 1;  // nothing is loaded
        return kStatusFailed;
    }
    m_nNextIndex = i + 1;
    return kStatusOk;
}

// ---- one entry -------------------------------------------------------------------------------

void CSplashscreens::LocalisedName(const char16_t* path, uint32_t source, char16_t* out)
{
    UtilsString_Copy(out, kWorldTextSize, path);
    auto* managed = m_pWorldData ? dynamic_cast<CManagedWorld*>(m_pWorldData->pWorld) : nullptr;
    CStringsManager* strings = managed ? managed->GetStringsManager() : nullptr;
    const char16_t* dot = nullptr;
    for (const char16_t* c = FileNameOf(path); *c; ++c)
        if (*c == u'.')
            dot = c;
    if (!strings || !dot)
        return;
    char16_t stem[kWorldTextSize] = {};
    UtilsString_Copy(stem, kWorldTextSize, path);
    stem[dot - path] = 0;
    char16_t variant[kWorldTextSize];
    // A variant name that does not fit is not looked for.
    const int length = UtilsString_Format(variant, kWorldTextSize, u"%s.%s%s", stem, strings->GetLanguageCode(), dot);
    if (length < int(kWorldTextSize) - 1 && AutoLoadResourceExists(source, variant, m_pWorldData))
        UtilsString_Copy(out, kWorldTextSize, variant);
}

Status CSplashscreens::LayoutFromName(const char16_t* name)
{
    int32_t width = -1, height = -1;
    ParseSizeFromName(name, "%dx%d", &width, &height);
    if (width < 0 || height < 0)
        return kStatusOk;
    return Failed(Layout(float(width), float(height))) ? kStatusFailed : kStatusOk;
}

Status CSplashscreens::LoadImage(const char16_t* path, uint8_t asGiven)
{
    return LoadPicture(path, asGiven, TextureSource());
}

Status CSplashscreens::LoadPicture(const char16_t* path, uint8_t asGiven, uint32_t source)
{
    WorldData* w = m_pWorldData;
    C3DEngine* engine = C3DEngine::FromWorld(w);
    if (!engine || !path || !m_pDisplay)
        return kStatusFailed;
    m_bDone = 0;
    m_nEntryKind = asGiven ? kSplashImage : kSplashStarredImage;
    if (!m_pTexture)
        m_pTexture = engine->CreateTexture(kTextureKind, kTextureFlags);
    if (!m_pTexture)
        return kStatusFailed;
    char16_t name[kWorldTextSize];
    LocalisedName(path, source, name);
    if (Failed(AutoLoadTexture(source, m_pTexture, name, w)))
        return kStatusFailed;
    m_pDisplay->SetTexture(m_pTexture, m_nEntryKind, 0);
    m_nColor = m_pTexture->GetCornerColor() | 0xFF000000u;
    if (Failed(LayoutFromName(path)))
        return kStatusFailed;
    // A click that started the entry does not skip it.
    ClearSkip();
    return kStatusOk;
}

float CSplashscreens::VideoVolume(const char16_t* name)
{
    return m_pVolumes ? m_pVolumes->GetFloat(u"VIDEOS_VOLUME", FileNameOf(name), 1.0f) : 1.0f;
}

Status CSplashscreens::LoadVideo(const char16_t* path, uint8_t asGiven, uint8_t direct)
{
    WorldData* w = m_pWorldData;
    C3DEngine* engine = C3DEngine::FromWorld(w);
    if (!engine || !path || !m_pDisplay)
        return kStatusFailed;
    m_bDone = 0;
    m_nEntryKind = asGiven ? kSplashVideo : kSplashStarredVideo;
    if (!m_pVideo)
        m_pVideo = engine->CreateVideo(kVideoFlags, direct);
    if (!m_pVideo)
        return kStatusFailed;
    Status status = kStatusOk;
    if (direct) {
        status = m_pVideo->LoadFromFile(path, VideoVolume(path), 0, 0);
        if (Failed(status)) {
            Log(w->logPath, 0, u"# CSplashscreens::LoadVideo failed! (\"%s\")\n", path);
            UtilsString_Format(w->lastErrorText, kWorldTextSize, u"Missing file: %s", path);
        }
    } else {
        const uint32_t source = ResourceSource();
        char16_t name[kWorldTextSize];
        LocalisedName(path, source, name);
        status = AutoLoadVideoObject(source, m_pVideo, name, VideoVolume(name), 0, 0, w);
    }
    // A player without data (a failed load, or a source that loads nothing) must not play.
    if (Failed(status) || !m_pVideo->IsLoaded()) {
        ReleaseVideo();
        return kStatusFailed;
    }
    m_pDisplay->SetTexture(m_pVideo->GetTexture(), m_nEntryKind, 0);
    m_nColor = 0xFF000000u;
    if (Failed(LayoutFromName(path)))
        return kStatusFailed;
    ClearSkip();
    return kStatusOk;
}

Status CSplashscreens::ReleaseImage()
{
    // Nothing is left to show: a level activated after a skipped sequence must not wait on it.
    m_bDone = 1;
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (m_pTexture && engine)
        engine->ReleaseTexture(m_pTexture, 1);
    m_pTexture = nullptr;
    ReleaseVideo();
    if (m_pCommands)
        m_pCommands->BurnAll(kCommandEventFade, 0, 0, 0);
    return kStatusOk;
}

Status CSplashscreens::AddCommand(const CommandHandle& command)
{
    return m_pCommands ? m_pCommands->Add(command) : kStatusFailed;
}

// ---- layout ----------------------------------------------------------------------------------

Status CSplashscreens::Layout(float width, float height)
{
    WorldData* w = m_pWorldData;
    const GameData* game = w ? w->pGame : nullptr;
    if (!game || !m_pScreen || !m_pDisplay)
        return kStatusFailed;
    const GameScreenScale& screen = game->screen;
    const uint32_t definitionWidth = uint32_t(screen.referenceWidth);
    const uint32_t definitionHeight = uint32_t(screen.referenceHeight);
    const uint8_t shift = uint8_t(
        std::min(DoublingsToReach(NextPowerOfTwo(uint32_t(width)), NextPowerOfTwo(definitionWidth)),
                 DoublingsToReach(NextPowerOfTwo(uint32_t(height)), NextPowerOfTwo(definitionHeight))) +
        screen.textureLevelShift);
    float fit[4];
    ComputeScreenFit(w->virtualWidth, w->virtualHeight, width, height, shift, 0, fit, nullptr, nullptr);

    const float vw = float(w->virtualWidth), vh = float(w->virtualHeight);
    m_pScreen->Lock(2, 0);
    const float screenCorners[4][2] = {{0.0f, 0.0f}, {vw, 0.0f}, {0.0f, vh}, {vw, vh}};
    for (uint32_t i = 0; i < 4; ++i)
        m_pScreen->SetVertex(i, screenCorners[i][0], screenCorners[i][1], 0.0f, m_nColor, 0.0f, 0.0f, 0.0f, 0.0f,
                             0.0f, 0);
    m_pScreen->Unlock(1);

    const float u = definitionWidth ? float(definitionWidth) / float(NextPowerOfTwo(definitionWidth)) : 1.0f;
    const float v = definitionHeight ? float(definitionHeight) / float(NextPowerOfTwo(definitionHeight)) : 1.0f;
    const float corners[4][2] = {{0.0f, 0.0f}, {width, 0.0f}, {0.0f, height}, {width, height}};
    m_pDisplay->Lock(2, 0);
    for (uint32_t g = 0; g < kGroups; ++g) {
        float uv[4][2];
        SplashEntryUV(g, u, v, uv);
        for (uint32_t i = 0; i < 4; ++i)
            m_pDisplay->SetVertex(4 * g + i, corners[i][0], corners[i][1], 0.0f, 0xFFFFFFFFu, uv[i][0], uv[i][1],
                                  0.0f, 0.0f, 0.0f, 0);
    }
    m_pDisplay->Unlock(1);
    m_pDisplay->UseOwnMatrix();
    m_pDisplay->SetIdentity();
    m_pDisplay->Translate(fit[0], fit[1], 0.0f);
    m_pDisplay->Scale(fit[2], fit[3], 1.0f);
    return kStatusOk;
}

// ---- the profile chunk -----------------------------------------------------------------------

Status CSplashscreens::SaveToStream(UtilsStream_ChunkList*, UtilsStream_Chunk* pStream)
{
    if (!pStream || !m_pCommands)
        return kStatusFailed;
    const char16_t* texture = m_pTexture ? m_pTexture->GetName() : nullptr;
    const char16_t* video = m_pVideo ? m_pVideo->GetName() : nullptr;
    ChunkStream stream(pStream);
    const bool ok = pStream->Write(&m_nEntryKind, 4, 1) && pStream->Write(&m_bDone, 1, 1) &&
                    pStream->Write(&m_nCount, 4, 1) && pStream->Write(&m_nNextIndex, 4, 1) &&
                    pStream->Write(&m_fImageTime, 4, 1) && pStream->Write(&m_fElapsed, 4, 1) &&
                    pStream->Write(&m_nTransitionKind, 4, 1) && pStream->WriteString(texture, false) &&
                    pStream->WriteString(video, false);
    return ok && Succeeded(m_pCommands->Save(&stream)) ? kStatusOk : kStatusFailed;
}

bool ReadSplashChunk(UtilsStream_Chunk* pStream, SplashChunkRecord* r, CCommandList* pCommands,
                     uint32_t definedCount)
{
    *r = SplashChunkRecord{};
    if (!pStream || !pCommands)
        return false;
    bool ok = pStream->Read(&r->entryKind, 4, 1) && pStream->Read(&r->done, 1, 1) && pStream->Read(&r->count, 4, 1) &&
              pStream->Read(&r->nextIndex, 4, 1) && pStream->Read(&r->imageTime, 4, 1) &&
              pStream->Read(&r->elapsed, 4, 1) && pStream->Read(&r->transitionKind, 4, 1) &&
              pStream->ReadString(&r->pTexture, false) && pStream->ReadString(&r->pVideo, false);
    // The kind chooses the group drawn, and a name longer than a path is no name of ours.
    // The count drives the search for the next entry, one step per entry it names.
    ok = ok && r->entryKind <= kSplashNothing && r->count <= definedCount && r->nextIndex <= r->count &&
         !std::isnan(r->imageTime) && !std::isnan(r->elapsed) &&
         (!r->pTexture || UtilsString_Length(r->pTexture) < kWorldTextSize) &&
         (!r->pVideo || UtilsString_Length(r->pVideo) < kWorldTextSize);
    ChunkStream stream(pStream);
    ok = ok && Succeeded(pCommands->Load(&stream));
    if (!ok)
        FreeSplashChunk(r);
    return ok;
}

void FreeSplashChunk(SplashChunkRecord* pRecord)
{
    UTILS_FREE(pRecord->pTexture);
    UTILS_FREE(pRecord->pVideo);
    pRecord->pTexture = pRecord->pVideo = nullptr;
}

Status CSplashscreens::LoadFromStream(UtilsStream_Chunk* pStream)
{
    ReleaseImage();
    SplashChunkRecord r;
    const uint32_t defined = DefinedCount(m_pWorldData ? m_pWorldData->pAppSettings : nullptr);
    if (!ReadSplashChunk(pStream, &r, m_pCommands, defined))
        return kStatusFailed;
    m_nEntryKind = r.entryKind;
    m_bDone = r.done;
    m_nCount = r.count;
    m_nNextIndex = r.nextIndex;
    m_fImageTime = r.imageTime;
    m_fElapsed = r.elapsed;
    m_nTransitionKind = r.transitionKind;
    // An entry that cannot be shown again is over.
    if (r.pTexture && Failed(LoadImage(r.pTexture, r.entryKind == kSplashImage)))
        m_bDone = 1;
    if (r.pVideo && Failed(LoadVideo(r.pVideo, r.entryKind == kSplashVideo, 0)))
        m_bDone = 1;
    FreeSplashChunk(&r);
    return kStatusOk;
}
