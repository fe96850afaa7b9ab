// A scene object's life on the OpenGL renderer: load, build, activation with its models, tracks
// and chapter script; its commands, finish and posted messages; release after every failure.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "GLTestSupport.h"
#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelObjects/ElementInfoWriter.h"
#include "NimbrelObjects/ObjectModelFiles.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelScript/ScriptRun.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

namespace {

// A level that answers for the managers of later parts as a test needs it.
class CTestLevel : public CObjectsLevel {
public:
    using CObjectsLevel::CObjectsLevel;
    uint32_t chapters = 4;
    uint32_t chapter = 3;
    bool current = true;
    int levelChanges = 0;

protected:
    uint32_t ChapterCount() override { return chapters; }
    uint32_t CurrentChapter() override { return chapter; }
    bool IsCurrentLevelObject() override { return current; }
    void SetCurrentLevel() override { ++levelChanges; }
};

class SceneWorld : public CNimbrelWorld {
public:
    CCommandTarget* GetCommandTarget(uint32_t number) override
    {
        auto found = objects.find(number);
        return found == objects.end() ? nullptr : found->second;
    }
    CObjectsBase* FindObjectByName(const char* name) override
    {
        for (auto& [number, object] : objects)
            if (object->GetName() && std::strcmp(object->GetName(), name) == 0)
                return object;
        return nullptr;
    }
    bool IsObjectActivated(uint32_t) override { return true; }
    std::map<uint32_t, CObjectsBase*> objects;
};

std::vector<uint8_t> Bytes(UtilsStream_Static& stream)
{
    const auto* block = static_cast<const uint8_t*>(stream.GetBlock());
    return std::vector<uint8_t>(block, block + stream.GetSize());
}

// The element's chunk as the profile writer writes it; `tracks`, when given, replaces its
// 20002 chunk.
std::vector<uint8_t> SavedElement(CObjectsBase& object, uint32_t element,
                                  const std::function<void(UtilsStream_Chunk*)>& tracks = nullptr)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* chunk = list.CreateChunk(kProfileTagElement, nullptr);
    EXPECT_EQ(object.SaveElementToProfile(&list, chunk, object.GetItemRecord(element)), kStatusOk);
    if (tracks) {
        auto* own = static_cast<UtilsStream_Chunk*>(chunk->GetChildren().GetFirst());
        own->Close();
        own->Open(kStreamReadWriteGrowable);
        tracks(own);
    }
    EXPECT_TRUE(list.WriteAll());
    std::vector<uint8_t> bytes = Bytes(stream);
    stream.Close();
    return bytes;
}

Status LoadElement(CObjectsBase& object, uint32_t element, std::vector<uint8_t> bytes)
{
    UtilsStream_Static stream(kStreamRead, bytes.data(), uint32_t(bytes.size()));
    stream.Open();
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* chunk = list.ReadFirst();
    const Status status = chunk ? object.LoadElementFromProfile(chunk, object.GetItemRecord(element)) : kStatusFailed;
    stream.Close();
    return status;
}

// The object's files: two elements ("lamp" with a swing track, "rug"), a variant for chapter 0
// only, a render and a collision model.
struct SceneFiles {
    std::map<std::string, std::vector<uint8_t>> entries;

