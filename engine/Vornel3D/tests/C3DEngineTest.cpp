// The engine's lists: texture sharing and holder counts, release rules, leak lines at unload,
// failing resources and the device passes, through the memory back end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MemoryBackEnd.h"
#include "Vornel3D/C3DContainer.h"
#include "Vornel3D/C3DView.h"

namespace {

class EngineTest : public ::testing::Test {
protected:
    CMemoryEngine& Engine() { return *world.engine; }
    WorldData& Data() { return *world.data; }

    C3DTexture* LoadShared(uint32_t flags, const char16_t* name)
    {
        return Engine().MakeTextureFromAddress(flags, 0, tga.data(), uint32_t(tga.size()), name);
    }

    // An object of one group of one triangle.
    C3DObject* Triangle()
    {
        C3DObject* object = Engine().CreateObject(k3DObjectNormals, 0);
        EXPECT_NE(object, nullptr);
        EXPECT_EQ(object->Create(1, 3, 3), kStatusOk);
        return object;
    }

    CMemoryWorld world;
    std::vector<uint8_t> tga = MemoryTga(2, 2, 10, 20, 30);
};

TEST_F(EngineTest, SameShareableLoadGivesOneTextureGoneOnlyAtTheSecondRelease)
{
    C3DTexture* first = LoadShared(k3DShareByName, u"stone.tga");
    ASSERT_NE(first, nullptr);
    C3DTexture* second = LoadShared(k3DShareByName, u"stone.tga");
    EXPECT_EQ(second, first);
    EXPECT_EQ(Engine().GetTextureHolders(first), 2u);
    EXPECT_EQ(Engine().GetTextureList().GetCount(), 1u);
    EXPECT_EQ(first->GetWidth(), 2);
    EXPECT_EQ(static_cast<CMemoryTexture*>(first)->GetPixels().size(), 12u);

    EXPECT_EQ(Engine().ReleaseTexture(first, 1), kStatusFailed);
    EXPECT_EQ(Engine().GetTextureList().GetCount(), 1u);
    EXPECT_EQ(Engine().GetTextureHolders(first), 1u);
    EXPECT_EQ(Engine().ReleaseTexture(first, 1), kStatusOk);
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());
}

TEST_F(EngineTest, SharingNeedsTheSameWordsAndName)
{
    C3DTexture* base = LoadShared(k3DShareByName, u"stone.tga");
    struct Case {
        uint32_t flags;
        uint32_t second;
        const char16_t* name;
    } cases[] = {
        {k3DShareByName, 0, u"Stone.tga"},         // names compare with case
        {k3DShareByName | 0x40, 0, u"stone.tga"}, // other flags
        {k3DShareByName, 0x52, u"stone.tga"},      // other second word
        {0, 0, u"stone.tga"},                      // not asking to share
    };
    for (const Case& c : cases) {
        C3DTexture* other = Engine().MakeTextureFromAddress(c.flags, c.second, tga.data(), uint32_t(tga.size()), c.name);
        ASSERT_NE(other, nullptr);
        EXPECT_NE(other, base) << std::hex << c.flags << " " << c.second;
        EXPECT_EQ(Engine().ReleaseTexture(other, 1), kStatusOk);
    }
    EXPECT_EQ(Engine().GetTextureHolders(base), 1u);
    EXPECT_EQ(Engine().ReleaseTexture(base, 1), kStatusOk);
}

