// The Direct3D 9 engine's module entry, device set-up and render-state operations.
#include "DX9TestSupport.h"

#include <string>
#include <vector>

#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D_DX9/C3DObjectIndex_DX90.h"
#include "Vornel3D_DX9/C3DObjectsDX90.h"
#include "Vornel3D_DX9/C3DViewDX90.h"
#include "VornelUtils/RegisterModules.h"

namespace {

class DX9EngineStateTest : public DX9EngineTest {
protected:
    void SetUp() override { Open(64, 48); }

    DWORD State(D3DRENDERSTATETYPE state)
    {
        DWORD value = 0xDEADBEEFu;
        Device()->GetRenderState(state, &value);
        return value;
    }
};

}  // namespace

TEST(DX9Module, RegisteredAsDX9AndSelectedById)
{
    auto world = std::make_unique<WorldData>();
    ASSERT_EQ(RegisterModule3D_DX9(world.get()), 0);
    ASSERT_EQ(ValidPlatform(kModule3DId_DX9, 0, 0, 0, world.get()), 0);
    const ModuleEntry& entry = world->selected[kModule3D];
    ASSERT_NE(entry.pDescriptor, nullptr);
    EXPECT_EQ(entry.pDescriptor->id, 2u);
    EXPECT_EQ(std::u16string(entry.pDescriptor->code), u"DX9");
    EXPECT_EQ(std::u16string(entry.pDescriptor->name), u"DirectX 9.0");
    CBaseObject* module = entry.pfnCreate(world.get());
    ASSERT_NE(module, nullptr);
    auto* engine = static_cast<C3DEngineDX90*>(module);
    EXPECT_EQ(world->p3DEngine, static_cast<C3DEngine*>(engine));
    EXPECT_EQ(DX9BlockFromWorld(world.get()), &engine->GetBlock());
    EXPECT_EQ(DX9DeviceFromWorld(world.get()), nullptr);
    entry.pfnDestroy(module);
    EXPECT_EQ(world->p3DEngine, nullptr);
    EXPECT_EQ(DX9BlockFromWorld(world.get()), nullptr);
}

TEST(DX9EngineLoad, WithoutWindowFailsBeforeAnyDeviceCall)
{
    auto world = std::make_unique<WorldData>();
    C3DMath math(world.get());
    PrepareWorld(*world, &math, 64, 48);
    C3DEngineDX90 engine(world.get());
    EXPECT_EQ(engine.Load(nullptr), int32_t(0x80000006u));
    EXPECT_EQ(world->lastErrorCode, int32_t(0x80000006u));
    EXPECT_EQ(engine.GetBlock().pD3D, nullptr);
    world->lastErrorCode = 0;
    EXPECT_EQ(engine.SetDisplayMode(nullptr, 64, 48, 0, 32, 0), int32_t(0x80000006u));
    EXPECT_EQ(world->lastErrorCode, int32_t(0x80000006u));
}

TEST(DX9EngineDevice, AttemptsFallBackThroughVertexProcessingThenTheReferenceDevice)
{
    struct Attempt {
        D3DDEVTYPE type;
        uint32_t behaviour;
    };
    struct Case {
        const char* name;
        std::vector<Attempt> working;  // the attempts that succeed
        bool created;
        uint8_t reference;
        uint32_t behaviour;
        size_t tries;
    };
    const Case cases[] = {
        {"hardware at once", {{D3DDEVTYPE_HAL, 0x40}}, true, 0, 0x40, 1},
        {"mixed after hardware twice", {{D3DDEVTYPE_HAL, 0x80}, {D3DDEVTYPE_HAL, 0x20}}, true, 0, 0x80, 3},
        {"software last", {{D3DDEVTYPE_HAL, 0x20}}, true, 0, 0x20, 4},
        {"reference after four HAL failures", {{D3DDEVTYPE_REF, 0x80}}, true, 1, 0x80, 7},
        {"nothing", {}, false, 0, 0, 8},
    };
    for (const Case& c : cases) {
        std::vector<Attempt> tried;
        auto attempt = [&](D3DDEVTYPE type, uint32_t behaviour) {
            tried.push_back({type, behaviour});
            for (const Attempt& w : c.working)
                if (w.type == type && w.behaviour == behaviour)
                    return true;
            return false;
        };
        uint8_t reference = 9;
        uint32_t behaviour = 9;
        EXPECT_EQ(C3DEngineDX90::CreateDeviceByAttempts(attempt, 0x40, &reference, &behaviour), c.created) << c.name;
        EXPECT_EQ(tried.size(), c.tries) << c.name;
        if (c.created) {
            EXPECT_EQ(reference, c.reference) << c.name;
            EXPECT_EQ(behaviour, c.behaviour) << c.name;
        }
    }
    EXPECT_EQ(C3DEngineDX90::DescribeDevice(0x40, 0), 0x101u);
    EXPECT_EQ(C3DEngineDX90::DescribeDevice(0x80, 0), 0x102u);
    EXPECT_EQ(C3DEngineDX90::DescribeDevice(0x20, 1), 0x204u);
}