    explicit SceneFiles(WorldData* w, uint32_t renderGroups = 2, bool badIndex = false, uint32_t vertexEntries = 2)
    {
        ElementRecord elements[2];
        const char* names[2] = {"lamp", "rug"};
        AnimationTrack swing = {2, 0, 0, 0, 0, nullptr};
        for (uint32_t i = 0; i < 2; ++i) {
            CObjectsBase::ResetElement(&elements[i]);
            elements[i].pName = const_cast<char*>(names[i]);
            elements[i].drawSlot = i;
            elements[i].pickable = 1;
            elements[i].size[0] = elements[i].size[1] = 32.0f;
        }
        elements[0].pTracks = &swing;
        elements[0].trackCount = 1;
        elements[0].animationByteA = elements[0].animationByteB = 1;
        const uint32_t nameIndex[2] = {0, 1};
        const uint8_t variants[3] = {1, 0, 0};
        ElementInfoView view = {};
        view.pName = "study";
        view.pElements = elements;
        view.elementStride = sizeof(ElementRecord);
        view.elementCount = 2;
        view.pNameIndex = nameIndex;
        view.pVariants = variants;
        view.variantCount = 3;
        view.firstMark = view.lastMark = -1;
        Write("Nimbrel_object_1.raw", [&](UtilsStream* s) { return WriteElementInfo(s, view); });

        const ObjectModelElement parts[3] = {{32, 32, nullptr, nullptr, 0}, {32, 32, nullptr, nullptr, 0},
                                             {8, 8, nullptr, nullptr, 0}};
        for (bool collision : {false, true}) {
            C3DObjectRaw raw(w);
            EXPECT_EQ(BuildObjectModel(&raw, parts, collision ? 2 : renderGroups, collision), kStatusOk);
            if (badIndex && !collision)
                raw.GetRecord()->indices[3] = 7;
            Write(collision ? "Nimbrel_object_1.col.3dx" : "Nimbrel_object_1.obj.3dx",
                  [&](UtilsStream* s) { return raw.Write3dx(s, kObjectModelFileFlags); });
        }

        // The lamp swings (a rotation track of three keys) and its quad's corners move.
        C3DModifierVectorKey keys[3] = {{0, 10, 0, 0, -0.3f}, {0, 10, 0, 0, 0.3f}, {0, 10, 0, 0, -0.3f}};
        C3DObjectModifier* rotation = CreateObjectModifier(kModifierRotation, w);
        EXPECT_EQ(rotation->CreateFromKeys(nullptr, 0, keys, 3, 3, 1.0f), kStatusOk);
        auto* corners = static_cast<C3DModifierTrianglePositions*>(UTILS_CALLOC(vertexEntries, sizeof(C3DModifierTrianglePositions)));
        // The vertex track takes the key array over.
        auto* vertexKey = static_cast<C3DModifierVertexPositionKey*>(UTILS_CALLOC(1, sizeof(C3DModifierVertexPositionKey)));
        *vertexKey = {0, 5, vertexEntries, corners};
        C3DObjectModifier* vertex = CreateObjectModifier(kModifierVertexPosition, w);
        EXPECT_EQ(vertex->CreateFromKeys(nullptr, 0, vertexKey, 1, 1, 1.0f), kStatusOk);
        C3DObjectModifier* tracks[2 * kElementTrackKinds] = {};
        tracks[kModifierRotation] = rotation;
        tracks[kModifierVertexPosition] = vertex;
        Write("Nimbrel_object_1.ani.raw", [&](UtilsStream* s) { return WriteObjectAnimation(s, 2, tracks); });
        for (C3DObjectModifier* track : {rotation, vertex}) {
            track->Release();
            delete track;
        }

        Text("Nimbrel_main.script", "export var started = 0;\n");
        Text("Nimbrel_object_1.0.script",
             "synchronized var kept = 0;\nvar starts = 0;\nvar runs = 0;\nvar order = 0;\nvar got = 0;\nvar sum = 0;\nvar first = \"\";\n"
             "function OnStart() { starts++; order = order * 10 + 1; started++; }\n"
             "function OnRun() { runs++; order = order * 10 + 2; }\n"
             "function OnReceiveMessage(text, w, l) {\n"
             "  got++;\n  sum = sum * 10 + w;\n  if (got == 1) { first = text; }\n"
             "  if (text == \"echo\") { sendObjectMessage(\"study\", \"again\", 9, 0); }\n"
             "  if (text == \"restart\") { restartSelf(); }\n}\n"
             "function OnClicked(name) { got = got + 100; }\n"
             "function OnFocus() { waitHere(); got = 0; }\n");
    }

    template <typename Writer>
    void Write(const char* name, Writer write)
    {
        UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
        stream.Open();
        EXPECT_EQ(write(&stream), kStatusOk) << name;
        entries[name] = Bytes(stream);
        stream.Close();
    }
    void Text(const char* name, const std::string& text) { entries[name] = std::vector<uint8_t>(text.begin(), text.end()); }
    void Remove(const char* name) { entries.erase(name); }
};

class ObjectLifeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_scene = std::make_unique<SceneWorld>();
        WorldData* w = m_scene->GetWorldData();
        if (!HaveGLDisplay())
            GTEST_SKIP() << "needs a display (run under xvfb-run)";
        m_sceneMath = std::make_unique<C3DMath>(w);
        PrepareWorld(*w, m_sceneMath.get(), 320, 240);
        PlatformWindowDesc desc;
        desc.title = "scene objects";
        desc.width = 320;
        desc.height = 240;
        m_sceneWindow = Platform_CreateWindow(desc);
        ASSERT_NE(m_sceneWindow, nullptr);
        m_sceneEngine = static_cast<C3DEngine_GL*>(CreateModule3D_GL(w));
        ASSERT_EQ(m_sceneEngine->Load(m_sceneWindow), kStatusOk);
        GameDataSetConstruction(*m_scene->GetGameData(), "Nimbrel");
        std::strcpy(w->game.view.dataNamePrefix, "Nimbrel");
        w->pfnPackLocator = FindPackEntry;
        m_scene->SetManager(kManagerScript, new CScriptManager(w));
        m_scene->SetManager(kManagerCommandList, new CCommandListManager(w));
    }

    void TearDown() override
    {
        if (!m_scene)
            return;
        m_object.reset();
        m_scene->SetManager(kManagerScript, nullptr);
        m_scene->SetManager(kManagerCommandList, nullptr);
        WorldData* w = m_scene->GetWorldData();
        ClosePackFile(&w->pack);
        if (!m_packPath.empty())
            std::remove(m_packPath.c_str());
        if (m_sceneEngine) {
            m_sceneEngine->Unload();
            delete m_sceneEngine;
        }
        Platform_DestroyWindow(m_sceneWindow);
        m_scene.reset();
    }

    void Pack(const SceneFiles& files)
    {
        WorldData* w = m_scene->GetWorldData();
        ClosePackFile(&w->pack);
        char name[] = "/tmp/nimbrel_object_XXXXXX";
        const int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        close(fd);
        m_packPath = name;
        std::FILE* file = std::fopen(name, "wb");
        ASSERT_EQ(WritePackCountRecord(file, uint32_t(files.entries.size())), kStatusOk);
        for (const auto& [entry, bytes] : files.entries)
            ASSERT_EQ(WritePackRecord(file, entry.c_str(), bytes.data(), uint32_t(bytes.size())), kStatusOk);
        std::fclose(file);
        ASSERT_EQ(OpenPackFile(&w->pack, UtilsString_FromUtf8(name).c_str(), 0), kStatusOk);
        ASSERT_EQ(Scripts()->Load(), kStatusOk);
    }

    // A new level 1 loaded and built from the pack.
    CTestLevel* Level()
    {
        m_object = std::make_unique<CTestLevel>(m_scene->GetWorldData(), 1, 0);
        m_scene->objects[1] = m_object.get();
        EXPECT_EQ(m_object->Load(), kStatusOk);
        EXPECT_EQ(m_object->BuildFromRaw(u"Nimbrel_object_1.raw"), kStatusOk);
        return m_object.get();
    }

    uint32_t Global(const char* name)
    {
        uint32_t value = 0xDEAD;
        m_object->GetScript()->GetLong(name, &value, false);
        return value;
    }

    CScriptManager* Scripts() { return m_scene->GetScriptManager(); }
    CCommandListManager* Commands() { return m_scene->GetCommandListManager(); }

    std::unique_ptr<SceneWorld> m_scene;
    std::unique_ptr<C3DMath> m_sceneMath;
    PlatformWindow* m_sceneWindow = nullptr;
    C3DEngine_GL* m_sceneEngine = nullptr;
    std::unique_ptr<CTestLevel> m_object;
    std::string m_packPath;
};

TEST_F(ObjectLifeTest, ActivationLoadsModelsAndVariantAndStartsTheScriptOnce)
{
    Pack(SceneFiles(m_scene->GetWorldData()));
    CTestLevel* level = Level();
    EXPECT_EQ(level->GetAbuse(), 1);
    EXPECT_FALSE(level->IsScriptLoaded());
    ASSERT_EQ(level->Activate(1), kStatusOk);
    EXPECT_TRUE(level->IsLoaded());
    EXPECT_TRUE(level->IsWanted());
    EXPECT_EQ(level->GetRenderModel()->GetGroupCount(), 2u);
    EXPECT_EQ(level->GetCollisionModel()->GetGroupCount(), 2u);
    // Chapter 3 of a table of three bytes, only chapter 0 with a script.
    EXPECT_EQ(level->GetCurrentVariant(), 0);
    EXPECT_EQ(level->GetRunState(), uint32_t(kRunRunning));
    EXPECT_EQ(Global("order"), 12u);
    uint32_t started = 0;
    Scripts()->GetMainScript()->GetLong("started", &started, true);
    EXPECT_EQ(started, 1u);

    // The lamp's tracks: both animation bytes make it loop, from the keys' own pace.
    C3DObjectModifier* swing = level->GetElementTrack(0, kModifierRotation);
    ASSERT_NE(swing, nullptr);
    EXPECT_EQ(swing->GetTarget(), level->GetRenderModel());
    EXPECT_EQ(swing->GetState().mode, uint32_t(kModifierRepeat));
    EXPECT_EQ(level->GetElementTrack(1, kModifierRotation), nullptr);

    // Activated again: the models stay, nothing fires.
    ASSERT_EQ(level->Activate(1), kStatusOk);
    level->UpdateState();
    EXPECT_EQ(Global("starts"), 1u);
    EXPECT_EQ(Global("runs"), 1u);
}

