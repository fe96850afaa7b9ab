// A scene object drawn on the OpenGL renderer and read back: where its elements land through the
// game's view, their order, alpha, colour and additive drawing, the zone masks, the held
// element, the layout of anchored elements, and the faults a bad model or record must not cause.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "GLTestSupport.h"
#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelManagers/CObstruction.h"
#include "NimbrelObjects/ElementInfoWriter.h"
#include "NimbrelObjects/ObjectModelFiles.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D_GL/C3DTexture_GL.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr uint16_t kWidth = 320, kHeight = 240;
constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kWhite = 0xFFFFFFFFu;

class CDrawLevel : public CObjectsLevel {
public:
    using CObjectsLevel::CObjectsLevel;
};

// An element of the test scene: a plain quad of a colour, centred at (x, y).
struct Quad {
    const char* name;
    float x, y, w, h;
    uint32_t color;
    int32_t zone = -1;
    uint32_t anchor = 0;
};

std::vector<uint8_t> Bytes(UtilsStream_Static& stream)
{
    const auto* block = static_cast<const uint8_t*>(stream.GetBlock());
    return std::vector<uint8_t>(block, block + stream.GetSize());
}

template <typename Writer>
std::vector<uint8_t> Written(Writer write)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    EXPECT_EQ(write(&stream), kStatusOk);
    std::vector<uint8_t> bytes = Bytes(stream);
    stream.Close();
    return bytes;
}

class ObjectDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveGLDisplay())
            GTEST_SKIP() << "needs a display (run under xvfb-run)";
        m_world = std::make_unique<CNimbrelWorld>();
        WorldData* w = m_world->GetWorldData();
        m_math = std::make_unique<C3DMath>(w);
        PrepareWorld(*w, m_math.get(), kWidth, kHeight);
        PlatformWindowDesc desc;
        desc.title = "scene object draw";
        desc.width = kWidth;
        desc.height = kHeight;
        desc.visible = true;
        m_window = Platform_CreateWindow(desc);
        ASSERT_NE(m_window, nullptr);
        m_engine = static_cast<C3DEngine_GL*>(CreateModule3D_GL(w));
        ASSERT_EQ(m_engine->Load(m_window), kStatusOk);
        m_engine->GetView()->ResetView();
        m_engine->GetView()->ComputeProjection();
        GameDataSetConstruction(*m_world->GetGameData(), "Nimbrel");
        std::strcpy(w->game.view.dataNamePrefix, "Nimbrel");
        w->pfnPackLocator = FindPackEntry;
        m_world->SetManager(kManagerScript, new CScriptManager(w));
        m_world->SetManager(kManagerCommandList, new CCommandListManager(w));
        // The obstruction quad's picture is named by the settings; this world loads no texture.
        w->pAppSettings = &m_settings;
        m_obstruction = new CObstruction(w);
        ASSERT_EQ(m_obstruction->Load(), kStatusOk);
        m_world->SetManager(kManagerObstruction, m_obstruction);
        // The game's view of a 640 x 480 reference screen in the window.
        GameScreenScale& screen = m_world->GetGameData()->screen;
        screen.referenceWidth = 640.0f;
        screen.referenceHeight = 480.0f;
        Fit();
    }

    void TearDown() override
    {
        if (!m_world)
            return;
        if (m_object)
            m_object->Release();
        m_object.reset();
        m_objects.reset();
        m_world->SetManager(kManagerObstruction, nullptr);
        m_world->SetManager(kManagerScript, nullptr);
        m_world->SetManager(kManagerCommandList, nullptr);
        WorldData* w = m_world->GetWorldData();
        ClosePackFile(&w->pack);
        if (!m_packPath.empty())
            std::remove(m_packPath.c_str());
        if (m_engine) {
            m_engine->Unload();
            delete m_engine;
        }
        Platform_DestroyWindow(m_window);
        m_world.reset();
    }

    // The view fitted to the window's size and the view matrices made from it.
    void Fit()
    {
        WorldData* w = m_world->GetWorldData();
        m_world->ComputeScreenScale(w->realWidth, w->realHeight, 0.0f);
        m_world->ComputeView();
        if (!m_objects)
            m_objects = std::make_unique<CObjectsManager>(w);
        m_objects->UpdateView(1);
    }

    // Window pixel of a reference point through the fit.
    std::pair<int, int> At(float x, float y) const
    {
        const GameScreenScale& s = m_world->GetGameData()->screen;
        return {int(std::lround(s.viewX + x * s.viewScaleX)), int(std::lround(s.viewY + y * s.viewScaleY))};
    }

    // Builds level 1 from the quads (and zones) and loads its models.
    CDrawLevel* Build(const std::vector<Quad>& quads, const std::vector<ObjectZone>& zones = {})
    {
        const uint32_t count = uint32_t(quads.size());
        std::vector<ElementRecord> elements(count);
        std::vector<std::string> names(count);
        std::vector<ObjectModelElement> parts(count);
        for (uint32_t i = 0; i < count; ++i) {
            ElementRecord& e = elements[i];
            CObjectsBase::ResetElement(&e);
            names[i] = quads[i].name;
            e.pName = &names[i][0];
            e.drawSlot = i;
            e.pickable = 1;
            e.size[0] = quads[i].w;
            e.size[1] = quads[i].h;
            e.baseOffset[0] = quads[i].x;
            e.baseOffset[1] = quads[i].y;
            e.color = quads[i].color;
            e.zone = quads[i].zone;
            e.anchor = quads[i].anchor;
            parts[i] = {quads[i].w, quads[i].h, nullptr, nullptr, 0};
        }
        std::vector<uint32_t> nameIndex(count);
        for (uint32_t i = 0; i < count; ++i)
            nameIndex[i] = i;
        std::sort(nameIndex.begin(), nameIndex.end(), [&](uint32_t a, uint32_t b) { return names[a] < names[b]; });
        ElementInfoView view = {};
        view.pName = "drawn";
        view.pElements = elements.data();
        view.elementStride = sizeof(ElementRecord);
        view.elementCount = count;
        view.pNameIndex = nameIndex.data();
        view.pZones = zones.data();
        view.zoneCount = uint32_t(zones.size());
        view.firstMark = view.lastMark = -1;
        std::map<std::string, std::vector<uint8_t>> entries;
        entries["Nimbrel_object_1.raw"] = Written([&](UtilsStream* s) { return WriteElementInfo(s, view); });
        for (bool collision : {false, true}) {
            C3DObjectRaw raw(m_world->GetWorldData());
            EXPECT_EQ(BuildObjectModel(&raw, parts.data(), count, collision), kStatusOk);
            entries[collision ? "Nimbrel_object_1.col.3dx" : "Nimbrel_object_1.obj.3dx"] =
                Written([&](UtilsStream* s) { return raw.Write3dx(s, kObjectModelFileFlags); });
        }
        std::vector<C3DObjectModifier*> tracks(count * kElementTrackKinds, nullptr);
        entries["Nimbrel_object_1.ani.raw"] =
            Written([&](UtilsStream* s) { return WriteObjectAnimation(s, count, tracks.data()); });
        const std::string script = "var drawn = 0;\n";
        entries["Nimbrel_main.script"] = std::vector<uint8_t>(script.begin(), script.end());
        Pack(entries);
        EXPECT_EQ(m_world->GetScriptManager()->Load(), kStatusOk);

        m_object = std::make_unique<CDrawLevel>(m_world->GetWorldData(), 1, 0);
        EXPECT_EQ(m_object->Load(), kStatusOk);
        EXPECT_EQ(m_object->BuildFromRaw(u"Nimbrel_object_1.raw"), kStatusOk);
        EXPECT_EQ(m_object->LoadReleaseModel(1), kStatusOk);
        return m_object.get();
    }

    void Pack(const std::map<std::string, std::vector<uint8_t>>& entries)
    {
        WorldData* w = m_world->GetWorldData();
        ClosePackFile(&w->pack);
        char name[] = "/tmp/nimbrel_draw_XXXXXX";
        const int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        close(fd);
        m_packPath = name;
        std::FILE* file = std::fopen(name, "wb");
        ASSERT_EQ(WritePackCountRecord(file, uint32_t(entries.size())), kStatusOk);
        for (const auto& [entry, bytes] : entries)
            ASSERT_EQ(WritePackRecord(file, entry.c_str(), bytes.data(), uint32_t(bytes.size())), kStatusOk);
        std::fclose(file);
        ASSERT_EQ(OpenPackFile(&w->pack, UtilsString_FromUtf8(name).c_str(), 0), kStatusOk);
    }

    // One frame of the object over a black window.
    void Frame()
    {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        m_object->Draw();
        glFinish();
    }

    Rgba Pixel(std::pair<int, int> at)
    {
        Rgba c{};
        glReadPixels(at.first, kHeight - 1 - at.second, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &c);
        return c;
    }

    ElementRecord* Element(const char* name) { return m_object->GetItemRecord(uint32_t(m_object->FindElementByName(name))); }

    std::unique_ptr<CNimbrelWorld> m_world;
    std::unique_ptr<C3DMath> m_math;
    UtilsParameters_Text m_settings{"", 0};
    PlatformWindow* m_window = nullptr;
    C3DEngine_GL* m_engine = nullptr;
    CObstruction* m_obstruction = nullptr;
    std::unique_ptr<CObjectsManager> m_objects;
    std::unique_ptr<CDrawLevel> m_object;
    std::string m_packPath;
};