TEST_F(EngineTest, OnceOnlyHoldersCountOnceAndAreNeverSharedWithoutTheShareFlag)
{
    const uint32_t onceShared = k3DShareByName | k3DTextureOnceOnly;
    C3DTexture* texture = LoadShared(onceShared, u"wall.tga");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetFlags(), k3DShareByName); // the once-only bit is not kept
    EXPECT_EQ(Engine().GetTextureHolders(texture), 1u);
    EXPECT_EQ(Engine().GetTextureOnceOnlyHolders(texture), 1u);

    // A second once-only request finds it but does not raise the counts.
    EXPECT_EQ(LoadShared(onceShared, u"wall.tga"), texture);
    EXPECT_EQ(Engine().GetTextureHolders(texture), 1u);
    EXPECT_EQ(Engine().GetTextureOnceOnlyHolders(texture), 1u);

    // A once-only request without the share bit always makes its own texture.
    C3DTexture* a = LoadShared(k3DTextureOnceOnly, u"wall.tga");
    C3DTexture* b = LoadShared(k3DTextureOnceOnly, u"wall.tga");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, texture);
    EXPECT_NE(a, b);

    // A once-only holder's release (not direct) takes the texture away at once.
    for (C3DTexture* t : {texture, a, b})
        EXPECT_EQ(Engine().ReleaseTexture(t, 0), kStatusOk);
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());
}

TEST_F(EngineTest, ReleaseRulesFollowUsesAndHolders)
{
    // An owner's texture (no once-only holder) cannot be taken by a stage's release.
    C3DTexture* owned = Engine().CreateTexture(0, 0);
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(Engine().ReleaseTexture(owned, 0), kStatusFailed);
    EXPECT_EQ(Engine().GetTextureList().GetCount(), 1u);

    // While a stage holds it, an owner's release is refused for a once-only texture...
    C3DTexture* once = LoadShared(k3DTextureOnceOnly, u"once.tga");
    once->AddRef();
    EXPECT_EQ(Engine().ReleaseTexture(once, 1), kStatusFailed);
    EXPECT_EQ(Engine().ReleaseTexture(once, 0), kStatusFailed);
    once->ReleaseRef();
    EXPECT_EQ(Engine().ReleaseTexture(once, 0), kStatusOk);

    // ... but allowed for an owner's texture.
    owned->AddRef();
    EXPECT_EQ(Engine().ReleaseTexture(owned, 1), kStatusOk);

    EXPECT_EQ(Engine().ReleaseTexture(nullptr, 1), kStatusFailed);
    CMemoryTexture stranger(&Data());
    EXPECT_EQ(Engine().ReleaseTexture(&stranger, 1), kStatusFailed);
    EXPECT_EQ(Engine().ShareTexture(&stranger), nullptr);
}

TEST_F(EngineTest, ShareTextureAddsAHolderToShareableTexturesOnly)
{
    C3DTexture* shareable = Engine().CreateTexture(k3DShareByName, 0);
    C3DTexture* plain = Engine().CreateTexture(0, 0);
    EXPECT_EQ(Engine().ShareTexture(shareable), shareable);
    EXPECT_EQ(Engine().GetTextureHolders(shareable), 2u);
    EXPECT_EQ(Engine().ShareTexture(plain), nullptr);
    EXPECT_EQ(Engine().GetTextureHolders(plain), 1u);
    Engine().ReleaseTexture(shareable, 1);
    Engine().ReleaseTexture(shareable, 1);
    Engine().ReleaseTexture(plain, 1);
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());
}

TEST_F(EngineTest, ATextureLeavingTheListIsClearedFromEveryStageAndShaderContainer)
{
    C3DObject* one = Triangle();
    C3DObject* two = Engine().CreateObject(k3DObjectScreen, 0);
    ASSERT_EQ(two->Create(2, 4, 6), kStatusOk);
    C3DTexture* texture = Engine().CreateTexture(0, 0);
    one->SetTexture(texture, 0, 3);
    two->SetTextureAllGroups(texture, 1);
    EXPECT_EQ(texture->GetUseCount(), 3);
    auto* holder = static_cast<C3DContainerShader*>(Engine().CreateContainerShader(0, 0));
    auto* other = static_cast<C3DContainerShader*>(Engine().CreateContainerShader(0, 0));
    C3DTexture* kept = Engine().CreateTexture(0, 0);
    holder->SetTexture(texture);
    other->SetTexture(kept);

    // The owner lets it go although stages still hold it.
    ASSERT_EQ(Engine().ReleaseTexture(texture, 1), kStatusOk);
    EXPECT_EQ(one->GetTexture(0, 3), nullptr);
    EXPECT_EQ(two->GetTexture(0, 1), nullptr);
    EXPECT_EQ(two->GetTexture(1, 1), nullptr);
    EXPECT_EQ(holder->GetTexture(), nullptr);
    EXPECT_EQ(other->GetTexture(), kept);

    // Releasing the objects afterwards touches nothing that went (ASan watches).
    EXPECT_EQ(Engine().ReleaseObject(one), kStatusOk);
    EXPECT_EQ(Engine().ReleaseObject(two), kStatusOk);
    EXPECT_EQ(Engine().ReleaseContainer(holder), kStatusOk);
    EXPECT_EQ(Engine().ReleaseContainer(other), kStatusOk);
    EXPECT_EQ(Engine().ReleaseTexture(kept, 1), kStatusOk);
    EXPECT_EQ(Engine().Unload(), kStatusOk);
    EXPECT_TRUE(Engine().leakLines.empty());
}

