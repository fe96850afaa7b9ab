// One frame of a scene object of 200 elements, a 1024 x 768 textured background and 199
// alpha-blended 128 x 128 sprites, through the object's Draw (view, per-element preparation,
// draw order, masks cache) against the same 200 groups drawn straight through the engine with
// their matrices and colour set and nothing else. Both end with glFinish, in the same window.
// Needs a display (make bench runs under xvfb-run).
#include <benchmark/benchmark.h>

#include <GL/glew.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchSamePicture.h"
#include "BenchScreenWorld.h"
#include "BenchTimedApart.h"
#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelObjects/ElementInfoWriter.h"
#include "NimbrelObjects/ObjectModelFiles.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_GL/C3DEngine_GL.h"
#include "Vornel3D_GL/Module3D_GL.h"
#include "VornelPlatform/PlatformWindow.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint16_t kWidth = 1024, kHeight = 768, kSprite = 128;
constexpr uint32_t kElements = 200;

float SpriteX(uint32_t i) { return float((i * 173) % (kWidth - kSprite)); }
float SpriteY(uint32_t i) { return float((i * 97) % (kHeight - kSprite)); }

class CBenchLevel : public CObjectsLevel {
public:
    using CObjectsLevel::CObjectsLevel;
};

template <typename Writer>
std::vector<uint8_t> Written(Writer write)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    write(&stream);
    const auto* block = static_cast<const uint8_t*>(stream.GetBlock());
    std::vector<uint8_t> bytes(block, block + stream.GetSize());
    stream.Close();
    return bytes;
}

struct Scene {
    std::unique_ptr<CNimbrelWorld> world;
    std::unique_ptr<C3DMath> math;
    PlatformWindow* window = nullptr;
    C3DEngine_GL* engine = nullptr;
    std::unique_ptr<CObjectsManager> objects;
    std::unique_ptr<CBenchLevel> level;
    C3DTexture* background = nullptr;
    C3DTexture* sprite = nullptr;
    std::string pack;
    bool ready = false;

    ~Scene()
    {
        if (level)
            level->Release();
        level.reset();
        if (world)
            ClosePackFile(&world->GetWorldData()->pack);
        if (!pack.empty())
            std::remove(pack.c_str());
    }
};

// The object's element-info file and models, one quad per element, in a pack of their own.
bool WritePack(Scene& s)
{
    std::vector<ElementRecord> elements(kElements);
    std::vector<std::string> names(kElements);
    std::vector<ObjectModelElement> parts(kElements);
    std::vector<uint32_t> nameIndex(kElements);
    for (uint32_t i = 0; i < kElements; ++i) {
        ElementRecord& e = elements[i];
        CObjectsBase::ResetElement(&e);
        char name[16];
        std::snprintf(name, sizeof name, "e%03u", i);
        names[i] = name;
        e.pName = &names[i][0];
        e.drawSlot = i;
        e.color = 0xFFFFFFFFu;
        const float w = i == 0 ? kWidth : kSprite, h = i == 0 ? kHeight : kSprite;
        e.size[0] = w;
        e.size[1] = h;
        e.baseOffset[0] = (i == 0 ? 0.0f : SpriteX(i)) + w * 0.5f;
        e.baseOffset[1] = (i == 0 ? 0.0f : SpriteY(i)) + h * 0.5f;
        parts[i] = {w, h, nullptr, nullptr, 0};
        nameIndex[i] = i;
    }
    ElementInfoView view = {};
    view.pName = "bench";
    view.pElements = elements.data();
    view.elementStride = sizeof(ElementRecord);
    view.elementCount = kElements;
    view.pNameIndex = nameIndex.data();
    view.firstMark = view.lastMark = -1;
    std::map<std::string, std::vector<uint8_t>> entries;
    entries["Nimbrel_object_1.raw"] = Written([&](UtilsStream* out) { return WriteElementInfo(out, view); });
    for (bool collision : {false, true}) {
        C3DObjectRaw raw(s.world->GetWorldData());
        if (BuildObjectModel(&raw, parts.data(), kElements, collision) != kStatusOk)
            return false;
        entries[collision ? "Nimbrel_object_1.col.3dx" : "Nimbrel_object_1.obj.3dx"] =
            Written([&](UtilsStream* out) { return raw.Write3dx(out, kObjectModelFileFlags); });
    }
    std::vector<C3DObjectModifier*> tracks(kElements * kElementTrackKinds, nullptr);
    entries["Nimbrel_object_1.ani.raw"] =
        Written([&](UtilsStream* out) { return WriteObjectAnimation(out, kElements, tracks.data()); });
    const std::string script = "var frames = 0;\n";
    entries["Nimbrel_main.script"] = std::vector<uint8_t>(script.begin(), script.end());

    char path[] = "/tmp/nimbrel_bench_scene_XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return false;
    close(fd);
    s.pack = path;
    std::FILE* file = std::fopen(path, "wb");
    bool ok = file && WritePackCountRecord(file, uint32_t(entries.size())) == kStatusOk;
    for (const auto& [entry, bytes] : entries)
        ok = ok && WritePackRecord(file, entry.c_str(), bytes.data(), uint32_t(bytes.size())) == kStatusOk;
    if (file)
        std::fclose(file);
    WorldData* w = s.world->GetWorldData();
    return ok && OpenPackFile(&w->pack, UtilsString_FromUtf8(path).c_str(), 0) == kStatusOk &&
           s.world->GetScriptManager()->Load() == kStatusOk;
}