TEST(DX9EngineDevice, PresentationParametersFollowTheDisplaySettings)
{
    struct Case {
        uint8_t fullscreen, depth, vsync;
        D3DFORMAT format;
        UINT interval;
    };
    const Case cases[] = {
        {0, 32, 0, D3DFMT_UNKNOWN, D3DPRESENT_INTERVAL_DEFAULT},
        {1, 16, 0, D3DFMT_R5G6B5, D3DPRESENT_INTERVAL_DEFAULT},
        {1, 32, 1, D3DFMT_X8R8G8B8, D3DPRESENT_INTERVAL_ONE},
        {1, 24, 0, D3DFMT_R5G6B5, D3DPRESENT_INTERVAL_DEFAULT},
    };
    for (const Case& c : cases) {
        D3DPRESENT_PARAMETERS pp;
        C3DEngineDX90::FillPresentation(&pp, HWND(0x1234), 320, 200, c.fullscreen, c.depth, c.vsync, D3DFMT_UNKNOWN);
        EXPECT_EQ(pp.BackBufferFormat, c.format) << int(c.fullscreen) << " " << int(c.depth);
        EXPECT_EQ(pp.PresentationInterval, c.interval) << int(c.vsync);
        EXPECT_EQ(pp.Windowed, c.fullscreen ? FALSE : TRUE);
        EXPECT_EQ(pp.BackBufferWidth, 320u);
        EXPECT_EQ(pp.BackBufferHeight, 200u);
        EXPECT_EQ(pp.BackBufferCount, 1u);
        EXPECT_EQ(pp.SwapEffect, D3DSWAPEFFECT_DISCARD);
        EXPECT_EQ(pp.AutoDepthStencilFormat, D3DFMT_D24S8);
        EXPECT_EQ(pp.Flags, DWORD(D3DPRESENTFLAG_LOCKABLE_BACKBUFFER));
        EXPECT_EQ(pp.MultiSampleType, D3DMULTISAMPLE_NONE);
    }
}

TEST_F(DX9EngineStateTest, LoadPublishesTheDeviceCapabilitiesAndTextureLimits)
{
    const C3DRendererBlockDX90* block = DX9BlockFromWorld(m_world.get());
    ASSERT_EQ(block, &m_engine->GetBlock());
    EXPECT_NE(block->pD3D, nullptr);
    EXPECT_EQ(DX9DeviceFromWorld(m_world.get()), block->pDevice);
    EXPECT_EQ(block->defaultBehaviour, 0x40u);
    EXPECT_EQ(block->deviceDescription, C3DEngineDX90::DescribeDevice(block->behaviour, block->reference));
    EXPECT_EQ(block->presentation.BackBufferFormat, D3DFMT_UNKNOWN);
    EXPECT_GE(block->caps.MaxTextureWidth, 1024u);
    EXPECT_EQ(m_world->maxTextureWidth, block->caps.MaxTextureWidth);
    EXPECT_EQ(m_world->maxTextureHeightCopy, block->caps.MaxTextureHeight);
    EXPECT_EQ(m_engine->IsStencilSupported(), 0);
    EXPECT_EQ(m_engine->IsShaderSupported(), 0);
    EXPECT_EQ(State(D3DRS_LIGHTING), DWORD(FALSE));
    EXPECT_NE(dynamic_cast<C3DViewDX90*>(m_engine->GetView()), nullptr);
}

