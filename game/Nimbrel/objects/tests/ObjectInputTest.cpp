// A scene object's pointer input on a small fixture: quads laid out in window pixels through a
// plain view, a collision model of two triangles per element, the object's command lists on
// a command manager, and the managers a gesture reaches recorded by the object.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FixedFont.h"
#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kPi = 3.1415927f;

// Vertices and indices kept here: one quad (two triangles) per group, u and v from 0 to 1.
class CQuadModel : public C3DObject {
public:
    explicit CQuadModel(WorldData* w) : C3DObject(w) {}
    void AddQuad(float w, float h)
    {
        const uint32_t base = uint32_t(positions.size());
        const float x = w * 0.5f, y = h * 0.5f;
        positions.insert(positions.end(), {{-x, -y, 0.0f}, {x, -y, 0.0f}, {x, y, 0.0f}, {-x, y, 0.0f}});
        uvs.insert(uvs.end(), {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}});
        groups.push_back({base, uint32_t(indices.size())});
        indices.insert(indices.end(), {0, 1, 2, 0, 2, 3});
        m_nGroupCount = uint32_t(groups.size());
        m_nVertexCount = uint32_t(positions.size());
    }
    Status GetGroupFields(uint32_t i, uint32_t* baseVertex, uint32_t* vertexCount, uint32_t* firstIndex,
                          uint32_t* indexCount, uint32_t*, uint32_t*, uint32_t*, uint32_t*) override
    {
        if (i >= groups.size())
            return kStatusFailed;
        *baseVertex = groups[i].base;
        *vertexCount = 4;
        *firstIndex = groups[i].first;
        *indexCount = 6;
        return kStatusOk;
    }
    uint32_t GetIndex(uint32_t i) override { return i < indices.size() ? indices[i] : 0xFFFFFFFFu; }
    C3DVector3 GetVertexPosition(uint32_t i) override { return positions[i]; }
    C3DVector2 GetVertexUV0(uint32_t i) override { return uvs[i]; }

    struct Group {
        uint32_t base, first;
    };
    std::vector<C3DVector3> positions;
    std::vector<C3DVector2> uvs;
    std::vector<uint32_t> indices;
    std::vector<Group> groups;
};

class CInputLevel : public CObjectsLevel {
public:
    CInputLevel(WorldData* w, uint32_t number) : CObjectsLevel(w, number, 0), render(w), collision(w)
    {
        m_shown = m_wanted = 1;
        m_locked = 0;
        m_typeCode = kObjectKindExploration;
        // Room for every element a test adds, so that references to them stay.
        m_pElements = AllocElements(kCapacity);
    }
    using CObjectsBase::SelectCursor;
    static constexpr uint32_t kCapacity = 8;
    ~CInputLevel() override
    {
        m_pRenderModel = m_pCollisionModel = nullptr;
        ReleaseCommandLists();
        UTILS_FREE(m_pZones);
        m_pZones = nullptr;
    }

    // Element i: a w x h quad centred at (x, y) with the flags, drawn in index order.
    ElementRecord& Add(float x, float y, float w, float h, uint32_t flags)
    {
        EXPECT_LT(m_elementCount, kCapacity);
        ElementRecord& e = m_pElements[m_elementCount];
        ResetElement(&e);
        e.index = m_elementCount;
        e.drawSlot = m_elementCount;
        e.pickable = 1;
        e.flags = flags;
        e.baseOffset[0] = x;
        e.baseOffset[1] = y;
        e.size[0] = w;
        e.size[1] = h;
        ++m_elementCount;
        render.AddQuad(w, h);
        collision.AddQuad(w, h);
        m_pRenderModel = &render;
        m_pCollisionModel = &collision;
        ResizeElementCommandLists(m_elementCount);
        return e;
    }
    void AddZone(float left, float top, float right, float bottom)
    {
        m_pZones = static_cast<ObjectZone*>(UTILS_CALLOC(1, sizeof(ObjectZone)));
        *m_pZones = {0, 0, left, top, right, bottom, nullptr};
        m_zoneCount = 1;
    }
    // A frame's preparation: every element but those given gets its world matrix.
    void Prepare(std::vector<uint32_t> skipped = {})
    {
        BeginDraw(0);
        for (uint32_t i = 0; i < m_elementCount; ++i)
            if (std::find(skipped.begin(), skipped.end(), i) == skipped.end())
                PrepareElementDraw(&m_pElements[i], 1.0f, 1);
    }
    ElementRecord& E(uint32_t i) { return m_pElements[i]; }
    void SetMoving(bool moving) { m_positionId = moving ? 1 : 0; }
    void SetOverlay(uint8_t overlay) { m_overlay = overlay; }
    void SetType(uint32_t type) { m_typeCode = type; }
    void SetTurned(int32_t element) { m_turnedElement = element; }