TEST_F(EngineTest, AnObjectGoingIsTakenOutOfTheShaderContainersThatDrawIt)
{
    C3DObject* object = Triangle();
    C3DObject* other = Triangle();
    auto* first = static_cast<C3DContainerShader*>(Engine().CreateContainerShader(0, 0));
    auto* second = static_cast<C3DContainerShader*>(Engine().CreateContainerShader(0, 0));
    first->SetObject(object);
    second->SetObject(other);
    first->Draw(0); // the object now draws with the container's matrix
    EXPECT_EQ(Engine().ReleaseObject(object), kStatusOk);
    EXPECT_EQ(first->GetObject(), nullptr);
    EXPECT_EQ(second->GetObject(), other);
    // Left behind at unload: the object goes before the containers, which must not reach it.
    second->Draw(0);
    EXPECT_EQ(Engine().Unload(), kStatusOk);
    EXPECT_EQ(Engine().leakLines.size(), 2u);
}

TEST_F(EngineTest, UnloadReportsEachListThatStillHoldsSomething)
{
    Triangle();                                      // an object (its index buffer goes with it)
    Engine().CreateTexture(0, 0);                    // a texture nobody released
    Engine().CreateShader(0, 0);
    Engine().CreateStencilShadow(2, 0x80000000u);
    C3DContainer* parent = Engine().CreateContainer(0, 0);
    parent->AddChild(Engine().CreateContainerText(0, 0), true);
    C3DObjectIndex* loose = Engine().CreateObjectIndex(6, k3DIndex16);
    ASSERT_NE(loose, nullptr);

    EXPECT_EQ(Engine().Unload(), kStatusOk);
    const std::vector<std::u16string> expected = {
        u"# C3DEngine::m_plistObjects detected memory leaks !\n",
        u"# C3DEngine::m_plistObjectsIndex detected memory leaks !\n",
        u"# C3DEngine::m_plistTextures detected memory leaks !\n",
        u"# C3DEngine::m_plistShaders detected memory leaks !\n",
        u"# C3DEngine::m_listStencilShadow detected memory leaks !\n",
        u"# C3DEngine::m_listContainer detected memory leaks !\n",
    };
    EXPECT_EQ(Engine().leakLines, expected);
    EXPECT_TRUE(Engine().GetObjectList().IsEmpty());
    EXPECT_TRUE(Engine().GetContainerList().IsEmpty());

    // Everything went: a second unload has nothing to report.
    Engine().leakLines.clear();
    EXPECT_EQ(Engine().Unload(), kStatusOk);
    EXPECT_TRUE(Engine().leakLines.empty());
}

TEST_F(EngineTest, UnloadAfterEveryReleaseReportsNothing)
{
    C3DObject* object = Triangle();
    ASSERT_EQ(object->MakeTextureFromAddress(k3DShareByName, 0, tga.data(), uint32_t(tga.size()), 0, u"t.tga"),
              kStatusOk);
    C3DShader* shader = Engine().CreateShader(0, 0);
    C3DStencilShadow* shadow = Engine().CreateStencilShadow(1, 0);
    EXPECT_EQ(Engine().ReleaseObject(object), kStatusOk);
    EXPECT_EQ(Engine().ReleaseShader(shader), kStatusOk);
    EXPECT_EQ(Engine().ReleaseStencilShadow(shadow), kStatusOk);
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());
    EXPECT_TRUE(Engine().GetObjectIndexList().IsEmpty());
    EXPECT_EQ(Engine().Unload(), kStatusOk);
    EXPECT_TRUE(Engine().leakLines.empty());
}