TEST_F(DX9EngineStateTest, BlendModesKeepTheOtherFactor)
{
    const D3DBLEND factors[13] = {D3DBLEND_ONE,         D3DBLEND_ZERO,         D3DBLEND_ZERO,        D3DBLEND_ONE,
                                  D3DBLEND_SRCCOLOR,    D3DBLEND_SRCALPHA,     D3DBLEND_DESTCOLOR,   D3DBLEND_DESTALPHA,
                                  D3DBLEND_INVSRCCOLOR, D3DBLEND_INVDESTCOLOR, D3DBLEND_INVSRCALPHA, D3DBLEND_INVDESTALPHA,
                                  D3DBLEND_SRCALPHASAT};
    m_engine->SetDestBlend(7);
    for (uint32_t mode = 0; mode < 13; ++mode) {
        m_engine->SetSrcBlend(mode);
        EXPECT_EQ(State(D3DRS_SRCBLEND), DWORD(factors[mode])) << mode;
        EXPECT_EQ(State(D3DRS_DESTBLEND), DWORD(D3DBLEND_DESTALPHA)) << mode;
    }
    m_engine->SetSrcBlend(5);
    for (uint32_t mode = 0; mode < 12; ++mode) {
        m_engine->SetDestBlend(mode);
        EXPECT_EQ(State(D3DRS_DESTBLEND), DWORD(factors[mode])) << mode;
        EXPECT_EQ(State(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA)) << mode;
    }
    EXPECT_EQ(m_engine->GetBlendSource(), uint32_t(D3DBLEND_SRCALPHA));
    // A mode past the table is read as mode 0, never past its end.
    m_engine->SetSrcBlend(40);
    EXPECT_EQ(State(D3DRS_SRCBLEND), DWORD(D3DBLEND_ONE));
}

TEST_F(DX9EngineStateTest, CompareModesAndColourMask)
{
    const D3DCMPFUNC compares[8] = {D3DCMP_NEVER,   D3DCMP_LESS,     D3DCMP_EQUAL,        D3DCMP_LESSEQUAL,
                                    D3DCMP_GREATER, D3DCMP_NOTEQUAL, D3DCMP_GREATEREQUAL, D3DCMP_ALWAYS};
    for (uint32_t mode = 0; mode < 8; ++mode) {
        m_engine->SetDepthFunc(mode);
        EXPECT_EQ(State(D3DRS_ZFUNC), DWORD(compares[mode])) << mode;
        m_engine->SetAlphaFunc(mode, uint8_t(10 + mode));
        EXPECT_EQ(State(D3DRS_ALPHAFUNC), DWORD(compares[mode])) << mode;
        EXPECT_EQ(State(D3DRS_ALPHAREF), DWORD(10 + mode)) << mode;
    }
    m_engine->SetColorMask(1, 0, 1, 0);
    EXPECT_EQ(State(D3DRS_COLORWRITEENABLE), DWORD(D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_BLUE));
    m_engine->SetColorMask(0, 1, 0, 1);
    EXPECT_EQ(State(D3DRS_COLORWRITEENABLE), DWORD(D3DCOLORWRITEENABLE_GREEN | D3DCOLORWRITEENABLE_ALPHA));
}

TEST_F(DX9EngineStateTest, LightsFromTheWorldRecords)
{
    m_world->light1 = {};
    m_world->light1.enabled = {1, 1};
    m_world->light1.type = 0;
    m_world->light1.x = 3.0f;
    m_world->light1.z = 4.0f;
    m_world->light1.diffuse = 0.5f;
    m_world->light1.ambient = 0.25f;
    m_world->light2 = {};
    m_world->light2.enabled = {1, 1};
    m_world->light2.type = 1;
    m_world->light2.x = 10.0f;
    m_world->light2.directionX = 7.0f;
    ASSERT_EQ(m_engine->SetLights(-1), 0);

    D3DLIGHT9 light{};
    ASSERT_EQ(Device()->GetLight(0, &light), D3D_OK);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    // A directional light shines from its position towards the origin.
    EXPECT_NEAR(light.Direction.x, -0.6f, 1e-6f);
    EXPECT_NEAR(light.Direction.z, -0.8f, 1e-6f);
    EXPECT_NEAR(m_world->light1.directionX, -0.6f, 1e-6f);
    EXPECT_EQ(light.Diffuse.g, 0.5f);
    EXPECT_EQ(light.Diffuse.a, 0.0f);
    EXPECT_EQ(light.Ambient.b, 0.25f);
    EXPECT_EQ(light.Attenuation0, 1.0f);
    EXPECT_GT(light.Range, 1e18f);
    ASSERT_EQ(Device()->GetLight(1, &light), D3D_OK);
    EXPECT_EQ(light.Type, D3DLIGHT_POINT);
    EXPECT_EQ(light.Position.x, 10.0f);
    EXPECT_EQ(m_world->light2.directionX, 0.0f);
    BOOL enabled = FALSE;
    Device()->GetLightEnable(1, &enabled);
    EXPECT_TRUE(enabled);

    // A light switched off only goes dark: the device light keeps its values.
    m_world->light2.enabled.current = 0;
    m_world->light2.x = 99.0f;
    m_engine->SetLight(1);
    Device()->GetLightEnable(1, &enabled);
    EXPECT_FALSE(enabled);
    Device()->GetLight(1, &light);
    EXPECT_EQ(light.Position.x, 10.0f);
    EXPECT_EQ(m_engine->SetLight(2), kStatusFailed);
}