TEST_F(ObjectLifeTest, ReleasedTracksComeBackWhereTheyStood)
{
    Pack(SceneFiles(m_scene->GetWorldData()));
    CTestLevel* level = Level();
    ASSERT_EQ(level->Activate(1), kStatusOk);
    C3DObjectModifier* swing = level->GetElementTrack(0, kModifierRotation);
    m_scene->GetWorldData()->frameTime = 13.0;
    swing->Update();
    const C3DModifierState before = swing->GetState();
    EXPECT_EQ(before.currentKey, 1u);

    ASSERT_EQ(level->ReleaseModel(0), kStatusOk);
    EXPECT_FALSE(level->IsLoaded());
    EXPECT_EQ(level->GetElementTrack(0, kModifierRotation), nullptr);
    ASSERT_NE(level->GetElements()[0].pSavedTrackState, nullptr);
    EXPECT_EQ(level->GetElements()[1].pSavedTrackState[2 * kModifierRotation], 0u);

    ASSERT_EQ(level->LoadReleaseModel(1), kStatusOk);
    const C3DModifierState after = level->GetElementTrack(0, kModifierRotation)->GetState();
    EXPECT_EQ(after.currentKey, before.currentKey);
    EXPECT_FLOAT_EQ(after.time, before.time);
    EXPECT_EQ(level->GetElements()[0].pSavedTrackState, nullptr);
    // Loaded already: a second load changes nothing.
    EXPECT_EQ(level->LoadReleaseModel(1), kStatusOk);
}

// The lamp's tracks in the profile: their states while the models are loaded, the kept pairs
// while they are not, applied when the modifiers attach again.
TEST_F(ObjectLifeTest, ElementTracksInTheProfile)
{
    Pack(SceneFiles(m_scene->GetWorldData()));
    CTestLevel* level = Level();
    ASSERT_EQ(level->Activate(1), kStatusOk);
    C3DObjectModifier* swing = level->GetElementTrack(0, kModifierRotation);
    m_scene->GetWorldData()->frameTime = 13.0;
    swing->Update();
    const C3DModifierState saved = swing->GetState();
    ASSERT_EQ(saved.currentKey, 1u);

    // Saved live: the element keeps the fresh pairs as well.
    const std::vector<uint8_t> live = SavedElement(*level, 0);
    const ElementRecord& lamp = level->GetElements()[0];
    ASSERT_NE(lamp.pSavedTrackState, nullptr);
    EXPECT_EQ(lamp.pSavedTrackState[2 * kModifierRotation], 1u);
    m_scene->GetWorldData()->frameTime = 10.0;
    swing->Update();
    ASSERT_NE(swing->GetState().currentKey, 1u);
    ASSERT_EQ(LoadElement(*level, 0, live), kStatusOk);
    EXPECT_EQ(swing->GetState().currentKey, 1u);
    EXPECT_FLOAT_EQ(swing->GetState().time, saved.time);
    // Loaded from the tracks, the pairs of 20003 are not kept.
    EXPECT_EQ(lamp.pSavedTrackState, nullptr);

    // A kind the lamp has no track of (scale) is read and dropped; the rotation after it loads.
    const std::vector<uint8_t> odd = SavedElement(*level, 0, [&](UtilsStream_Chunk* tracks) {
        ChunkStream stream(tracks);
        const uint8_t present[kElementTrackKinds] = {1, 0, 1, 0, 0, 0, 0};
        tracks->Write(present, 1, 1);
        tracks->Write(&kElementTrackKinds, 4, 1);
        const uint32_t scale[8] = {0, 0, 0, 9, 9, 5, 0, 0};
        for (uint32_t kind = 0; kind < kElementTrackKinds; ++kind) {
            tracks->Write(&present[kind], 1, 1);
            if (kind == kModifierScale)
                tracks->Write(scale, 4, 8);
            else if (present[kind])
                swing->SaveState(0, &stream);
        }
    });
    swing->Update();
    ASSERT_EQ(LoadElement(*level, 0, odd), kStatusOk);
    EXPECT_EQ(swing->GetState().currentKey, 1u);

    // Saved unloaded: 20002 is a single 0, 20003 the pairs the release kept.
    ASSERT_EQ(level->ReleaseModel(0), kStatusOk);
    const std::vector<uint8_t> unloaded = SavedElement(*level, 0);
    const std::vector<uint8_t> single = {0};
    const size_t tracksAt = unloaded.size() - 2 * kChunkHeaderSize - 4 - 4 * kSavedTrackStateWords - 1;
    EXPECT_EQ(std::vector<uint8_t>(unloaded.begin() + tracksAt + kChunkHeaderSize,
                                   unloaded.begin() + tracksAt + kChunkHeaderSize + 1),
              single);
    uint32_t tag = 0;
    std::memcpy(&tag, &unloaded[tracksAt + 8], 4);
    EXPECT_EQ(tag, kProfileTagElementTracks);

    // Loaded into an unloaded object, the pairs wait for the modifiers.
    ElementRecord* record = level->GetItemRecord(0);
    UTILS_FREE(record->pSavedTrackState);
    record->pSavedTrackState = nullptr;
    ASSERT_EQ(LoadElement(*level, 0, unloaded), kStatusOk);
    ASSERT_NE(record->pSavedTrackState, nullptr);
    ASSERT_EQ(level->LoadReleaseModel(1), kStatusOk);
    EXPECT_EQ(level->GetElementTrack(0, kModifierRotation)->GetState().currentKey, 1u);
    EXPECT_EQ(record->pSavedTrackState, nullptr);
}