TEST_F(EngineTest, AResourceWhoseInitFailsIsDeletedAndNotListed)
{
    // ASan's leak check at exit shows that each failed resource was deleted.
    struct Case {
        bool CMemoryFaults::*fault;
        const char* what;
    } cases[] = {
        {&CMemoryFaults::objectInit, "object"},   {&CMemoryFaults::indexInit, "index"},
        {&CMemoryFaults::textureInit, "texture"}, {&CMemoryFaults::shaderInit, "shader"},
        {&CMemoryFaults::shadowCreate, "shadow"},
    };
    for (const Case& c : cases) {
        Engine().faults = CMemoryFaults{};
        Engine().faults.*(c.fault) = true;
        EXPECT_EQ(Engine().CreateObject(k3DObjectNormals, 0) != nullptr, !Engine().faults.objectInit) << c.what;
        EXPECT_EQ(Engine().CreateObjectIndex(3, k3DIndex32) != nullptr, !Engine().faults.indexInit) << c.what;
        EXPECT_EQ(Engine().CreateTexture(0, 0) != nullptr, !Engine().faults.textureInit) << c.what;
        EXPECT_EQ(Engine().CreateShader(0, 0) != nullptr, !Engine().faults.shaderInit) << c.what;
        EXPECT_EQ(Engine().CreateStencilShadow(1, 0) != nullptr, !Engine().faults.shadowCreate) << c.what;
        Engine().Unload();
    }
    Engine().faults = CMemoryFaults{};
    Engine().faults.textureInit = true;
    EXPECT_EQ(LoadShared(k3DShareByName, u"x.tga"), nullptr);
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());
}

TEST_F(EngineTest, OutOfMemoryInAFactoryLatchesTheErrorAndGivesNull)
{
    Engine().faults.allocation = true;
    EXPECT_EQ(Engine().CreateObject(k3DObjectNormals, 0), nullptr);
    EXPECT_EQ(Data().lastErrorCode, kStatusOutOfMemory);
    Data().lastErrorCode = 0;
    EXPECT_EQ(LoadShared(0, u"x.tga"), nullptr);
    EXPECT_EQ(Data().lastErrorCode, kStatusOutOfMemory);
    EXPECT_TRUE(Engine().GetObjectList().IsEmpty());
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());
}

TEST_F(EngineTest, ATextureThatFailsToLoadDoesNotStayListed)
{
    const uint8_t junk[] = {1, 2, 3, 4};
    for (uint32_t flags : {0u, k3DShareByName, k3DTextureOnceOnly}) {
        EXPECT_EQ(Engine().MakeTextureFromAddress(flags, 0, junk, sizeof junk, u"junk.tga"), nullptr);
        EXPECT_EQ(Engine().LoadTextureFromFile(flags, 0, u"/no/such/file.png"), nullptr);
    }
    EXPECT_TRUE(Engine().GetTextureList().IsEmpty());
}

TEST_F(EngineTest, NameOnlyTexturesKeepTheNameWithoutLoading)
{
    const uint8_t junk[] = {1, 2, 3, 4};
    C3DTexture* texture = Engine().MakeTextureFromAddress(k3DShareByName, k3DTextureNameOnly, junk, 4, u"sheet.png");
    ASSERT_NE(texture, nullptr);
    ASSERT_NE(texture->GetName(), nullptr);
    EXPECT_EQ(std::u16string(texture->GetName()), u"sheet.png");
    EXPECT_FALSE(texture->IsLoaded());
    EXPECT_EQ(Engine().MakeTextureFromAddress(k3DShareByName, k3DTextureNameOnly, junk, 4, u"sheet.png"), texture);
    EXPECT_EQ(Engine().ReleaseTexture(texture, 1), kStatusFailed);
    EXPECT_EQ(Engine().ReleaseTexture(texture, 1), kStatusOk);
}