    bool OnBurnCommand(const CommandHandle& handle, uint32_t, int32_t, int32_t b, int32_t) override
    {
        burns.push_back({handle.word3, b});
        return false;
    }
    Status CallScriptFunction(const char* name, uint32_t, uint8_t, uintptr_t* arguments, uint32_t) override
    {
        calls.push_back(std::string(name) + " " + reinterpret_cast<const char*>(arguments[1]));
        return kStatusOk;
    }

    std::vector<std::pair<uint32_t, int32_t>> burns;  // (list tag, element)
    std::vector<std::string> calls;
    std::vector<std::pair<uint32_t, uint32_t>> fades;  // (action, element)
    std::vector<std::string> sounds;
    TutorialStep step = {};
    bool tutorial = false;
    int tutorialInputs = 0;

protected:
    uint32_t StartActionFade(uint32_t action, uint32_t element) override
    {
        fades.push_back({action, element});
        return uint32_t(fades.size());
    }
    bool GetTutorialStep(TutorialStep* pStep) override
    {
        *pStep = step;
        return tutorial;
    }
    void OnTutorialInput() override { ++tutorialInputs; }
    void PlayElementSound(uint32_t sound) override { sounds.push_back("sound " + std::to_string(sound)); }
    void PlayDefaultClick() override { sounds.push_back("default"); }
    void PlayNullClick() override { sounds.push_back("null"); }

private:
    CQuadModel render, collision;
};

class CInputWorld : public CNimbrelWorld {
public:
    CCommandTarget* GetCommandTarget(uint32_t number) override
    {
        return level && number == level->GetObjectNumber() ? level : nullptr;
    }
    CInputLevel* level = nullptr;
};

void SetScale(float* m, float sx, float sy, float tx = 0.0f, float ty = 0.0f)
{
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = sx;
    m[5] = sy;
    m[10] = m[15] = 1.0f;
    m[12] = tx;
    m[13] = ty;
}

class ObjectInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        w = m_world.GetWorldData();
        m_math = std::make_unique<C3DMath>(w);
        w->pMath = m_math.get();
        GameViewRecord& view = w->game.view;
        for (float* m : {view.matrixScene, view.matrixOverlay, view.matrixAlternate, view.matrixPopup})
            SetScale(m, 1.0f, 1.0f);
        view.sceneScaleX = view.sceneScaleY = view.interfaceScaleX = view.interfaceScaleY = 1.0f;
        view.alternateScaleX = view.alternateScaleY = 1.0f;
        m_commands = new CCommandListManager(w);
        m_world.SetManager(kManagerCommandList, m_commands);
        level = std::make_unique<CInputLevel>(w, 1);
        m_world.level = level.get();
    }
    void TearDown() override
    {
        level.reset();
        m_world.SetManager(kManagerCommandList, nullptr);
    }

    // A waiting command in one of the object's lists, its tag in word 3.
    CommandHandle Waiter(uint32_t tag)
    {
        CommandHandle handle = {};
        EXPECT_EQ(m_commands->AddCommand(1, 1, 3, kCommandEventClick, kCommandNoFunction, tag, 0, &handle), kStatusOk);
        return handle;
    }
    void Press(float x, float y)
    {
        w->pressX = w->previousX = w->mouseX = x;
        w->pressY = w->previousY = w->mouseY = y;
    }
    void MoveTo(float x, float y)
    {
        w->previousX = w->mouseX;
        w->previousY = w->mouseY;
        w->mouseX = x;
        w->mouseY = y;
    }
    // The gesture as the objects manager gives it: press, moves, release, then the click
    // when the press was not taken.
    Status Click(float x, float y, float pressX, float pressY)
    {
        Press(pressX, pressY);
        if (Succeeded(level->PickElementUnderCursor(pressX, pressY, 0))) {
            level->OnMouseUp(x, y, 0);
            return kStatusOk;
        }
        MoveTo(x, y);
        return level->OnClick(x, y, 0);
    }

    CInputWorld m_world;
    WorldData* w = nullptr;
    std::unique_ptr<C3DMath> m_math;
    CCommandListManager* m_commands = nullptr;
    std::unique_ptr<CInputLevel> level;
};