bool MakeTextures(Scene& s)
{
    std::vector<uint8_t> picture(size_t(kWidth) * kHeight * 3);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = uint8_t((i * 31) ^ (i >> 11));
    std::vector<uint8_t> disc(size_t(kSprite) * kSprite * 4);
    for (int y = 0; y < kSprite; ++y)
        for (int x = 0; x < kSprite; ++x) {
            uint8_t* p = &disc[(size_t(y) * kSprite + x) * 4];
            const int dx = x - kSprite / 2, dy = y - kSprite / 2;
            p[0] = uint8_t(x * 2);
            p[1] = uint8_t(y * 2);
            p[2] = 200;
            p[3] = dx * dx + dy * dy < (kSprite / 2) * (kSprite / 2) ? 0xB0 : 0;
        }
    s.background = s.engine->CreateTexture(0x08, 0);
    s.sprite = s.engine->CreateTexture(0x08, 0x40);
    return s.background && s.sprite &&
           s.background->MakeFromRaw(kWidth, kHeight, 24, picture.data(), u"background.raw") == kStatusOk &&
           s.sprite->MakeFromRaw(kSprite, kSprite, 32, disc.data(), u"sprite.raw") == kStatusOk;
}

Scene& GetScene()
{
    static Scene scene;
    static bool made = false;
    if (made)
        return scene;
    made = true;
    Scene& s = scene;
    if (!Platform_HasDisplay())
        return s;
    s.world = std::make_unique<CNimbrelWorld>();
    WorldData* w = s.world->GetWorldData();
    s.math = std::make_unique<C3DMath>(w);
    InitScreenWorld(*w, s.math.get(), kWidth, kHeight);
    w->renderPair = {1, 1};
    w->alpha = {1, 1};
    PlatformWindowDesc desc;
    desc.title = "bench_scene";
    desc.width = kWidth;
    desc.height = kHeight;
    desc.visible = true;
    s.window = Platform_CreateWindow(desc);
    s.engine = s.window ? static_cast<C3DEngine_GL*>(CreateModule3D_GL(w)) : nullptr;
    if (!s.engine || s.engine->Load(s.window) != kStatusOk)
        return s;
    s.engine->GetView()->ResetView();
    s.engine->GetView()->ComputeProjection();
    GameDataSetConstruction(*s.world->GetGameData(), "Nimbrel");
    std::strcpy(w->game.view.dataNamePrefix, "Nimbrel");
    w->pfnPackLocator = FindPackEntry;
    s.world->SetManager(kManagerScript, new CScriptManager(w));
    s.world->SetManager(kManagerCommandList, new CCommandListManager(w));
    GameScreenScale& screen = s.world->GetGameData()->screen;
    screen.referenceWidth = kWidth;
    screen.referenceHeight = kHeight;
    s.world->ComputeScreenScale(kWidth, kHeight, 0.0f);
    s.world->ComputeView();
    s.objects = std::make_unique<CObjectsManager>(w);
    s.objects->UpdateView(1);
    if (!WritePack(s) || !MakeTextures(s))
        return s;
    s.level = std::make_unique<CBenchLevel>(w, 1, 0);
    if (s.level->Load() != kStatusOk || s.level->BuildFromRaw(u"Nimbrel_object_1.raw") != kStatusOk ||
        s.level->LoadReleaseModel(1) != kStatusOk)
        return s;
    C3DObject* model = s.level->GetRenderModel();
    for (uint32_t i = 0; i < kElements; ++i)
        model->SetTexture(i == 0 ? s.background : s.sprite, i, 0);
    // One draw makes every element's world matrix, which the straight loop then reuses.
    s.level->Draw();
    s.ready = true;
    return s;
}

void DrawObjectFrame(Scene& s)
{
    s.engine->BeginScene();
    s.level->Draw();
    glFinish();
}

void DrawStraightFrame(Scene& s)
{
    s.engine->BeginScene();
    C3DObject* model = s.level->GetRenderModel();
    for (uint32_t i = 0; i < kElements; ++i) {
        model->SetMatrix(s.level->GetItemRecord(i)->worldMatrix);
        model->SetColor(0xFFFFFFFFu);
        model->DrawEx(i);
    }
    glFinish();
}

#define SCENE_OR_SKIP(s)                                          \
    Scene& s = GetScene();                                        \
    if (!s.ready) {                                               \
        state.SkipWithError("no display or no scene object");     \
        return;                                                   \
    }

void ObjectFrame(benchmark::State& state)
{
    SCENE_OR_SKIP(s);
    for (auto _ : state)
        DrawObjectFrame(s);
}

void StraightFrame(benchmark::State& state)
{
    SCENE_OR_SKIP(s);
    for (auto _ : state)
        DrawStraightFrame(s);
}

// "ratio": the object's frames over the straight loop's.
void ObjectOverStraight(benchmark::State& state)
{
    SCENE_OR_SKIP(s);
    if (!SamePicture(kWidth, kHeight, [&] { DrawObjectFrame(s); }, [&] { DrawStraightFrame(s); })) {
        state.SkipWithError("the object and the straight loop draw different pictures");
        return;
    }
    TimeApart(state, [&] { DrawObjectFrame(s); }, [&] { DrawStraightFrame(s); });
}

}  // namespace

// The machine is shared: medians of repeated runs are compared. Wall times: llvmpipe draws in
// threads of its own, which the main thread's CPU time misses.
BENCHMARK(ObjectFrame)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(StraightFrame)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(ObjectOverStraight)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);