TEST_F(EngineTest, PackEntriesAndFilesShareByTheirKeptNames)
{
    PackRecord entry{};
    const std::u16string entryName = u"textures/menu/button.tga";
    entryName.copy(entry.lastEntryName, entryName.size());

    // With no data folder known, names are file names.
    C3DTexture* bare = Engine().LoadTextureFromPacker(k3DShareByName, k3DTextureNameOnly, &entry);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(std::u16string(bare->GetName()), u"button.tga");
    EXPECT_EQ(Engine().LoadTextureFromPacker(k3DShareByName, k3DTextureNameOnly, &entry), bare);

    // With the data folder known, a pack entry keeps its whole name and a file inside the
    // folder its path below it, whichever separator the path uses.
    const std::u16string folder = u"Data_full_Win32\\";
    folder.copy(Data().dataPath, folder.size());
    Data().dataPathWord = int32_t(folder.size());
    C3DTexture* named = Engine().LoadTextureFromPacker(k3DShareByName, k3DTextureNameOnly, &entry);
    ASSERT_NE(named, nullptr);
    EXPECT_NE(named, bare);
    EXPECT_EQ(std::u16string(named->GetName()), entryName);
    EXPECT_EQ(Engine().LoadTextureFromPacker(k3DShareByName, k3DTextureNameOnly, &entry), named);

    C3DTexture* file =
        Engine().LoadTextureFromFile(k3DShareByName, k3DTextureNameOnly, u"Data_full_Win32\\textures/a.png");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::u16string(file->GetName()), u"textures/a.png");
    EXPECT_EQ(Engine().LoadTextureFromFile(k3DShareByName, k3DTextureNameOnly, u"Data_full_Win32/textures/a.png"),
              file);
    EXPECT_EQ(Engine().GetTextureHolders(file), 2u);
    Engine().Unload();
}

TEST_F(EngineTest, SetLightsMinusOneSetsBothLights)
{
    Engine().SetLights(-1);
    EXPECT_EQ(Engine().lightsSet, (std::vector<uint32_t>{0, 1}));
    Engine().lightsSet.clear();
    Engine().SetLights(3);
    EXPECT_EQ(Engine().lightsSet, (std::vector<uint32_t>{0, 1, 2}));
}

class RecordingView : public C3DView {
public:
    using C3DView::C3DView;
    Status SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) override
    {
        viewport = {x, y, width, height};
        return kStatusOk;
    }
    std::vector<int32_t> viewport;
};

TEST_F(EngineTest, InitStoresTheDisplayModeAndScalesTheViewport)
{
    RecordingView view(&Data());
    Engine().SetView(&view);
    Data().scaleX = 1.5f;
    Data().scaleY = 0.5f;
    int window = 0;
    EXPECT_EQ(Engine().Init(&window, 1024, 767, 1, 32, 0), kStatusOk);
    EXPECT_EQ(Data().virtualWidth, 1024);
    EXPECT_EQ(Data().virtualHeight, 767);
    EXPECT_EQ(Data().fullScreen, 1);
    EXPECT_EQ(Data().colorDepth, 32);
    EXPECT_EQ(Data().pWindow, &window);
    EXPECT_EQ(view.viewport, (std::vector<int32_t>{0, 0, 1536, 383}));
    Engine().SetView(nullptr);
}

class FailingRestoreObject : public CMemoryObject {
public:
    using CMemoryObject::CMemoryObject;
    Status Restore(uint32_t) override { return kStatusFailed; }
    Status Invalidate(uint32_t) override { return kStatusFailed; }
};