TEST_F(ObjectInputTest, RectangleEdgesMissWhileZoneBordersAreInside)
{
    level->AddZone(10.0f, 20.0f, 50.0f, 60.0f);
    ElementRecord& e = level->Add(30.0f, 40.0f, 40.0f, 40.0f, kElementClickable);
    e.hitRect = 0;
    e.zone = 0;
    level->Prepare();
    const struct {
        float x, y;
        bool hit, outside;
    } cases[] = {
        {30.0f, 40.0f, true, false},  {10.0f, 40.0f, false, false}, {50.0f, 40.0f, false, false},
        {30.0f, 20.0f, false, false}, {30.0f, 60.0f, false, false}, {10.5f, 20.5f, true, false},
        {9.5f, 40.0f, false, true},   {30.0f, 60.5f, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        float local[3];
        EXPECT_EQ(Succeeded(level->HitTestElementPoint(c.x, c.y, &e, local, 0.0f, -1, nullptr, nullptr)), c.hit);
        EXPECT_EQ(level->IsOutsideZone(&e, c.x, c.y), c.outside);
    }
}

TEST_F(ObjectInputTest, OverlapsAreFoundTopFirstAndOnlyWhenPrepared)
{
    level->Add(40.0f, 40.0f, 40.0f, 40.0f, kElementClickable);
    level->Add(50.0f, 50.0f, 40.0f, 40.0f, kElementDraggable);
    level->Add(60.0f, 60.0f, 40.0f, 40.0f, kElementRotatable);
    level->Add(45.0f, 45.0f, 40.0f, 40.0f, 0);  // nothing to do with a click: never found
    level->Prepare();
    HitRecord hit;
    std::vector<int32_t> found;
    while (Succeeded(level->FindElementAt(55.0f, 55.0f, &hit, 0.0f, -1, nullptr, nullptr)))
        found.push_back(hit.element);
    EXPECT_EQ(found, (std::vector<int32_t>{2, 1, 0}));
    EXPECT_EQ(hit.object, 1);

    // Not prepared in this frame: never found, whatever its flags; excluded likewise.
    level->Prepare({2});
    HitRecord fresh;
    ASSERT_EQ(level->FindElementAt(55.0f, 55.0f, &fresh, 0.0f, 1, nullptr, nullptr), kStatusOk);
    EXPECT_EQ(fresh.element, 0);
    EXPECT_FLOAT_EQ(fresh.local[0], 15.0f);
    EXPECT_FLOAT_EQ(fresh.local[1], 15.0f);

    // A found element is hit only by the test of a recorded element.
    level->E(0).flags |= kElementFound;
    HitRecord none;
    EXPECT_EQ(level->FindElementAt(22.0f, 22.0f, &none, 0.0f, -1, nullptr, nullptr), kStatusFailed);
    EXPECT_EQ(level->HitTestRecordedElement(22.0f, 22.0f, &fresh), kStatusOk);
    EXPECT_EQ(level->HitTestRecordedElement(85.0f, 35.0f, &fresh), kStatusFailed);
    // A record of another object starts again from the top.
    HitRecord foreign;
    foreign.object = 7;
    foreign.position = 2;
    ASSERT_EQ(level->FindElementAt(55.0f, 55.0f, &foreign, 0.0f, -1, nullptr, nullptr), kStatusOk);
    EXPECT_EQ(foreign.element, 1);
}

TEST_F(ObjectInputTest, TextureCoordinatesOfAMeshHit)
{
    ElementRecord& e = level->Add(100.0f, 100.0f, 40.0f, 20.0f, kElementClickable);
    level->Prepare();
    const struct {
        float x, y, u, v;
    } cases[] = {
        {80.0f, 90.0f, 0.0f, 0.0f},   {120.0f, 90.0f, 1.0f, 0.0f}, {120.0f, 110.0f, 1.0f, 1.0f},
        {80.0f, 110.0f, 0.0f, 1.0f},  {100.0f, 100.0f, 0.5f, 0.5f}, {90.0f, 105.0f, 0.25f, 0.75f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        float local[3], u = -1.0f, v = -1.0f;
        ASSERT_EQ(level->HitTestElementPoint(c.x, c.y, &e, local, 0.0f, -1, &u, &v), kStatusOk);
        EXPECT_NEAR(u, c.u, 1e-5f);
        EXPECT_NEAR(v, c.v, 1e-5f);
    }
    float local[3];
    EXPECT_EQ(level->HitTestElementPoint(121.0f, 100.0f, &e, local, 0.0f, -1, nullptr, nullptr), kStatusFailed);
    // The radius takes a point near the origin even off the mesh.
    e.hitMargin = 6.0f;
    EXPECT_EQ(level->HitTestElementPoint(100.0f, 100.5f, &e, local, 0.0f, -1, nullptr, nullptr), kStatusOk);
}

TEST_F(ObjectInputTest, ClicksFallThroughFoundItemsAndNeedThePressOnTheSameItem)
{
    ElementRecord& below = level->Add(50.0f, 50.0f, 60.0f, 60.0f, kElementClickable);
    ElementRecord& item = level->Add(50.0f, 50.0f, 20.0f, 20.0f, kElementClickable);
    item.action = 0x2;  // a hiding fade
    item.clickSound = 9;
    ASSERT_EQ(level->AddElementClickCommand(1, Waiter(11)), kStatusOk);
    level->Prepare();

    // The item: found, its fade started, its sound, its waiter burnt.
    EXPECT_EQ(Click(50.0f, 50.0f, 52.0f, 52.0f), kStatusOk);
    EXPECT_TRUE(item.flags & kElementFound);
    EXPECT_EQ(level->fades, (std::vector<std::pair<uint32_t, uint32_t>>{{0x2, 1}}));
    EXPECT_EQ(level->sounds, (std::vector<std::string>{"sound 9"}));
    EXPECT_EQ(level->burns, (std::vector<std::pair<uint32_t, int32_t>>{{11, 1}}));

    // Found, it lets the next click fall to the element below (no action: the clicked list).
    ASSERT_EQ(level->AddClickedEventCommand(Waiter(12)), kStatusOk);
    level->burns.clear();
    EXPECT_EQ(Click(50.0f, 50.0f, 50.0f, 50.0f), kStatusOk);
    EXPECT_EQ(level->burns, (std::vector<std::pair<uint32_t, int32_t>>{{12, 0}}));
    EXPECT_FALSE(below.flags & kElementFound);

    // A press beside the element found at the release is not taken.
    level->burns.clear();
    EXPECT_EQ(Click(50.0f, 50.0f, 150.0f, 50.0f), kStatusFailed);
    EXPECT_TRUE(level->burns.empty());

    // Beside everything: without cycle effects the object does not take the click.
    EXPECT_EQ(Click(150.0f, 150.0f, 150.0f, 150.0f), kStatusFailed);

    // A moving object takes the click and does nothing.
    level->SetMoving(true);
    level->burns.clear();
    EXPECT_EQ(Click(50.0f, 50.0f, 50.0f, 50.0f), kStatusOk);
    EXPECT_TRUE(level->burns.empty());
}

TEST_F(ObjectInputTest, DragDeltasThroughTheViews)
{
    GameViewRecord& view = w->game.view;
    view.interfaceScaleX = view.interfaceScaleY = 2.0f;
    view.sceneScaleX = view.sceneScaleY = 3.0f;  // a zoom of 1.5 on a fit of 2
    view.alternateScaleX = view.alternateScaleY = 0.5f;
    ElementRecord& e = level->Add(100.0f, 100.0f, 40.0f, 40.0f, kElementDraggable);
    float scale = 2.0f;
    const struct {
        uint32_t type;
        uint8_t overlay, alternate;
        float* scale;
        float dx;  // offset after a 12-pixel move right
    } cases[] = {
        {kObjectKindMenu, 0, 0, nullptr, 6.0f},  // an interface
        {kObjectKindExploration, 0, 0, nullptr, 4.0f},
        {kObjectKindExploration, 0, 0, &scale, 2.0f},
        {kObjectKindExploration, 1, 1, nullptr, 24.0f},  // an overlay in the third view
        {kObjectKindExploration, 1, 0, nullptr, 4.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " " << int(c.overlay) << int(c.alternate));
        level->SetType(c.type);
        level->SetOverlay(c.overlay);
        view.alternateViewEnabled = c.alternate;
        e.pScale = c.scale;
        e.dragOffset[0] = e.dragOffset[1] = 0.0f;
        level->Prepare();
        Press(100.0f, 100.0f);
        ASSERT_EQ(level->PickElementUnderCursor(100.0f, 100.0f, 0), kStatusOk);
        MoveTo(112.0f, 100.0f);
        EXPECT_EQ(level->OnMouseMove(112.0f, 100.0f, 0), kStatusOk);
        EXPECT_FLOAT_EQ(e.dragOffset[0], c.dx);
        EXPECT_FLOAT_EQ(e.dragOffset[1], 0.0f);
    }
    // A scale of 0 refuses the step.
    level->SetType(kObjectKindExploration);
    level->SetOverlay(0);
    scale = 0.0f;
    e.pScale = &scale;
    e.dragOffset[0] = 0.0f;
    MoveTo(124.0f, 100.0f);
    EXPECT_EQ(level->OnMouseMove(124.0f, 100.0f, 0), kStatusFailed);
    EXPECT_EQ(e.dragOffset[0], 0.0f);
    e.pScale = nullptr;

    // One-axis drags: the other axis stays, and the dragged one wraps.
    view.sceneScaleX = view.sceneScaleY = 1.0f;
    e.size[0] = e.size[1] = 90.0f;  // a period of 30
    e.action = kActionHorizontalDrag;
    e.dragOffset[0] = 10.0f;
    MoveTo(130.0f, 110.0f);
    level->OnMouseMove(130.0f, 110.0f, 0);
    EXPECT_FLOAT_EQ(e.dragOffset[0], -14.0f);
    EXPECT_FLOAT_EQ(e.dragOffset[1], 0.0f);
    // Leaving the zone is refused unless the action lets the drag go anywhere.
    level->AddZone(0.0f, 0.0f, 120.0f, 120.0f);
    e.zone = 0;
    e.action = 0;
    const float before = e.dragOffset[0];
    MoveTo(140.0f, 110.0f);
    EXPECT_EQ(level->OnMouseMove(140.0f, 110.0f, 0), kStatusFailed);
    EXPECT_EQ(e.dragOffset[0], before);
    e.action = kActionNoClickAction;
    MoveTo(150.0f, 110.0f);
    EXPECT_EQ(level->OnMouseMove(150.0f, 110.0f, 0), kStatusOk);
    EXPECT_FLOAT_EQ(e.dragOffset[0], before + 10.0f);
}

TEST_F(ObjectInputTest, WrapAndSnap)
{
    ElementRecord e;
    CObjectsBase::ResetElement(&e);
    const float inf = INFINITY;
    const struct {
        uint32_t action;
        float size, offset, wrapped;
    } wraps[] = {
        {kActionVerticalDrag, 90.0f, 16.0f, -14.0f},  {kActionVerticalDrag, 90.0f, 15.0f, 15.0f},
        {kActionVerticalDrag, 90.0f, -15.0f, -15.0f}, {kActionVerticalDrag, 90.0f, -16.0f, 14.0f},
        {kActionVerticalDrag, 90.0f, 76.0f, 16.0f - 30.0f}, {kActionVerticalDrag, 90.0f, 1e30f, 1e30f - 1e30f},
        {kActionVerticalDrag, 0.0f, 16.0f, 16.0f},    {kActionVerticalDrag, 90.0f, inf, inf},
        {kActionHorizontalDrag, 90.0f, 16.0f, 16.0f},  // the other axis
    };
    for (const auto& c : wraps) {
        SCOPED_TRACE(testing::Message() << c.size << " " << c.offset);
        e.action = c.action;
        e.size[0] = 0.0f;
        e.size[1] = c.size;
        e.dragOffset[1] = c.offset;
        CObjectsLevel::WrapElementOffset(&e);
        if (c.offset == 1e30f)
            EXPECT_TRUE(std::isfinite(e.dragOffset[1]));  // and the wrap ended
        else
            EXPECT_EQ(e.dragOffset[1], c.wrapped);
    }
    const struct {
        float factor, offset, snapped;
    } snaps[] = {
        {0.25f, 12.0f, 10.0f}, {0.25f, 15.0f, 20.0f},   {0.25f, -15.0f, -10.0f}, {0.25f, -16.0f, -20.0f},
        {0.25f, 24.0f, 20.0f}, {0.0f, 13.0f, 13.0f},    {0.25f, inf, inf},
    };
    for (const auto& c : snaps) {
        SCOPED_TRACE(testing::Message() << c.factor << " " << c.offset);
        e.snapFactor = c.factor;
        e.size[0] = e.size[1] = 40.0f;
        e.dragOffset[0] = e.dragOffset[1] = c.offset;
        CObjectsLevel::SnapElementOffset(&e);
        EXPECT_EQ(e.dragOffset[0], c.snapped);
        EXPECT_EQ(e.dragOffset[1], c.snapped);
    }
    e.size[0] = 100.0f;
    e.size[1] = 50.0f;
    for (int i = 0; i < 20; ++i) {
        level->RandomizeElementOffset(&e, 1, 1, 0.1f);
        EXPECT_GE(e.dragOffset[0], 10.0f);
        EXPECT_LE(e.dragOffset[0], 90.0f);
        EXPECT_GE(e.dragOffset[1], 5.0f);
        EXPECT_LE(e.dragOffset[1], 45.0f);
    }
}

TEST_F(ObjectInputTest, TurningStaysContinuousAcrossTheVerticalLine)
{
    ElementRecord& e = level->Add(100.0f, 100.0f, 40.0f, 40.0f, kElementRotatable);
    ASSERT_EQ(level->AddTurnedEventCommand(Waiter(21)), kStatusOk);
    level->Prepare();
    Press(110.0f, 100.0f);
    ASSERT_EQ(level->PickElementUnderCursor(110.0f, 100.0f, 0), kStatusOk);
    EXPECT_EQ(level->GetTurnedElement(), 0);
    // A quarter turn one way round the centre, through the line above it, to the far side.
    const float path[][2] = {{110.0f, 90.0f}, {100.5f, 90.0f}, {99.5f, 90.0f}, {90.0f, 90.0f}, {90.0f, 100.0f}};
    float last = e.turnAngle;
    for (const auto& p : path) {
        MoveTo(p[0], p[1]);
        level->OnMouseMove(p[0], p[1], 0);
        EXPECT_LT(std::fabs(e.turnAngle - last), 1.0f) << p[0] << ", " << p[1];
        last = e.turnAngle;
    }
    EXPECT_NEAR(e.turnAngle, -kPi, 1e-4f);
    // A step from the centre itself adds nothing, and no NaN.
    MoveTo(100.0f, 100.0f);
    level->OnMouseMove(100.0f, 100.0f, 0);
    MoveTo(110.0f, 100.0f);
    level->OnMouseMove(110.0f, 100.0f, 0);
    EXPECT_NEAR(e.turnAngle, -kPi, 1e-4f);
    // The release ends the turn with the turned element itself: no target, the turned list.
    level->OnMouseUp(110.0f, 100.0f, 0);
    EXPECT_EQ(level->burns, (std::vector<std::pair<uint32_t, int32_t>>{{21, 0}}));
    EXPECT_EQ(level->GetTurnedElement(), -1);
}

TEST_F(ObjectInputTest, ReleaseSnapsOrStays)
{
    ElementRecord& e = level->Add(100.0f, 100.0f, 40.0f, 40.0f, kElementDraggable);
    e.snapFactor = 0.25f;
    ASSERT_EQ(level->AddDraggedEventCommand(Waiter(31)), kStatusOk);
    ASSERT_EQ(level->AddElementClickCommand(0, Waiter(32)), kStatusOk);
    const struct {
        uint32_t action;
        float x;
        std::vector<std::pair<uint32_t, int32_t>> burns;
        size_t fades;
        bool found;
    } cases[] = {
        {0, 0.0f, {{31, 0}, {32, 0}}, 0, false},           // snapped, the dragged list burnt, back
        {kActionStayA, 13.0f, {{32, 0}}, 1, false},        // stays where it was released
        {kActionReleaseFinds, 0.0f, {{32, 0}}, 1, true},   // found, its fade sends it back
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action);
        e.action = c.action;
        e.flags = kElementDraggable;
        e.fadeId = 0;
        e.dragOffset[0] = e.dragOffset[1] = 0.0f;
        level->burns.clear();
        level->fades.clear();
        level->Prepare();
        Press(100.0f, 100.0f);
        ASSERT_EQ(level->PickElementUnderCursor(100.0f, 100.0f, 0), kStatusOk);
        EXPECT_EQ(level->GetHeldElement(), 0);
        MoveTo(113.0f, 100.0f);
        level->OnMouseMove(113.0f, 100.0f, 0);
        EXPECT_EQ(level->OnMouseUp(113.0f, 100.0f, 0), kStatusOk);
        EXPECT_FLOAT_EQ(e.dragOffset[0], c.x);
        EXPECT_EQ(level->burns, c.burns);
        EXPECT_EQ(level->fades.size(), c.fades);
        EXPECT_EQ((e.flags & kElementFound) != 0, c.found);
        EXPECT_EQ(level->GetHeldElement(), -1);
        EXPECT_STREQ(level->GetChosenCursor(), "");
    }
    // The snap itself, before the return puts the element back in its place.
    e.action = 0;
    e.dragOffset[0] = 13.0f;
    e.dragOffset[1] = -15.0f;
    level->OnElementDragReleased(&e);
    EXPECT_FLOAT_EQ(e.dragOffset[0], 10.0f);
    EXPECT_FLOAT_EQ(e.dragOffset[1], -10.0f);
    // Drop targets and locked elements do not take the press.
    for (uint32_t flag : {kElementDropTarget, kElementLocked}) {
        e.flags = kElementDraggable | flag;
        EXPECT_EQ(level->PickElementUnderCursor(100.0f, 100.0f, 0), kStatusFailed);
    }
}

TEST_F(ObjectInputTest, TheTutorialGate)
{
    const uint32_t restrict = kTutorialRestricts;
    const struct {
        uint8_t done;
        uint32_t element, mode, allow;
        bool blocks;
    } cases[] = {
        {0, 3, 0, kTutorialAllowClick, false},                                // no restriction
        {1, 4, restrict, kTutorialAllowClick, false},                         // done
        {0, 3, restrict | kTutorialAllowClick, kTutorialAllowClick, false},   // its element, clicks allowed
        {0, 3, restrict, kTutorialAllowClick, true},                          // its element, no clicks
        {0, 4, restrict | kTutorialAllowClick, kTutorialAllowClick, true},    // another element
        {0, 3, restrict | kTutorialAllowDrag, kTutorialAllowDrag, false},
        {0, 4, restrict | kTutorialAllowDrag, kTutorialAllowDrag, true},
        {0, 4, restrict | kTutorialAnyDrag, kTutorialAllowDrag, false},       // any drag
        {0, 4, restrict | kTutorialAnyDrag, kTutorialAllowClick, true},
    };
    for (const auto& c : cases) {
        const TutorialStep step = {c.done, 1, c.element, c.mode, 0};
        EXPECT_EQ(TutorialGateBlocks(step, 1, 3, c.allow), c.blocks) << std::hex << c.mode << " " << c.element;
        EXPECT_TRUE(TutorialGateBlocks(step, 2, 3, c.allow) || !c.blocks);
    }
    // A blocked click plays the null click and starts nothing; the step's element notes it.
    ElementRecord& e = level->Add(50.0f, 50.0f, 20.0f, 20.0f, kElementClickable);
    e.action = 0x2;
    level->Prepare();
    level->tutorial = true;
    level->step = {0, 1, 0, restrict, 0};
    EXPECT_EQ(Click(50.0f, 50.0f, 50.0f, 50.0f), kStatusOk);
    EXPECT_EQ(level->sounds, (std::vector<std::string>{"null"}));
    EXPECT_TRUE(level->fades.empty());
    level->step.mode |= kTutorialAllowClick;
    EXPECT_EQ(Click(50.0f, 50.0f, 50.0f, 50.0f), kStatusOk);
    EXPECT_EQ(level->fades.size(), 1u);
    EXPECT_EQ(level->tutorialInputs, 1);
}

TEST_F(ObjectInputTest, TheCheatDoesOnlyElementsWhoseClickListIsThereAndEmpty)
{
    // A command of the given kind for element `element`'s click list, its tag in word 3.
    const auto command = [&](uint32_t element, uint32_t kind, uint32_t tag) {
        CommandHandle handle = {};
        ASSERT_EQ(m_commands->AddCommand(1, 1, kind, kCommandEventClick, kCommandNoFunction, tag, 0, &handle),
                  kStatusOk);
        ASSERT_EQ(level->AddElementClickCommand(element, handle), kStatusOk);
    };
    // A list that held a wait and holds nothing now.
    const auto emptied = [&](uint32_t element) {
        command(element, 3, 99);
        ASSERT_EQ(level->GetElementClickList(element)->RemoveKind(3, true), kStatusOk);
        ASSERT_EQ(level->GetElementClickList(element)->GetCount(), 0u);
    };
    ElementRecord& hide = level->Add(10.0f, 10.0f, 10.0f, 10.0f, kElementClickable);
    hide.action = 0x2;
    ElementRecord& plain = level->Add(30.0f, 10.0f, 10.0f, 10.0f, kElementDraggable);
    ElementRecord& bare = level->Add(50.0f, 10.0f, 10.0f, 10.0f, kElementClickable);
    bare.action = 0x2;
    ElementRecord& load = level->Add(70.0f, 10.0f, 10.0f, 10.0f, kElementClickable);
    load.action = 0x2;
    load.loadOnClick = 1;
    ElementRecord& locked = level->Add(90.0f, 10.0f, 10.0f, 10.0f, kElementClickable | kElementLocked);
    locked.action = 0x2;
    ElementRecord& waits = level->Add(110.0f, 10.0f, 10.0f, 10.0f, kElementClickable);
    waits.action = 0x2;
    ElementRecord& callback = level->Add(130.0f, 10.0f, 10.0f, 10.0f, kElementClickable);
    callback.action = 0x2;
    ElementRecord& change = level->Add(150.0f, 10.0f, 10.0f, 10.0f, kElementClickable);
    change.action = 0x2;
    // A handle of kind 0 names no command: the list still counts as empty.
    ASSERT_EQ(level->AddElementClickCommand(0, CommandHandle{}), kStatusOk);
    emptied(1);
    emptied(3);
    emptied(4);
    command(5, 3, 41);
    command(6, 2, 43);
    command(7, 1, 44);
    ASSERT_EQ(level->AddClickedEventCommand(Waiter(42)), kStatusOk);

    EXPECT_EQ(level->OnCheatCodes(0), kStatusOk);
    EXPECT_EQ(level->calls, (std::vector<std::string>{"OnCheatCodes end_step"}));
    // The one with an action fades away found; the plain one tells the object it was clicked.
    EXPECT_EQ(level->fades, (std::vector<std::pair<uint32_t, uint32_t>>{{0x2 | kActionCheat, 0}}));
    EXPECT_EQ(level->burns, (std::vector<std::pair<uint32_t, int32_t>>{{42, 1}}));
    EXPECT_TRUE(hide.flags & kElementFound);
    for (const ElementRecord* e : {&plain, &bare, &load, &locked, &waits, &callback, &change})
        EXPECT_FALSE(e->flags & kElementFound) << e->index;

    // Again with "next": the found element is left alone.
    level->burns.clear();
    level->calls.clear();
    EXPECT_EQ(level->OnCheatCodes(1), kStatusOk);
    EXPECT_EQ(level->calls, (std::vector<std::string>{"OnCheatCodes next_step"}));
    EXPECT_EQ(level->fades.size(), 1u);
    EXPECT_EQ(level->burns, (std::vector<std::pair<uint32_t, int32_t>>{{42, 1}}));
}

TEST_F(ObjectInputTest, TheCursorShowsWhatAPressWouldDo)
{
    level->Add(20.0f, 20.0f, 20.0f, 20.0f, kElementClickable);
    level->Add(60.0f, 20.0f, 20.0f, 20.0f, kElementDraggable);
    level->Add(100.0f, 20.0f, 20.0f, 20.0f, kElementClickable | kElementRollOverDisabled);
    level->Prepare();
    const struct {
        float x;
        const char* cursor;
        Status status;
    } cases[] = {
        {20.0f, "clickable", kStatusOk}, {60.0f, "draggable", kStatusOk}, {100.0f, "", kStatusOk},
        {140.0f, "", kStatusFailed},
    };
    for (const auto& c : cases) {
        level->SelectCursor(nullptr);
        HitRecord out;
        EXPECT_EQ(level->UpdateCursorState(c.x, 20.0f, &out), c.status) << c.x;
        EXPECT_STREQ(level->GetChosenCursor(), c.cursor) << c.x;
    }
}

}  // namespace

