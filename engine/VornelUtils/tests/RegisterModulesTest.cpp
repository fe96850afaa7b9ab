#include "VornelUtils/RegisterModules.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "VornelUtils/BaseObject.h"

namespace {

class TestModule : public CBaseObject {
public:
    explicit TestModule(WorldData* pWorldData) : CBaseObject(pWorldData) { ++s_alive; }
    ~TestModule() override { --s_alive; }
    static int s_alive;
};
int TestModule::s_alive = 0;

CBaseObject* CreateA(WorldData* pWorldData) { return new TestModule(pWorldData); }
CBaseObject* CreateB(WorldData* pWorldData) { return new TestModule(pWorldData); }

struct Registration {
    int kind;
    uint32_t id;
    ModuleCreateFn create;
};

std::unique_ptr<WorldData> Register(const std::vector<Registration>& registrations)
{
    auto wd = std::make_unique<WorldData>();
    for (const Registration& r : registrations) {
        ModuleEntry* entry = RegisterModule(r.kind, wd.get());
        EXPECT_NE(entry, nullptr);
        if (!entry)
            continue;
        entry->pDescriptor = FindModuleDescriptor(r.kind == kModuleInput ? kModuleAudio : r.kind, r.id);
        entry->pfnCreate = r.create;
        entry->pfnDestroy = ReleaseModule;
    }
    return wd;
}

size_t ListLength(const WorldData& wd, int kind)
{
    size_t n = 0;
    if (ModuleEntry** list = wd.moduleLists[kind])
        while (list[n])
            ++n;
    return n;
}

}  // namespace

TEST(RegisterModules, DescriptorTablesInFull)
{
    ASSERT_EQ(sizeof kModuleDescriptors3D / sizeof kModuleDescriptors3D[0], 13u);
    const ModuleDescriptor* gl = FindModuleDescriptor(kModule3D, 5);
    ASSERT_NE(gl, nullptr);
    EXPECT_EQ(std::u16string(gl->code), u"GL");
    EXPECT_EQ(std::u16string(gl->name), u"OpenGL");
    EXPECT_EQ(gl->version, 0x10000u);
    EXPECT_EQ(gl->mask, 0x1000020u);
    EXPECT_EQ(FindModuleDescriptor(kModule3D, 12)->mask, 0x1002000u);
    EXPECT_EQ(std::u16string(FindModuleDescriptor(kModule3D, 2)->code), u"DX9");

    const ModuleDescriptor* al = FindModuleDescriptor(kModuleAudio, 3);
    ASSERT_NE(al, nullptr);
    EXPECT_EQ(std::u16string(al->name), u"OpenAL 1.1");
    EXPECT_EQ(al->mask, 0x2040000u);
    EXPECT_EQ(FindModuleDescriptor(kModuleAudio, 0)->version, 0u);  // "-Disabled-"
    EXPECT_EQ(std::u16string(FindModuleDescriptor(kModuleAudio, 5)->code), u"FMOD4");

    EXPECT_EQ(FindModuleDescriptor(kModuleNetwork, 1)->mask, 0x18000000u);
    EXPECT_EQ(FindModuleDescriptor(kModuleNetwork, 0)->version, 0u);
    EXPECT_EQ(FindModuleDescriptor(kModuleNetwork, 2), nullptr);
    EXPECT_EQ(FindModuleDescriptor(kModuleInput, 0), nullptr);
    EXPECT_EQ(FindModuleDescriptor(9, 0), nullptr);
}

TEST(RegisterModules, RegisterKeepsListsNullTerminated)
{
    auto wd = std::make_unique<WorldData>();
    EXPECT_EQ(RegisterModule(-1, wd.get()), nullptr);
    EXPECT_EQ(RegisterModule(kModuleKindCount, wd.get()), nullptr);
    EXPECT_EQ(RegisterModule(kModule3D, nullptr), nullptr);
    ModuleEntry* first = RegisterModule(kModule3D, wd.get());
    ModuleEntry* second = RegisterModule(kModule3D, wd.get());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->pDescriptor, nullptr);  // zeroed for the caller to fill
    EXPECT_EQ(wd->moduleLists[kModule3D][0], first);
    EXPECT_EQ(wd->moduleLists[kModule3D][1], second);
    EXPECT_EQ(wd->moduleLists[kModule3D][2], nullptr);
    EXPECT_EQ(wd->moduleLists[kModuleAudio], nullptr);
    UnregisterModules(wd.get());
    for (int kind = 0; kind < kModuleKindCount; ++kind)
        EXPECT_EQ(wd->moduleLists[kind], nullptr);
}