// Rebuilt around its script, the object keeps the script's synchronized variables only.
TEST_F(ObjectLifeTest, RebuildKeepsTheSynchronizedState)
{
    Pack(SceneFiles(m_scene->GetWorldData()));
    CTestLevel* level = Level();
    ASSERT_EQ(level->Activate(1), kStatusOk);
    ASSERT_EQ(level->GetScript()->SetLong("kept", 42, false), kStatusOk);
    ASSERT_EQ(level->GetScript()->SetLong("runs", 7, false), kStatusOk);
    ASSERT_EQ(level->ReloadElementInfosKeepState(), kStatusOk);
    EXPECT_EQ(level->GetElementCount(), 2u);
    EXPECT_EQ(Global("kept"), 42u);
    EXPECT_EQ(Global("runs"), 0u);

    // Without a script there is nothing to keep.
    CTestLevel bare(m_scene->GetWorldData(), 2, 0);
    EXPECT_EQ(bare.ReloadElementInfosKeepState(), kStatusFailed);
}

// Models that do not match the elements, or tracks that reach past their element, fail the
// load with both models unloaded.
TEST_F(ObjectLifeTest, ModelsAndTracksMustFitTheElements)
{
    struct Case {
        const char* what;
        uint32_t renderGroups;
        bool badIndex;
        uint32_t vertexEntries;
        const char* missing;
    };
    const Case cases[] = {
        {"a group too many", 3, false, 2, nullptr},
        {"a group too few", 1, false, 2, nullptr},
        {"an index past its group's vertices", 2, true, 2, nullptr},
        {"a vertex track past its element's triangles", 2, false, 3, nullptr},
        {"no animation file in the pack", 2, false, 2, "Nimbrel_object_1.ani.raw"},
        {"no collision model", 2, false, 2, "Nimbrel_object_1.col.3dx"},
    };
    for (const Case& c : cases) {
        SceneFiles files(m_scene->GetWorldData(), c.renderGroups, c.badIndex, c.vertexEntries);
        if (c.missing)
            files.Remove(c.missing);
        Pack(files);
        CTestLevel* level = Level();
        EXPECT_EQ(level->Activate(1), kStatusFailed) << c.what;
        EXPECT_FALSE(level->IsLoaded()) << c.what;
        EXPECT_EQ(level->GetRenderModel()->GetGroupCount(), 0u) << c.what;
        EXPECT_EQ(level->GetCollisionModel()->GetGroupCount(), 0u) << c.what;
        EXPECT_EQ(level->GetElementTrack(0, kModifierRotation), nullptr) << c.what;
        EXPECT_EQ(level->Release(), kStatusOk);
        m_scene->objects.erase(1);
        m_object.reset();
        Scripts()->Unload();
    }
}