// An element's paged text: its page buttons below it lengthen the element's hit rectangle by
// the extra-text manager's offset, the pointer over a button that would act shows the
// clickable cursor, and a click there turns the page.
TEST_F(ObjectInputTest, APagedTextTakesTheHoverAndTheClickAndLengthensTheHit)
{
    CFixedFont font(w);
    m_world.SetSecondFont(&font);
    m_world.SetManager(kManagerExtraText, new CExtraTextManager(w));  // buttons 64 x 64
    ElementRecord& e = level->Add(300, 200, 400, 40, kElementDraggable);
    const float bounds[4] = {-200, -20, 200, 20};
    std::memcpy(e.bounds, bounds, sizeof bounds);
    level->AddZone(100, 180, 500, 220);
    e.hitRect = 0;
    level->Prepare();
    HitRecord hit;
    EXPECT_EQ(level->FindElementAt(300, 230, &hit, 0, -1, nullptr, nullptr), kStatusFailed);

    // The text of two pages over the element's box (100, 180) - (500, 220).
    e.textStringId = 0;
    ASSERT_EQ(level->SetElementText(&e, 0, 0), kStatusOk);
    const float glyph[2] = {10, 10}, position[3] = {100, 180, 0}, box[4] = {100, 180, 500, 220};
    ASSERT_EQ(e.pStringText->AddLine(u"more", 0, 0, 0, glyph, position, box, 1.0f), kStatusOk);
    ASSERT_TRUE(e.pStringText->IsPaged());
    hit = HitRecord();
    EXPECT_EQ(level->FindElementAt(300, 230, &hit, 0, -1, nullptr, nullptr), kStatusOk);

    // Over the next button the text's cursor wins over the drag's; over the previous one (none
    // on the first page), below the line, the drag's stays.
    EXPECT_EQ(level->UpdateCursorState(450, 215, nullptr), kStatusOk);
    EXPECT_STREQ(level->GetChosenCursor(), "clickable");
    EXPECT_EQ(level->UpdateCursorState(150, 240, nullptr), kStatusOk);
    EXPECT_STREQ(level->GetChosenCursor(), "draggable");

    e.flags = kElementClickable;
    EXPECT_EQ(Click(450, 215, 450, 215), kStatusOk);
    EXPECT_EQ(e.pStringText->GetPage(), 1u);
    EXPECT_EQ(Click(150, 215, 150, 215), kStatusOk);
    EXPECT_EQ(e.pStringText->GetPage(), 0u);
    m_world.SetSecondFont(nullptr);
    m_world.SetManager(kManagerExtraText, nullptr);
}
