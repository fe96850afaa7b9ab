// Construction files from any bytes, read by the game world as at world load: the file is
// refused, or every object it made stands at its own number, each interface index names one
// of them, every chapter starts at one, and each object is found again by its name.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ElementInfoWriter.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

const std::vector<uint8_t>* g_pConstruction = nullptr;
std::vector<uint8_t> g_elementInfo;

Status FindFuzzData(WorldData* w, const char16_t* name)
{
    const std::vector<uint8_t>* bytes =
        std::char_traits<char16_t>::compare(name, u"Nimbrel_construct.raw", 22) == 0 ? g_pConstruction : &g_elementInfo;
    w->staticResource.pAddress = bytes->data();
    w->staticResource.size = uint32_t(bytes->size());
    return kStatusOk;
}

// An object of the factory's kinds whose load needs no renderer, scripts or commands.
class CFuzzObject : public CObjectsLevel {
public:
    CFuzzObject(WorldData* w, uint32_t number, uint32_t word, uint32_t typeCode) : CObjectsLevel(w, number, word)
    {
        m_typeCode = typeCode;
    }
    Status Load() override { return kStatusOk; }
};

class CFuzzObjects : public CObjectsManager {
public:
    using CObjectsManager::CObjectsManager;
    CObjectsBase* CreateObject(uint32_t typeCode, uint32_t wordA, uint32_t wordB) override
    {
        CObjectsBase* made = CObjectsManager::CreateObject(typeCode, wordA, wordB);
        if (!made)
            return nullptr;
        delete made;
        return new CFuzzObject(m_pWorldData, wordA, wordB, typeCode);
    }
};

class CFuzzWorld : public CNimbrelWorld {
public:
    CFuzzWorld()
    {
        SetApplicationParameters(kResourceSourceProgram << 12, kNimbrelClassName, u"Nimbrel", u"", 0);
        WorldData* w = GetWorldData();
        w->pfnStaticLocator = FindFuzzData;
        GameDataSetConstruction(*w->pGame, "Nimbrel");
        w->pGame->modeWord = kResourceSourceProgram;
        SetManager(kManagerObjects, new CFuzzObjects(w));
        SetManager(kManagerChapters, new CChaptersManager(w));
    }
    ~CFuzzWorld() override
    {
        SetManager(kManagerObjects, nullptr);
        SetManager(kManagerChapters, nullptr);
    }
    using CNimbrelWorld::LoadRelease;
};

void MakeElementInfo()
{
    ElementInfoView view = {};
    view.pName = "scene";
    view.firstMark = view.lastMark = -1;
    view.elementStride = sizeof(ElementRecord);
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    WriteElementInfo(&stream, view);
    g_elementInfo.assign(stream.GetBlock(), stream.GetBlock() + stream.GetSize());
    stream.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (g_elementInfo.empty())
        MakeElementInfo();
    std::vector<uint8_t> bytes(data, data + size);
    g_pConstruction = &bytes;
    CFuzzWorld world;
    const Status status = world.LoadRelease();
    CObjectsManager* objects = world.GetObjectsManager();
    if (Failed(status))
        return 0;
    const uint32_t count = objects->GetObjectCount();
    for (uint32_t i = 0; i < count; ++i) {
        CObjectsBase* object = objects->GetObject(i);
        if (!object || object->GetObjectNumber() != i)
            std::abort();
        // Every object has the same name here: the bisection finds one of them.
        const int32_t found = objects->FindLevelIndexByName(object->GetName());
        if (found < 0 || uint32_t(found) >= count)
            std::abort();
    }
    for (uint32_t role = 0; role < kInterfaceRoleCount; ++role) {
        const uint32_t index = objects->GetInterfaceIndex(role);
        if (index != kNoObjectIndex && index >= count)
            std::abort();
    }
    CChaptersManager* chapters = world.GetChaptersManager();
    for (uint32_t i = 0; i < chapters->GetChapterCount(); ++i)
        if (chapters->GetChapter(int32_t(i))->firstLevel >= count)
            std::abort();
    return 0;
}