TEST_F(ObjectLifeTest, ReleaseAfterEveryPartialLoad)
{
    Pack(SceneFiles(m_scene->GetWorldData()));
    WorldData* w = m_scene->GetWorldData();
    // Without a command list manager the load stops after the models and the script.
    m_scene->SetManager(kManagerCommandList, nullptr);
    {
        CTestLevel level(w, 1, 0);
        EXPECT_EQ(level.Load(), kStatusFailed);
        EXPECT_NE(level.GetScript(), nullptr);
        EXPECT_EQ(level.Release(), kStatusOk);
        EXPECT_EQ(level.GetScript(), nullptr);
    }
    m_scene->SetManager(kManagerCommandList, new CCommandListManager(w));
    // Without a script manager, after the models (a level turns every failure into 0x80000001).
    m_scene->SetManager(kManagerScript, nullptr);
    {
        CTestLevel level(w, 1, 0);
        EXPECT_EQ(level.Load(), kStatusFailed);
        EXPECT_EQ(w->lastErrorCode, kStatusOutOfMemory);
        EXPECT_EQ(level.Release(), kStatusOk);
    }
    m_scene->SetManager(kManagerScript, new CScriptManager(w));
    ASSERT_EQ(Scripts()->Load(), kStatusOk);
    // Loaded and built, the variant's script missing: the activation fails after the models.
    SceneFiles files(w);
    files.Remove("Nimbrel_object_1.0.script");
    Pack(files);
    CTestLevel* level = Level();
    EXPECT_EQ(level->Activate(1), kStatusFailed);
    EXPECT_TRUE(level->IsLoaded());
    level->PostMessage(UtilsString_DupA("left"), 1, 2);
    // A record of the profile state with its two texts, freed once.
    auto* record = static_cast<ObjectRecord*>(UTILS_CALLOC(1, sizeof(ObjectRecord)));
    record->pTextA = UtilsString_DupA("a");
    record->pTextB = UtilsString_DupA("b");
    ASSERT_EQ(level->GetRecordList().Add(record, 0), kStatusOk);
    EXPECT_EQ(level->Release(), kStatusOk);
    EXPECT_EQ(level->GetElementCount(), 0u);
    EXPECT_EQ(level->GetMessageCount(), 0u);
}

TEST_F(ObjectLifeTest, CommandsFinishAndTheLevelHandle)
{
    Pack(SceneFiles(m_scene->GetWorldData()));
    CTestLevel* level = Level();
    ASSERT_EQ(level->Activate(1), kStatusOk);
    CCommandListManager* commands = Commands();

    // Finish delivers the solved flag once: with no call waiting on "finished" it is kept for
    // the next one.
    const uint32_t pending = Scripts()->GetPendingCount();
    EXPECT_TRUE(level->Finish(1));
    EXPECT_TRUE(level->Finish(1));
    EXPECT_EQ(Scripts()->GetPendingCount(), pending);
    level->ResetFinish();
    EXPECT_FALSE(level->IsFinished());

    // The level handle changes the level and stays armed.
    const CommandHandle handle = level->GetLevelHandle();
    EXPECT_FALSE(commands->OnBurnCommand(handle, kCommandEventClick, 1, -1, 0));
    EXPECT_FALSE(commands->OnBurnCommand(handle, kCommandEventClick, 1, -1, 0));
    EXPECT_EQ(level->levelChanges, 2);
    EXPECT_EQ(commands->GetRecord(handle.recordIndex)->magicIndex, handle.magicIndex);

    // A click callback: an element without an action keeps it, one outside the object spends it.
    const int32_t handler = Scripts()->FindHandler(level->GetScript(), "OnClicked", 0, 0);
    ASSERT_GE(handler, 0);
    CommandHandle click = {};
    ASSERT_EQ(commands->AddCommand(1, 0, kCommandCallFunction, kCommandEventClick, uint32_t(handler), 0, 0, &click),
              kStatusOk);
    ASSERT_EQ(level->AddElementClickCommand(0, click), kStatusOk);
    EXPECT_EQ(level->AddElementClickCommand(2, click), kStatusFailed);
    level->GetElementClickList(0)->BurnAll(kCommandEventClick, 1, 0, 0);
    level->GetElementClickList(0)->BurnAll(kCommandEventClick, 1, 0, 0);
    EXPECT_EQ(Global("got"), 200u);
    EXPECT_EQ(level->GetElementClickList(0)->GetCount(), 1u);
    EXPECT_TRUE(commands->OnBurnCommand(click, kCommandEventClick, 1, 7, 0));
    EXPECT_EQ(Global("got"), 200u);
    EXPECT_EQ(commands->GetRecord(click.recordIndex)->magicIndex, 0u);

    // Built again from its file: the models go, the lists start empty, the script module is
    // emptied and loads again with the next activation.
    ASSERT_EQ(level->ReloadElementInfos(), kStatusOk);
    EXPECT_FALSE(level->IsLoaded());
    EXPECT_EQ(level->GetElementClickList(0), nullptr);
    EXPECT_FALSE(level->IsScriptLoaded());
    EXPECT_EQ(level->GetElementCount(), 2u);
    ASSERT_EQ(level->Activate(1), kStatusOk);
    EXPECT_TRUE(level->IsScriptLoaded());
}

