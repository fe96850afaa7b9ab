// The object's files beside its element infos: the render and collision models, the tracks that
// animate the elements, and the script variant of each chapter.
#include <cstring>
#include <new>

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CScriptBase.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// 0.05 + 0.9 x (a 32-bit random number / 2^32): never at the very start or end of a track.
constexpr float kRandomPhaseFactor = 2.0954757e-10f;

float FloatOfWord(uint32_t word)
{
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

// The track's playback state replaced by `state`, through its own state reader (which refuses
// a key or range that the track does not have).
void ApplyTrackState(C3DObjectModifier* pTrack, const C3DModifierState& state)
{
    const float step = pTrack->GetStep();
    uint8_t bytes[32];
    const uint32_t words[8] = {state.mode, 0, 0, state.rangeStart, state.rangeEnd, state.currentKey, 0, state.flags};
    std::memcpy(bytes, words, sizeof words);
    std::memcpy(bytes + 4, &step, 4);
    std::memcpy(bytes + 8, &state.speed, 4);
    std::memcpy(bytes + 24, &state.time, 4);
    UtilsStream_Static stream(kStreamRead, bytes, sizeof bytes);
    if (Succeeded(stream.Open())) {
        pTrack->LoadState(&stream);
        stream.Close();
    }
}

}  // namespace

void CObjectsBase::ObjectFileName(char16_t* out, uint32_t number, const char16_t* suffix) const
{
    UtilsString_Format(out, kWorldTextSize, u"%S_object_%u%s", m_pWorldData->game.view.dataNamePrefix, number, suffix);
}

Status CObjectsBase::LoadReleaseModel(uint32_t modelNumber)
{
    if (m_loaded)
        return kStatusOk;
    WorldData* w = m_pWorldData;
    if (!w || !m_pRenderModel || !m_pCollisionModel)
        return kStatusFailed;
    int32_t level = int32_t(m_textureBias) + w->game.view.textureLevel;
    if (level < 0)
        level = 0;
    if (m_overlay && w->game.view.alternateViewEnabled && level != 0)
        --level;
    w->textureMipShift = uint8_t(level);

    struct Step {
        C3DObject* target;
        const char16_t* suffix;
        const char16_t* failure;
    };
    const Step steps[] = {
        {m_pRenderModel, u".obj.3dx",
         u"# CObjectsBase::LoadReleaseModel - object \"%S\" failed to load renderer file \"%s\"\n"},
        {m_pCollisionModel, u".col.3dx",
         u"# CObjectsBase::LoadReleaseModel - object \"%S\" failed to load collisions file \"%s\"\n"},
        {nullptr, u".ani.raw",
         u"# CObjectsBase::LoadReleaseModel - object \"%S\" failed to load modifiers file \"%s\"\n"},
    };
    for (const Step& step : steps) {
        char16_t name[kWorldTextSize];
        ObjectFileName(name, modelNumber, step.suffix);
        Status status = step.target ? LoadModelFile(step.target, name) : kStatusOk;
        // The tracks are checked against the models, so those must fit the elements first.
        if (Succeeded(status) && !step.target)
            status = ModelsFitElements() ? AttachModifiers(name) : kStatusFailed;
        if (Failed(status)) {
            Log(w->logPath, 0, step.failure, m_pName ? m_pName : "", name);
            w->textureMipShift = 0;
            UnloadModels();
            return kStatusFailed;
        }
    }
    w->textureMipShift = 0;
    if (Failed(UpdateComponents())) {
        UnloadModels();
        return kStatusFailed;
    }

    const uint32_t count = m_pRenderModel->GetGroupCount();
    for (uint32_t i = 0; m_pModifierTable && i < count && i < m_elementCount; ++i) {
        ElementRecord* element = GetItemRecord(i);
        RestartElementTrack(i);
        if (element->pSavedTrackState) {
            for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind)
                if (C3DObjectModifier* modifier = m_pModifierTable[i][kind]) {
                    C3DModifierState state = modifier->GetState();
                    state.currentKey = element->pSavedTrackState[2 * kind];
                    state.time = FloatOfWord(element->pSavedTrackState[2 * kind + 1]);
                    ApplyTrackState(modifier, state);
                }
            UTILS_FREE(element->pSavedTrackState);
            element->pSavedTrackState = nullptr;
        }
    }
    ResetEffects();
    for (uint32_t i = 0; i < count && i < m_elementCount; ++i) {
        ElementRecord* element = GetItemRecord(i);
        const uint32_t kind = element->effectKind;
        element->effectKind = kEffectNone;
        SetElementEffect(element, kind);
    }
    m_loaded = 1;
    OnModelLoaded();
    return kStatusOk;
}

Status CObjectsBase::ReleaseModel(uint8_t force)
{
    if (!force && !m_loaded)
        return kStatusOk;
    for (C3DObject* model : {m_pRenderModel, m_pCollisionModel})
        if (model)
            model->Release();
    if (Failed(ReleaseModifiers()))
        return kStatusFailed;
    ResetEffects();
    m_loaded = 0;
    OnModelReleased();
    return kStatusOk;
}