::testing::AssertionResult Near(const Rgba& c, int r, int g, int b, int tolerance = 4)
{
    if (std::abs(c.r - r) <= tolerance && std::abs(c.g - g) <= tolerance && std::abs(c.b - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << c << " is not near (" << r << ", " << g << ", " << b << ")";
}

TEST_F(ObjectDrawTest, ElementsLandThroughTheViewAndOverlapByDrawSlot)
{
    // The fit scales the 640 x 480 reference screen down into the 320 x 240 window.
    const GameScreenScale& s = m_world->GetGameData()->screen;
    ASSERT_LT(s.viewScaleX, 1.0f);
    Build({{"red", 200, 200, 120, 120, kRed}, {"green", 280, 200, 120, 120, kGreen}});
    Frame();
    // Inside each quad, near its corners, and outside both.
    EXPECT_TRUE(Near(Pixel(At(150, 150)), 255, 0, 0));
    EXPECT_TRUE(Near(Pixel(At(330, 250)), 0, 255, 0));
    EXPECT_TRUE(Near(Pixel(At(130, 200)), 0, 0, 0));
    EXPECT_TRUE(Near(Pixel(At(200, 275)), 0, 0, 0));
    // Where they overlap the later draw slot wins, and the override swaps them.
    EXPECT_TRUE(Near(Pixel(At(240, 200)), 0, 255, 0));
    Element("red")->drawSlotOverride = 1;
    Element("green")->drawSlotOverride = 0;
    Frame();
    EXPECT_TRUE(Near(Pixel(At(240, 200)), 255, 0, 0));
    EXPECT_EQ(Element("red")->drawState, kDrawDrawn);
}

TEST_F(ObjectDrawTest, AlphaColourWordAndAdditiveDrawing)
{
    Build({{"back", 320, 240, 640, 480, 0xFF404040u},
           {"hidden", 100, 100, 60, 60, kWhite},
           {"half", 200, 100, 60, 60, kWhite},
           {"word", 300, 100, 60, 60, 0x80FFFFFFu},
           {"added", 400, 100, 60, 60, 0xFF202020u}});
    ElementRecord* hidden = Element("hidden");
    hidden->flags |= kElementHidden;
    hidden->alpha = 0.0f;
    Element("half")->alpha = 0.5f;
    Element("added")->additive = 1;
    Frame();
    // Prepared but not drawn; blended by its alpha and by its colour word's top byte; added.
    EXPECT_EQ(hidden->drawState, kDrawHidden);
    EXPECT_TRUE(Near(Pixel(At(100, 100)), 0x40, 0x40, 0x40));
    EXPECT_TRUE(Near(Pixel(At(200, 100)), 0x9F, 0x9F, 0x9F));
    EXPECT_TRUE(Near(Pixel(At(300, 100)), 0x9F, 0x9F, 0x9F));
    EXPECT_TRUE(Near(Pixel(At(400, 100)), 0x60, 0x60, 0x60));
    // While it fades out it is still drawn.
    hidden->alpha = 0.5f;
    Frame();
    EXPECT_EQ(hidden->drawState, kDrawDrawn);
    EXPECT_TRUE(Near(Pixel(At(100, 100)), 0x9F, 0x9F, 0x9F));
}

// An inactive element is the scene's and is never seen: the draw passes it over, and however it
// is prepared (forced, or alone) it ends prepared but not visible.
TEST_F(ObjectDrawTest, AnInactiveElementIsNeverDrawn)
{
    Build({{"back", 320, 240, 640, 480, 0xFF404040u}, {"gone", 200, 200, 100, 100, kRed}});
    ElementRecord* gone = Element("gone");
    gone->inactive = 1;
    Frame();
    EXPECT_TRUE(Near(Pixel(At(200, 200)), 0x40, 0x40, 0x40));
    EXPECT_EQ(gone->drawState, kDrawNotPrepared);
    EXPECT_EQ(m_object->PrepareElementDraw(gone, 1.0f, 1), kStatusFailed);
    EXPECT_EQ(gone->drawState, kDrawHidden);
    EXPECT_EQ(m_object->DrawSingleElement(gone, 1.0f), kStatusFailed);
    glFinish();
    EXPECT_TRUE(Near(Pixel(At(200, 200)), 0x40, 0x40, 0x40));
    // Active again, it shows.
    gone->inactive = 0;
    Frame();
    EXPECT_TRUE(Near(Pixel(At(200, 200)), 255, 0, 0));
}

TEST_F(ObjectDrawTest, ZoneBoundedElementsAreClippedToTheirZone)
{
    char box[] = "box";
    const std::vector<ObjectZone> zones = {{0, 0, 100, 100, 300, 300, box}};
    Build({{"clipped", 200, 200, 300, 300, kRed, 0}, {"free", 500, 200, 100, 300, kGreen, -1},
           {"stray", 500, 420, 60, 60, kBlue}},
          zones);
    // The file's reader refuses such an index; a profile or a script could still leave one.
    Element("stray")->zone = 7;
    Frame();
    EXPECT_TRUE(Near(Pixel(At(200, 200)), 255, 0, 0));
    EXPECT_TRUE(Near(Pixel(At(120, 120)), 255, 0, 0));
    EXPECT_TRUE(Near(Pixel(At(80, 200)), 0, 0, 0));
    EXPECT_TRUE(Near(Pixel(At(200, 320)), 0, 0, 0));
    // An unbounded element after it is whole, and one naming a zone the object lacks is drawn
    // unmasked.
    EXPECT_TRUE(Near(Pixel(At(500, 80)), 0, 255, 0));
    EXPECT_TRUE(Near(Pixel(At(500, 420)), 0, 0, 255));
    // The same without an obstruction quad: every element unmasked.
    m_obstruction->Unload();
    Frame();
    EXPECT_TRUE(Near(Pixel(At(80, 200)), 255, 0, 0));
}

TEST_F(ObjectDrawTest, AHeldDraggableIsDrawnLast)
{
    Build({{"piece", 200, 200, 100, 100, kRed}, {"cover", 240, 200, 100, 100, kGreen}});
    ElementRecord* piece = Element("piece");
    piece->flags |= kElementDraggable;
    m_object->SetHeldElement(int32_t(piece->index));
    Frame();
    EXPECT_TRUE(Near(Pixel(At(220, 200)), 255, 0, 0));
    // Once found it takes its place again.
    piece->flags |= kElementFound;
    Frame();
    EXPECT_TRUE(Near(Pixel(At(220, 200)), 0, 255, 0));
}

TEST_F(ObjectDrawTest, AnchoredElementsKeepTheirDistanceToTheirEdgeAfterAResize)
{
    // Code 6: the right edge of the full screen, in the interface view (the whole reference
    // screen, centred in the window).
    Build({{"badge", 100, 100, 40, 40, kRed, -1, 6}});
    WorldData* w = m_world->GetWorldData();
    const auto rightEdge = [&] {
        Frame();
        const GameViewRecord& v = w->game.view;
        // The last red column of the row through the badge.
        const int y = int(100.0f * v.interfaceScaleY + v.matrixOverlay[13]);
        for (int x = w->realWidth - 1; x >= 0; --x)
            if (Near(Pixel({x, y}), 255, 0, 0))
                return x;
        return -1;
    };
    EXPECT_NEAR(rightEdge(), kWidth - 1, 1);
    // The window narrows: the badge follows the edge.
    w->realWidth = w->virtualWidth = 200;
    m_engine->GetView()->ComputeProjection();
    m_engine->GetView()->SetViewport(0, 0, 200, kHeight);
    Fit();
    ASSERT_EQ(m_object->UpdateComponents(), kStatusOk);
    EXPECT_NEAR(rightEdge(), 199, 1);
}

TEST_F(ObjectDrawTest, BadParentLinksAndIndexesDrawTheElementOnItsOwn)
{
    Build({{"a", 100, 100, 40, 40, kRed}, {"b", 300, 100, 40, 40, kGreen}, {"c", 500, 100, 40, 40, kBlue}});
    C3DObjectIndex* groups = m_object->GetRenderModel()->GetObjectIndex();
    // a -> b -> a is a cycle; c links outside the object.
    groups->GetGroup(0)->link = 1;
    groups->GetGroup(1)->link = 0;
    groups->GetGroup(2)->link = 9;
    Element("a")->materialElement = 77;
    Frame();
    EXPECT_EQ(m_object->GetParentElement(Element("a")), nullptr);
    EXPECT_EQ(m_object->GetParentElement(Element("c")), nullptr);
    EXPECT_TRUE(Near(Pixel(At(100, 100)), 255, 0, 0));
    EXPECT_TRUE(Near(Pixel(At(300, 100)), 0, 255, 0));
    EXPECT_TRUE(Near(Pixel(At(500, 100)), 0, 0, 255));
    // A good link: b is drawn in a's frame, moved by a's place.
    groups->GetGroup(1)->link = kGroupLinkUnset;
    ASSERT_EQ(m_object->GetParentElement(Element("a")), Element("b"));
    Element("b")->dragOffset[1] = 100.0f;
    Frame();
    EXPECT_TRUE(Near(Pixel(At(100, 200)), 255, 0, 0));
    EXPECT_TRUE(Near(Pixel(At(100, 100)), 0, 0, 0));
}

TEST_F(ObjectDrawTest, PositionsAndTheTurnAngle)
{
    Build({{"dial", 200, 200, 100, 100, kRed}});
    ElementRecord* dial = Element("dial");
    float p[3];
    m_object->GetElementPosition(p, dial);
    EXPECT_EQ(p[0], 200.0f);
    // Moved to a point: the position reads back as that point.
    const float to[3] = {260.0f, 180.0f, 0.0f};
    m_object->SetElementPosition(dial, to);
    m_object->GetElementPosition(p, dial);
    EXPECT_EQ(p[0], 260.0f);
    EXPECT_EQ(p[1], 180.0f);
    // Record 0 is the base position: selecting it adds nothing more.
    dial->positionIndex = 0;
    Frame();
    EXPECT_TRUE(Near(Pixel(At(300, 180)), 255, 0, 0));
    EXPECT_TRUE(Near(Pixel(At(200, 180)), 0, 0, 0));
    // Its screen point comes back to the element's frame.
    float screen[3], back[3];
    m_object->ProjectElementToScreen(screen, dial);
    m_object->ScreenToElement(back, screen[0], screen[1], 0.0f, dial);
    EXPECT_NEAR(back[0], 0.0f, 1e-3f);
    EXPECT_NEAR(back[1], 0.0f, 1e-3f);
    // A quarter turn about the element, and no NaN with a point on the centre.
    const auto right = At(300, 180), below = At(260, 220);
    EXPECT_NEAR(m_object->GetTurnAngle(dial, float(right.first), float(right.second), float(below.first),
                                       float(below.second)),
                1.5708f, 0.05f);
    EXPECT_FALSE(std::isnan(m_object->GetTurnAngle(dial, screen[0], screen[1], float(below.first), float(below.second))));
    EXPECT_FALSE(std::isnan(m_object->GetTurnAngle(dial, screen[0], screen[1], screen[0], screen[1])));
}

TEST_F(ObjectDrawTest, TheRotationAnimatorTurnsTheElement)
{
    // A tall bar: turned a quarter it lies across.
    Build({{"bar", 320, 240, 20, 200, kRed}});
    ElementRecord* bar = Element("bar");
    Frame();
    EXPECT_TRUE(Near(Pixel(At(320, 170)), 255, 0, 0));
    EXPECT_TRUE(Near(Pixel(At(390, 240)), 0, 0, 0));
    bar->rotationId = 1;
    bar->rotationOffset = 1.5707963f;
    Frame();
    EXPECT_TRUE(Near(Pixel(At(320, 170)), 0, 0, 0));
    EXPECT_TRUE(Near(Pixel(At(390, 240)), 255, 0, 0));
    // Without a running animator its value counts for nothing.
    bar->rotationId = 0;
    Frame();
    EXPECT_TRUE(Near(Pixel(At(320, 170)), 255, 0, 0));
}

TEST_F(ObjectDrawTest, ADriftRepeatsItsPictureAndAnAddedElementAddsThroughItsTexture)
{
    Build({{"plain", 100, 100, 40, 40, kWhite}, {"drift", 200, 100, 40, 40, kWhite}, {"added", 300, 100, 40, 40, kWhite}});
    C3DObject* model = m_object->GetRenderModel();
    const uint8_t white[4] = {255, 255, 255, 255};
    std::vector<C3DTexture*> textures;
    for (uint32_t group = 0; group < 3; ++group) {
        C3DTexture* texture = m_engine->CreateTexture(kTexSingleLevel, kTexMinNearest | kTexAdditive);
        ASSERT_EQ(texture->MakeFromRaw(1, 1, 32, white, u"white.raw"), kStatusOk);
        model->SetTexture(texture, group, 0);
        textures.push_back(texture);
    }
    Element("drift")->effectKind = kEffectDrift;
    Element("added")->additive = 1;
    Frame();
    // The element decides the additive bit and the repeat; the texture's other bits stay.
    const uint32_t expected[] = {kTexMinNearest, kTexMinNearest | kTexRepeatS | kTexRepeatT,
                                 kTexMinNearest | kTexAdditive};
    for (uint32_t group = 0; group < 3; ++group)
        EXPECT_EQ(textures[group]->GetSecond(), expected[group]) << group;
}

TEST_F(ObjectDrawTest, AStripSpansTheScreenAtItsOwnHeight)
{
    // Code 1: laid out over the window's width, whatever the window, by its own offset.
    Build({{"strip", 100, 200, 60, 20, kGreen, -1, kAnchorOwnOffset}});
    WorldData* w = m_world->GetWorldData();
    const auto row = [&] { return int(200.0f * w->game.view.interfaceScaleY + w->game.view.matrixOverlay[13]); };
    ASSERT_EQ(m_object->UpdateComponents(), kStatusOk);
    Frame();
    EXPECT_TRUE(Near(Pixel({1, row()}), 0, 255, 0));
    EXPECT_TRUE(Near(Pixel({kWidth - 2, row()}), 0, 255, 0));
    EXPECT_TRUE(Near(Pixel({kWidth / 2, row() + 20}), 0, 0, 0));
    w->realWidth = w->virtualWidth = 200;
    m_engine->GetView()->ComputeProjection();
    m_engine->GetView()->SetViewport(0, 0, 200, kHeight);
    Fit();
    ASSERT_EQ(m_object->UpdateComponents(), kStatusOk);
    Frame();
    EXPECT_TRUE(Near(Pixel({1, row()}), 0, 255, 0));
    EXPECT_TRUE(Near(Pixel({198, row()}), 0, 255, 0));
}

TEST_F(ObjectDrawTest, DeveloperItemTextsOutlineWhatAnswersThePointer)
{
    Build({{"back", 320, 240, 640, 480, 0xFF202020u}, {"item", 200, 200, 120, 120, kBlue}, {"still", 400, 200, 120, 120, kBlue}});
    Element("item")->flags |= kElementClickable;
    GameData* game = m_world->GetGameData();
    // The outline of the clickable item: a yellow pixel near its left edge on its middle row.
    const auto outlined = [&](const char* name) {
        Frame();
        const float x = Element(name)->baseOffset[0] - 60.0f;
        for (float dx = -3.0f; dx <= 3.0f; dx += 0.5f)
            if (Near(Pixel(At(x + dx, 200)), 255, 224, 0, 40))
                return true;
        return false;
    };
    EXPECT_FALSE(outlined("item"));
    game->developerMode = 1;
    game->itemDebug = 1;
    EXPECT_TRUE(outlined("item"));
    EXPECT_FALSE(outlined("still"));
    // Found, it answers no more.
    Element("item")->flags |= kElementFound;
    EXPECT_FALSE(outlined("item"));
}

}  // namespace