TEST_F(DX9EngineStateTest, FogFollowsTheDeviceCapabilities)
{
    FogRecord& fog = m_world->fog;
    fog.enabled = {1, 1};
    fog.color = 0xFF336699u;
    fog.start = 100.0f;
    fog.end = 900.0f;
    fog.tableMode = D3DFOG_LINEAR;
    ASSERT_EQ(m_engine->SetFog(), 0);
    const uint8_t* caps = m_engine->GetFogCaps();
    if (!caps[2]) {
        // Without W fog no fog state is sent and the record's fog goes off.
        EXPECT_EQ(fog.enabled.current, 0);
        EXPECT_EQ(fog.enabled.configured, 0);
        return;
    }
    EXPECT_EQ(State(D3DRS_FOGCOLOR), 0xFF336699u);
    const DWORD start = State(D3DRS_FOGSTART);
    EXPECT_EQ(*reinterpret_cast<const float*>(&start), 100.0f);
    EXPECT_EQ(fog.tableFog, caps[0]);
    if (caps[0]) {
        EXPECT_EQ(State(D3DRS_FOGTABLEMODE), DWORD(D3DFOG_LINEAR));
        EXPECT_EQ(fog.enabled.current, 1);
    }
    fog.enabled.current = 0;
    m_engine->SetFog();
    EXPECT_EQ(fog.enabled.configured, 0);
}

TEST_F(DX9EngineStateTest, CreateObjectByKindBit)
{
    struct Case {
        uint32_t flags;
        uint32_t size, fvf, layout;
    };
    const Case cases[] = {
        {0x02, 40, 0x1D2, 1}, {0x06, 40, 0x1D2, 1}, {0x04, 48, 0x2D2, 2}, {0x0C, 48, 0x2D2, 2},
        {0x08, 0, 0, 0},      {0x18, 0, 0, 0},      {0x10, 24, 0x142, 4},
    };
    for (const Case& c : cases) {
        auto* object = dynamic_cast<C3DObjectBase_DX90*>(m_engine->CreateObject(c.flags, 0));
        ASSERT_NE(object, nullptr) << c.flags;
        EXPECT_EQ(object->GetVertexSize(), c.size) << c.flags;
        EXPECT_EQ(object->GetFVF(), c.fvf) << c.flags;
        EXPECT_EQ(object->GetLayoutCode(), c.layout) << c.flags;
        EXPECT_EQ(object->GetUsage(), 0x208u) << c.flags;
        ASSERT_EQ(object->Create(1, 4, 4), 0) << c.flags;
        if (c.size) {
            ASSERT_NE(object->GetVertexBuffer(), nullptr);
            D3DVERTEXBUFFER_DESC desc;
            object->GetVertexBuffer()->GetDesc(&desc);
            EXPECT_EQ(desc.Size, 4 * c.size);
            EXPECT_EQ(desc.FVF, c.fvf);
            EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
        } else {
            // The point-sprite kind has no geometry: nothing to draw or edit.
            EXPECT_EQ(object->GetVertexBuffer(), nullptr);
            EXPECT_TRUE(object->GetFlags() & 0x08);
        }
        EXPECT_EQ(m_engine->ReleaseObject(object), 0);
    }
    m_world->lastErrorCode = 0;
    EXPECT_EQ(m_engine->CreateObject(0x01, 0), nullptr);
    EXPECT_EQ(m_world->lastErrorCode, int32_t(0x8001000Au));
    EXPECT_EQ(m_engine->ReleaseObject(nullptr), int32_t(0x80000001u));
}

