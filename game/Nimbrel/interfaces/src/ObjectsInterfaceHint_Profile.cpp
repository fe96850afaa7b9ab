// The hint's saved state, behind the scene object's: the effect's phase and progress, the bound
// elements, the two names and the item pointed at. The read trusts nothing: a phase past the
// last, an element the hint does not hold or a target outside the scene is refused.
#include <cmath>

#include "NimbrelInterfaces/CObjectsInterfaceHint.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"

namespace {

bool Put(UtilsStream_Chunk* pChunk, int32_t value) { return pChunk->Write(&value, 4, 1); }
bool Get(UtilsStream_Chunk* pChunk, int32_t* pValue) { return pChunk->Read(pValue, 4, 1); }

}  // namespace

Status CObjectsInterfaceHint::SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    if (Failed(CObjectsInterface::SaveState(pList, pChunk)) || !pChunk)
        return kStatusFailed;
    return SaveHintState(pChunk);
}

Status CObjectsInterfaceHint::SaveHintState(UtilsStream_Chunk* pChunk)
{
    const bool ok = Put(pChunk, int32_t(m_effectState)) && pChunk->Write(&m_progress, 4, 1) &&
                    Put(pChunk, m_helpElement) && Put(pChunk, m_hintElement) && Put(pChunk, m_effectElement) &&
                    pChunk->WriteStringA(m_pClickTest, false) && pChunk->WriteStringA(m_pPopupName, false) &&
                    Put(pChunk, m_target.level) && Put(pChunk, m_target.element);
    return ok ? kStatusOk : kStatusFailed;
}

Status CObjectsInterfaceHint::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    if (Failed(CObjectsInterface::LoadFromProfile(pChunk)))
        return kStatusFailed;
    return LoadHintState(pChunk);
}

Status CObjectsInterfaceHint::LoadHintState(UtilsStream_Chunk* pChunk)
{
    FreeStrings();
    m_effectState = kHintIdle;
    m_progress = 0.0f;
    m_target = {-1, -1};
    int32_t state = 0, help = -1, hint = -1, effect = -1;
    float progress = 0.0f;
    char* clickTest = nullptr;
    char* popup = nullptr;
    HintTarget target = {-1, -1};
    bool ok = pChunk && Get(pChunk, &state) && pChunk->Read(&progress, 4, 1) && Get(pChunk, &help) &&
              Get(pChunk, &hint) && Get(pChunk, &effect) && pChunk->ReadStringA(&clickTest, false) &&
              pChunk->ReadStringA(&popup, false) && Get(pChunk, &target.level) && Get(pChunk, &target.element);
    // Bound elements are the hint's own; the target an element of an object of the scene.
    const auto own = [&](int32_t index) { return index == -1 || (index >= 0 && uint32_t(index) < m_elementCount); };
    CObjectsBase* level = ok && target.level >= 0 ? SceneObject(uint32_t(target.level)) : nullptr;
    const bool targetFits = target.level == -1 || (level && target.element >= 0 &&
                                                   uint32_t(target.element) < level->GetElementCount());
    ok = ok && state >= int32_t(kHintIdle) && state <= int32_t(kHintFadingOut) && std::isfinite(progress) &&
         own(help) && own(hint) && own(effect) && targetFits;
    if (!ok) {
        UTILS_FREE(clickTest);
        UTILS_FREE(popup);
        return kStatusFailed;
    }
    m_effectState = uint32_t(state);
    m_progress = progress;
    m_helpElement = help;
    m_hintElement = hint;
    m_effectElement = effect;
    m_pClickTest = clickTest;
    m_pPopupName = popup;
    m_target = target.level == -1 ? HintTarget{-1, -1} : target;
    return kStatusOk;
}