TEST(RegisterModules, ValidPlatformTable)
{
    struct Case {
        const char* name;
        std::vector<Registration> registrations;
        uint16_t id3D, idAudio, idInput, idNetwork;
        Status status;
        ModuleCreateFn selected3D;  // null: no 3D selection
        uint32_t selectedAudioId;   // 0xFFFF: no audio selection
        uint32_t selectedNetworkId; // 0xFFFF: no network selection
    };
    const Case cases[] = {
        {"all kinds found",
         {{kModule3D, 2, CreateA}, {kModule3D, 5, CreateB}, {kModuleAudio, 3, CreateA}, {kModuleNetwork, 1, CreateA}},
         5, 3, 0, 1, kStatusOk, CreateB, 3, 1},
        {"audio id without an entry stays unselected",
         {{kModule3D, 5, CreateA}, {kModuleAudio, 3, CreateA}, {kModuleNetwork, 1, CreateA}},
         5, 2, 0, 1, kStatusOk, CreateA, 0xFFFF, 1},
        {"the first of two entries with one id wins",
         {{kModule3D, 5, CreateA}, {kModule3D, 5, CreateB}},
         5, 3, 0, 1, kStatusOk, CreateA, 0xFFFF, 0xFFFF},
        {"no 3D entry with the id fails",
         {{kModule3D, 2, CreateA}, {kModuleAudio, 3, CreateA}},
         5, 3, 0, 1, kStatusFailed, nullptr, 3, 0xFFFF},
        {"nothing registered fails", {}, 5, 3, 0, 1, kStatusFailed, nullptr, 0xFFFF, 0xFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto wd = Register(c.registrations);
        std::vector<size_t> lengths;
        for (int kind = 0; kind < kModuleKindCount; ++kind)
            lengths.push_back(ListLength(*wd, kind));

        EXPECT_EQ(ValidPlatform(c.id3D, c.idAudio, c.idInput, c.idNetwork, wd.get()), c.status);

        EXPECT_EQ(wd->selected[kModule3D].pfnCreate, c.selected3D);
        auto idOf = [&](int kind) -> uint32_t {
            const ModuleDescriptor* d = wd->selected[kind].pDescriptor;
            return d ? d->id : 0xFFFFu;
        };
        EXPECT_EQ(idOf(kModule3D), c.selected3D ? c.id3D : 0xFFFFu);
        EXPECT_EQ(idOf(kModuleAudio), c.selectedAudioId);
        EXPECT_EQ(idOf(kModuleNetwork), c.selectedNetworkId);
        EXPECT_EQ(wd->selected[kModuleInput].pDescriptor, nullptr);

        for (int kind = 0; kind < kModuleKindCount; ++kind) {
            if (c.status == kStatusOk) {
                EXPECT_EQ(wd->moduleLists[kind], nullptr) << "success frees the lists";
            } else {
                EXPECT_EQ(ListLength(*wd, kind), lengths[kind]) << "failure keeps the lists";
            }
        }
        UnregisterModules(wd.get());
    }
}

TEST(RegisterModules, SelectedEntryCreatesAndReleasesItsModule)
{
    auto wd = Register({{kModule3D, 5, CreateA}});
    ASSERT_EQ(ValidPlatform(5, 0, 0, 0, wd.get()), kStatusOk);
    CBaseObject* module = wd->selected[kModule3D].pfnCreate(wd.get());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(TestModule::s_alive, 1);
    wd->selected[kModule3D].pfnDestroy(module);
    EXPECT_EQ(TestModule::s_alive, 0);
    ReleaseModule(nullptr);
}