TEST_F(EngineTest, InitAndInvalidateStopAtTheFirstFailingObject)
{
    EXPECT_EQ(Engine().Invalidate(0), kStatusOk);
    auto* object = new FailingRestoreObject(&Data(), C3DVertexLayout::Normal);
    ASSERT_EQ(Engine().AddObject(object, k3DObjectNormals, 0), kStatusOk);
    EXPECT_EQ(Engine().Init(nullptr, 640, 480, 0, 32, 0), kStatusFailed);
    EXPECT_EQ(Engine().Invalidate(0), kStatusFailed);
    EXPECT_EQ(Engine().ReleaseObject(object), kStatusOk);
}

TEST_F(EngineTest, ContainersAreMadeByKindAndReleasedWithTheirChildren)
{
    C3DContainer* plain = Engine().CreateContainer(0xAB123456u, 0);
    C3DContainer* shader = Engine().CreateContainerShader(0x7, 0);
    C3DContainer* text = Engine().CreateContainerText(0x7, 0);
    EXPECT_EQ(plain->GetKind(), kContainerKindPlain);
    EXPECT_EQ(plain->GetFlags(), 0x123456u);
    EXPECT_EQ(shader->GetKind(), kContainerKindShader);
    EXPECT_EQ(text->GetKind(), kContainerKindText);

    // A container still used elsewhere loses its children but stays.
    ASSERT_EQ(plain->AddChild(shader, true), kStatusOk);
    ASSERT_EQ(shader->AddChild(text, true), kStatusOk);
    plain->AddRef();
    plain->AddRef();
    EXPECT_EQ(Engine().ReleaseContainer(plain), kStatusFailed);
    EXPECT_EQ(plain->GetChildCount(), 0u);
    EXPECT_EQ(Engine().GetContainerList().GetCount(), 1u);
    EXPECT_EQ(Engine().ReleaseContainer(plain), kStatusOk);
    EXPECT_TRUE(Engine().GetContainerList().IsEmpty());
    EXPECT_EQ(Engine().ReleaseContainer(nullptr), kStatusFailed);
}

TEST_F(EngineTest, ReleaseContainerChildrenKeepsTheParent)
{
    C3DContainer* parent = Engine().CreateContainer(0, 0);
    parent->AddChild(Engine().CreateContainer(0, 0), true);
    parent->AddChild(Engine().CreateContainer(0, 0), false);
    EXPECT_EQ(Engine().ReleaseContainerChildren(parent), kStatusOk);
    EXPECT_EQ(parent->GetChildCount(), 0u);
    EXPECT_EQ(Engine().GetContainerList().GetCount(), 1u);
    EXPECT_EQ(Engine().ReleaseContainer(parent), kStatusOk);
}

TEST_F(EngineTest, ReleaseSlotsRefuseWhatIsNotListed)
{
    EXPECT_EQ(Engine().ReleaseObject(nullptr), kStatusFailed);
    EXPECT_EQ(Engine().ReleaseObjectIndex(nullptr), kStatusFailed);
    EXPECT_EQ(Engine().ReleaseShader(nullptr), kStatusFailed);
    EXPECT_EQ(Engine().ReleaseStencilShadow(nullptr), kStatusFailed);
    EXPECT_EQ(Engine().ReleaseVideo(nullptr), kStatusFailed);
    CMemoryObject stray(&Data(), C3DVertexLayout::Normal);
    EXPECT_EQ(Engine().ReleaseObject(&stray), kStatusFailed);
    C3DObjectIndex* index = Engine().CreateObjectIndex(3, k3DIndex16);
    index->SetKind(3); // neither width
    EXPECT_EQ(Engine().ReleaseObjectIndex(index), kStatusFailed);
    index->SetKind(k3DIndex16);
    EXPECT_EQ(Engine().ReleaseObjectIndex(index), kStatusOk);
    EXPECT_EQ(Engine().CreateObjectIndex(3, 3), nullptr);
}

TEST_F(EngineTest, TheEngineIsReachedThroughTheWorldDataWhileItLives)
{
    EXPECT_EQ(C3DEngine::FromWorld(&Data()), &Engine());
    world.engine.reset();
    EXPECT_EQ(C3DEngine::FromWorld(&Data()), nullptr);
    EXPECT_EQ(C3DEngine::FromWorld(nullptr), nullptr);
}

} // namespace
