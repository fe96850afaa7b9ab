#pragma once
// Scene objects for the objects manager's tests: a level or interface of any type code that
// records what it is asked, a manager that stands in for the popup and tool box managers and
// takes such objects, and a game world whose files are stored in the program (a map of names
// to bytes) so that construction and element-info files can be made per test.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelManagers/CDragInertia.h"
#include "NimbrelObjects/ElementInfoWriter.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ConstructionFile.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

using Trace = std::vector<std::string>;

class SceneTestObject : public CObjectsLevel {
public:
    SceneTestObject(WorldData* w, uint32_t number, uint32_t typeCode, const char* name, Trace* trace,
                    uint32_t constructWord = 0)
        : CObjectsLevel(w, number, constructWord), trace(trace)
    {
        m_typeCode = typeCode;
        m_pName = name ? UtilsString_DupA(name) : nullptr;
        m_shown = m_wanted = 1;
        m_locked = 0;
    }

    void Set(uint8_t shown, uint8_t wanted, uint8_t locked, uint8_t overlay = 0)
    {
        m_shown = shown;
        m_wanted = wanted;
        m_locked = locked;
        m_overlay = overlay;
    }
    // Elements named as given (null: nameless).
    void SetElements(const std::vector<const char*>& names)
    {
        m_pElements = AllocElements(uint32_t(names.size()));
        m_elementCount = uint32_t(names.size());
        for (uint32_t i = 0; i < m_elementCount; ++i)
            GetItemRecord(i)->pName = names[i] ? UtilsString_DupA(names[i]) : nullptr;
        // The elements by name, as the element-info file lists them (named ones only).
        std::vector<uint32_t> order;
        for (uint32_t i = 0; i < m_elementCount; ++i)
            if (names[i])
                order.push_back(i);
        std::sort(order.begin(), order.end(),
                  [&names](uint32_t a, uint32_t b) { return std::strcmp(names[a], names[b]) < 0; });
        UTILS_FREE(m_pNameIndex);
        m_pNameIndex = nullptr;
        if (order.size() == m_elementCount && !order.empty()) {
            m_pNameIndex = static_cast<uint32_t*>(UTILS_CALLOC(order.size(), sizeof(uint32_t)));
            std::copy(order.begin(), order.end(), m_pNameIndex);
        }
    }

    Status PickElementUnderCursor(float, float, uint32_t) override { return Note("down", takesDown); }
    Status OnMouseMove(float, float, uint32_t) override { return Note("move", true); }
    Status OnMouseUp(float, float, uint32_t) override { return Note("up", takesUp); }
    Status OnClick(float, float, uint32_t) override { return Note("click", takesClick); }
    Status UpdateCursorState(float, float, void*) override { return Note("cursor", takesCursor); }
    Status UpdateState() override { return Note("update", true); }
    Status Draw() override { return Note("draw", true); }
    Status LoadReleaseModel(uint32_t number) override
    {
        modelNumber = number;
        return Note("model", true);
    }
    // What the construction needs of a load: no renderer, scripts or commands.
    Status Load() override
    {
        m_pKindRow = FindObjectKind(m_typeCode);
        return kStatusOk;
    }

    bool takesDown = false, takesUp = false, takesClick = false, takesCursor = false;
    uint32_t modelNumber = 0xFFFFFFFFu;   // the model files the last load asked for

private:
    Status Note(const char* what, bool takes)
    {
        if (trace)
            trace->push_back(std::string(what) + " " + (m_pName ? m_pName : "?"));
        return takes ? kStatusOk : kStatusFailed;
    }
    Trace* trace;
};

// The drag tracker's clock in the tests: one tick a microsecond, moved by the test.
inline int64_t& DragTicks()
{
    static int64_t ticks = 0;
    return ticks;
}

class TestObjectsManager : public CObjectsManager {
public:
    using CObjectsManager::CObjectsManager;

    // Takes the objects as the construction would: index = object number.
    void Adopt(const std::vector<SceneTestObject*>& objects)
    {
        ReleaseObjects();
        m_ppObjects = static_cast<CObjectsBase**>(UTILS_CALLOC(objects.size() + 1, sizeof(CObjectsBase*)));
        for (size_t i = 0; i < objects.size(); ++i)
            m_ppObjects[i] = objects[i];
        m_objectCount = uint32_t(objects.size());
    }
    // The factory's answer, with a recording object of the kind in place of its class.
    CObjectsBase* CreateObject(uint32_t typeCode, uint32_t wordA, uint32_t wordB) override
    {
        CObjectsBase* made = CObjectsManager::CreateObject(typeCode, wordA, wordB);
        if (!made)
            return nullptr;
        delete made;
        return new SceneTestObject(m_pWorldData, wordA, typeCode, nullptr, nullptr, wordB);
    }
    void SetInterface(uint32_t role, uint32_t index) { m_interfaces[role] = index; }
    // Active in this order, the last on top.
    void Activate(const std::vector<SceneTestObject*>& objects)
    {
        m_activeList.RemoveAll();
        for (SceneTestObject* object : objects)
            m_activeList.Add(object, 0);
    }