Status WaitHere(void*, ScriptBuiltinCall&)
{
    return kStatusWait;
}

Status RestartSelf(void* object, ScriptBuiltinCall&)
{
    return Failed(static_cast<CObjectsBase*>(object)->ResetScript()) ? kStatusFailed : kStatusDoneStoreResult;
}

TEST_F(ObjectLifeTest, MessagesArriveInOrderAndSelfPostsWaitForTheNextPass)
{
    Pack(SceneFiles(m_scene->GetWorldData()));
    CTestLevel* level = Level();
    ASSERT_EQ(Scripts()->RegisterFunction(level->GetScript(), "int restartSelf()", "restartSelf", level, RestartSelf,
                                          0),
              kStatusOk);
    ASSERT_EQ(Scripts()->RegisterFunction(level->GetScript(), "int waitHere()", "waitHere", level, WaitHere, 0),
              kStatusOk);
    ASSERT_EQ(level->Activate(1), kStatusOk);

    // An event whose handler waits: the object's mask is back all the same.
    level->GetScript()->SetEventMask(0x55);
    EXPECT_EQ(level->FireScriptEvent(kEventFocus), kStatusWait);
    EXPECT_EQ(level->GetScript()->GetEventMask(), 0x55u);

    // A level that is not current keeps its messages.
    level->current = false;
    ASSERT_EQ(level->PostMessage(UtilsString_DupA("hello"), 1, 0), kStatusOk);
    ASSERT_EQ(level->PostMessage(UtilsString_DupA("echo"), 2, 0), kStatusOk);
    level->UpdateState();
    EXPECT_EQ(level->GetMessageCount(), 2u);
    level->current = true;
    level->UpdateState();
    EXPECT_EQ(Global("got"), 2u);
    EXPECT_EQ(Global("sum"), 12u);
    const char* first = nullptr;
    level->GetScript()->GetString("first", &first, false);
    EXPECT_STREQ(first, "hello");
    // "echo" posted "again" through sendObjectMessage: it waits for the next pass.
    EXPECT_EQ(level->GetMessageCount(), 1u);
    level->UpdateState();
    EXPECT_EQ(Global("sum"), 129u);
    EXPECT_EQ(level->GetMessageCount(), 0u);

    // A handler that restarts its own object, with a message behind it that the restart drops.
    ASSERT_EQ(level->PostMessage(UtilsString_DupA("restart"), 4, 0), kStatusOk);
    ASSERT_EQ(level->PostMessage(UtilsString_DupA("dropped"), 5, 0), kStatusOk);
    level->UpdateState();
    EXPECT_EQ(level->GetMessageCount(), 0u);
    EXPECT_EQ(Global("sum"), 1294u);
}

TEST(ObjectVariantNames, LanguageVariants)
{
    char out[64];
    EXPECT_EQ(CObjectsBase::MakeVariantName("textures/hall.png", "fr", out, sizeof out), kStatusOk);
    EXPECT_STREQ(out, "textures/hall.fr.png");
    EXPECT_EQ(CObjectsBase::MakeVariantName("textures/hall", "fr", out, sizeof out), kStatusFailed);
    EXPECT_EQ(CObjectsBase::MakeVariantName("a.png", "fr", out, 8), kStatusFailed);
}

}  // namespace