void CObjectsBase::UnloadModels()
{
    for (C3DObject* model : {m_pRenderModel, m_pCollisionModel})
        if (model)
            model->Release();
    FreeModifierTable();
}

bool CObjectsBase::ModelsFitElements()
{
    // Element i is group i of both models: every index the draws and hit tests take from a
    // group must name one of the group's own vertices.
    const uint32_t count = m_elementCount;
    if (m_pRenderModel->GetGroupCount() != count || m_pCollisionModel->GetGroupCount() < count)
        return false;
    for (C3DObject* model : {m_pRenderModel, m_pCollisionModel}) {
        C3DObjectIndex* index = model->GetObjectIndex();
        if (count && !index)
            return false;
        const uint32_t indices = count ? index->GetIndexCount() : 0;
        bool fits = true;
        model->Lock(2, 2);
        for (uint32_t g = 0; fits && g < count; ++g) {
            C3DGroupRecord r = {};
            fits = Succeeded(model->GetGroup(g, &r)) && r.type == kPrimitiveTriangleList && r.indexCount % 3 == 0 &&
                   r.firstIndex <= indices && r.indexCount <= indices - r.firstIndex &&
                   r.baseVertex <= model->GetVertexCount() && r.vertexCount <= model->GetVertexCount() - r.baseVertex;
            for (uint32_t k = 0; fits && k < r.indexCount; ++k)
                fits = model->GetIndex(r.firstIndex + k) < r.vertexCount;
        }
        model->Unlock(0);
        if (!fits)
            return false;
    }
    return true;
}

Status CObjectsBase::LoadModelFile(C3DObject* pTarget, const char16_t* name)
{
    WorldData* w = m_pWorldData;
    if (!w || !w->pGame || !pTarget)
        return kStatusFailed;
    C3DObjectRaw* raw = new (std::nothrow) C3DObjectRaw(w);
    if (!raw)
        return OutOfMemory();
    Status status = kStatusFailed;
    StaticLocatorFn memorySource = nullptr;
    PackLocatorFn packSource = nullptr;
    const char16_t* textureFolder = nullptr;
    switch (GameObjectSource(*w->pGame)) {
    case kResourceSourceProgram:
        memorySource = w->pfnStaticLocator;
        if (memorySource && Succeeded(memorySource(w, name)))
            status = raw->MakeFromAddress(w->staticResource.pAddress, w->staticResource.size, name);
        break;
    case kResourceSourcePack:
        packSource = w->pfnPackLocator;
        if (packSource && w->pack.pFile && Succeeded(packSource(name, &w->pack)))
            status = raw->LoadFromPacker(&w->pack);
        break;
    case kResourceSourceFile: {
        char16_t path[kWorldTextSize];
        UtilsString_Format(path, kWorldTextSize, u"%s%s", w->dataPath, name);
        status = raw->LoadFromFile(path);
        textureFolder = w->dataPath;
        break;
    }
    default:
        break;
    }
    // The bit lies in the model's kind word: the render model's carries it, the collision
    // model's, whose pictures are never drawn, does not.
    if (Succeeded(status) && (pTarget->GetCreationWord() & kObjectModelTextureVariants))
        status = ResolveTextureVariants(raw);
    if (Succeeded(status))
        status = pTarget->LoadFromRaw(raw, memorySource, packSource, textureFolder);
    raw->Release();
    delete raw;
    return Failed(status) ? kStatusFailed : kStatusOk;
}

Status CObjectsBase::ResolveTextureVariants(C3DObjectRaw* pRaw)
{
    WorldData* w = m_pWorldData;
    auto* world = w ? dynamic_cast<CManagedWorld*>(w->pWorld) : nullptr;
    CStringsManager* strings = world ? world->GetStringsManager() : nullptr;
    C3DModelRecord* record = pRaw ? pRaw->GetRecord() : nullptr;
    if (!strings || !record)
        return kStatusOk;
    char code[16] = {};
    const char16_t* wide = strings->GetLanguageCode();
    for (size_t i = 0; wide && wide[i] && i + 1 < sizeof code; ++i)
        code[i] = char(wide[i]);
    char tried[kWorldTextSize] = {};
    bool found = false;
    for (uint32_t g = 0; g < record->groupCount; ++g) {
        const char* name = record->textureNames[g];
        char variant[kWorldTextSize];
        if (!name || !*name || Failed(MakeVariantName(name, code, variant, sizeof variant)))
            continue;
        // Groups of one picture ask the pack once.
        if (std::strcmp(variant, tried) != 0) {
            std::strcpy(tried, variant);
            char16_t entry[kWorldTextSize];
            UtilsString_AToW(variant, entry, kWorldTextSize);
            found = w->pfnPackLocator && w->pack.pFile && Succeeded(w->pfnPackLocator(entry, &w->pack));
        }
        if (!found)
            continue;
        char* copy = UtilsString_DupA(variant);
        if (!copy)
            return OutOfMemory();
        UTILS_FREE(record->textureNames[g]);
        record->textureNames[g] = copy;
    }
    return kStatusOk;
}