    bool popupShowing = false;
    uint32_t popupOwner = kNoObjectIndex, toolboxOwner = kNoObjectIndex;
    int nullClicks = 0;
    ObjectsViewInputs view = DefaultView();

    // A 1024 x 768 view in a window of its width, factors 1, zoom up to 3.
    static ObjectsViewInputs DefaultView()
    {
        ObjectsViewInputs in = {};
        in.viewWidth = in.alternateWidth = in.screenWidth = 1024.0f;
        in.viewHeight = in.alternateHeight = in.screenHeight = 768.0f;
        in.factorX = in.factorY = in.panFactorX = in.panFactorY = 1.0f;
        in.alternateFactorX = in.alternateFactorY = 1.0f;
        in.minimumMaximumZoom = 3.0f;
        in.frameStep = 1.0f;
        return in;
    }

protected:
    CDragInertia* CreateDragInertia() override
    {
        return new CDragInertia(
            m_pWorldData, [](int64_t* value) { return *value = DragTicks(), true; },
            [](int64_t* value) { return *value = 1000000, true; });
    }
    bool IsPopupShowing() override { return popupShowing; }
    uint32_t GetPopupOwner() override { return popupOwner; }
    uint32_t GetToolboxOwner() override { return toolboxOwner; }
    void PlayNullClick() override { ++nullClicks; }
    ObjectsViewInputs ViewInputs() const override
    {
        ObjectsViewInputs in = view;
        in.zoomCentreX = m_pWorldData->game.input.zoomCentreX;
        in.zoomCentreY = m_pWorldData->game.input.zoomCentreY;
        return in;
    }
};

// The files of a test, found by name as resources stored in the program.
inline std::map<std::u16string, std::vector<uint8_t>>& StoredFiles()
{
    static std::map<std::u16string, std::vector<uint8_t>> files;
    return files;
}

inline Status FindStoredFile(WorldData* w, const char16_t* name)
{
    auto found = StoredFiles().find(name);
    if (found == StoredFiles().end())
        return kStatusFailed;
    w->staticResource.pAddress = found->second.data();
    w->staticResource.size = uint32_t(found->second.size());
    return kStatusOk;
}

inline std::vector<uint8_t> StreamBytes(UtilsStream_Static& stream)
{
    const auto* bytes = static_cast<const uint8_t*>(stream.GetBlock());
    return std::vector<uint8_t>(bytes, bytes + stream.GetSize());
}

// An element-info file of an object without elements.
inline std::vector<uint8_t> ElementInfoBytes(const char* name)
{
    ElementInfoView view = {};
    view.pName = name;
    view.firstMark = view.lastMark = -1;
    view.sizeWord = 1;
    view.elementStride = sizeof(ElementRecord);
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    WriteElementInfo(&stream, view);
    std::vector<uint8_t> bytes = StreamBytes(stream);
    stream.Close();
    return bytes;
}

struct ConstructionLayout {
    std::string identity = "Nimbrel";
    std::vector<ConstructionRecord> objects;
    std::vector<uint32_t> chapters;  // pairs
    uint32_t interfaces[kInterfaceRoleCount] = {kNoObjectIndex, kNoObjectIndex, kNoObjectIndex, kNoObjectIndex,
                                                kNoObjectIndex, kNoObjectIndex, kNoObjectIndex};
};

inline std::vector<uint8_t> ConstructionBytes(const ConstructionLayout& layout)
{
    ConstructionView view = {};
    view.identity = layout.identity.c_str();
    view.stamps = {7, 9, 11};
    view.pChapters = layout.chapters.data();
    view.chapterCount = uint32_t(layout.chapters.size() / 2);
    view.chaptersFlag = 1;
    std::memcpy(view.interfaces, layout.interfaces, sizeof view.interfaces);
    view.pObjects = layout.objects.data();
    view.objectCount = uint32_t(layout.objects.size());
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    WriteConstruction(&stream, view);
    std::vector<uint8_t> bytes = StreamBytes(stream);
    stream.Close();
    return bytes;
}

// A game world "Nimbrel" with an objects manager and a chapters manager, reading its files
// from StoredFiles().
class ConstructionWorld : public CNimbrelWorld {
public:
    ConstructionWorld()
    {
        StoredFiles().clear();
        SetApplicationParameters(kResourceSourceProgram << 12, kNimbrelClassName, u"Nimbrel", u"", 0);
        WorldData* w = GetWorldData();
        w->pfnStaticLocator = FindStoredFile;
        GameDataSetConstruction(*w->pGame, "Nimbrel");
        w->pGame->modeWord = kResourceSourceProgram;
        SetManager(kManagerObjects, new TestObjectsManager(w));
        SetManager(kManagerChapters, new CChaptersManager(w));
    }
    ~ConstructionWorld() override
    {
        SetManager(kManagerObjects, nullptr);
        SetManager(kManagerChapters, nullptr);
    }
    using CNimbrelWorld::LoadRelease;
    using CNimbrelWorld::LoadResidentModels;
};
