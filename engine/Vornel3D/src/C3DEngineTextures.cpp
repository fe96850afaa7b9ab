// The engine's texture list: listing, sharing by name, the two holder counts and release.
//
// Count A of a texture's node counts its holders; count B the holders that asked for a
// once-only use (k3DTextureOnceOnly), which all count together as one holder of A. Object
// stages hold uses of the texture itself (C3DTexture::AddRef); while any stage holds it, a
// stage's release cannot take it away.
#include "C3DEngineList.h"
#include "Vornel3D/C3DContainer.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DResourceName.h"
#include "Vornel3D/C3DTexture.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

Status C3DEngine::AddTexture(C3DTexture* pTexture, uint32_t flags, uint32_t second)
{
    if (!pTexture)
        return kStatusFailed;
    pTexture->SetCreationWords(flags, second);
    if (Failed(pTexture->Init()) || Failed(m_plistTextures.Add(pTexture, uint8_t(flags & k3DShareByName)))) {
        DestroyTexture(pTexture);
        return kStatusFailed;
    }
    if ((flags & k3DTextureOnceOnly) && m_plistTextures.GetCountB(pTexture) == 0)
        m_plistTextures.IncrementCountB(pTexture);
    return kStatusOk;
}

uint32_t C3DEngine::GetTextureHolders(C3DTexture* pTexture)
{
    return pTexture && m_plistTextures.Find(pTexture) ? m_plistTextures.GetCountA(pTexture) : 0;
}

uint32_t C3DEngine::GetTextureOnceOnlyHolders(C3DTexture* pTexture)
{
    return pTexture && m_plistTextures.Find(pTexture) ? m_plistTextures.GetCountB(pTexture) : 0;
}

C3DTexture* C3DEngine::ShareTexture(C3DTexture* pTexture)
{
    if (!pTexture || !m_plistTextures.Find(pTexture) || !(pTexture->GetFlags() & k3DShareByName))
        return nullptr;
    m_plistTextures.IncrementCountA(pTexture);
    return pTexture;
}

C3DTexture* C3DEngine::MakeTextureFromAddress(uint32_t flags, uint32_t second, const void* data, uint32_t size,
                                              const char16_t* name)
{
    return TextureFromSource(TextureSource::Memory, flags, second, data, size, name, nullptr);
}

C3DTexture* C3DEngine::LoadTextureFromPacker(uint32_t flags, uint32_t second, PackRecord* pEntry)
{
    return TextureFromSource(TextureSource::Packer, flags, second, nullptr, 0, nullptr, pEntry);
}

C3DTexture* C3DEngine::LoadTextureFromFile(uint32_t flags, uint32_t second, const char16_t* path)
{
    return TextureFromSource(TextureSource::File, flags, second, nullptr, 0, path, nullptr);
}

C3DTexture* C3DEngine::TextureFromSource(TextureSource source, uint32_t flags, uint32_t second, const void* data,
                                         uint32_t size, const char16_t* name, PackRecord* pEntry)
{
    const char16_t* sourceName = source == TextureSource::Packer ? (pEntry ? pEntry->lastEntryName : nullptr) : name;
    const uint32_t ownFlags = flags & ~k3DTextureOnceOnly;
    const bool onceOnly = (flags & k3DTextureOnceOnly) != 0;

    if (flags & k3DShareByName) {
        // Compared with the name a texture keeps for this source, so that one loaded from a
        // file inside the data folder is found again by the same path.
        const char16_t* kept = C3DResourceName(m_pWorldData, sourceName);
        C3DTexture* found = nullptr;
        FIFONode* saved = m_plistTextures.GetCurrentNode();
        for (auto* t = static_cast<C3DTexture*>(m_plistTextures.GetFirst()); t;
             t = static_cast<C3DTexture*>(m_plistTextures.GetNext())) {
            if (m_plistTextures.GetCurrentFlag() && t->GetSecond() == second && t->GetFlags() == ownFlags &&
                kept && t->GetName() && UtilsString_Compare(t->GetName(), kept) == 0) {
                found = t;
                break;
            }
        }
        m_plistTextures.SetCurrentNode(saved);
        if (found) {
            if (!onceOnly) {
                m_plistTextures.IncrementCountA(found);
            } else if (m_plistTextures.GetCountB(found) == 0) {
                m_plistTextures.IncrementCountB(found);
                m_plistTextures.IncrementCountA(found);
            }
            return found;
        }
    }

    C3DTexture* texture = CreateTexture(ownFlags, second);
    if (!texture)
        return nullptr;
    if (texture->GetSecond() & k3DTextureNameOnly) {
        if (!texture->GetName())
            texture->SetFileName(sourceName);
    } else {
        Status status;
        switch (source) {
        case TextureSource::Memory:
            status = texture->MakeFromAddress(data, size, name);
            break;
        case TextureSource::Packer:
            status = texture->LoadFromPacker(pEntry);
            break;
        default:
            status = texture->LoadFromFile(name);
            break;
        }
        if (Failed(status)) {
            // The new texture has no holder that a stage's release would account for: it goes
            // as its owner's release, or it would stay listed until unload.
            ReleaseTexture(texture, 1);
            return nullptr;
        }
    }
    if (onceOnly)
        m_plistTextures.IncrementCountB(texture);
    return texture;
}

Status C3DEngine::ReleaseTexture(C3DTexture* pTexture, uint8_t direct)
{
    if (!pTexture || !m_plistTextures.Find(pTexture))
        return kStatusFailed;
    const uint32_t onceOnlyHolders = m_plistTextures.GetCountB(pTexture);
    if (pTexture->GetUseCount() != 0 && (!direct || onceOnlyHolders != 0))
        return kStatusFailed;
    if (!direct) {
        if (onceOnlyHolders == 0)
            return kStatusFailed;
        if (m_plistTextures.DecrementCountB(pTexture) > 0)
            return kStatusFailed;
    }
    if (Failed(m_plistTextures.Remove(pTexture)))
        return kStatusFailed;
    ForgetTexture(pTexture);
    return kStatusOk;
}

void C3DEngine::ForgetTexture(C3DTexture* pTexture)
{
    if (m_pPresentedFrameCopy == pTexture)
        m_pPresentedFrameCopy = nullptr;
    WalkList<C3DObject>(m_plistObjects, [&](C3DObject* o) {
        o->ForgetTexture(pTexture);
        return true;
    });
    WalkList<C3DContainer>(m_listContainer, [&](C3DContainer* c) {
        if (c->GetKind() == kContainerKindShader) {
            auto* shader = static_cast<C3DContainerShader*>(c);
            if (shader->GetTexture() == pTexture)
                shader->SetTexture(nullptr);
        }
        return true;
    });
}