Status CObjectsBase::MakeVariantName(const char* name, const char* variant, char* out, uint32_t capacity)
{
    const char* dot = name ? std::strrchr(name, '.') : nullptr;
    if (!dot || !variant)
        return kStatusFailed;
    const size_t stem = size_t(dot - name);
    const size_t length = stem + 1 + std::strlen(variant) + std::strlen(dot);
    if (length >= capacity)
        return kStatusFailed;
    std::memcpy(out, name, stem);
    out[stem] = '.';
    std::strcpy(out + stem + 1, variant);
    std::strcat(out, dot);
    return kStatusOk;
}

Status CObjectsBase::LoadReleaseParam(uint32_t chapter, uint8_t force)
{
    // The latest variant at or before the chapter; a chapter beyond the table looks from its end.
    int32_t found = -1;
    if (m_pVariants && m_variantCount) {
        for (int64_t v = chapter < m_variantCount ? chapter : m_variantCount - 1; v >= 0 && found < 0; --v)
            if (m_pVariants[v] == 1)
                found = int32_t(v);
    }
    if (found < 0) {
        if (m_pWorldData)
            Log(m_pWorldData->logPath, 0,
                u"# CObjectsBase::LoadReleaseParam failed! you must have at least 1 script for \"%S\"\n",
                m_pName ? m_pName : "");
        return kStatusFailed;
    }
    if (force || found != m_currentVariant || !IsScriptLoaded()) {
        if (!m_pScript)
            return kStatusFailed;
        char16_t name[kWorldTextSize];
        char16_t suffix[32];
        UtilsString_Format(suffix, 32, u".%d.script", found);
        ObjectFileName(name, m_objectNumber, suffix);
        if (Failed(m_pScript->LoadFromPack(name)))
            return kStatusFailed;
        m_currentVariant = found;
    }
    return kStatusOk;
}

// ---- the elements' tracks ------------------------------------------------------------------------

C3DObjectModifier* CObjectsBase::GetElementTrack(uint32_t element, uint32_t kind) const
{
    return m_pModifierTable && element < m_modifierRows && kind < kElementTrackKinds ? m_pModifierTable[element][kind]
                                                                                      : nullptr;
}

void CObjectsBase::RestartElementTrack(uint32_t index)
{
    ElementRecord* element = GetItemRecord(index);
    if (!element || element->currentTrack >= element->trackCount)
        return;
    AnimationTrack& track = element->pTracks[element->currentTrack];
    // Activating the current track: one of a single key plays to the end of the keys, and
    // that end becomes its last key.
    if (track.lastKey == track.firstKey)
        track.lastKey = SetElementModifierRange(index, track.firstKey, 0, FloatOfWord(track.rangeWord), 0);
    else
        SetElementTrackRange(index, &track, 0);
    // Both animation bytes: the track loops (the additive byte plays no part in it).
    const uint8_t play = element->animationByteA && element->animationByteB;
    SetElementAnimation(index, track.trackWord, play, element->animationMode[0], element->animationMode[1], 0);
}

void CObjectsBase::SetElementTrackRange(uint32_t index, const AnimationTrack* pTrack, uint32_t restart)
{
    SetElementModifierRange(index, pTrack->firstKey, pTrack->lastKey + 1, FloatOfWord(pTrack->rangeWord), restart);
}

uint32_t CObjectsBase::SetElementModifierRange(uint32_t element, uint32_t first, uint32_t next, float seconds,
                                               uint32_t flag)
{
    uint32_t largest = 0;
    for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind)
        if (C3DObjectModifier* track = GetElementTrack(element, kind)) {
            const uint32_t value = track->SetRange(first, next, seconds, flag != 0);
            if (value > largest)
                largest = value;
        }
    return largest;
}

void CObjectsBase::SetElementAnimation(uint32_t element, uint32_t mode, uint8_t play, uint8_t reverse,
                                       uint8_t pause, uint32_t restart)
{
    for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind)
        if (C3DObjectModifier* track = GetElementTrack(element, kind)) {
            const bool loops = kind == kModifierVertexTexture && play && mode == kModifierPlayOnce;
            track->SetMode(loops ? kModifierRepeatHold : mode, restart != 0);
            track->SetReverse(reverse != 0);
            track->SetPause(pause != 0);
        }
}

void CObjectsBase::RandomizeElementAnimation(uint32_t element)
{
    // One phase for the whole element, so that its tracks stay together.
    const float phase = 0.05f + float(UtilsRandom_Next(m_pWorldData)) * kRandomPhaseFactor;
    for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind)
        if (C3DObjectModifier* track = GetElementTrack(element, kind))
            track->Seek(phase);
}