TEST_F(DX9EngineStateTest, CreateObjectIndexByWidth)
{
    C3DObjectIndex* narrow = m_engine->CreateObjectIndex(6, 1);
    C3DObjectIndex* wide = m_engine->CreateObjectIndex(6, 2);
    ASSERT_NE(dynamic_cast<C3DObjectDX90Index16*>(narrow), nullptr);
    ASSERT_NE(dynamic_cast<C3DObjectDX90Index32*>(wide), nullptr);
    for (C3DObjectIndex* index : {narrow, wide}) {
        ASSERT_EQ(index->Create(1, 5), 0);
        const C3DObjectIndex_DX90* device = DX9IndexOf(index);
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(device->GetUsage(), 0x200u);
        D3DINDEXBUFFER_DESC desc;
        ASSERT_NE(device->GetIndexBuffer(), nullptr);
        device->GetIndexBuffer()->GetDesc(&desc);
        EXPECT_EQ(desc.Size, 5 * device->IndexSize());
        EXPECT_EQ(desc.Format, device->IndexSize() == 2 ? D3DFMT_INDEX16 : D3DFMT_INDEX32);
        EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
        // Indices are written and read only between Lock and Unlock, and reach the device
        // buffer at Unlock.
        index->SetIndex(0, 3);
        EXPECT_EQ(index->GetIndex(0), 0xFFFFFFFFu);
        index->Lock(0, 2);
        index->SetIndex(0, 70000);
        index->SetIndex(4, 4);
        index->SetIndex(5, 9);  // past the end: ignored
        EXPECT_EQ(index->GetIndex(0), device->IndexSize() == 2 ? 70000u & 0xFFFF : 70000u);
        EXPECT_EQ(index->Unlock(1), 0);
        void* bytes = nullptr;
        ASSERT_EQ(device->GetIndexBuffer()->Lock(0, 0, &bytes, D3DLOCK_READONLY), D3D_OK);
        if (device->IndexSize() == 2)
            EXPECT_EQ(static_cast<uint16_t*>(bytes)[4], 4u);
        else
            EXPECT_EQ(static_cast<uint32_t*>(bytes)[0], 70000u);
        device->GetIndexBuffer()->Unlock();
        EXPECT_EQ(index->Select(index->GetGroup(0)), 0);
    }
    m_world->lastErrorCode = 0;
    EXPECT_EQ(m_engine->CreateObjectIndex(6, 3), nullptr);
    EXPECT_EQ(m_world->lastErrorCode, 0);
    EXPECT_EQ(m_engine->ReleaseObjectIndex(narrow), 0);
    EXPECT_EQ(m_engine->ReleaseObjectIndex(wide), 0);
}

TEST_F(DX9EngineStateTest, ViewSetsViewportAndGammaRamp)
{
    C3DView* view = m_engine->GetView();
    m_world->nearDistance = 0.0f;
    m_world->farDistance = 1.0f;
    ASSERT_EQ(view->SetViewport(4, 6, 40, 30), 0);
    D3DVIEWPORT9 viewport;
    Device()->GetViewport(&viewport);
    EXPECT_EQ(viewport.X, 4u);
    EXPECT_EQ(viewport.Y, 6u);
    EXPECT_EQ(viewport.Width, 40u);
    EXPECT_EQ(viewport.Height, 30u);

    WORD ramp[256];
    C3DViewDX90::BuildRamp(128, ramp);
    for (int i : {0, 64, 128, 255})
        EXPECT_NEAR(ramp[i], 65535.0 * i / 255.0, 400.0) << i;
    C3DViewDX90::BuildRamp(255, ramp);
    EXPECT_EQ(ramp[1], 65535);
    EXPECT_EQ(ramp[0], 65535);
    C3DViewDX90::BuildRamp(64, ramp);
    EXPECT_LT(ramp[128], 128 * 257);

    m_world->gammaInitial = 100;
    m_world->gammaRed = 28;
    m_world->gammaGreen = -36;
    m_world->gammaBlue = 155;
    EXPECT_EQ(view->SetGammaRamp(), 0);
    const D3DGAMMARAMP& set = static_cast<C3DViewDX90*>(view)->GetRamp();
    EXPECT_NEAR(set.red[128], 128 * 257, 400);
    EXPECT_LT(set.green[128], set.red[128]);
    EXPECT_EQ(set.blue[10], 65535);
}
